#pragma once
// The multiple-document frame: menus, the three grid windows, and the commands that reach
// beyond one window.

#include "grid/GridHost.h"
#include "settings/modControl.h"

#include <QMainWindow>
#include <array>

class QMdiArea;
class QMdiSubWindow;

class mdiMain : public QMainWindow, public GridHost, public modControl::RecentPathMenu {
    Q_OBJECT
public:
    explicit mdiMain(QWidget* parent = nullptr);
    ~mdiMain() override;

    // The one frame of the program.
    static mdiMain& Frame();

    void MDIForm_Load();
    QMdiArea* mdiArea() const { return area_; }
    QString Tag() const { return tag_; }

    QAction* mnuFileManage(int index) const { return fileManage_.at(std::size_t(index)); }

    // GridHost
    QString frameTag() const override { return tag_; }
    void setFileCommandsEnabled(bool enabled) override;
    void openInto(frmGrid& window) override;
    void compare() override;
    void uniformWidth(frmGrid& window) override;
    bool frameClosing() const override { return closing_; }

    // RecentPathMenu
    QAction* mnuFileRecentPathSepa() override { return recentSeparator_; }
    QAction* mnuFileRecentPath(int index) override { return recentPaths_.at(std::size_t(index)); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    frmGrid* createGridWindow(int slot);
    void MDIForm_Unload();

    QMdiArea* area_;
    QString tag_;
    bool closing_ = false;
    std::array<QAction*, 2> fileManage_{};
    QAction* recentSeparator_ = nullptr;
    std::array<QAction*, 5> recentPaths_{};
};
