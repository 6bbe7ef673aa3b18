#include "TextReport.h"

#include "locale/FileNames.h"

#include <algorithm>
#include <charconv>

namespace {

std::string Number(double value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr;
    return std::string(text, end);
}

template <class T>
std::string At(const DiffRun& run, const char* what, const tallir::FigureAt<T>& figure, const std::string& value)
{
    return std::string("; ") + what + " " + value + " at " + run.cellName(figure.cell.row, figure.cell.col);
}

} // namespace

std::string FiguresLine(const DiffRun& run)
{
    const tallir::Figures& f = run.figures;
    std::string line = tallir::DimensionText(run.result.comparedRows, run.result.comparedCols) + ": "
        + std::to_string(f.differing) + " differing (D " + std::to_string(f.textDiffering) + ", S "
        + std::to_string(f.same) + ", digits " + std::to_string(f.digits) + ")";
    if (f.lowestAgreement)
        line += At(run, "lowest agreement", *f.lowestAgreement, tallir::FormatStandard(f.lowestAgreement->value, run.separators));
    if (f.largestAbsolute)
        line += At(run, "largest absolute difference", *f.largestAbsolute, Number(f.largestAbsolute->value));
    if (f.largestRelative)
        line += At(run, "largest relative difference", *f.largestRelative, Number(f.largestRelative->value));
    line += "; beyond the tolerance " + std::to_string(f.beyondTolerance);
    if (tallir::AnyTolerance(run.result.options)) {
        if (f.largestAbsoluteBeyond)
            line += At(run, "largest absolute difference beyond it", *f.largestAbsoluteBeyond, Number(f.largestAbsoluteBeyond->value));
        if (f.largestRelativeBeyond)
            line += At(run, "largest relative difference beyond it", *f.largestRelativeBeyond, Number(f.largestRelativeBeyond->value));
    }
    return line;
}

namespace {
bool NeedsEscape(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\';
}
} // namespace

std::string Escaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (!NeedsEscape(c)) {
            escaped += c;
            continue;
        }
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        case '\n': escaped += "\\n"; break;
        default:
            escaped += "\\x";
            escaped += "0123456789ABCDEF"[byte >> 4];
            escaped += "0123456789ABCDEF"[byte & 15];
        }
    }
    return escaped;
}

void WriteCellLine(tallir::Output& out, const std::string& name, std::string_view text1, std::string_view text2,
                   const std::string& verdict)
{
    auto field = [&](std::string_view text) {
        // Most texts need no escape: written as they are.
        if (std::none_of(text.begin(), text.end(), NeedsEscape))
            out << text;
        else
            out << Escaped(text);
    };
    field(name);
    out << '\t';
    field(text1);
    out << '\t';
    field(text2);
    out << '\t' << verdict << '\n';
}

void WriteTextReport(const DiffRun& run, tallir::Output& out, bool all)
{
    const tallir::CompareResult& result = run.result;
    const auto* alignment = result.options.alignment.get();
    const std::uint64_t lineOffset = run.names ? 2 : 1;
    std::uint64_t pair = 0;
    // Rows in one file only, in aligned order among the cells, up to the compared row before.
    auto onlyInUpTo = [&](std::uint64_t end) {
        for (; alignment && pair < end; ++pair) {
            const tallir::RowPair& rows = alignment->pairs[pair];
            if (rows.row2 == tallir::NoRow)
                out << "only in " << Escaped(run.file1.path) << ": line " << std::to_string(rows.row1 + lineOffset) << '\n';
            else if (rows.row1 == tallir::NoRow)
                out << "only in " << Escaped(run.file2.path) << ": line " << std::to_string(rows.row2 + lineOffset) << '\n';
        }
    };
    for (const tallir::Verdict& verdict : result.verdicts) {
        onlyInUpTo(verdict.row);
        if (!all && !tallir::BeyondTolerance(verdict))
            continue; // regarded as the same: in the counts, not in the list
        WriteCellLine(out, run.cellName(verdict.row, verdict.col), run.file1.table->cell(result.file1Row(verdict.row), verdict.col),
                      run.file2.table->cell(result.file2Row(verdict.row), result.file2Column(verdict.col)),
                      tallir::VerdictText(verdict, run.separators));
    }
    onlyInUpTo(alignment ? alignment->pairs.size() : 0);
    WriteReportEnd(run, out);
}

void WriteGitHeader(const DiffRun& run, const DiffOptions& options, tallir::Output& out)
{
    out << "--- " << Escaped(run.file1.path) << "\n+++ " << Escaped(run.file2.path) << '\n';
    if (!run.wholeTable.empty())
        out << run.wholeTable << '\n';
    else if (options.gitOldMode != options.gitNewMode)
        out << "old mode " << options.gitOldMode.toStdString() << "\nnew mode " << options.gitNewMode.toStdString() << '\n';
    if (options.gitNewPath != options.gitPath)
        out << (options.gitCopy ? "copied from " : "renamed from ") << Escaped(FileNameString(options.gitPath)) << '\n';
}

void WriteReportEnd(const DiffRun& run, tallir::Output& out)
{
    if (!run.wholeTable.empty()) {
        // A table on one side only was not compared: no "==" for it.
        const DiffFile& file = run.file1.path == "/dev/null" ? run.file2 : run.file1;
        out << Escaped(file.path) << ": " << run.wholeTable << ", " << file.dimension.toStdString() << '\n';
        return;
    }
    const std::string escaped = tallir::ClosingMessage(Escaped(run.file1.path), Escaped(run.file2.path), run.figures.differing);
    std::string_view message = escaped;
    for (std::size_t end; (end = message.find("\r\n")) != std::string_view::npos; message.remove_prefix(end + 2))
        out << message.substr(0, end) << '\n';
    out << message << '\n';
    // Under a tolerance "!=" may count only cells regarded as the same: say how many are beyond.
    if (tallir::AnyTolerance(run.result.options))
        out << tallir::WithinToleranceText(run.figures.same, run.figures.beyondTolerance) << "; "
            << Escaped(tallir::DescribeTolerance(run.result.options, run.file1.table ? run.file1.table->names() : std::vector<std::string>()))
            << '\n';

    for (const std::size_t col : run.columns.onlyIn1)
        out << "column " << Escaped(DiffRun::columnName(*run.file1.table, col)) << " only in File 1\n";
    for (const std::size_t col : run.columns.onlyIn2)
        out << "column " << Escaped(DiffRun::columnName(*run.file2.table, col)) << " only in File 2\n";
    for (const std::string& warning :
         tallir::RepeatWarnings(run.result.options.alignment.get(), run.names ? run.file1.table->names() : std::vector<std::string>(),
                                run.names ? run.file2.table->names() : std::vector<std::string>(), run.names ? 1 : 0))
        out << Escaped(warning) << '\n';
    const tallir::ShapeMismatch& mismatch = run.mismatch;
    if (mismatch.rowsDiffer())
        out << "rows out of step: File 1 has " << std::to_string(mismatch.rows1) << " rows, File 2 has "
            << std::to_string(mismatch.rows2) << '\n';
    if (mismatch.firstRow)
        out << "values out of step from row " << std::to_string(*mismatch.firstRow + 1) << ": File 1 has "
            << std::to_string(mismatch.values1) << " values there, File 2 has " << std::to_string(mismatch.values2)
            << '\n';
    out << Escaped(FiguresLine(run)) << '\n';
    if (run.maxBeyond)
        out << "beyond the tolerance: " << std::to_string(run.figures.beyondTolerance) << " cells, at most "
            << std::to_string(*run.maxBeyond) << (run.figures.beyondTolerance > *run.maxBeyond ? " accepted: too many" : " accepted: within")
            << '\n';
}
