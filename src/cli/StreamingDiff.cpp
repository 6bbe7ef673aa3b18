#include "DiffRun.h"
#include "TextReport.h"

#include "core/StreamCompare.h"
#include "core/RowStream.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"
#include "report/JsonReport.h"

#include <tuple>

bool Streams(const DiffOptions& options)
{
    return !options.full && !options.names && !options.git && options.keyList.isEmpty()
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
    std::optional<tallir::JsonCellList> json;
    if (out && options.json) {
        json.emplace(*out);
        onCell = [&](const tallir::StreamedCell& cell) {
            if (!options.all && !tallir::BeyondTolerance(cell.verdict))
                return;
            const bool numeric = cell.verdict.kind != tallir::VerdictKind::Text;
            const std::uint64_t line = cell.verdict.row + 1;
            json->add({line, line, cell.verdict.col + 1, std::nullopt, std::nullopt, {}, cell.text1, cell.text2,
                       tallir::VerdictText(cell.verdict, tallir::ScriptSeparators()),
                       numeric ? std::optional<double>(cell.values.absolute) : std::nullopt,
                       numeric ? std::optional<double>(cell.values.relative) : std::nullopt});
        };
    } else if (out) {
        onCell = [&](const tallir::StreamedCell& cell) {
            if (options.all || tallir::BeyondTolerance(cell.verdict))
                WriteCellLine(*out, CellName(cell.verdict.row, cell.verdict.col), cell.text1, cell.text2,
                              tallir::VerdictText(cell.verdict, separators));
        };
    }
    // Quiet: the exit status is all that is asked, known at the first cell beyond the tolerance
    // (unless --max-beyond accepts more).
    const auto compared = tallir::CompareStreams(stream1, stream2, options.compare, onCell, !out && !options.maxBeyond);
    if (json)
        json->close();
    for (auto [failure, stream, path] : {std::tuple{compared.failure1, &stream1, &path1}, {compared.failure2, &stream2, &path2}})
        if (failure != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(*path, failure, stream->lineFault()));
    if (const std::string beyond = ToleranceColumnBeyond(options.compare, std::max(compared.values1, compared.values2)); !beyond.empty())
        outcome.errors.push_back(beyond);
    if (!outcome.errors.empty())
        return outcome;

    // Dimensions as a loaded grid gives them: at least one value column.
    DiffRun run{DescribeFile(options.path1, compared.rows1, std::max<std::uint64_t>(compared.values1, 1)),
                DescribeFile(options.path2, compared.rows2, std::max<std::uint64_t>(compared.values2, 1)),
                {}, compared.figures, compared.mismatch, separators, {}, false, false, {}, {}};
    run.result.options = options.compare;
    run.result.comparedRows = compared.comparedRows;
    run.result.comparedCols = compared.comparedCols;
    run.result.figures = compared.figures;
    run.result.grid = {std::max<std::uint64_t>(2, compared.comparedRows + 1), std::max<std::uint64_t>(2, compared.comparedCols + 1)};
    run.message = tallir::ClosingMessage(run.file1.path, run.file2.path, compared.figures.differing);
    // Shapes as a loaded grid has them: a header row and column, at least one value column.
    auto shape = [](std::uint64_t rows, std::uint64_t values) { return tallir::GridShape{rows + 1, std::max<std::uint64_t>(values, 1) + 1}; };
    run.maxBeyond = options.maxBeyond;
    run.disagrees = tallir::Disagrees(BeyondCounted(compared.figures.beyondTolerance, options), options.compare, {}, shape(compared.rows1, compared.values1),
                                      shape(compared.rows2, compared.values2));
    outcome.run = std::move(run);
    return outcome;
}
