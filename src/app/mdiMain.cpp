#include "mdiMain.h"

#include "modMain.h"
#include "core/Version.h"
#include "grid/GridWindows.h"
#include "grid/frmGrid.h"
#include "platform/PlatformServices.h"
#include "settings/modUtil.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

namespace {
mdiMain* theFrame = nullptr;
const char* const GridCaptions[] = {"File 1", "File 2", "Compare"};
} // namespace

mdiMain::mdiMain(QWidget* parent)
    : QMainWindow(parent)
    , area_(new QMdiArea(this))
{
    theFrame = this;
    setObjectName(QStringLiteral("mdiMain"));
    setCentralWidget(area_);
    createMenus();
    GridWindows().clear();
    GridWindows().setFactory([this](int slot) { return createGridWindow(slot); });
    connect(area_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* sub) {
        if (auto* window = sub ? qobject_cast<frmGrid*>(sub->widget()) : nullptr)
            window->Form_Activate();
    });
}

mdiMain::~mdiMain()
{
    GridWindows().setFactory({});
    GridWindows().clear();
    if (theFrame == this)
        theFrame = nullptr;
}

mdiMain& mdiMain::Frame()
{
    return *theFrame;
}

void mdiMain::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    fileManage_[0] = file->addAction(QStringLiteral("&Open..."));
    fileManage_[0]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    fileManage_[1] = file->addAction(QStringLiteral("&Compare"));
    recentSeparator_ = file->addSeparator();
    recentSeparator_->setVisible(false);
    for (int k = 0; k < 5; ++k) {
        recentPaths_[std::size_t(k)] = file->addAction(QString::number(k));
        recentPaths_[std::size_t(k)]->setVisible(false);
    }
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(fileManage_[1], &QAction::triggered, this, [] { modMain::CompareGrids(); });
}

frmGrid* mdiMain::createGridWindow(int slot)
{
    auto* window = new frmGrid(*this);
    QMdiSubWindow* sub = area_->addSubWindow(window);
    window->Form_Load(sub);
    window->SetCaption(QString::fromLatin1(GridCaptions[slot]));
    return window;
}

void mdiMain::MDIForm_Load()
{
    modControl::RestorePlacement(this);
    modControl::LoadRecentPaths(*this);
    setWindowTitle(QString::fromStdString(tallir::VersionCaption()));
    for (int slot = 0; slot < 3; ++slot) {
        tag_ = QString::number(slot);
        GridWindows()[slot]->SubWindow()->show();
    }
}

void mdiMain::setFileCommandsEnabled(bool enabled)
{
    fileManage_[0]->setEnabled(enabled);
    for (QAction* item : recentPaths_)
        item->setEnabled(enabled);
}

void mdiMain::openInto(frmGrid& window)
{
    const auto path = platform::Platform().openFileName({QStringLiteral("Open"), {}, {}, {}}, &window);
    if (path && modMain::LoadFile(window, *path) && modUtil::ReadInteger("Option", "ImmediateCompare", 0) == 1)
        modMain::CompareGrids();
}

void mdiMain::compare()
{
    modMain::CompareGrids();
}

void mdiMain::uniformWidth(frmGrid&)
{
}

void mdiMain::closeEvent(QCloseEvent* event)
{
    closing_ = true;
    for (int slot = 0; slot < 3; ++slot)
        GridWindows()[slot]->Form_Unload();
    MDIForm_Unload();
    event->accept();
}

void mdiMain::MDIForm_Unload()
{
    modControl::SavePlacement(this);
    modControl::SaveRecentPaths();
}
