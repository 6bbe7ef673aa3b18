#include "mdiMain.h"

#include "ColourMap.h"
#include "FiguresPanel.h"
#include "SummaryWindow.h"
#include "modMain.h"
#include "settings/modUtil.h"
#include "core/Navigation.h"
#include "core/Version.h"
#include "grid/GridWindows.h"
#include "grid/StatusPanels.h"
#include "platform/PlatformServices.h"
#include "grid/frmGrid.h"
#include "grid/modFlexGrid.h"
#include "grid/modToolbar.h"
#include "grid/MSFlexGrid.h"
#include "grid/OverviewStrip.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

mdiMain* theFrame = nullptr;
const char* const GridCaptions[] = {"File 1", "File 2", "Compare"};

} // namespace

mdiMain::mdiMain(QWidget* parent)
    : QMainWindow(parent)
    , area_(new QMdiArea(this))
    , toolbar_(new QToolBar(this))
    , statusBar_(new QStatusBar(this))
    , clock_(new QTimer(this))
{
    theFrame = this;
    setObjectName(QStringLiteral("mdiMain"));
    setWindowTitle(QString::fromStdString(tallir::VersionCaption()));
    setCentralWidget(area_);
    setAcceptDrops(true);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(toolbar_);
    connect(toolbar_, &QToolBar::actionTriggered, this, [this](QAction* action) { Toolbar1_ButtonClick(action->objectName()); });
    createMenus();
    createStatusBar();
    GridWindows().clear();
    GridWindows().setFactory([this](int slot) { return createGridWindow(slot); });
    connect(area_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* sub) {
        if (auto* window = sub ? qobject_cast<frmGrid*>(sub->widget()) : nullptr)
            window->Form_Activate();
    });
}

mdiMain::~mdiMain()
{
    if (theFrame != this)
        return;
    GridWindows().setFactory({});
    GridWindows().clear();
    theFrame = nullptr;
}

mdiMain& mdiMain::Frame()
{
    return *theFrame;
}

void mdiMain::createMenus()
{
    auto add = [this](QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QLatin1String(name));
        return action;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    fileManage_[0] = add(file, "mnuFileManage0", QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    fileManage_[1] = add(file, "mnuFileManage1", QStringLiteral("&Compare"));
    fileReload_ = add(file, "mnuFileReload", QStringLiteral("&Reload"), QKeySequence(Qt::Key_F5));
    connect(fileReload_, &QAction::triggered, this, &mdiMain::mnuFileReload_Click);
    fileExport_ = add(file, "mnuFileExport", QStringLiteral("&Export Report..."));
    connect(fileExport_, &QAction::triggered, this, [this] { modMain::ExportReport(this); });
    recentSeparator_ = separator(file, "mnuFileRecentPathSepa");
    recentSeparator_->setVisible(false);
    for (int k = 0; k < 5; ++k) {
        recentPaths_[std::size_t(k)] = add(file, "mnuFileRecentPath", QString::number(k));
        recentPaths_[std::size_t(k)]->setVisible(false);
        connect(recentPaths_[std::size_t(k)], &QAction::triggered, this, [this, k] { mnuFileRecentPath_Click(k); });
    }
    separator(file, "mnuFileSepa0");
    fileExit_ = add(file, "mnuFileExit", QStringLiteral("E&xit"));
    for (int k = 0; k < 2; ++k)
        connect(fileManage_[std::size_t(k)], &QAction::triggered, this, [this, k] { mnuFileManage_Click(k); });
    connect(fileExit_, &QAction::triggered, this, &mdiMain::mnuFileExit_Click);

    QMenu* tool = menuBar()->addMenu(QStringLiteral("&Tool"));
    tool->setObjectName(QStringLiteral("mnuTool"));
    toolBar_[0] = add(tool, "mnuToolBar0", QStringLiteral("&Tool Bar"));
    toolBar_[1] = add(tool, "mnuToolBar1", QStringLiteral("&Status Bar"));
    for (int k = 0; k < 2; ++k) {
        toolBar_[std::size_t(k)]->setCheckable(true);
        toolBar_[std::size_t(k)]->setChecked(true);
        // The check mark is inverted by the command itself.
        connect(toolBar_[std::size_t(k)], &QAction::triggered, this, [this, k] {
            toolBar_[std::size_t(k)]->setChecked(!toolBar_[std::size_t(k)]->isChecked());
            mnuToolBar_Click(k);
        });
    }
    separator(tool, "mnuToolSepa0");
    toolUniWidth_ = add(tool, "mnuToolUniWidth", QStringLiteral("&Uniform Width"));
    separator(tool, "mnuToolSepa1");
    toolOption_ = add(tool, "mnuToolOption", QStringLiteral("&Option..."));
    separator(tool, "mnuToolSepa2");
    colourMap_ = add(tool, "mnuToolColourMap", QStringLiteral("&Colour Map"));
    colourMap_->setCheckable(true);
    colourMap_->setChecked(true);
    connect(colourMap_, &QAction::toggled, this, [](bool on) {
        ColourMap::SetEnabled(on);
        modUtil::WriteString("Tool", "ColourMap", on ? "-1" : "0");
    });
    fitWidths_ = add(tool, "mnuToolFitWidths", QStringLiteral("Fit &Widths on Load"));
    fitWidths_->setCheckable(true);
    fitWidths_->setChecked(true);
    connect(fitWidths_, &QAction::toggled, this, [](bool on) { modUtil::WriteString("Tool", "FitWidths", on ? "-1" : "0"); });
    hideSame_ = add(tool, "mnuToolHideSame", QStringLiteral("&Hide Cells Regarded as the Same"));
    hideSame_->setCheckable(true);
    hideSame_->setChecked(true);
    connect(hideSame_, &QAction::toggled, this, [](bool on) {
        modUtil::WriteString("Tool", "HideSame", on ? "-1" : "0");
        ColourMap::SetHideSame(on);
        if (QWidget* strip = GridWindows()[2]->SideStrip())
            strip->update();
        FiguresPanel::Refresh();
        SummaryWindow::Refresh();
        // The rows shown by Only Differing Rows follow the same rule.
        if (modMain::OnlyDifferingRows())
            modMain::ApplyRowFilter(true);
    });
    closingMessage_ = add(tool, "mnuToolClosingMessage", QStringLiteral("Closing &Message"));
    closingMessage_->setCheckable(true);
    closingMessage_->setChecked(true);
    connect(closingMessage_, &QAction::toggled, this,
            [](bool on) { modUtil::WriteString("Tool", "ClosingMessage", on ? "-1" : "0"); });
    namesLine_ = add(tool, "mnuToolNamesLine", QStringLiteral("First Line Holds &Names"));
    namesLine_->setCheckable(true);
    connect(namesLine_, &QAction::toggled, this, [this](bool on) {
        modUtil::WriteString("Option", "NamesLine", on ? "-1" : "0");
        mnuFileReload_Click(); // both files read again the other way, compared when that is on
    });
    alignRows_ = add(tool, "mnuToolAlignRows", QStringLiteral("Align &Rows..."));
    summary_ = add(tool, "mnuToolSummary", QStringLiteral("Summar&y"));
    onlyDiffering_ = add(tool, "mnuToolOnlyDiffering", QStringLiteral("Only &Differing Rows"));
    onlyDiffering_->setCheckable(true);
    connect(onlyDiffering_, &QAction::toggled, this, [] { modMain::ApplyRowFilter(true); });
    connect(summary_, &QAction::triggered, this, [this] { SummaryWindow::Show(this); });
    connect(alignRows_, &QAction::triggered, this, [this] { modMain::ShowAlignRows(this); });
    nextDifference_ = add(tool, "mnuToolNextDifference", QStringLiteral("N&ext Difference"), QKeySequence(Qt::Key_F8));
    previousDifference_ = add(tool, "mnuToolPreviousDifference", QStringLiteral("&Previous Difference"),
                              QKeySequence(Qt::SHIFT | Qt::Key_F8));
    worstDifference_ = add(tool, "mnuToolNextWorst", QStringLiteral("Ne&xt Worst"), QKeySequence(Qt::CTRL | Qt::Key_F8));
    connect(nextDifference_, &QAction::triggered, this, [this] { mnuToolDifference_Click(+1); });
    connect(previousDifference_, &QAction::triggered, this, [this] { mnuToolDifference_Click(-1); });
    connect(worstDifference_, &QAction::triggered, this, &mdiMain::mnuToolWorst_Click);
    connect(toolUniWidth_, &QAction::triggered, this, &mdiMain::mnuToolUniWidth_Click);
    connect(toolOption_, &QAction::triggered, this, &mdiMain::mnuToolOption_Click);

    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Window"));
    windowMenu_->setObjectName(QStringLiteral("mnuWindow"));
    const char* const arrangeCaptions[] = {"&Cascade", "&Tile Horizontal", "Tile &Vertical", "(Do nothing)", "&Arrange Icons"};
    const QKeySequence arrangeKeys[] = {QKeySequence(Qt::SHIFT | Qt::Key_F5), QKeySequence(Qt::SHIFT | Qt::Key_F4), {}, {}, {}};
    for (int k = 0; k < 5; ++k) {
        windowArrange_[std::size_t(k)] = add(windowMenu_, "mnuWindowArrange", QLatin1String(arrangeCaptions[k]), arrangeKeys[k]);
        connect(windowArrange_[std::size_t(k)], &QAction::triggered, this, [this, k] { mnuWindowArrange_Click(k); });
    }
    windowArrange_[3]->setVisible(false);
    windowListSeparator_ = windowMenu_->addSeparator();
    connect(windowMenu_, &QMenu::aboutToShow, this, &mdiMain::refreshWindowMenu);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    helpHelp_[0] = add(help, "mnuHelpHelp0", QStringLiteral("&Help"), QKeySequence(Qt::Key_F1));
    helpHelp_[1] = add(help, "mnuHelpHelp1", QStringLiteral("Home &Page"));
    separator(help, "mnuHelpSepa0");
    helpAbout_ = add(help, "mnuHelpAbout", QStringLiteral("&About..."));
    for (int k = 0; k < 2; ++k)
        connect(helpHelp_[std::size_t(k)], &QAction::triggered, this, [this, k] { mnuHelpHelp_Click(k); });
    connect(helpAbout_, &QAction::triggered, this, &mdiMain::mnuHelpAbout_Click);
}

void mdiMain::refreshWindowMenu()
{
    // The child windows below the menu's own items, the active one checked.
    const auto actions = windowMenu_->actions();
    for (qsizetype i = actions.indexOf(windowListSeparator_) + 1; i < actions.size(); ++i)
        delete actions[i];
    int number = 1;
    for (QMdiSubWindow* sub : area_->subWindowList()) {
        QAction* item = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(sub->windowTitle()));
        item->setCheckable(true);
        item->setChecked(sub == area_->activeSubWindow());
        connect(item, &QAction::triggered, area_, [this, sub] { area_->setActiveSubWindow(sub); });
    }
}

void mdiMain::createStatusBar()
{
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(statusBar_);
    StatusPanels::AddPanel(statusBar_, QStringLiteral("Space0"), true);
    for (const char* key : {"Caps", "Num", "Date", "Time"})
        StatusPanels::AddPanel(statusBar_, QLatin1String(key));
    connect(clock_, &QTimer::timeout, this, &mdiMain::refreshStatusPanels);
    clock_->start(1000);
    refreshStatusPanels();
}

void mdiMain::refreshStatusPanels()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    const platform::KeyboardLocks locks = platform::Platform().keyboardLocks();
    StatusPanels::SetText(statusBar_, "Caps", locks.caps ? QStringLiteral("CAPS") : QString());
    StatusPanels::SetText(statusBar_, "Num", locks.num ? QStringLiteral("NUM") : QString());
    StatusPanels::SetText(statusBar_, "Date", locale.toString(now.date(), QLocale::ShortFormat));
    StatusPanels::SetText(statusBar_, "Time", locale.toString(now.time(), QLocale::LongFormat));
}

void mdiMain::InitToolbar(QToolBar* toolbar, bool visible)
{
    toolbar->setVisible(visible);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->clear();
    modToolbar::AddToolPlaceholder(toolbar, QStringLiteral("Dummy"), 80);
    modToolbar::AddToolButton(toolbar, QStringLiteral("Open"));
    modToolbar::AddToolButton(toolbar, QStringLiteral("Compare"));
    modToolbar::AddToolSeparator(toolbar);
    modToolbar::AddToolButton(toolbar, QStringLiteral("UniWidth"));
    modToolbar::AddToolButton(toolbar, QStringLiteral("Option"));
    modToolbar::AddToolSeparator(toolbar);
    modToolbar::AddToolButton(toolbar, QStringLiteral("Cascade"));
    modToolbar::AddToolButton(toolbar, QStringLiteral("Horizontal"));
    modToolbar::AddToolButton(toolbar, QStringLiteral("Vertical"));
    modToolbar::AddToolSeparator(toolbar);
    modToolbar::AddToolButton(toolbar, QStringLiteral("Help"));
    modToolbar::AddToolSeparator(toolbar);
    modToolbar::AddToolButton(toolbar, QStringLiteral("Previous"));
    modToolbar::AddToolButton(toolbar, QStringLiteral("Next"));
    modToolbar::AddToolButton(toolbar, QStringLiteral("Worst"));
}

void mdiMain::ShowBar(QWidget* bar, bool visible)
{
    bar->setVisible(visible);
}

void mdiMain::EnableCommands()
{
    for (QAction* item : {fileManage_[0], fileManage_[1], fileExit_, toolBar_[0], toolBar_[1], toolOption_,
                          windowArrange_[0], windowArrange_[1], windowArrange_[2], windowArrange_[3], windowArrange_[4],
                          helpHelp_[0], helpHelp_[1], helpAbout_})
        item->setEnabled(true);
    for (QAction* item : recentPaths_)
        item->setEnabled(true);
    const std::pair<const char*, QAction*> buttons[] = {{"Option", toolOption_},
                                                        {"Cascade", windowArrange_[0]},
                                                        {"Horizontal", windowArrange_[1]},
                                                        {"Vertical", windowArrange_[2]},
                                                        {"Help", helpHelp_[0]}};
    for (const auto& [key, item] : buttons)
        if (QAction* button = modToolbar::ToolButton(toolbar_, QLatin1String(key)))
            button->setEnabled(item->isEnabled());
}

frmGrid* mdiMain::createGridWindow(int slot)
{
    auto* window = new frmGrid(*this);
    QMdiSubWindow* sub = area_->addSubWindow(window);
    window->Form_Load(sub);
    window->SetCaption(QString::fromLatin1(GridCaptions[slot]));
    if (slot == 2)
        connectCompareWindow(*window);
    connect(window->MSFlexGrid1(), &MSFlexGrid::MouseDown, this, [this, window](int button) {
        if (button != 2)
            return;
        // The right button activates the window, then opens the Window menu where the mouse is.
        area_->setActiveSubWindow(window->SubWindow());
        QApplication::processEvents();
        windowMenu_->popup(QCursor::pos());
    });
    return window;
}

void mdiMain::connectCompareWindow(frmGrid& compare)
{
    // Hovering a cell explains its verdict from both files' texts.
    MSFlexGrid* grid = compare.MSFlexGrid1();
    grid->Model()->setToolTips([grid](qint64 row, qint64 col) {
        const tallir::CompareResult* result = grid->Store().comparison();
        if (!result || row < 1 || col < 1 || std::uint64_t(row) > result->comparedRows || std::uint64_t(col) > result->comparedCols)
            return QString();
        const std::string a = GridWindows()[0]->MSFlexGrid1()->Store().text(row, col);
        const std::string b = GridWindows()[1]->MSFlexGrid1()->Store().text(row, qint64(result->file2Column(std::uint64_t(col - 1))) + 1);
        const QString explained = QString::fromStdString(tallir::ExplainCells(a, b, result->options, std::uint64_t(col - 1)));
        // With names, the cell by its line and its column's name first.
        const GridStore& store = grid->Store();
        if (!store.columnName(col).empty())
            return QString::fromStdString(store.cellName(row, col)) + '\n' + explained;
        return explained;
    });
    if (QLabel* dimension = StatusPanels::Panel(compare.StatusBar1(), "Dimension"))
        dimension->setToolTip(ColourMap::Legend());
    // The whole comparison at a glance, beside its scroll bar.
    compare.SetSideStrip(new OverviewStrip(grid, [] { return modMain::HideSame(); }, &compare));
    // A click on the figures goes to the cell of the lowest agreement.
    if (QLabel* figures = StatusPanels::Panel(compare.StatusBar1(), "Space0")) {
        figures->setProperty(StatusPanels::ToolTipNote, QStringLiteral("Click to go to the lowest agreement"));
        figures->setToolTip(QStringLiteral("Click to go to the lowest agreement"));
        figures->installEventFilter(this);
    }
}

bool mdiMain::eventFilter(QObject* watched, QEvent* event)
{
    // A frame whose client area was sized after the start's tiling (maximised by the window
    // manager, or placed again once its frame margins were known): tiled again into the area it
    // has now, so that no window's status bar hangs below it.
    if (event->type() == QEvent::Resize && watched == area_->viewport() && (startArrangement_ == 1 || startArrangement_ == 2))
        QTimer::singleShot(0, this, [this, arrangement = startArrangement_] { ArrangeChildren(arrangement); });

    if (event->type() == QEvent::MouseButtonRelease && watched->objectName() == QLatin1String("Space0")) {
        const QVariant row = watched->property("lowestRow");
        const QVariant col = watched->property("lowestCol");
        const tallir::CompareResult* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison();
        if (row.isValid() && col.isValid() && result) {
            if (const auto index = tallir::FindDifference(*result, row.toULongLong() - 1, col.toULongLong() - 1))
                goToDifference(*index, QStringLiteral("the lowest agreement."));
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

frmGrid* mdiMain::ActiveGridWindow() const
{
    QMdiSubWindow* sub = area_->activeSubWindow();
    if (!sub) {
        const auto order = area_->subWindowList(QMdiArea::ActivationHistoryOrder);
        sub = order.isEmpty() ? nullptr : order.last();
    }
    return sub ? qobject_cast<frmGrid*>(sub->widget()) : nullptr;
}

void mdiMain::setFileCommandsEnabled(bool enabled)
{
    fileManage_[0]->setEnabled(enabled);
    for (QAction* item : recentPaths_)
        item->setEnabled(enabled);
}

void mdiMain::openInto(frmGrid& window)
{
    loadThenCompare(window, QString());
}

void mdiMain::compare()
{
    modMain::CompareGrids();
}

void mdiMain::uniformWidth(frmGrid& window)
{
    modFlexGrid::MSFlexGrid_UniWidth(window);
}
