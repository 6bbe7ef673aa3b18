// The reader's table holds exactly the tokens of each line, whatever the bytes.

#include "core/LineSplitter.h"
#include "core/TableReader.h"
#include "core/Tokenize.h"
#include "core/Compare.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const tallir::Table table = tallir::ParseTable(text);
    if (text.starts_with("\xEF\xBB\xBF")) // a leading byte-order mark is no part of the text
        text.remove_prefix(3);

    std::vector<std::string> lines;
    tallir::LineSplitter splitter;
    auto collect = [&](std::string_view line) { lines.emplace_back(line); };
    splitter.feed(text, collect);
    splitter.finish(collect);
    if (table.rowCount() != lines.size())
        std::abort();
    std::size_t widest = 0;
    for (std::size_t r = 0; r < lines.size(); ++r) {
        const auto tokens = tallir::Tokenize(lines[r], " \t,");
        widest = std::max(widest, tokens.size());
        if (table.valueCount(r) != tokens.size())
            std::abort();
        tallir::Table::RowCursor cursor(table, r);
        for (std::size_t c = 0; c < tokens.size(); ++c)
            if (table.cell(r, c) != tokens[c] || cursor.cell(c) != tokens[c])
                std::abort();
    }
    if (table.maxValueCount() != widest)
        std::abort();
    // Comparing a table with itself finds nothing; with another, it never fails.
    if (tallir::CompareTables(table, table).differing() != 0)
        std::abort();
    tallir::CompareTables(table, tallir::ParseTable(text.substr(text.size() / 2)));
    // Comma-separated values: never a fault, and a table that agrees with itself.
    const tallir::Table csv = tallir::ParseTable(text, tallir::TableFormat::Csv);
    if (tallir::CompareTables(csv, csv).differing() != 0)
        std::abort();
    return 0;
}
