#include "modMain.h"

#include "core/ColumnList.h"
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

int AlignRows()
{
    const int way = modUtil::ReadInteger("Option", "AlignRows", 0);
    return way >= 0 && way <= 2 ? way : 0;
}

std::vector<std::uint64_t> KeyColumns()
{
    const auto ranges = tallir::ParseColumnList(modUtil::ReadString("Option", "KeyColumns", "1").toStdString());
    return ranges ? tallir::ListedColumns(*ranges, 64) : std::vector<std::uint64_t>{0};
}

} // namespace modMain
