#include "DiffRun.h"
#include "StreamSetup.h"
#include "TextReport.h"

#include "core/ColumnList.h"
#include "core/ShuffledKeys.h"
#include "core/StreamKeys.h"
#include "locale/FileNames.h"

#include <algorithm>
#include <stdexcept>
#include <sys/stat.h>

namespace {

bool RegularFile(const QString& path)
{
    struct stat info {};
    return path != QLatin1String("-") && ::stat(FileNameString(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool StreamsByKey(const DiffOptions& options)
{
    return !options.keyList.isEmpty() && !options.full && !options.git && !options.alignIdentical && RegularFile(options.path1) && RegularFile(options.path2);
}

DiffOutcome RunKeyedStreamingDiff(const DiffOptions& options, tallir::Output* out)
{
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    const auto version1 = StampOf(options.path1), version2 = StampOf(options.path2);
    StreamedStart start;
    if (!StartStreamed(options, start))
        return std::move(start.outcome);
    auto& [outcome, run, compare, inputs] = start;
    const auto keys = tallir::KeyColumns(options.keyList.toStdString(), inputs.names1);
    if (!keys) {
        outcome.errors.push_back("tallir-diff: no such key column in " + path1 + ": " + options.keyList.toStdString());
        return std::move(outcome);
    }
    std::vector<std::uint64_t> keys2;
    for (const std::uint64_t c : *keys)
        keys2.push_back(inputs.pairs ? inputs.pairs->partner(c) : c);
    const bool oneSided = (options.json && out) || !options.htmlPath.isEmpty();
    tallir::KeyedStreams keyed = tallir::MergeStreamsByKeys(*inputs.stream1, *inputs.stream2, *keys, keys2, options.keyTolerance, oneSided);
    auto alignment = std::make_shared<tallir::RowAlignment>();
    std::shared_ptr<tallir::StreamedPairs> pairs;
    std::shared_ptr<tallir::KeyPartners> partners; // keys out of order
    if (keyed.inOrder) {
        pairs = std::make_shared<tallir::PairRuns>(std::move(keyed.pairs));
    } else {
        // Keys out of order: sorted on disk (nearest keys in reach are found in the tables held
        // whole only).
        if (options.keyTolerance > 0 || !OpenStreams(options, inputs, compare, run, outcome)) {
            outcome.wholeTables = outcome.errors.empty();
            return std::move(outcome);
        }
        tallir::ShuffledKeys shuffled =
            tallir::PairShuffledKeys(*inputs.stream1, *inputs.stream2, *keys, keys2, oneSided, options.sortMemory);
        static_cast<tallir::KeyReading&>(keyed) = std::move(shuffled);
        alignment->repeated1 = shuffled.repeated1;
        alignment->repeated2 = shuffled.repeated2;
        partners = std::move(shuffled.partners);
        pairs = partners;
        if (!pairs && keyed.failure1 == tallir::ReadFailure::None && keyed.failure2 == tallir::ReadFailure::None) {
            outcome.wholeTables = true; // too many rows to note their partners
            return std::move(outcome);
        }
    }
    AddReadFailures(options, inputs, keyed.failure1, keyed.failure2, outcome);
    const StreamedShape shape = ShapeOf(inputs, keyed.rows1, keyed.width1, keyed.rows2, keyed.width2);
    AddColumnsBeyond(compare, *keys, shape, outcome);
    // Read again: the rows paired only (the run's names are taken again too).
    if (!outcome.errors.empty() || !OpenStreams(options, inputs, compare, run, outcome))
        return std::move(outcome);
    if (partners) {
        // File 2's paired rows sorted into File 1's order first.
        inputs.stream1->keepOnly([partners](std::uint64_t row) { return partners->partnered1(row); });
        auto inOrder = tallir::InPartnerOrder(*inputs.stream2, *partners, options.sortMemory);
        AddReadFailures(options, inputs, tallir::ReadFailure::None, inputs.stream2->endFailure(), outcome);
        if (!outcome.errors.empty())
            return std::move(outcome);
        inputs.stream2 = std::move(inOrder);
    } else {
        const auto& runs = static_cast<const tallir::PairRuns&>(*pairs);
        inputs.stream1->keepOnly(tallir::PairRuns::Partnered(runs, true));
        inputs.stream2->keepOnly(tallir::PairRuns::Partnered(runs, false));
    }
    run.pairedRows = [pairs](std::uint64_t k) { return pairs->paired(k); };
    // The rows in one file only in their place among the text report's cells.
    const std::uint64_t lineOffset = options.names ? 2 : 1;
    const auto oneSidedLine = [&](bool in1, std::uint64_t row) {
        *out << "only in " << Escaped(in1 ? path1 : path2) << ": line " << std::to_string(row + lineOffset) << '\n';
    };
    // The key values of a cell's row: with the widths known no cell waits, so its row is at hand.
    const auto keysOf = [&keys](const tallir::StreamedCell& cell) {
        if (!cell.batch1)
            throw std::logic_error("a cell without its row");
        std::vector<std::string_view> texts;
        for (const std::uint64_t c : *keys)
            texts.push_back(cell.batch1->cell(cell.row1, std::size_t(c)));
        return texts;
    };
    StreamedCells cells(options, out, inputs, run, run.pairedRows, keysOf,
                        [&](std::uint64_t row) { pairs->oneSidedUpTo(row, oneSidedLine); });
    compare.kindsOnly = !cells.onCell(); // the exit status only
    const auto compared = tallir::CompareStreams(*inputs.stream1, *inputs.stream2, compare, cells.onCell(),
                                                 !cells.onCell() && !options.maxBeyond,
                                                 {inputs.pairs ? &*inputs.pairs : nullptr, shape.cols1, shape.cols2, true});
    cells.close();
    if (cells.writesText())
        pairs->oneSidedUpTo(~std::uint64_t(0), oneSidedLine);
    AddReadFailures(options, inputs, compared.failure1, compared.failure2, outcome);
    // The pairs hold only for the files whose keys were read: a file rewritten meanwhile is said.
    AddFilesChanged(options, version1, version2, outcome);
    if (!outcome.errors.empty())
        return std::move(outcome);

    // What the report reads of the pairing: how many rows are in one file only and the keys
    // repeated (the pairs themselves are asked of pairs, see pairedRows).
    alignment->onlyIn1 = pairs->onlyIn1();
    alignment->onlyIn2 = pairs->onlyIn2();
    compare.alignment = std::move(alignment);
    run.keyColumns = *keys;
    run.oneSided = std::move(keyed.oneSided);
    FinishStreamedRun(options, run, compare, inputs, compared, shape, pairs->pairedCount() + pairs->onlyIn1() + pairs->onlyIn2(),
                      pairs->pairedCount(), cells);
    outcome.run = std::move(run);
    outcome.streamed = true;
    return std::move(outcome);
}
