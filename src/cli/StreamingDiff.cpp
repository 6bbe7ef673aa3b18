#include "DiffRun.h"
#include "HtmlReport.h"
#include "TextReport.h"

#include "core/ColumnList.h"
#include "core/ColumnPairs.h"
#include "core/RowStream.h"
#include "core/StreamCompare.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"
#include "report/JsonReport.h"

#include <tuple>

namespace {

// A table of nothing but its names line: what the report needs of a table it never held.
std::shared_ptr<const tallir::Table> NamesOnly(const std::vector<std::string>& names)
{
    tallir::TableBuilder builder;
    builder.expectNamesLine();
    for (const std::string& name : names)
        builder.addCell(name);
    builder.endRow();
    return std::make_shared<const tallir::Table>(builder.finish());
}

} // namespace

bool Streams(const DiffOptions& options)
{
    return !options.full && !options.git && options.keyList.isEmpty() && !options.alignIdentical;
}

DiffOutcome RunStreamingDiff(const DiffOptions& options, tallir::Output* out)
{
    const std::string path1 = FileNameString(options.path1);
    const std::string path2 = FileNameString(options.path2);
    const auto format = options.csv ? tallir::TableFormat::Csv : tallir::TableFormat::Plain;
    tallir::RowStream stream1(path1, format, options.maxLine);
    tallir::RowStream stream2(path2, format, options.maxLine);
    DiffOutcome outcome;
    for (auto [stream, path] : {std::pair{&stream1, &path1}, {&stream2, &path2}})
        if (stream->openFailure() != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(*path, stream->openFailure()));
    if (!outcome.errors.empty())
        return outcome;

    DiffRun run{};
    run.separators = LocaleFormat::Separators();
    tallir::CompareOptions compare = options.compare;
    // With names, columns pair by name as soon as both names lines are read.
    std::optional<tallir::ColumnPairs> pairs;
    std::vector<std::string> names1, names2;
    if (options.names) {
        names1 = stream1.takeFirstRow();
        names2 = stream2.takeFirstRow();
        std::vector<std::string> unknown;
        compare.columnTolerances = tallir::ResolveColumnTolerances(options.columnTolerances, names1, unknown);
        if (!unknown.empty()) {
            outcome.errors.push_back("tallir-diff: no such column for a tolerance in " + path1 + ": " + unknown.front());
            return outcome;
        }
        pairs.emplace(names1, names2);
        run.names = true;
        run.file1.table = NamesOnly(names1);
        run.file2.table = NamesOnly(names2);
    }
    // A table row's line in its file.
    const std::uint64_t lineOffset = options.names ? 2 : 1;

    // Without a report to write, only the figures are made.
    std::function<void(const tallir::StreamedCell&)> onCell;
    std::optional<tallir::DetailsGatherer> details;
    if (!options.htmlPath.isEmpty())
        details.emplace(options.all, HtmlCellLimit);
    std::optional<tallir::JsonCellList> json;
    if (out && options.json) {
        json.emplace(*out);
        onCell = [&](const tallir::StreamedCell& cell) {
            if (!options.all && !tallir::BeyondTolerance(cell.verdict))
                return;
            const bool numeric = cell.verdict.kind != tallir::VerdictKind::Text;
            const std::uint64_t line = cell.verdict.row + lineOffset, col = cell.verdict.col;
            json->add({line, line, col + 1, pairs ? std::optional<std::uint64_t>(pairs->partner(col) + 1) : std::nullopt,
                       pairs ? std::optional<std::string_view>(run.file1.table->name(col)) : std::nullopt, {}, cell.text1, cell.text2,
                       tallir::VerdictText(cell.verdict, tallir::ScriptSeparators()),
                       numeric ? std::optional<double>(cell.values.absolute) : std::nullopt,
                       numeric ? std::optional<double>(cell.values.relative) : std::nullopt});
        };
    } else if (out) {
        onCell = [&](const tallir::StreamedCell& cell) {
            if (options.all || tallir::BeyondTolerance(cell.verdict))
                WriteCellLine(*out, run.cellName(cell.verdict.row, cell.verdict.col), cell.text1, cell.text2,
                              tallir::VerdictText(cell.verdict, run.separators));
        };
    }
    if (details)
        onCell = [&details, write = std::move(onCell)](const tallir::StreamedCell& cell) {
            details->add(cell);
            if (write)
                write(cell);
        };
    // Quiet: the exit status is all that is asked, known at the first cell beyond the tolerance
    // (unless --max-beyond accepts more).
    const auto compared =
        tallir::CompareStreams(stream1, stream2, compare, onCell, !onCell && !options.maxBeyond, pairs ? &*pairs : nullptr);
    if (json)
        json->close();
    for (auto [failure, stream, path] : {std::tuple{compared.failure1, &stream1, &path1}, {compared.failure2, &stream2, &path2}})
        if (failure != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(*path, failure, stream->lineFault()));
    // Widths as a loaded grid has them: at least one value column, and the names line's.
    const std::uint64_t cols1 = std::max<std::uint64_t>({compared.values1, names1.size(), 1});
    const std::uint64_t cols2 = std::max<std::uint64_t>({compared.values2, names2.size(), 1});
    if (const std::string beyond = ToleranceColumnBeyond(compare, std::max(cols1, cols2)); !beyond.empty())
        outcome.errors.push_back(beyond);
    if (!outcome.errors.empty())
        return outcome;

    if (pairs) {
        run.columns = tallir::MatchColumns(names1, cols1, names2, cols2);
        if (!run.columns.positional)
            compare.columnMap = run.columns.file2Column;
    }
    for (auto [file, path, rows, cols] : {std::tuple{&run.file1, &options.path1, compared.rows1, cols1},
                                          {&run.file2, &options.path2, compared.rows2, cols2}}) {
        auto names = std::move(file->table);
        *file = DescribeFile(*path, rows, cols);
        file->table = std::move(names);
    }
    run.figures = compared.figures;
    run.mismatch = compared.mismatch;
    run.result.options = compare;
    run.result.comparedRows = compared.comparedRows;
    // Columns matched by a map: File 1's width; by position, the narrower table's.
    run.result.comparedCols = compare.columnMap.empty() ? std::min(cols1, cols2) : cols1;
    run.result.figures = compared.figures;
    run.result.grid = {std::max<std::uint64_t>(2, run.result.comparedRows + 1), run.result.comparedCols + 1};
    run.message = tallir::ClosingMessage(run.file1.path, run.file2.path, compared.figures.differing);
    run.maxBeyond = options.maxBeyond;
    if (details) {
        const tallir::ColumnSet ignored(compare.ignoredColumns);
        run.details = details->finish(run.result.comparedRows, run.result.comparedCols, [&](std::uint64_t c) {
            return !ignored.contains(c) && !(c < compare.columnMap.size() && compare.columnMap[c] < 0);
        });
    }
    run.disagrees = tallir::Disagrees(BeyondCounted(compared.figures.beyondTolerance, options), compare, run.columns,
                                      {compared.rows1 + 1, cols1 + 1}, {compared.rows2 + 1, cols2 + 1});
    outcome.run = std::move(run);
    return outcome;
}
