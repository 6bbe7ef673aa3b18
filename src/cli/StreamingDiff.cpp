#include "DiffRun.h"
#include "TextReport.h"

#include "core/StreamCompare.h"
#include "core/RowStream.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"

#include <tuple>

bool Streams(const DiffOptions& options)
{
    return !options.full && !options.json && !options.names && !options.git && options.keyList.isEmpty()
        && !options.alignIdentical && options.htmlPath.isEmpty();
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

    const tallir::NumberSeparators separators = LocaleFormat::Separators();
    // Without a report to write, only the figures are made.
    std::function<void(const tallir::StreamedCell&)> onCell;
    if (out)
        onCell = [&](const tallir::StreamedCell& cell) {
            if (options.all || tallir::BeyondTolerance(cell.verdict))
                WriteCellLine(*out, CellName(cell.verdict.row, cell.verdict.col), cell.text1, cell.text2,
                              tallir::VerdictText(cell.verdict, separators));
        };
    // Quiet: the exit status is all that is asked, known at the first cell beyond the tolerance
    // (unless --max-beyond accepts more).
    const auto compared = tallir::CompareStreams(stream1, stream2, options.compare, onCell, !out && !options.maxBeyond);
    for (auto [failure, stream, path] : {std::tuple{compared.failure1, &stream1, &path1}, {compared.failure2, &stream2, &path2}})
        if (failure != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(*path, failure, stream->lineFault()));
    if (const std::string beyond = ToleranceColumnBeyond(options.compare, std::max(compared.values1, compared.values2)); !beyond.empty())
        outcome.errors.push_back(beyond);
    if (!outcome.errors.empty())
        return outcome;

    DiffRun run{DescribeFile(options.path1, compared.rows1, compared.values1), DescribeFile(options.path2, compared.rows2, compared.values2),
                {}, compared.figures, compared.mismatch, separators, {}, false, false, {}, {}};
    run.result.options = options.compare;
    run.result.comparedRows = compared.comparedRows;
    run.result.comparedCols = compared.comparedCols;
    run.message = tallir::ClosingMessage(run.file1.path, run.file2.path, compared.figures.differing);
    // Shapes as a loaded grid has them: a header row and column, at least one value column.
    auto shape = [](std::uint64_t rows, std::uint64_t values) { return tallir::GridShape{rows + 1, std::max<std::uint64_t>(values, 1) + 1}; };
    run.maxBeyond = options.maxBeyond;
    run.disagrees = tallir::Disagrees(BeyondCounted(compared.figures.beyondTolerance, options), options.compare, {}, shape(compared.rows1, compared.values1),
                                      shape(compared.rows2, compared.values2));
    outcome.run = std::move(run);
    return outcome;
}
