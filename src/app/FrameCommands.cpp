// The commands of the frame's menus, toolbar and file drops.

#include "mdiMain.h"

#include "modMain.h"
#include "dialogs/ProgramInfo.h"
#include "dialogs/ShowOpenDialog.h"
#include "grid/DroppedFiles.h"
#include "grid/GridWindows.h"
#include "grid/InternalError.h"
#include "grid/frmGrid.h"
#include "grid/modFlexGrid.h"
#include "platform/PlatformServices.h"
#include "settings/modUtil.h"

#include <QDragEnterEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {
bool ImmediateCompare()
{
    return modUtil::ReadInteger("Option", "ImmediateCompare", 0) == 1;
}

void Inform(const QString& text, QWidget* parent)
{
    platform::MsgBox(text, platform::Buttons::Ok, platform::Icon::Information, {}, parent);
}
} // namespace

void mdiMain::loadThenCompare(frmGrid& window, const QString& path)
{
    const QString chosen = path.isNull() ? ShowOpenDialog(window) : path;
    if (modMain::LoadFile(window, chosen) && ImmediateCompare())
        modMain::CompareGrids();
}

void mdiMain::mnuFileManage_Click(int index)
{
    if (index == 0) {
        if (frmGrid* window = ActiveGridWindow())
            loadThenCompare(*window, QString());
    } else if (index == 1) {
        modMain::CompareGrids();
    } else {
        throw InternalError("File menu index " + std::to_string(index));
    }
}

void mdiMain::mnuFileRecentPath_Click(int index)
{
    if (frmGrid* window = ActiveGridWindow())
        loadThenCompare(*window, mnuFileRecentPath(index)->text());
}

void mdiMain::mnuFileExit_Click()
{
    close();
}

void mdiMain::mnuFileReload_Click()
{
    bool reloaded = false;
    for (int slot = 0; slot < 2; ++slot) {
        frmGrid& window = *GridWindows()[slot];
        if (!window.LoadedPath().isEmpty())
            reloaded = modMain::LoadFile(window, window.LoadedPath()) || reloaded;
    }
    if (reloaded && ImmediateCompare())
        modMain::CompareGrids();
}

void mdiMain::mnuToolBar_Click(int index)
{
    QAction* item = toolBar_.at(std::size_t(index));
    item->setChecked(!item->isChecked());
    ShowBar(index == 0 ? static_cast<QWidget*>(toolbar_) : static_cast<QWidget*>(statusBar_), item->isChecked());
}

void mdiMain::mnuToolUniWidth_Click()
{
    if (frmGrid* window = ActiveGridWindow())
        modFlexGrid::MSFlexGrid_UniWidth(*window);
}

void mdiMain::mnuToolOption_Click()
{
    modMain::ShowOptions(this);
}

void mdiMain::mnuHelpHelp_Click(int index)
{
    if (index == 0) {
        const QString help = modMain::HelpFile();
        if (QFileInfo(help).isFile())
            platform::Platform().openUrl(QUrl::fromLocalFile(help));
        else
            Inform(QStringLiteral("Help is not available now."), this);
    } else {
        const QString address = ProgramInfo::HomePage();
        if (!address.isEmpty())
            platform::Platform().openUrl(QUrl(address));
        else
            Inform(QStringLiteral("Home page is not available now."), this);
    }
}

void mdiMain::mnuHelpAbout_Click()
{
    modMain::ShowAbout(this, false, this);
}

void mdiMain::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("Open"))
        mnuFileManage_Click(0);
    else if (key == QLatin1String("Compare"))
        mnuFileManage_Click(1);
    else if (key == QLatin1String("UniWidth"))
        mnuToolUniWidth_Click();
    else if (key == QLatin1String("Option"))
        mnuToolOption_Click();
    else if (key == QLatin1String("Cascade"))
        mnuWindowArrange_Click(0);
    else if (key == QLatin1String("Horizontal"))
        mnuWindowArrange_Click(1);
    else if (key == QLatin1String("Vertical"))
        mnuWindowArrange_Click(2);
    else if (key == QLatin1String("Help"))
        mnuHelpHelp_Click(0);
    else if (key == QLatin1String("Next"))
        mnuToolDifference_Click(+1);
    else if (key == QLatin1String("Previous"))
        mnuToolDifference_Click(-1);
    else if (key == QLatin1String("Worst"))
        mnuToolWorst_Click();
}

void mdiMain::MDIForm_OLEDragDrop(const QStringList& files)
{
    frmGrid* active = ActiveGridWindow();
    if (!active || files.isEmpty())
        return;
    const int role = active->Role();
    if (role == 2) {
        Inform(QStringLiteral("Activate \"File 1\" or \"File 2\" of child windows."), this);
        return;
    }
    dropOnto(*active, files);
}

void mdiMain::dropOnto(frmGrid& window, const QStringList& files)
{
    // The first file to this window, the second to the other file window; then the
    // comparison when asked for, whatever loaded.
    auto file = [&](int i) { return files.size() > i && !QFileInfo(files[i]).isDir() ? files[i] : QString(); };
    modMain::LoadFiles(window, file(0), *GridWindows()[window.Role() == 0 ? 1 : 0], file(1));
    if (ImmediateCompare())
        modMain::CompareGrids();
}

void mdiMain::fileChanged(frmGrid&)
{
    modMain::ForgetChangedTables();
}

void mdiMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void mdiMain::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    MDIForm_OLEDragDrop(DroppedFiles(event->mimeData()));
}
