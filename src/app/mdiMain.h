#pragma once
// The multiple-document frame: the menu bar, the toolbar and the status bar, the three grid
// windows, the command line, and the commands that reach beyond one window.

#include "core/Navigation.h"
#include "grid/GridHost.h"
#include "settings/modControl.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;

class mdiMain : public QMainWindow, public GridHost, public modControl::RecentPathMenu {
    Q_OBJECT
public:
    explicit mdiMain(QWidget* parent = nullptr);
    ~mdiMain() override;

    // The one frame of the program.
    static mdiMain& Frame();

    // Start-up steps 1 to 10; the command line (step 11) follows once the frame shows.
    void MDIForm_Load();
    // Start-up step 11: arguments as given after the program name.
    void ProcessCommandLine(const QStringList& arguments);
    // Loads files a second copy on this desktop handed over (absolute paths): two into File 1
    // and File 2; a lone one into File 2 when only File 1 holds a file, else into File 1. Then,
    // once both hold a file, compares them soon after when compare or the settings ask for it.
    void OpenHandedOver(const QStringList& files, bool compare = false);
    // The process's exit status: that of "-e", else 0.
    int ExitStatus() const { return exitStatus_; }

    QMdiArea* mdiArea() const { return area_; }
    QString Tag() const { return tag_; }
    QToolBar* Toolbar1() const { return toolbar_; }
    QStatusBar* StatusBar1() const { return statusBar_; }
    QMenu* mnuWindow() const { return windowMenu_; }
    QAction* mnuFileManage(int index) const { return fileManage_.at(std::size_t(index)); }
    QAction* mnuFileExit() const { return fileExit_; }
    QAction* mnuToolBar(int index) const { return toolBar_.at(std::size_t(index)); }
    QAction* mnuToolUniWidth() const { return toolUniWidth_; }
    QAction* mnuToolOption() const { return toolOption_; }
    QAction* mnuWindowArrange(int index) const { return windowArrange_.at(std::size_t(index)); }
    QAction* mnuHelpHelp(int index) const { return helpHelp_.at(std::size_t(index)); }
    QAction* mnuHelpAbout() const { return helpAbout_; }

    // The commands of the menus and the toolbar.
    void mnuFileManage_Click(int index);
    void mnuFileRecentPath_Click(int index);
    void mnuFileExit_Click();
    // Reads both files again (and compares when immediate comparison is on).
    void mnuFileReload_Click();
    QAction* mnuFileReload() const { return fileReload_; }
    void mnuToolBar_Click(int index);
    void mnuToolUniWidth_Click();
    void mnuToolOption_Click();
    // Moves the linked selection to the next (+1) or previous (-1) difference, or to the worst
    // one not visited yet.
    void mnuToolDifference_Click(int direction);
    void mnuToolWorst_Click();
    QAction* mnuToolDifference(int direction) const { return direction > 0 ? nextDifference_ : previousDifference_; }
    QAction* mnuToolWorst() const { return worstDifference_; }
    QAction* mnuToolColourMap() const { return colourMap_; }
    QAction* mnuToolFitWidths() const { return fitWidths_; }
    QAction* mnuToolHideSame() const { return hideSame_; }
    QAction* mnuToolClosingMessage() const { return closingMessage_; }
    QAction* mnuToolNamesLine() const { return namesLine_; }
    QAction* mnuToolAlignRows() const { return alignRows_; }
    QAction* mnuFileExport() const { return fileExport_; }
    QAction* mnuToolSummary() const { return summary_; }
    QAction* mnuToolOnlyDiffering() const { return onlyDiffering_; }
    // Selects a compared cell in the three windows, with its place among the differences.
    void goToCell(std::uint64_t row, std::uint64_t col);
    void mnuWindowArrange_Click(int index);
    void mnuHelpHelp_Click(int index);
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(const QString& key);
    void MDIForm_OLEDragDrop(const QStringList& files);

    void EnableCommands();
    void ShowBar(QWidget* bar, bool visible);
    void InitToolbar(QToolBar* toolbar, bool visible);
    // 0 cascade, 1 tile horizontal, 2 tile vertical, 3 arrange icons.
    void ArrangeChildren(int arrangement);

    // The grid window that is active (the last one activated when none is).
    frmGrid* ActiveGridWindow() const;

    // GridHost
    QString frameTag() const override { return tag_; }
    void setFileCommandsEnabled(bool enabled) override;
    void openInto(frmGrid& window) override;
    void compare() override;
    void uniformWidth(frmGrid& window) override;
    void dropOnto(frmGrid& window, const QStringList& files) override;
    void fileChanged(frmGrid& window) override;
    bool frameClosing() const override { return closing_; }

    // RecentPathMenu
    QAction* mnuFileRecentPathSepa() override { return recentSeparator_; }
    QAction* mnuFileRecentPath(int index) override { return recentPaths_.at(std::size_t(index)); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void createStatusBar();
    void refreshWindowMenu();
    void refreshStatusPanels();
    frmGrid* createGridWindow(int slot);
    void connectCompareWindow(frmGrid& compare);
    void MDIForm_Unload();
    void tile(bool horizontal);
    void arrangeIcons();
    void loadThenCompare(frmGrid& window, const QString& path);
    void goToDifference(std::size_t index, const QString& message);
    // Selects a compared row that holds a row of one file only, in the three windows.
    void goToOneSidedRow(std::uint64_t comparedRow, const QString& message);

    QMdiArea* area_;
    QToolBar* toolbar_;
    QStatusBar* statusBar_;
    QTimer* clock_;
    QString tag_;
    bool closing_ = false;
    bool exitAfterCompare_ = false;
    int exitStatus_ = 0;
    int startArrangement_ = -1; // the tiling applied at start, again on resizes while it lasts
    std::array<QAction*, 2> fileManage_{};
    QAction* recentSeparator_ = nullptr;
    std::array<QAction*, 5> recentPaths_{};
    QAction* fileExit_ = nullptr;
    QAction* fileReload_ = nullptr;
    std::array<QAction*, 2> toolBar_{};
    QAction* toolUniWidth_ = nullptr;
    QAction* toolOption_ = nullptr;
    QAction* colourMap_ = nullptr;
    QAction* fitWidths_ = nullptr;
    QAction* hideSame_ = nullptr;
    QAction* closingMessage_ = nullptr;
    QAction* namesLine_ = nullptr;
    QAction* alignRows_ = nullptr;
    QAction* fileExport_ = nullptr;
    QAction* summary_ = nullptr;
    QAction* onlyDiffering_ = nullptr;
    QAction* nextDifference_ = nullptr;
    QAction* previousDifference_ = nullptr;
    QAction* worstDifference_ = nullptr;
    std::optional<tallir::WorstWalk> worstWalk_;
    std::uint64_t worstGeneration_ = 0;
    bool worstHidesSame_ = false;
    QMenu* windowMenu_ = nullptr;
    std::array<QAction*, 5> windowArrange_{};
    QAction* windowListSeparator_ = nullptr;
    std::array<QAction*, 2> helpHelp_{};
    QAction* helpAbout_ = nullptr;
};
