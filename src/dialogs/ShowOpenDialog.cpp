#include "ShowOpenDialog.h"

#include "core/Version.h"
#include "grid/frmGrid.h"
#include "platform/PlatformServices.h"

#include <QFileInfo>

QString ShowOpenDialog(frmGrid& window)
{
    // The filters say "*" for every file: here "*.*" would miss names without a dot.
    const QString ext = QStringLiteral("*");
    platform::OpenFileRequest request;
    request.defaultSuffix = QStringLiteral("*");
    request.fileName = "*." + request.defaultSuffix;
    bool failed = false;
    const QString title = QString::fromUtf8(tallir::ProgramTitle.data(), qsizetype(tallir::ProgramTitle.size())) + " - Open ";
    if (window.Tag() == QLatin1String("0"))
        request.title = title + "File 1";
    else if (window.Tag() == QLatin1String("1"))
        request.title = title + "File 2";
    else
        failed = true;
    request.filters = {"Input Files (" + ext + ")", "All Files (" + ext + ")"};
    request.directory = window.property("openFolder").toString();
    const auto chosen = platform::Platform().openFileName(request, &window);
    if (failed || !chosen || chosen->isEmpty())
        return {};
    // The dialog keeps its folder between calls, as the window's own dialog would.
    window.setProperty("openFolder", QFileInfo(*chosen).absolutePath());
    return QFileInfo(*chosen).absoluteFilePath();
}
