#include "JsonReport.h"

#include "Utf8.h"

#include <charconv>
#include <cmath>

namespace {

std::string Json(std::string_view text)
{
    std::string out;
    tallir::AppendJsonString(out, text);
    return out;
}

std::string Number(double value)
{
    return std::isfinite(value) ? tallir::ScriptNumber(value) : std::string("null");
}

std::string Line(const tallir::Report& report, std::uint64_t tableRow)
{
    const auto line = report.line(tableRow);
    return line ? std::to_string(*line) : std::string("null");
}

// A figure and its cell, the rows as each file's line.
template <class T>
std::string Figure(const tallir::Report& report, const std::optional<tallir::FigureAt<T>>& figure)
{
    if (!figure)
        return "null";
    const tallir::RowPair rows = report.rows(figure->cell.row);
    const std::string row1 = Line(report, rows.row1);
    std::string text = "{\"value\": " + Number(figure->value);
    text.append(", \"row\": ").append(row1).append(", \"row1\": ").append(row1);
    text.append(", \"row2\": ").append(Line(report, rows.row2));
    return text.append(", \"col\": ").append(std::to_string(figure->cell.col + 1)).append("}");
}

void WriteFile(const tallir::ReportFile& file, tallir::Output& out)
{
    out << "{\"path\": " << Json(file.path) << ", \"dimension\": " << Json(file.dimension) << ", \"size\": " << Json(file.size)
        << ", \"date\": " << Json(file.date) << ", \"bytes\": " << std::to_string(file.bytes)
        << ", \"modified\": " << (file.modified.empty() ? std::string("null") : Json(file.modified)) << "}";
}

void WriteRow(tallir::Output& out, std::string_view first, auto&& cellOf, std::uint64_t cols, bool last)
{
    out << "    [" << Json(first);
    for (std::uint64_t c = 1; c < cols; ++c) {
        out << ", ";
        tallir::AppendJsonString(out.buffer(), cellOf(c));
    }
    out << (last ? "]\n" : "],\n");
}

// A loaded file's grid: the header row, then each line with its number in the first column.
void WriteFileGrid(const tallir::Table& table, tallir::Output& out)
{
    const auto shape = tallir::LoadedGridShape(table);
    const bool numbered = tallir::LoadedGridNumbersColumns(table);
    out << "[\n";
    WriteRow(out, "", [&](std::uint64_t c) { return numbered ? std::to_string(c) : std::string(); }, shape.cols,
             shape.rows == 1);
    for (std::uint64_t r = 1; r < shape.rows; ++r) {
        tallir::Table::RowCursor cursor(table, r - 1);
        WriteRow(out, std::to_string(r), [&](std::uint64_t c) { return std::string(cursor.cell(c - 1)); }, shape.cols,
                 r + 1 == shape.rows);
    }
    out << "  ]";
}

void WriteCompareGrid(const tallir::Report& report, tallir::Output& out)
{
    const auto& result = report.result;
    const auto& verdicts = result.verdicts;
    std::size_t next = 0;
    out << "[\n";
    WriteRow(out, "", [&](std::uint64_t c) { return result.colsNumbered ? std::to_string(c) : std::string(); },
             result.grid.cols, result.grid.rows == 1);
    for (std::uint64_t r = 1; r < result.grid.rows; ++r) {
        auto cellOf = [&](std::uint64_t c) {
            if (next < verdicts.size() && verdicts[next].row == r - 1 && verdicts[next].col == c - 1)
                return tallir::VerdictText(verdicts[next++], tallir::ScriptSeparators());
            return std::string();
        };
        WriteRow(out, result.rowsNumbered ? std::to_string(r) : std::string(), cellOf, result.grid.cols,
                 r + 1 == result.grid.rows);
    }
    out << "  ]";
}

std::string Keys(const tallir::Report& report, bool file1, std::uint64_t tableRow)
{
    return tallir::JsonArray(report.keys(file1, tableRow));
}

} // namespace

namespace tallir {

std::string JsonArray(const std::vector<std::string_view>& texts)
{
    std::string text = "[";
    for (const std::string_view one : texts) {
        text.append(text.size() > 1 ? ", " : "");
        AppendJsonString(text, one);
    }
    return text + "]";
}

void AppendJsonString(std::string& out, std::string_view text)
{
    static constexpr char Hex[] = "0123456789abcdef";
    out += '"';
    while (!text.empty()) {
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            out += static_cast<char>(c);
            text.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            out += "\\u00";
            out += Hex[c >> 4];
            out += Hex[c & 15];
        } else if (const std::size_t length = Utf8Sequence(text)) {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        } else {
            out += tallir::ReplacementCharacter;
        }
        text.remove_prefix(1);
    }
    out += '"';
}

namespace {

constexpr std::string_view CellsOpening = "{\n  \"cells\": [";

void CloseCells(Output& out, bool empty)
{
    out << (empty ? "]" : "\n  ]");
}

} // namespace

JsonCellList::JsonCellList(Output& out)
    : out_(out)
{
    out_ << CellsOpening;
}

JsonCellList::JsonCellList(Output& out, Continued) : out_(out), empty_(false), continued_(true) {}

void JoinJsonCells(Output& out, const JsonParts& parts)
{
    out << CellsOpening;
    bool empty = true;
    parts([&](std::string_view part) {
        if (empty && !part.empty())
            part.remove_prefix(1); // the comma before the list's first cell
        empty = empty && part.empty();
        out << part;
    });
    CloseCells(out, empty);
}

void JsonCellList::add(const JsonCell& cell)
{
    auto line = [](const std::optional<std::uint64_t>& number) { return number ? std::to_string(*number) : std::string("null"); };
    out_ << (empty_ ? "\n" : ",\n") << "    {\"row\": " << line(cell.line1) << ", \"row1\": " << line(cell.line1)
         << ", \"row2\": " << line(cell.line2) << ", \"col\": " << std::to_string(cell.col);
    if (cell.col2)
        out_ << ", \"col2\": " << std::to_string(*cell.col2);
    if (cell.name)
        out_ << ", \"name\": " << Json(*cell.name);
    if (!cell.keys.empty())
        out_ << ", \"keys\": " << cell.keys;
    out_ << ", \"text1\": ";
    AppendJsonString(out_.buffer(), cell.text1);
    out_ << ", \"text2\": ";
    AppendJsonString(out_.buffer(), cell.text2);
    out_ << ", \"verdict\": " << Json(cell.verdict) << ", \"absolute\": " << (cell.absolute ? Number(*cell.absolute) : std::string("null"))
         << ", \"relative\": " << (cell.relative ? Number(*cell.relative) : std::string("null")) << "}";
    empty_ = false;
}

void JsonCellList::close()
{
    if (!continued_)
        CloseCells(out_, empty_);
}

void WriteJsonReport(const Report& report, bool full, Output& out)
{
    const auto& result = report.result;
    JsonCellList cells(out);
    const bool named = report.columns != nullptr;
    const bool keyed = !report.keyColumns.empty();
    result.verdicts.forEach([&](const Verdict& verdict) {
        if (!report.lists(verdict))
            return;
        const CellFacts facts = FactsOf(report, verdict);
        cells.add({report.line(result.file1Row(verdict.row)), report.line(result.file2Row(verdict.row)), verdict.col + 1,
                   named ? std::optional<std::uint64_t>(result.file2Column(verdict.col) + 1) : std::nullopt,
                   named ? std::optional<std::string_view>(report.table1.name(verdict.col)) : std::nullopt,
                   keyed ? Keys(report, true, result.file1Row(verdict.row)) : std::string(), facts.text1, facts.text2,
                   VerdictText(verdict, ScriptSeparators()), facts.absolute, facts.relative});
    });
    cells.close();
    WriteJsonRest(report, full, out);
}

void WriteJsonRest(const Report& report, bool full, Output& out)
{
    const auto& result = report.result;
    const auto& f = result.figures;
    const auto& mismatch = report.mismatch;
    out << ",\n  \"file1\": ";
    WriteFile(report.file1, out);
    out << ",\n  \"file2\": ";
    WriteFile(report.file2, out);
    out << ",\n  \"compare\": {\"dimension\": " << Json(DimensionText(result.grid.rows - 1, result.grid.cols - 1))
        << ", \"size\": " << Json(std::string_view(report.file1.size == report.file2.size ? "Same" : "Different"))
        << ", \"date\": " << Json(std::string_view(report.file1.date == report.file2.date ? "Same" : "Different"))
        << ", \"differing\": " << std::to_string(f.differing) << ", \"message\": " << Json(report.message)
        << ",\n    \"tolerance\": {\"rule\": " << Json(report.toleranceRule) << ", \"maxBeyond\": "
        << (report.maxBeyond ? std::to_string(*report.maxBeyond) : std::string("null")) << ", \"beyondAccepted\": "
        << (report.maxBeyond ? (f.beyondTolerance <= *report.maxBeyond ? "true" : "false") : "null") << "}"
        << ",\n    \"figures\": {\"comparedRows\": " << std::to_string(result.comparedRows)
        << ", \"comparedCols\": " << std::to_string(result.comparedCols)
        << ", \"textDiffering\": " << std::to_string(f.textDiffering) << ", \"same\": " << std::to_string(f.same)
        << ", \"digits\": " << std::to_string(f.digits) << ", \"lowestAgreement\": " << Figure(report, f.lowestAgreement)
        << ", \"largestAbsolute\": " << Figure(report, f.largestAbsolute) << ", \"largestRelative\": "
        << Figure(report, f.largestRelative) << ", \"beyondTolerance\": " << std::to_string(f.beyondTolerance)
        << ", \"largestAbsoluteBeyond\": " << Figure(report, f.largestAbsoluteBeyond)
        << ", \"largestRelativeBeyond\": " << Figure(report, f.largestRelativeBeyond) << ", \"rows1\": " << std::to_string(mismatch.rows1)
        << ", \"rows2\": " << std::to_string(mismatch.rows2) << ", \"valuesOutOfStepFromRow\": "
        << (mismatch.firstRow ? std::to_string(*mismatch.firstRow + 1 + report.lineOffset) : std::string("null")) << "}}";
    const bool named = report.columns != nullptr;
    const bool keyed = !report.keyColumns.empty();
    if (result.options.alignment) {
        for (const bool in1 : {true, false}) {
            out << (in1 ? ",\n  \"rowsOnlyIn1\": [" : ",\n  \"rowsOnlyIn2\": [");
            bool firstRow = true;
            report.forEachOneSided([&](bool file1, std::uint64_t row, const std::vector<std::string_view>&) {
                if (file1 != in1)
                    return;
                out << (firstRow ? "" : ", ") << Line(report, row);
                firstRow = false;
            });
            out << "]";
        }
        if (keyed) {
            // The same rows with their keys, for a script that pairs them itself.
            out << ",\n  \"oneSidedRows\": [";
            bool firstRow = true;
            report.forEachOneSided([&](bool file1, std::uint64_t row, const std::vector<std::string_view>& keys) {
                out << (firstRow ? "\n" : ",\n") << "    {\"file\": " << (file1 ? "1" : "2") << ", \"line\": " << Line(report, row)
                    << ", \"keys\": " << JsonArray(keys) << "}";
                firstRow = false;
            });
            out << (firstRow ? "]" : "\n  ]");
        }
    }
    if (named) {
        out << ",\n  \"columns\": [";
        bool firstColumn = true;
        for (std::size_t c = 0; c < report.columns->file2Column.size(); ++c) {
            if (report.columns->file2Column[c] < 0)
                continue;
            out << (firstColumn ? "" : ", ") << "{\"name\": " << Json(report.table1.name(c)) << ", \"col1\": " << std::to_string(c + 1)
                << ", \"col2\": " << std::to_string(report.columns->file2Column[c] + 1) << "}";
            firstColumn = false;
        }
        auto only = [&](const Table& table, const std::vector<std::size_t>& cols) {
            out << "[";
            for (std::size_t i = 0; i < cols.size(); ++i) {
                std::string name(table.name(cols[i]));
                if (name.empty())
                    name = "C" + std::to_string(cols[i] + 1);
                out << (i ? ", " : "") << Json(name);
            }
            out << "]";
        };
        out << "],\n  \"columnsOnlyIn1\": ";
        only(report.table1, report.columns->onlyIn1);
        out << ",\n  \"columnsOnlyIn2\": ";
        only(report.table2, report.columns->onlyIn2);
    }
    out << ",\n  \"warnings\": [";
    const auto warnings = report.warnings();
    for (std::size_t i = 0; i < warnings.size(); ++i)
        out << (i ? ", " : "") << Json(warnings[i]);
    const auto* alignment = result.options.alignment.get();
    out << "], \"repeatedKeys1\": " << std::to_string(alignment ? alignment->repeated1.count : 0)
        << ", \"repeatedKeys2\": " << std::to_string(alignment ? alignment->repeated2.count : 0);
    if (full) {
        out << ",\n  \"grid1\": ";
        WriteFileGrid(report.table1, out);
        out << ",\n  \"grid2\": ";
        WriteFileGrid(report.table2, out);
        out << ",\n  \"grid\": ";
        WriteCompareGrid(report, out);
    }
    out << "\n}\n";
}

} // namespace tallir
