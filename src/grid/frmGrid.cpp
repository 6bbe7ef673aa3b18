#include "frmGrid.h"

#include "DroppedFiles.h"
#include "GridHost.h"
#include "InternalError.h"
#include "MSFlexGrid.h"
#include "StatusPanels.h"
#include "GridWindows.h"
#include "modFlexGrid.h"
#include "modToolbar.h"
#include "settings/KeyFilter.h"
#include "settings/modControl.h"

#include <QAction>
#include <algorithm>
#include <QHBoxLayout>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QStatusBar>
#include <QToolBar>

frmGrid::frmGrid(GridHost& host, QWidget* parent)
    : QWidget(parent)
    , host_(host)
    , grid_(new MSFlexGrid(this))
    , toolbar_(new QToolBar(this))
    , statusBar_(new QStatusBar(this))
    , text1_(new QLineEdit)
    , multiLine_(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmGrid"));
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    text1_->setObjectName(QStringLiteral("Text1"));
    multiLine_->setObjectName(QStringLiteral("txtMultiLine"));
    statusBar_->setSizeGripEnabled(false);
    StatusPanels::AddPanel(statusBar_, QStringLiteral("Dimension"));
    StatusPanels::AddPanel(statusBar_, QStringLiteral("Space0"), true);
    StatusPanels::AddPanel(statusBar_, QStringLiteral("Size"));
    StatusPanels::AddPanel(statusBar_, QStringLiteral("DateLastModified"));
    InstallKeyFilter(text1_, QString());
    statusBar_->installEventFilter(this); // a panel's new text may need a wider bar
    connectGrid();
    connect(toolbar_, &QToolBar::actionTriggered, this, [this](QAction* action) { Toolbar1_ButtonClick(action->objectName()); });
}

int frmGrid::Role() const
{
    if (tag_ == QLatin1String("0"))
        return 0;
    if (tag_ == QLatin1String("1"))
        return 1;
    if (tag_ == QLatin1String("2"))
        return 2;
    throw InternalError("grid window role \"" + tag_.toStdString() + "\"");
}

void frmGrid::Form_Load(QMdiSubWindow* subWindow)
{
    subWindow_ = subWindow;
    subWindow->setObjectName(QStringLiteral("frmGrid"));
    modControl::RestorePlacement(subWindow);
    modControl::DisableCloseCommand(subWindow, [this] { return host_.frameClosing(); });
    tag_ = host_.frameTag();
    InitToolbar(toolbar_, true);
    ShowBar(statusBar_, true);
    oleDropMode_ = IsFileWindow() ? 1 : 0;
    setAcceptDrops(oleDropMode_ == 1);

    multiLine_->setFrameShape(QFrame::NoFrame);
    multiLine_->clear();
    multiLine_->setVisible(false);
    multiLine_->setFocusPolicy(Qt::NoFocus);

    grid_->SetAllowUserResizing(1);
    grid_->move(0, 0);
    grid_->SetWordWrap(true);
    grid_->SetScrollTrack(true);
    grid_->SetRows(2);
    grid_->SetCols(2);
    grid_->setFocus();
    grid_->SetOLEDropMode(IsFileWindow() ? 1 : 0);
    grid_->SetRow(1);
    grid_->SetRowSel(1);
    grid_->SetCol(1);
    grid_->SetColSel(1);

    curRow_ = grid_->Row();
    curRowSel_ = grid_->RowSel();
    curCol_ = grid_->Col();
    curColSel_ = grid_->ColSel();
    grid_->SetEmptyHint(IsFileWindow() ? QStringLiteral("Open a file (Ctrl+O) or drop one here")
                                       : QStringLiteral("Compare File 1 with File 2: File > Compare (Alt+F, C) "
                                                        "or the Compare button above"));
    Form_Resize();
}

void frmGrid::InitToolbar(QToolBar* toolbar, bool visible)
{
    toolbar->setVisible(visible);
    toolbar->setMovable(false);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->clear();
    modToolbar::AddToolPlaceholder(toolbar, QStringLiteral("Dummy"), 80);
    modToolbar::AddToolButton(toolbar, IsFileWindow() ? QStringLiteral("Open") : QStringLiteral("Compare"));
    modToolbar::AddToolButton(toolbar, QStringLiteral("UniWidth"));
    modToolbar::AddToolPlaceholder(toolbar, QStringLiteral("Dummy1"), 80);
    // Text1 fills the "Cell" placeholder, which stretches to the toolbar's right edge.
    QWidget* cell = modToolbar::AddToolPlaceholder(toolbar, QStringLiteral("Cell"), 2000);
    cell->setMinimumWidth(0);
    cell->setMaximumWidth(QWIDGETSIZE_MAX);
    cell->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text1_);
    text1_->clear();
}

void frmGrid::ShowBar(QWidget* bar, bool visible)
{
    bar->setVisible(visible);
}

void frmGrid::Toolbar1_ButtonClick(const QString& key)
{
    const int role = Role();
    if (role != 2 && key == QLatin1String("Open"))
        host_.openInto(*this);
    else if (role == 2 && key == QLatin1String("Compare"))
        host_.compare();
    else if (key == QLatin1String("UniWidth"))
        host_.uniformWidth(*this);
    else
        throw InternalError("toolbar key \"" + key.toStdString() + "\"");
}

void frmGrid::Form_Activate()
{
    host_.setFileCommandsEnabled(IsFileWindow());
}

void frmGrid::Form_Unload()
{
    if (subWindow_)
        modControl::SavePlacement(subWindow_);
}

QString frmGrid::Caption() const
{
    return subWindow_ ? subWindow_->windowTitle() : windowTitle();
}

void frmGrid::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
    if (subWindow_)
        subWindow_->setWindowTitle(caption);
}

void frmGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

bool frmGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == statusBar_ && event->type() == QEvent::LayoutRequest)
        Form_Resize();
    return QWidget::eventFilter(watched, event);
}

void frmGrid::Form_Resize()
{
    const int toolbarHeight = toolbar_->isHidden() ? 0 : toolbar_->sizeHint().height();
    const int statusHeight = statusBar_->isHidden() ? 0 : statusBar_->sizeHint().height();
    toolbar_->setGeometry(0, 0, width(), toolbarHeight);
    const int left = grid_->x();
    const int strip = sideStrip_ ? sideStrip_->width() : 0;
    const int gridWidth = std::max(0, width() - 2 * left - strip);
    const int h = height() - toolbarHeight - statusHeight;
    grid_->setGeometry(left, toolbarHeight, gridWidth, h < 0 ? 0 : h);
    if (sideStrip_)
        sideStrip_->setGeometry(left + gridWidth, toolbarHeight, strip, h < 0 ? 0 : h);
    // Panels keep the width of their texts: in a window too narrow for all of them the last
    // ones are cut at the window's edge rather than every one squeezed.
    statusBar_->setGeometry(0, height() - statusHeight, std::max(width(), statusBar_->minimumSizeHint().width()), statusHeight);
}

void frmGrid::SetSideStrip(QWidget* strip)
{
    sideStrip_ = strip;
    Form_Resize();
}

void frmGrid::SetLoadedPath(const QString& path)
{
    loadedPath_ = path;
    WatchFiles({path});
    StatusPanels::SetText(statusBar_, "Space0", QString());
}

void frmGrid::WatchFiles(const QStringList& paths)
{
    if (!watcher_) {
        watcher_ = new QFileSystemWatcher(this);
        connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& changed) {
            SayChangedOnDisk();
            host_.fileChanged(*this);
            // A file replaced by renaming leaves the watch: watch the new one.
            if (!watcher_->files().contains(changed) && QFileInfo::exists(changed))
                watcher_->addPath(changed);
        });
    }
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!paths.isEmpty())
        watcher_->addPaths(paths);
}

QString frmGrid::SayChangedOnDisk()
{
    const QString said = QStringLiteral("Changed on disk: File > Reload (F5) reads it again.");
    StatusPanels::SetText(statusBar_, "Space0", said);
    return said;
}

void frmGrid::connectGrid()
{
    connect(grid_, &MSFlexGrid::MouseDown, this, [this](int button) { MSFlexGrid1_MouseDown(button); });
    connect(grid_, &MSFlexGrid::MouseMove, this, [this](int button) { MSFlexGrid1_MouseMove(button); });
    connect(grid_, &MSFlexGrid::MouseUp, this, [this](int button) { MSFlexGrid1_MouseUp(button); });
    // So does a block reached with the keys.
    connect(grid_, &MSFlexGrid::KeySelection, this, [this] { MSFlexGrid1_MouseDown(1); });
    connect(grid_, &MSFlexGrid::DblClick, this, [this] { MSFlexGrid1_DblClick(); });
    connect(grid_, &MSFlexGrid::Scroll, this, [this] { MSFlexGrid1_Scroll(); });
    connect(grid_, &MSFlexGrid::OLEDragDrop, this, [this](const QStringList& files) { OLEDragDrop(files); });
}

void frmGrid::MSFlexGrid_ShowSelection(frmGrid& target, qint64 row, qint64 col, qint64 rowSel, qint64 colSel)
{
    PaintSelection(target, row, col, rowSel, colSel, true);
}

void frmGrid::MSFlexGrid_ClearSelection(frmGrid& target)
{
    PaintSelection(target, 1, 1, 1, 1, false);
}

void frmGrid::PaintSelection(frmGrid& target, qint64 row, qint64 col, qint64 rowSel, qint64 colSel, bool marked)
{
    MSFlexGrid* g = target.grid_;
    const auto clampRow = [g](qint64 r) { return std::min(r, g->Rows() - 1); };
    const auto clampCol = [g](qint64 c) { return std::min(c, g->Cols() - 1); };
    const QColor grey(modFlexGrid::MarkGrey, modFlexGrid::MarkGrey, modFlexGrid::MarkGrey);
    // Every step works on a whole block at once: the cost does not grow with its size.
    auto block = [&](qint64 r1, qint64 c1, qint64 r2, qint64 c2, auto&& apply) {
        modFlexGrid::FormatBlock(g, clampRow(r1), clampCol(c1), clampRow(r2), clampCol(c2), apply);
    };
    const qint64 lastFixedRow = g->FixedRows() - 1;
    const qint64 lastFixedCol = g->FixedCols() - 1;

    const bool redraw = g->Redraw();
    g->SetRedraw(false);
    auto unmark = [&] {
        g->SetCellFontBold(false);
        g->SetCellBackColor(g->BackColorFixed());
    };
    auto mark = [&] {
        g->SetCellFontBold(true);
        g->SetCellBackColor(grey);
    };
    block(0, target.curCol_, lastFixedRow, target.curColSel_, unmark);
    block(target.curRow_, 0, target.curRowSel_, lastFixedCol, unmark);
    block(target.curRow_, target.curCol_, target.curRowSel_, target.curColSel_, [&] {
        g->SetCellBackColor(g->BackColor());
        g->SetCellForeColor(g->ForeColor());
    });
    if (marked) {
        block(0, col, lastFixedRow, colSel, mark);
        block(row, 0, rowSel, lastFixedCol, mark);
        block(row, col, rowSel, colSel, [&] {
            g->SetCellBackColor(g->BackColorSel());
            g->SetCellForeColor(g->BackColor());
        });
    }
    g->SetRow(clampRow(row));
    g->SetCol(clampCol(col));
    g->SetRowSel(clampRow(rowSel));
    g->SetColSel(clampCol(colSel));
    g->SetRedraw(redraw);

    target.curRow_ = g->Row();
    target.curCol_ = g->Col();
    target.curRowSel_ = g->RowSel();
    target.curColSel_ = g->ColSel();
    target.text1_->setText(g->Text());
}

qint64 frmGrid::LinkedColumn(int fromSlot, int toSlot, qint64 col)
{
    const tallir::CompareResult* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison();
    if (!result || result->options.columnMap.empty() || col < 1 || fromSlot == toSlot || (fromSlot != 1 && toSlot != 1))
        return col;
    const auto& map = result->options.columnMap;
    if (fromSlot == 1) { // File 2's column to the compared one
        const auto at = std::find(map.begin(), map.end(), std::int64_t(col - 1));
        return at == map.end() ? col : qint64(at - map.begin()) + 1;
    }
    return std::size_t(col - 1) < map.size() && map[std::size_t(col - 1)] >= 0 ? qint64(map[std::size_t(col - 1)]) + 1 : col;
}

void frmGrid::ShowLinkedSelection(int fromSlot, qint64 row, qint64 col, qint64 rowSel, qint64 colSel)
{
    // The current cell and the far corner each go to their linked column.
    for (int slot = 0; slot < 3; ++slot)
        MSFlexGrid_ShowSelection(*GridWindows()[slot], row, LinkedColumn(fromSlot, slot, col), rowSel,
                                 LinkedColumn(fromSlot, slot, colSel));
}

void frmGrid::MSFlexGrid1_MouseDown(int button)
{
    if (button != 1)
        return; // the right button's Window menu is the frame's
    ShowLinkedSelection(tag_.toInt(), grid_->Row(), grid_->Col(), grid_->RowSel(), grid_->ColSel());
}

void frmGrid::MSFlexGrid1_MouseUp(int button)
{
    // A block dragged out shows in all three grids as a pressed one does.
    MSFlexGrid1_MouseDown(button);
}

void frmGrid::MSFlexGrid1_MouseMove(int button)
{
    if (button == 1)
        modFlexGrid::MSFlexGrid_MarkFixed(grid_);
}

void frmGrid::MSFlexGrid1_DblClick()
{
    const bool headerRow = grid_->MouseRow() < grid_->FixedRows();
    const bool headerCol = grid_->MouseCol() < grid_->FixedCols();
    if (headerRow && !headerCol)
        modFlexGrid::MSFlexGrid_FitColWidth(grid_, 0);
    else if (headerRow && headerCol)
        modFlexGrid::MSFlexGrid_FitColWidth(grid_, 1);
}

void frmGrid::MSFlexGrid1_Scroll()
{
    // The other grids' scrolling comes back here as their own Scroll: only the first passes.
    static bool linking = false;
    if (linking)
        return;
    linking = true;
    const qint64 top = grid_->TopRow();
    const qint64 left = grid_->LeftCol();
    for (int slot = 0; slot < 3; ++slot) {
        MSFlexGrid* other = GridWindows()[slot]->MSFlexGrid1();
        other->SetTopRow(top); // a shorter grid refuses: skipped
        other->SetLeftCol(left);
    }
    linking = false;
}

void frmGrid::OLEDragDrop(const QStringList& files)
{
    if (!IsFileWindow())
        throw InternalError("files dropped on the Compare window");
    host_.dropOnto(*this, files);
}

void frmGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (oleDropMode_ == 1 && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void frmGrid::dropEvent(QDropEvent* event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    event->acceptProposedAction();
    if (!files.isEmpty())
        OLEDragDrop(files);
}
