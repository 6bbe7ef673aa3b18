#pragma once
// What the program says about itself: its home page and the command-line usage.

#include <QString>
#include <QStringList>

namespace ProgramInfo {

// The program's home page; empty, as it has none.
inline QString HomePage()
{
    return {};
}

// The lines of the command-line usage.
inline QStringList UsageLines()
{
    return {"[-h] [-i] [-w{c|h|v}] [file1] [file2]",
            "",
            "  -h: About",
            "  -i: Immediate Compare",
            "  -e: Immediate Compare & Exit",
            "  -w{c|h|v}: Window Arrange",
            "            (Cascade|Tile Horizontal|Tile Vertical)"};
}

} // namespace ProgramInfo
