#include "frmGrid.h"

#include "GridHost.h"
#include "InternalError.h"
#include "MSFlexGrid.h"
#include "StatusPanels.h"
#include "modToolbar.h"
#include "settings/modControl.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLineEdit>
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

void frmGrid::Form_Resize()
{
    const int toolbarHeight = toolbar_->isHidden() ? 0 : toolbar_->sizeHint().height();
    const int statusHeight = statusBar_->isHidden() ? 0 : statusBar_->sizeHint().height();
    toolbar_->setGeometry(0, 0, width(), toolbarHeight);
    const int left = grid_->x();
    const int gridWidth = std::max(0, width() - 2 * left);
    const int h = height() - toolbarHeight - statusHeight;
    grid_->setGeometry(left, toolbarHeight, gridWidth, h < 0 ? 0 : h);
    statusBar_->setGeometry(0, height() - statusHeight, width(), statusHeight);
}
