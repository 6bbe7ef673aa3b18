#include "JsonReport.h"

#include <charconv>
#include <cmath>

namespace {

// Length of the valid UTF-8 sequence at the start of text, or 0.
std::size_t Utf8Sequence(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    unsigned min;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, min = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, min = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, min = 0x10000;
    else
        return 0;
    if (text.size() < length)
        return 0;
    unsigned code = lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

std::string Json(std::string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

std::string Json(const QString& text)
{
    return Json(text.toStdString());
}

std::string Number(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// A figure and its cell; rows as the cells' "row" (and "row1", "row2" with rows aligned).
template <class T>
std::string Figure(const tallir::CompareResult& result, const std::optional<tallir::FigureAt<T>>& figure)
{
    if (!figure)
        return "null";
    std::string text = "{\"value\": " + Number(figure->value);
    const std::uint64_t row1 = result.file1Row(figure->cell.row), row2 = result.file2Row(figure->cell.row);
    text.append(", \"row\": ").append(std::to_string(row1 + 1));
    if (result.options.alignment)
        text.append(", \"row1\": ").append(std::to_string(row1 + 1)).append(", \"row2\": ").append(std::to_string(row2 + 1));
    return text.append(", \"col\": ").append(std::to_string(figure->cell.col + 1)).append("}");
}

void WriteFile(const DiffFile& file, Output& out)
{
    out << "{\"path\": " << Json(file.path) << ", \"dimension\": " << Json(file.dimension)
        << ", \"size\": " << Json(file.size) << ", \"date\": " << Json(file.date) << "}";
}

void WriteRow(Output& out, std::string_view first, auto&& cellOf, std::uint64_t cols, bool last)
{
    out << "    [" << Json(first);
    for (std::uint64_t c = 1; c < cols; ++c) {
        out << ", ";
        AppendJsonString(out.buffer(), cellOf(c));
    }
    out << (last ? "]\n" : "],\n");
}

// A loaded file's grid: the header row, then each line with its number in the first column.
void WriteFileGrid(const tallir::Table& table, Output& out)
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

void WriteCompareGrid(const DiffRun& run, Output& out)
{
    const auto& result = run.result;
    const auto& verdicts = result.verdicts;
    std::size_t next = 0;
    out << "[\n";
    WriteRow(out, "", [&](std::uint64_t c) { return result.colsNumbered ? std::to_string(c) : std::string(); },
             result.grid.cols, result.grid.rows == 1);
    for (std::uint64_t r = 1; r < result.grid.rows; ++r) {
        auto cellOf = [&](std::uint64_t c) {
            if (next < verdicts.size() && verdicts[next].row == r - 1 && verdicts[next].col == c - 1)
                return tallir::VerdictText(verdicts[next++], run.separators);
            return std::string();
        };
        WriteRow(out, result.rowsNumbered ? std::to_string(r) : std::string(), cellOf, result.grid.cols,
                 r + 1 == result.grid.rows);
    }
    out << "  ]";
}

} // namespace

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
            out += "\xEF\xBF\xBD";
        }
        text.remove_prefix(1);
    }
    out += '"';
}

void WriteJsonReport(const DiffRun& run, bool full, Output& out)
{
    const auto& result = run.result;
    const auto& f = run.figures;
    const auto& mismatch = run.mismatch;
    out << "{\n  \"file1\": ";
    WriteFile(run.file1, out);
    out << ",\n  \"file2\": ";
    WriteFile(run.file2, out);
    out << ",\n  \"compare\": {\"dimension\": "
        << Json(tallir::DimensionText(result.grid.rows - 1, result.grid.cols - 1))
        << ", \"size\": " << Json(std::string_view(run.file1.size == run.file2.size ? "Same" : "Different"))
        << ", \"date\": " << Json(std::string_view(run.file1.date == run.file2.date ? "Same" : "Different"))
        << ", \"differing\": " << std::to_string(result.differing()) << ", \"message\": " << Json(run.message)
        << ",\n    \"figures\": {\"comparedRows\": " << std::to_string(result.comparedRows)
        << ", \"comparedCols\": " << std::to_string(result.comparedCols)
        << ", \"textDiffering\": " << std::to_string(f.textDiffering) << ", \"same\": " << std::to_string(f.same)
        << ", \"digits\": " << std::to_string(f.digits) << ", \"lowestAgreement\": " << Figure(result, f.lowestAgreement)
        << ", \"largestAbsolute\": " << Figure(result, f.largestAbsolute) << ", \"largestRelative\": "
        << Figure(result, f.largestRelative) << ", \"beyondTolerance\": " << std::to_string(f.beyondTolerance)
        << ", \"largestAbsoluteBeyond\": " << Figure(result, f.largestAbsoluteBeyond)
        << ", \"largestRelativeBeyond\": " << Figure(result, f.largestRelativeBeyond) << ", \"rows1\": " << std::to_string(mismatch.rows1)
        << ", \"rows2\": " << std::to_string(mismatch.rows2) << ", \"valuesOutOfStepFromRow\": "
        << (mismatch.firstRow ? std::to_string(*mismatch.firstRow + 1) : std::string("null")) << "}},\n"
        << "  \"cells\": [";
    bool first = true;
    for (const tallir::Verdict& verdict : result.verdicts) {
        const std::uint64_t row1 = result.file1Row(verdict.row), row2 = result.file2Row(verdict.row);
        out << (first ? "\n" : ",\n") << "    {\"row\": " << std::to_string(row1 + 1);
        if (result.options.alignment)
            out << ", \"row1\": " << std::to_string(row1 + 1) << ", \"row2\": " << std::to_string(row2 + 1);
        out << ", \"col\": " << std::to_string(verdict.col + 1) << ", \"text1\": ";
        AppendJsonString(out.buffer(), run.file1.table->cell(row1, verdict.col));
        out << ", \"text2\": ";
        AppendJsonString(out.buffer(), run.file2.table->cell(row2, run.result.file2Column(verdict.col)));
        out << ", \"verdict\": " << Json(tallir::VerdictText(verdict, run.separators));
        if (run.names)
            out << ", \"name\": " << Json(run.file1.table->name(verdict.col));
        out << "}";
        first = false;
    }
    out << (first ? "]" : "\n  ]");
    if (const auto* alignment = result.options.alignment.get()) {
        for (const bool in1 : {true, false}) {
            out << (in1 ? ",\n  \"rowsOnlyIn1\": [" : ",\n  \"rowsOnlyIn2\": [");
            bool firstRow = true;
            for (const tallir::RowPair& pair : alignment->pairs) {
                if (in1 ? pair.row2 != tallir::NoRow : pair.row1 != tallir::NoRow)
                    continue;
                out << (firstRow ? "" : ", ") << std::to_string((in1 ? pair.row1 : pair.row2) + 1);
                firstRow = false;
            }
            out << "]";
        }
    }
    if (run.names) {
        out << ",\n  \"columns\": [";
        for (std::size_t c = 0; c < run.columns.file2Column.size(); ++c) {
            if (run.columns.file2Column[c] < 0)
                continue;
            out << (c ? ", " : "") << "{\"name\": " << Json(run.file1.table->name(c)) << ", \"col1\": " << std::to_string(c + 1)
                << ", \"col2\": " << std::to_string(run.columns.file2Column[c] + 1) << "}";
        }
        auto only = [&](const tallir::Table& table, const std::vector<std::size_t>& cols) {
            out << "[";
            for (std::size_t i = 0; i < cols.size(); ++i)
                out << (i ? ", " : "") << Json(DiffRun::columnName(table, cols[i]));
            out << "]";
        };
        out << "],\n  \"columnsOnlyIn1\": ";
        only(*run.file1.table, run.columns.onlyIn1);
        out << ",\n  \"columnsOnlyIn2\": ";
        only(*run.file2.table, run.columns.onlyIn2);
    }
    if (full) {
        out << ",\n  \"grid1\": ";
        WriteFileGrid(*run.file1.table, out);
        out << ",\n  \"grid2\": ";
        WriteFileGrid(*run.file2.table, out);
        out << ",\n  \"grid\": ";
        WriteCompareGrid(run, out);
    }
    out << "\n}\n";
}
