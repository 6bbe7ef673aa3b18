#pragma once
// A comparison as one JSON document for scripts: "cells" first (those the report lists, each with
// both files' lines, its column, name and keys where there are any, both texts, the verdict and
// the absolute and relative difference), so that the document can be written while the files
// are read; then "file1", "file2", "compare" (with "figures"), the rows in one file only and,
// with names, how the columns paired; with full, also "grid1", "grid2" and "grid", the whole
// grids as the windows show them. Numbers are the same in every locale.

#include "Output.h"
#include "Report.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

// One listed cell: lines in each file (none for the side without the row), 1-based columns.
struct JsonCell {
    std::optional<std::uint64_t> line1, line2;
    std::uint64_t col = 0;
    std::optional<std::uint64_t> col2;    // only where columns were matched by name
    std::optional<std::string_view> name; // only with names
    std::string keys;                     // a JSON array of the key values; "" without keys
    std::string_view text1, text2;
    std::string verdict;
    std::optional<double> absolute, relative;
};

// The document's opening and its "cells" array, a cell at a time.
class JsonCellList {
public:
    explicit JsonCellList(Output& out);
    // Cells that continue a list opened elsewhere: no opening, a comma before each cell (the
    // first of the whole list then loses its comma, see JoinJsonCells), and no end.
    struct Continued {};
    JsonCellList(Output& out, Continued);
    void add(const JsonCell& cell);
    void close();

private:
    Output& out_;
    bool empty_ = true;
    bool continued_ = false;
};

// The document's opening and cell list from parts written by continued lists, in order (each
// part's bytes as the list wrote them), then the list's end.
using JsonParts = std::function<void(const std::function<void(std::string_view part)>& each)>;
void JoinJsonCells(Output& out, const JsonParts& parts);

void WriteJsonReport(const Report& report, bool full, Output& out);
// What follows the closed cell list, to the end of the document.
void WriteJsonRest(const Report& report, bool full, Output& out);

// text as a JSON string: quoted, escaped, invalid UTF-8 bytes replaced by U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);
// Texts as a JSON array of strings.
std::string JsonArray(const std::vector<std::string_view>& texts);

} // namespace tallir
