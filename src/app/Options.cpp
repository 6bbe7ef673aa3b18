#include "modMain.h"

#include "mdiMain.h"

#include "core/ColumnList.h"
#include "settings/modUtil.h"

#include <QAction>

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

bool ClosingMessageShown()
{
    return modUtil::ReadInteger("Tool", "ClosingMessage", 1) != 0;
}

bool NamesLine()
{
    return modUtil::ReadInteger("Option", "NamesLine", 0) != 0;
}

bool OnlyDifferingRows()
{
    // Not saved: the frame's menu item is the choice.
    const QAction* only = mdiMain::Frame().mnuToolOnlyDiffering();
    return only && only->isChecked();
}

int AlignRows()
{
    const int way = modUtil::ReadInteger("Option", "AlignRows", 0);
    return way >= 0 && way <= 2 ? way : 0;
}

double KeyTolerance()
{
    return modUtil::ToleranceValue(modUtil::ReadString("Option", "KeyTolerance", QString())).value_or(0);
}

std::optional<std::vector<std::uint64_t>> KeyColumns(const std::vector<std::string>& names)
{
    return tallir::KeyColumns(modUtil::ReadString("Option", "KeyColumns", "1").toStdString(), names);
}

} // namespace modMain
