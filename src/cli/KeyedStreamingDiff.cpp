#include "DiffRun.h"
#include "StreamSetup.h"
#include "HtmlReport.h"
#include "TextReport.h"

#include "core/ColumnList.h"
#include "core/ColumnPairs.h"
#include "core/StreamCompare.h"
#include "core/StreamKeys.h"
#include "report/JsonReport.h"
#include "locale/FileNames.h"

#include <sys/stat.h>
#include <tuple>

namespace {

bool RegularFile(const QString& path)
{
    struct stat info {};
    return path != QLatin1String("-") && ::stat(FileNameString(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// What tells a file rewritten between two readings: its size and modification time.
std::pair<off_t, std::int64_t> Version(const QString& path)
{
    struct stat info {};
    if (::stat(FileNameString(path).c_str(), &info) != 0)
        return {-1, 0};
    return {info.st_size, std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

} // namespace

bool StreamsByKey(const DiffOptions& options)
{
    return !options.keyList.isEmpty() && !options.full && !options.git && !options.alignIdentical && RegularFile(options.path1) && RegularFile(options.path2);
}

DiffOutcome RunKeyedStreamingDiff(const DiffOptions& options, tallir::Output* out)
{
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    const auto version1 = Version(options.path1), version2 = Version(options.path2);
    StreamedStart start;
    if (!StartStreamed(options, start))
        return std::move(start.outcome);
    auto& [outcome, run, compare, inputs] = start;
    const std::vector<std::string>&names1 = inputs.names1, &names2 = inputs.names2;
    const std::optional<tallir::ColumnPairs>& pairs = inputs.pairs;
    auto& stream1 = inputs.stream1;
    auto& stream2 = inputs.stream2;
    const auto keys = tallir::KeyColumns(options.keyList.toStdString(), names1);
    if (!keys) {
        outcome.errors.push_back("tallir-diff: no such key column in " + path1 + ": " + options.keyList.toStdString());
        return std::move(outcome);
    }
    std::vector<std::uint64_t> keys2;
    for (const std::uint64_t c : *keys)
        keys2.push_back(pairs ? pairs->partner(c) : c);
    tallir::KeyedStreams keyed = tallir::MergeStreamsByKeys(*stream1, *stream2, *keys, keys2, options.keyTolerance,
                                                             (options.json && out) || !options.htmlPath.isEmpty());
    if (!keyed.inOrder) {
        outcome.wholeTables = true;
        return std::move(outcome);
    }
    AddReadFailures(options, inputs, keyed.failure1, keyed.failure2, outcome);
    // Widths as a loaded grid has them: at least one value column, and the names line's.
    const std::uint64_t cols1 = std::max<std::uint64_t>({keyed.width1, names1.size(), 1});
    const std::uint64_t cols2 = std::max<std::uint64_t>({keyed.width2, names2.size(), 1});
    if (const std::string beyond = ToleranceColumnBeyond(compare, std::max(cols1, cols2)); !beyond.empty())
        outcome.errors.push_back(beyond);
    for (const std::uint64_t c : *keys)
        if (outcome.errors.empty() && c >= std::max(cols1, cols2))
            outcome.errors.push_back(BeyondBothTables("key column " + std::to_string(c + 1), std::max(cols1, cols2)));
    // Read again: the rows paired only (the run's names are taken again too).
    if (!outcome.errors.empty() || !OpenStreams(options, inputs, compare, run, outcome))
        return std::move(outcome);
    if (pairs) {
        run.columns = tallir::MatchColumns(names1, cols1, names2, cols2);
        if (!run.columns.positional)
            compare.columnMap = run.columns.file2Column;
    }
    const auto runs = std::make_shared<const tallir::PairRuns>(std::move(keyed.pairs));
    stream1->keepOnly(tallir::PairRuns::Partnered(*runs, true));
    stream2->keepOnly(tallir::PairRuns::Partnered(*runs, false));
    run.pairedRows = [runs](std::uint64_t k) { return runs->paired(k); };
    // The rows in one file only in their place among the cells.
    const std::uint64_t lineOffset = options.names ? 2 : 1;
    tallir::PairRuns::Cursor cursor(*runs);
    const auto oneSided = [&](bool in1, std::uint64_t row) {
        *out << "only in " << Escaped(in1 ? path1 : path2) << ": line " << std::to_string(row + lineOffset) << '\n';
    };
    // The key values of a cell's row: with the widths known no cell waits, so its row is at hand.
    const auto keysOf = [&](const tallir::StreamedCell& cell) {
        if (!cell.batch1)
            throw std::logic_error("a cell without its row");
        std::vector<std::string_view> texts;
        for (const std::uint64_t c : *keys)
            texts.push_back(cell.batch1->cell(cell.row1, std::size_t(c)));
        return texts;
    };
    std::function<void(const tallir::StreamedCell&)> onCell;
    std::optional<tallir::JsonCellList> json;
    if (out && options.json) {
        json.emplace(*out);
        onCell = [&](const tallir::StreamedCell& cell) {
            if (!options.all && !tallir::BeyondTolerance(cell.verdict))
                return;
            const tallir::RowPair rows = runs->paired(cell.verdict.row);
            json->add(JsonCellOf(cell, rows.row1 + lineOffset, rows.row2 + lineOffset, inputs, run, tallir::JsonArray(keysOf(cell))));
        };
    } else if (out) {
        onCell = [&](const tallir::StreamedCell& cell) {
            cursor.upTo(cell.verdict.row, oneSided);
            if (options.all || tallir::BeyondTolerance(cell.verdict))
                WriteCellLine(*out, run.cellName(cell.verdict.row, cell.verdict.col), cell.text1, cell.text2,
                              tallir::VerdictText(cell.verdict, run.separators));
        };
    }
    std::optional<tallir::DetailsGatherer> details;
    if (!options.htmlPath.isEmpty()) {
        details.emplace(options.all, HtmlCellLimit);
        onCell = [&details, &keysOf, write = std::move(onCell)](const tallir::StreamedCell& cell) {
            details->add(cell, tallir::KeyText(keysOf(cell)));
            if (write)
                write(cell);
        };
    }
    const auto compared = tallir::CompareStreams(*stream1, *stream2, compare, onCell, !onCell && !options.maxBeyond,
                                                 {pairs ? &*pairs : nullptr, cols1, cols2, true});
    if (json)
        json->close();
    else if (out)
        cursor.upTo(~std::uint64_t(0), oneSided);
    AddReadFailures(options, inputs, compared.failure1, compared.failure2, outcome);
    // The pairs hold only for the files whose keys were read: a file rewritten meanwhile is said.
    for (auto [path, version] : {std::pair{&options.path1, version1}, {&options.path2, version2}})
        if (Version(*path) != version)
            outcome.errors.push_back("tallir-diff: " + FileNameString(*path) + " changed while it was read");
    if (!outcome.errors.empty())
        return std::move(outcome);

    DescribeStreamedFiles(options, run, keyed.rows1, cols1, keyed.rows2, cols2);
    // What the report reads of the pairing: how many rows are in one file only (the pairs
    // themselves are in runs, see pairedRows).
    auto alignment = std::make_shared<tallir::RowAlignment>();
    alignment->onlyIn1 = runs->onlyIn1();
    alignment->onlyIn2 = runs->onlyIn2();
    alignment->merged = true;
    compare.alignment = std::move(alignment);
    run.keyColumns = *keys;
    run.oneSided = std::move(keyed.oneSided);
    run.figures = compared.figures;
    run.mismatch.rows1 = keyed.rows1;
    run.mismatch.rows2 = keyed.rows2;
    run.result.options = compare;
    run.result.comparedRows = runs->pairedCount() + runs->onlyIn1() + runs->onlyIn2();
    run.result.comparedCols = compare.columnMap.empty() ? std::min(cols1, cols2) : cols1;
    if (details) {
        const tallir::ColumnSet ignored(compare.ignoredColumns);
        run.details = details->finish(runs->pairedCount(), run.result.comparedCols, [&](std::uint64_t c) {
            return !ignored.contains(c) && !(c < compare.columnMap.size() && compare.columnMap[c] < 0);
        });
    }
    run.result.figures = compared.figures;
    run.result.grid = {std::max<std::uint64_t>(2, run.result.comparedRows + 1), run.result.comparedCols + 1};
    run.message = tallir::ClosingMessage(run.file1.path, run.file2.path, compared.figures.differing);
    run.maxBeyond = options.maxBeyond;
    run.disagrees = tallir::Disagrees(BeyondCounted(compared.figures.beyondTolerance, options), compare, run.columns,
                                      {keyed.rows1 + 1, cols1 + 1}, {keyed.rows2 + 1, cols2 + 1});
    outcome.run = std::move(run);
    outcome.streamed = true;
    return std::move(outcome);
}
