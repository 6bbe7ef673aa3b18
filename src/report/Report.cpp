#include "Report.h"

#include "HtmlDetails.h"
#include "Utf8.h"

#include "core/Figures.h"
#include "core/Navigation.h"
#include "core/NumericText.h"
#include "core/VerdictColour.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tallir {

namespace {

// A text as HTML: markup characters escaped; bytes that are no valid UTF-8, NUL and the other
// control characters HTML does not allow become U+FFFD.
std::string Html(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const char c = text.front();
        const auto byte = static_cast<unsigned char>(c);
        std::size_t length = 1;
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\t': case '\n': case '\r': out += c; break;
        default:
            if (byte < 0x20 || byte == 0x7F || !(length = Utf8Sequence(text))) {
                out += ReplacementCharacter;
                length = 1;
            } else {
                out.append(text.substr(0, length));
            }
        }
        text.remove_prefix(length);
    }
    return out;
}

std::string Csv(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Number(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr);
}

std::string Hex(const Rgb& rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb.red, rgb.green, rgb.blue);
    return text;
}

template <class T>
std::string At(const Report& report, const std::optional<FigureAt<T>>& figure, const std::string& value)
{
    return figure ? value + " at " + Html(report.cellName(figure->cell.row, figure->cell.col)) : std::string("&ndash;");
}

constexpr std::string_view Style = R"(<style>
body { font-family: sans-serif; margin: 2em; color: #222; }
table { border-collapse: collapse; margin: 0.5em 0 1.5em; }
th, td { border: 1px solid #ccc; padding: 0.2em 0.6em; text-align: left; }
td.number, th.number { text-align: right; font-variant-numeric: tabular-nums; }
td.text { font-family: monospace; }
pre { background: #f4f4f4; padding: 0.5em; }
svg text { font-family: sans-serif; font-size: 12px; }
p.warning { border-left: 4px solid #c77c00; padding-left: 0.5em; }
</style>)";

// Bars on a logarithmic scale with their counts, "S" stacked in grey above the cells beyond the
// tolerance; each bar's figures as its title.
void WriteHistogram(const AgreementHistogram& histogram, std::ostream& out)
{
    const std::vector<HistogramBar> bars = HistogramBars(histogram);
    if (bars.empty()) {
        out << "<p>No differing cells.</p>\n";
        return;
    }
    std::uint64_t most = 0;
    for (const auto& bar : bars)
        most = std::max(most, bar.beyond + bar.same);
    const int barWidth = 36, gap = 8, height = 160, left = 70, bottom = 60, top = 30;
    // Wide enough for the axis's caption, however few the bars.
    const int width = std::max(left + int(bars.size()) * (barWidth + gap) + gap, 520);
    out << "<svg width=\"" << width << "\" height=\"" << height + bottom + top
        << "\" role=\"img\" aria-label=\"Differing cells by the digits they agree in\">\n";
    out << "<line x1=\"" << left << "\" y1=\"" << top << "\" x2=\"" << left << "\" y2=\"" << top + height
        << "\" stroke=\"#444\"/>\n<line x1=\"" << left << "\" y1=\"" << top + height << "\" x2=\"" << width << "\" y2=\""
        << top + height << "\" stroke=\"#444\"/>\n";
    out << "<text x=\"" << left - 6 << "\" y=\"" << top + 4 << "\" text-anchor=\"end\">" << most << "</text>\n";
    out << "<text x=\"" << left - 6 << "\" y=\"" << top + height << "\" text-anchor=\"end\">0</text>\n";
    out << "<text x=\"" << left + (width - left) / 2 << "\" y=\"" << top + height + 34
        << "\" text-anchor=\"middle\">digits in common (D: texts differ), logarithmic scale</text>\n";
    out << "<rect x=\"" << left << "\" y=\"" << top + height + 44 << "\" width=\"12\" height=\"10\" fill=\"#c8cec8\"/>"
        << "<text x=\"" << left + 18 << "\" y=\"" << top + height + 54
        << "\">S: regarded as the same, stacked above the cells beyond the tolerance</text>\n";
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const HistogramBar& bar = bars[i];
        const int x = left + gap + int(i) * (barWidth + gap);
        const auto [total, beyond] = StackOf(bar, most, height);
        out << "<g class=\"bar\"><title>" << Html(BarDescription(bar)) << "</title>";
        if (beyond)
            out << "<rect class=\"beyond\" x=\"" << x << "\" y=\"" << top + height - beyond << "\" width=\"" << barWidth
                << "\" height=\"" << beyond << "\" fill=\"" << Hex(VerdictRgb(bar.shade, 15)) << "\"/>";
        if (total > beyond)
            out << "<rect class=\"same\" x=\"" << x << "\" y=\"" << top + height - total << "\" width=\"" << barWidth
                << "\" height=\"" << total - beyond << "\" fill=\"#c8cec8\"/>";
        out << "<text x=\"" << x + barWidth / 2 << "\" y=\"" << top + height - total - 4 << "\" text-anchor=\"middle\">"
            << bar.beyond + bar.same << "</text></g>\n";
        out << "<text x=\"" << x + barWidth / 2 << "\" y=\"" << top + height + 16 << "\" text-anchor=\"middle\">"
            << Html(bar.label) << "</text>\n";
    }
    out << "</svg>\n";
}

// A cell as a spreadsheet reads it safely: a text that would start a formula gets a leading '.
std::string CsvCell(std::string_view text)
{
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos && !IsNumeric(text);
    return Csv(formula ? "'" + std::string(text) : std::string(text));
}

std::string Optional(const std::optional<std::uint64_t>& value)
{
    return value ? std::to_string(*value) : std::string();
}

} // namespace

std::string KeyText(const std::vector<std::string_view>& keys)
{
    std::string text;
    for (const std::string_view key : keys)
        text.append(text.empty() ? "" : " ").append(key);
    return text;
}

void Report::forEachOneSided(const OneSidedRow& each) const
{
    if (oneSidedRows)
        return oneSidedRows(each);
    if (const auto* alignment = result.options.alignment.get())
        for (const RowPair& pair : alignment->pairs)
            if (!pair.paired()) {
                const bool in1 = pair.row2 == NoRow;
                each(in1, in1 ? pair.row1 : pair.row2, keys(in1, in1 ? pair.row1 : pair.row2));
            }
}

std::vector<std::string_view> Report::keys(bool file1, std::uint64_t tableRow) const
{
    std::vector<std::string_view> values;
    for (const std::uint64_t col : keyColumns)
        values.push_back(file1 ? table1.cell(tableRow, col) : table2.cell(tableRow, result.file2Column(col)));
    return values;
}

CellFacts FactsOf(const Report& report, const Verdict& verdict)
{
    const CompareResult& result = report.result;
    CellFacts facts{report.table1.cell(result.file1Row(verdict.row), verdict.col),
                    report.table2.cell(result.file2Row(verdict.row), result.file2Column(verdict.col)), {}, {}};
    if (verdict.kind != VerdictKind::Text) {
        CellValues values;
        CompareDifferentCells(facts.text1, facts.text2, result.options, verdict.col, &values);
        facts.absolute = values.absolute;
        facts.relative = values.relative;
    }
    return facts;
}

std::vector<std::pair<std::string, std::string>> OptionsInForce(const CompareOptions& options, bool namesMatched,
                                                                const std::string& rows, const std::vector<std::string>& names)
{
    std::vector<std::pair<std::string, std::string>> list;
    std::string rule = "off";
    if (options.precisionSame)
        rule = std::string("on: \"S\" above ").append(FormatStandard(options.precisionLog, {})).append(" digits");
    list.emplace_back("Precision rule", rule);
    list.emplace_back("Absolute tolerance", options.absoluteTolerance ? ScriptNumber(*options.absoluteTolerance) : "none");
    list.emplace_back("Relative tolerance", options.relativeTolerance ? ScriptNumber(*options.relativeTolerance) : "none");
    list.emplace_back("Relative to", std::string(ReferenceText(options.relativeTo)));
    const std::string same = DescribeTolerance(options, names);
    list.emplace_back("Regarded as the same", same.empty() ? "never: every different number counts" : same.substr(same.find(' ') + 1));
    std::string ignored;
    for (const auto& range : options.ignoredColumns) {
        if (!ignored.empty())
            ignored.append(",");
        ignored.append(std::to_string(range.first + 1));
        if (range.last != range.first)
            ignored.append("-").append(std::to_string(range.last + 1));
    }
    list.emplace_back("Columns left out", ignored.empty() ? "none" : ignored);
    list.emplace_back("Columns", namesMatched ? "matched by name" : "by position");
    list.emplace_back("Rows", rows);
    return list;
}

void WriteHtmlReport(const Report& report, std::ostream& out, std::size_t cellLimit)
{
    WriteHtmlReport(report, DetailsOf(report, cellLimit), out, cellLimit);
}

void WriteHtmlReport(const Report& report, const HtmlDetails& details, std::ostream& out, std::size_t cellLimit)
{
    const CompareResult& result = report.result;
    const Figures& f = result.figures;
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Tallir: "
        << Html(report.file1.path) << " and " << Html(report.file2.path) << "</title>\n"
        << Style << "\n</head>\n<body>\n<h1>Comparison of " << Html(report.file1.path) << " and "
        << Html(report.file2.path) << "</h1>\n";

    out << "<h2>Files</h2>\n<table>\n<tr><th></th><th>Path</th><th>Dimension</th><th>Size</th><th>Date</th></tr>\n";
    for (const auto& [label, file] : {std::pair{"File 1", &report.file1}, {"File 2", &report.file2}})
        out << "<tr><th>" << label << "</th><td>" << Html(file->path) << "</td><td>" << Html(file->dimension) << "</td><td>"
            << Html(file->size) << "</td><td>" << Html(file->date) << "</td></tr>\n";
    out << "</table>\n<h2>Options</h2>\n<table>\n";
    for (const auto& [name, value] : report.options)
        out << "<tr><th>" << Html(name) << "</th><td>" << Html(value) << "</td></tr>\n";
    out << "</table>\n<h2>Result</h2>\n<pre id=\"message\">";
    // The message's lines end in CR LF; the page's in LF.
    std::string message;
    for (const char c : report.message)
        if (c != '\r')
            message += c;
    out << Html(message) << "</pre>\n";

    out << "<table id=\"figures\">\n<tr><th>Compared</th><td>" << Html(DimensionText(result.comparedRows, result.comparedCols))
        << "</td></tr>\n<tr><th>Differing cells</th><td class=\"number\">" << f.differing << "</td></tr>\n"
        << "<tr><th>D (texts differ)</th><td class=\"number\">" << f.textDiffering << "</td></tr>\n"
        << "<tr><th>S (regarded as the same)</th><td class=\"number\">" << f.same << "</td></tr>\n"
        << "<tr><th>Digits</th><td class=\"number\">" << f.digits << "</td></tr>\n"
        << "<tr><th>Beyond the tolerance</th><td class=\"number\">" << f.beyondTolerance << "</td></tr>\n"
        << "<tr><th>Lowest agreement</th><td>"
        << At(report, f.lowestAgreement, f.lowestAgreement ? FormatStandard(f.lowestAgreement->value, report.separators) : "")
        << "</td></tr>\n<tr><th>Largest absolute difference</th><td>"
        << At(report, f.largestAbsolute, f.largestAbsolute ? Number(f.largestAbsolute->value) : "")
        << "</td></tr>\n<tr><th>Largest relative difference</th><td>"
        << At(report, f.largestRelative, f.largestRelative ? Number(f.largestRelative->value) : "") << "</td></tr>\n";
    if (const auto* alignment = result.options.alignment.get())
        out << "<tr><th>Rows only in File 1</th><td class=\"number\">" << alignment->onlyIn1
            << "</td></tr>\n<tr><th>Rows only in File 2</th><td class=\"number\">" << alignment->onlyIn2 << "</td></tr>\n";
    out << "</table>\n";
    for (const std::string& warning : report.warnings())
        out << "<p class=\"warning\">" << Html(warning) << "</p>\n";

    out << "<h2>By column</h2>\n<table id=\"columns\">\n<tr><th>Column</th><th>Name</th><th class=\"number\">Compared</th>"
           "<th class=\"number\">D</th><th class=\"number\">S</th><th class=\"number\">Digits</th><th>Lowest agreement</th>"
           "<th>Largest absolute difference</th><th>Largest relative difference</th></tr>\n";
    for (const ColumnFigures& column : details.columns) {
        const Figures& g = column.figures;
        out << "<tr><td class=\"number\">" << column.col + 1 << "</td><td>" << Html(report.columnName(column.col))
            << "</td><td class=\"number\">" << column.compared << "</td><td class=\"number\">" << g.textDiffering
            << "</td><td class=\"number\">" << g.same << "</td><td class=\"number\">" << g.digits << "</td><td>"
            << At(report, g.lowestAgreement, g.lowestAgreement ? FormatStandard(g.lowestAgreement->value, report.separators) : "")
            << "</td><td>" << At(report, g.largestAbsolute, g.largestAbsolute ? Number(g.largestAbsolute->value) : "")
            << "</td><td>" << At(report, g.largestRelative, g.largestRelative ? Number(g.largestRelative->value) : "")
            << "</td></tr>\n";
    }
    out << "</table>\n<h2>Agreement</h2>\n";
    WriteHistogram(details.histogram, out);

    const bool keyed = !report.keyColumns.empty();
    out << "<h2>" << (report.all ? "Differing cells" : "Cells beyond the tolerance")
        << ", the worst first</h2>\n<table id=\"cells\">\n<tr><th>Cell</th>" << (keyed ? "<th>Key</th>" : "")
        << "<th>File 1</th><th>File 2</th><th class=\"number\">Verdict</th><th class=\"number\">Absolute difference</th>"
           "<th class=\"number\">Relative difference</th></tr>\n";
    for (const ListedCell& cell : details.worst) {
        const Verdict& verdict = cell.verdict;
        const ListedCell& facts = cell;
        out << "<tr class=\"cell\"><td>" << Html(report.cellName(verdict.row, verdict.col)) << "</td>";
        if (keyed)
            out << "<td class=\"text\">" << Html(cell.keys) << "</td>";
        out << "<td class=\"text\">" << Html(facts.text1) << "</td><td class=\"text\">" << Html(facts.text2)
            << "</td><td class=\"number\" style=\"background:" << Hex(VerdictRgb(verdict, result.options.precisionLog)) << "\">"
            << Html(VerdictText(verdict, report.separators)) << "</td><td class=\"number\">"
            << (facts.absolute ? Number(*facts.absolute) : std::string()) << "</td><td class=\"number\">"
            << (facts.relative ? Number(*facts.relative) : std::string()) << "</td></tr>\n";
    }
    out << "</table>\n";
    if (details.worst.size() < details.listable)
        out << "<p id=\"more\">and " << details.listable - details.worst.size() << " more differing cells.</p>\n";
    if (const auto* alignment = result.options.alignment.get(); alignment && alignment->onlyIn1 + alignment->onlyIn2 > 0) {
        out << "<h2>Rows in one file only</h2>\n<table id=\"oneSided\">\n<tr><th>File</th><th class=\"number\">Line</th>"
            << (keyed ? "<th>Key</th>" : "") << "</tr>\n";
        std::size_t shown = 0;
        report.forEachOneSided([&](bool in1, std::uint64_t row, const std::vector<std::string_view>& keys) {
            if (shown++ >= cellLimit)
                return;
            out << "<tr class=\"oneSided\"><td>File " << (in1 ? 1 : 2) << "</td><td class=\"number\">" << *report.line(row) << "</td>";
            if (keyed)
                out << "<td class=\"text\">" << Html(KeyText(keys)) << "</td>";
            out << "</tr>\n";
        });
        out << "</table>\n";
        if (shown > cellLimit)
            out << "<p id=\"moreRows\">and " << alignment->onlyIn1 + alignment->onlyIn2 - cellLimit
                << " more rows in one file only.</p>\n";
    }
    out << "</body>\n</html>\n";
}

void WriteCsvReport(const Report& report, std::ostream& out)
{
    out << "row1,row2,column,name";
    for (const std::uint64_t col : report.keyColumns)
        out << ',' << Csv("key " + (report.columnName(col).empty() ? "C" + std::to_string(col + 1) : report.columnName(col)));
    out << ",text1,text2,verdict,agreement,absolute difference,relative difference\r\n";
    const CompareResult& result = report.result;
    const auto writeKeys = [&](std::uint64_t row) {
        const bool in1 = result.file1Row(row) != NoRow;
        for (const std::string_view key : report.keys(in1, in1 ? result.file1Row(row) : result.file2Row(row)))
            out << ',' << CsvCell(key);
    };
    // Rows in one file only, in their place among the cells.
    const auto* alignment = result.options.alignment.get();
    std::uint64_t pair = 0;
    const auto oneSidedUpTo = [&](std::uint64_t end) {
        for (; alignment && pair < end; ++pair) {
            const RowPair& rows = alignment->pairs[pair];
            if (rows.paired())
                continue;
            out << Optional(report.line(rows.row1)) << ',' << Optional(report.line(rows.row2)) << ",,";
            writeKeys(pair);
            out << ",,," << (rows.row2 == NoRow ? "only in File 1" : "only in File 2") << ",,,\r\n";
        }
    };
    result.verdicts.forEach([&](const Verdict& verdict) {
        oneSidedUpTo(verdict.row);
        if (!report.lists(verdict))
            return;
        const CellFacts facts = FactsOf(report, verdict);
        out << Optional(report.line(result.file1Row(verdict.row))) << ',' << Optional(report.line(result.file2Row(verdict.row)))
            << ',' << verdict.col + 1 << ',' << Csv(report.columnName(verdict.col));
        writeKeys(verdict.row);
        out << ',' << CsvCell(facts.text1) << ',' << CsvCell(facts.text2) << ',' << Csv(VerdictText(verdict, ScriptSeparators()))
            << ',' << (verdict.kind == VerdictKind::Text ? std::string() : ScriptNumber(verdict.agreement)) << ','
            << (facts.absolute ? ScriptNumber(*facts.absolute) : std::string()) << ','
            << (facts.relative ? ScriptNumber(*facts.relative) : std::string()) << "\r\n";
    });
    oneSidedUpTo(alignment ? alignment->pairs.size() : 0);
}

} // namespace tallir
