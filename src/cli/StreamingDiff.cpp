#include "DiffRun.h"
#include "StreamSetup.h"

#include <algorithm>

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
    StreamedCells cells(options, out, inputs, run, [](std::uint64_t row) { return tallir::RowPair{row, row}; });
    // Without a report to write, only the figures are made. Quiet: the exit status is all that
    // is asked, known at the first cell beyond the tolerance (unless --max-beyond accepts more).
    compare.kindsOnly = !cells.onCell();
    const auto compared = tallir::CompareStreams(*inputs.stream1, *inputs.stream2, compare, cells.onCell(),
                                                 !cells.onCell() && !options.maxBeyond, {inputs.pairs ? &*inputs.pairs : nullptr});
    cells.close();
    AddReadFailures(options, inputs, compared.failure1, compared.failure2, outcome);
    const StreamedShape shape = ShapeOf(inputs, compared.rows1, compared.values1, compared.rows2, compared.values2);
    if (const std::string beyond = ToleranceColumnBeyond(compare, std::max(shape.cols1, shape.cols2)); !beyond.empty())
        outcome.errors.push_back(beyond);
    if (!outcome.errors.empty())
        return std::move(outcome);

    FinishStreamedRun(options, run, compare, inputs, compared, shape, compared.comparedRows, compared.comparedRows, cells);
    outcome.run = std::move(run);
    outcome.streamed = true;
    return std::move(outcome);
}
