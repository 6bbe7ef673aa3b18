#pragma once
// A comparison written down to keep: a single self-contained HTML page (the files, the options,
// the closing message, the figures, a summary by column, a histogram of the agreement, the worst
// differing cells, coloured as on the colour map, and the rows in one file only), the differing
// cells as CSV, or as JSON (JsonReport.h). One implementation for the windows' File > Export
// Report and for tallir-diff. Every report lists the cells beyond the tolerance; those regarded
// as the same only when asked (all).

#include "core/Compare.h"
#include "core/Figures.h"
#include "core/NumberFormat.h"
#include "core/Table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tallir {

struct ReportFile {
    std::string path;
    std::string dimension; // "R12 x C4"
    std::string size;      // as the status bar shows them
    std::string date;
    std::uint64_t bytes = 0; // the size as a number
    std::string modified;    // the modification time in ISO 8601; "" when not known
};

struct Report {
    ReportFile file1;
    ReportFile file2;
    std::vector<std::pair<std::string, std::string>> options; // what was in force, as name and value
    std::string message;                                      // the closing message, lines joined by CR LF
    const CompareResult& result;
    const Table& table1;
    const Table& table2;
    NumberSeparators separators;
    // A compared cell as the files name it ("R3 C2", "R3/4 C2 vx"), and a column's name ("" for none).
    std::function<std::string(std::uint64_t row, std::uint64_t col)> cellName;
    std::function<std::string(std::uint64_t col)> columnName;
    bool all = false; // the cells regarded as the same ("S") too
    // Added to a table row (0-based) plus 1 to give its line in the file: 1 with a names line.
    std::uint64_t lineOffset = 0;
    // File 1's key columns when rows were paired by key (their values go with every cell).
    std::vector<std::uint64_t> keyColumns;
    ShapeMismatch mismatch;
    // Columns matched by name; null when by position.
    const ColumnMatch* columns = nullptr;
    // The rule that makes cells "S", in one line ("" for none), and as many cells beyond the
    // tolerance as a script accepts (none: not asked).
    std::string toleranceRule;
    std::optional<std::uint64_t> maxBeyond;
    // Rows paired by key while the files were read (the result holds no pairs then): the rows of
    // each compared row, and each row in one file only in order with its keys.
    std::function<RowPair(std::uint64_t row)> pairedRows;
    using OneSidedRow = std::function<void(bool file1, std::uint64_t row, const std::vector<std::string_view>& keys)>;
    std::function<void(const OneSidedRow&)> oneSidedRows;

    // Each row in one file only, in the order of the pairs, with its keys.
    void forEachOneSided(const OneSidedRow& each) const;
    // The rows of each file a compared row stands for.
    RowPair rows(std::uint64_t row) const
    {
        return pairedRows ? pairedRows(row) : RowPair{result.file1Row(row), result.file2Row(row)};
    }

    // Keys and column names found more than once, one line each ("" none).
    std::vector<std::string> warnings() const
    {
        return RepeatWarnings(result.options.alignment.get(), columns ? table1.names() : std::vector<std::string>(),
                              columns ? table2.names() : std::vector<std::string>(), lineOffset);
    }
    // Whether a verdict is listed: beyond the tolerance, or any with all.
    bool lists(const Verdict& verdict) const { return all || BeyondTolerance(verdict); }
    // A table row's line in its file; nothing for NoRow (the side an alignment left empty).
    std::optional<std::uint64_t> line(std::uint64_t tableRow) const
    {
        return tableRow == NoRow ? std::nullopt : std::optional<std::uint64_t>(tableRow + 1 + lineOffset);
    }
    // The key values of a row of a table (File 2's at its own key columns).
    std::vector<std::string_view> keys(bool file1, std::uint64_t tableRow) const;
};

// The texts of a differing cell, and its differences when both are numbers: |x2 - x1| and that
// over |x1| (|x2| when x1 is 0).
struct CellFacts {
    std::string_view text1, text2;
    std::optional<double> absolute, relative;
};
CellFacts FactsOf(const Report& report, const Verdict& verdict);

// Key values as a page shows them: separated by a space.
std::string KeyText(const std::vector<std::string_view>& keys);

// The separators of verdicts in reports read by scripts: a point, no grouping.
inline NumberSeparators ScriptSeparators() { return {"", "."}; }

// The options of a comparison as the report lists them; rows: how rows were paired.
// names: File 1's value columns' names, where it has them.
std::vector<std::pair<std::string, std::string>> OptionsInForce(const CompareOptions& options, bool namesMatched,
                                                                const std::string& rows, const std::vector<std::string>& names);

// The page lists at most cellLimit differing cells, the worst first, and counts the rest.
constexpr std::size_t HtmlCellLimit = 10000;
void WriteHtmlReport(const Report& report, std::ostream& out, std::size_t cellLimit = HtmlCellLimit);
// The same with the details gathered already (see HtmlDetails.h).
struct HtmlDetails;
void WriteHtmlReport(const Report& report, const HtmlDetails& details, std::ostream& out, std::size_t cellLimit = HtmlCellLimit);
// A header line, then per differing cell in reading order: each file's line, column, name, the
// key values, text 1, text 2, verdict, agreement, absolute and relative difference (the last
// three empty for "D"); a row in one file only is a line of its own in its place, with the
// verdict "only in File 1" or "only in File 2". Text cells a spreadsheet would run as a formula
// are written with a leading '.
void WriteCsvReport(const Report& report, std::ostream& out);

} // namespace tallir
