#include "PlatformServices.h"

#include "QtPlatformServices.h"
#include "core/Version.h"

namespace platform {

namespace {
PlatformServices* installed = nullptr;
}

PlatformServices& Platform()
{
    static QtPlatformServices qt;
    return installed ? *installed : qt;
}

void SetPlatform(PlatformServices* services)
{
    installed = services;
}

Answer MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title, QWidget* parent)
{
    return Platform().messageBox({text, buttons, icon, title.isEmpty() ? QString::fromUtf8(tallir::ProgramTitle.data(), qsizetype(tallir::ProgramTitle.size())) : title, {}}, parent);
}

} // namespace platform
