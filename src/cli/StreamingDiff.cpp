#include "DiffRun.h"
#include "HtmlReport.h"
#include "StreamSetup.h"
#include "TextReport.h"

#include "core/ColumnList.h"
#include "core/ColumnPairs.h"
#include "core/RowStream.h"
#include "core/StreamCompare.h"
#include "locale/FileNames.h"
#include "report/JsonReport.h"

#include <tuple>

bool Streams(const DiffOptions& options)
{
    return !options.full && !options.git && options.keyList.isEmpty() && !options.alignIdentical;
}

DiffOutcome RunStreamingDiff(const DiffOptions& options, tallir::Output* out)
{
    StreamedStart start;
    if (!StartStreamed(options, start))
        return std::move(start.outcome);
    auto& [outcome, run, compare, inputs] = start;
    tallir::RowStream &stream1 = *inputs.stream1, &stream2 = *inputs.stream2;
    const std::vector<std::string>&names1 = inputs.names1, &names2 = inputs.names2;
    const std::optional<tallir::ColumnPairs>& pairs = inputs.pairs;
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
            const std::uint64_t line = cell.verdict.row + lineOffset;
            json->add(JsonCellOf(cell, line, line, inputs, run));
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
        tallir::CompareStreams(stream1, stream2, compare, onCell, !onCell && !options.maxBeyond, {pairs ? &*pairs : nullptr});
    if (json)
        json->close();
    AddReadFailures(options, inputs, compared.failure1, compared.failure2, outcome);
    // Widths as a loaded grid has them: at least one value column, and the names line's.
    const std::uint64_t cols1 = std::max<std::uint64_t>({compared.values1, names1.size(), 1});
    const std::uint64_t cols2 = std::max<std::uint64_t>({compared.values2, names2.size(), 1});
    if (const std::string beyond = ToleranceColumnBeyond(compare, std::max(cols1, cols2)); !beyond.empty())
        outcome.errors.push_back(beyond);
    if (!outcome.errors.empty())
        return std::move(outcome);

    if (pairs) {
        run.columns = tallir::MatchColumns(names1, cols1, names2, cols2);
        if (!run.columns.positional)
            compare.columnMap = run.columns.file2Column;
    }
    DescribeStreamedFiles(options, run, compared.rows1, cols1, compared.rows2, cols2);
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
    outcome.streamed = true;
    return std::move(outcome);
}
