#include "modMain.h"

#include "settings/modUtil.h"

// The switches of the Tool menu, read from the settings each time so that every window sees a
// change at once.
namespace modMain {

bool FitWidthsOnLoad()
{
    return modUtil::ReadInteger("Tool", "FitWidths", 1) != 0;
}

bool HideSame()
{
    return modUtil::ReadInteger("Tool", "HideSame", 1) != 0;
}

bool NamesLine()
{
    return modUtil::ReadInteger("Option", "NamesLine", 0) != 0;
}

} // namespace modMain
