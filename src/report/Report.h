#pragma once
// A comparison written down to keep: a single self-contained HTML page (the files, the options,
// the closing message, the figures, a summary by column, a histogram of the agreement and the
// worst differing cells, coloured as on the colour map) or every differing cell as CSV. One
// implementation for the windows' File > Export Report and for tallir-diff --html.

#include "core/Compare.h"
#include "core/NumberFormat.h"
#include "core/Table.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tallir {

struct ReportFile {
    std::string path;
    std::string dimension; // "R12 x C4"
    std::string size;
    std::string date;
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
};

// The options of a comparison as the report lists them; rows: how rows were paired.
std::vector<std::pair<std::string, std::string>> OptionsInForce(const CompareOptions& options, bool namesMatched,
                                                                const std::string& rows);

// The page lists at most cellLimit differing cells, the worst first, and counts the rest.
void WriteHtmlReport(const Report& report, std::ostream& out, std::size_t cellLimit = 10000);
// A header line, then per differing cell in reading order: row, column, name, text 1, text 2,
// verdict, agreement, absolute and relative difference (the last three empty for "D").
void WriteCsvReport(const Report& report, std::ostream& out);

} // namespace tallir
