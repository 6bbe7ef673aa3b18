// The frame's start-up, arrangement of its children and closing.

#include "mdiMain.h"

#include "ColourMap.h"
#include "modMain.h"
#include "core/Version.h"
#include "grid/GridWindows.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "settings/SettingsFile.h"
#include "settings/modUtil.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

void mdiMain::MDIForm_Load()
{
    modControl::RestorePlacement(this);
    modControl::LoadRecentPaths(*this);
    exitAfterCompare_ = false;
    setWindowTitle(QString::fromStdString(tallir::VersionCaption()));
    fileExit_->setText("E&xit " + QString::fromUtf8(tallir::ProgramTitle.data(), qsizetype(tallir::ProgramTitle.size())));
    toolBar_[0]->setChecked(modUtil::ReadInteger("Tool", "ToolBar", 1) != 0);
    InitToolbar(toolbar_, toolBar_[0]->isChecked());
    toolBar_[1]->setChecked(modUtil::ReadInteger("Tool", "StatusBar", 1) != 0);
    ShowBar(statusBar_, toolBar_[1]->isChecked());
    EnableCommands();
    for (int slot = 0; slot < 3; ++slot) {
        tag_ = QString::number(slot);
        GridWindows()[slot]->SubWindow()->show();
    }
    ColourMap::Install();
    {
        const QSignalBlocker quiet(colourMap_);
        colourMap_->setChecked(modUtil::ReadInteger("Tool", "ColourMap", 1) != 0);
    }
    ColourMap::SetEnabled(colourMap_->isChecked());
    {
        const QSignalBlocker quiet(fitWidths_);
        fitWidths_->setChecked(modMain::FitWidthsOnLoad());
    }
    {
        const QSignalBlocker quiet(hideSame_);
        hideSame_->setChecked(modMain::HideSame());
    }
    ColourMap::SetHideSame(hideSame_->isChecked());
    {
        const QSignalBlocker quiet(closingMessage_);
        closingMessage_->setChecked(modMain::ClosingMessageShown());
    }
    {
        const QSignalBlocker quiet(namesLine_);
        namesLine_->setChecked(modMain::NamesLine());
    }
    mnuWindowArrange_Click(modUtil::ReadInteger("Option", "WindowArrange", 2));
    // A window manager may give the frame its size only after it shows: while the start goes on,
    // the windows are tiled again into the client area it ends up with (eventFilter).
    startArrangement_ = modUtil::ReadInteger("Option", "WindowArrange", 2);
    area_->viewport()->installEventFilter(this);
    QTimer::singleShot(3000, this, [this] { startArrangement_ = -1; });
    if (const QString problem = modUtil::SettingsProblem(modUtil::SettingsPath()); !problem.isEmpty())
        StatusPanels::SetText(StatusBar1(), "Space0", problem);
    // Arranging shows the children normal: grid windows that were maximised are maximised
    // again once it is done.
    if (modUtil::ReadInteger("frmGrid", "WindowState", 0) == 2)
        QTimer::singleShot(0, this, [this] {
            if (QMdiSubWindow* active = area_->activeSubWindow())
                active->showMaximized();
        });
}

void mdiMain::mnuWindowArrange_Click(int index)
{
    // A stored value outside the menu's items arranges nothing.
    if (index < 0 || index > 4 || index == 3)
        return;
    ArrangeChildren(index == 4 ? 3 : index);
    if (index <= 2)
        modUtil::WriteString("Option", "WindowArrange", QString::number(index));
}

void mdiMain::ArrangeChildren(int arrangement)
{
    // Before the frame shows, its client area has no size yet: arrange once it shows.
    if (!isVisible()) {
        QTimer::singleShot(0, this, [this, arrangement] { ArrangeChildren(arrangement); });
        return;
    }
    for (int slot : {2, 1, 0})
        area_->setActiveSubWindow(GridWindows()[slot]->SubWindow());
    switch (arrangement) {
    case 0:
        // In activation order, so that "File 1", activated last, ends in front at the far
        // corner and every title bar stays in sight.
        area_->setActivationOrder(QMdiArea::ActivationHistoryOrder);
        area_->cascadeSubWindows();
        area_->setActivationOrder(QMdiArea::CreationOrder);
        break;
    case 1:
    case 2:
        tile(arrangement == 1);
        break;
    case 3:
        arrangeIcons();
        break;
    default:
        break;
    }
}

void mdiMain::tile(bool horizontal)
{
    // The most recently activated first: "File 1", "File 2", "Compare" after ArrangeChildren.
    auto order = area_->subWindowList(QMdiArea::ActivationHistoryOrder);
    std::reverse(order.begin(), order.end());
    QList<QMdiSubWindow*> normal;
    for (QMdiSubWindow* sub : order)
        if (!sub->isMinimized() && sub->isVisible())
            normal << sub;
    if (normal.isEmpty())
        return;
    const QRect area = area_->viewport()->rect();
    const int count = int(normal.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* sub = normal[i];
        if (sub->isMaximized())
            sub->showNormal();
        if (horizontal) {
            const int top = area.height() * i / count;
            sub->setGeometry(0, top, area.width(), area.height() * (i + 1) / count - top);
        } else {
            const int left = area.width() * i / count;
            sub->setGeometry(left, 0, area.width() * (i + 1) / count - left, area.height());
        }
    }
}

void mdiMain::arrangeIcons()
{
    const QRect area = area_->viewport()->rect();
    int left = 0;
    for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        sub->move(left, area.height() - size.height());
        left += size.width();
    }
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
    modUtil::WriteString("Tool", "ToolBar", toolBar_[0]->isChecked() ? "-1" : "0");
    modUtil::WriteString("Tool", "StatusBar", toolBar_[1]->isChecked() ? "-1" : "0");
    QApplication::quit();
}
