#include "MpiDiff.h"

#include "MpiKeys.h"
#include "Ranks.h"

#include "cli/StreamSetup.h"
#include "cli/TextReport.h"
#include "core/ColumnList.h"
#include "core/RowRanges.h"
#include "core/TemporaryFile.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"
#include "report/JsonReport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <numeric>
#include <sys/stat.h>

namespace {

// How a comparison's part travels to rank 0: its figures (cells by table row), counts and the
// first row whose value counts differ.
std::vector<std::uint64_t> Packed(const tallir::StreamComparison& compared, std::uint64_t firstRow,
                                  const std::function<tallir::RowPair(std::uint64_t row)>& rowsOf)
{
    std::vector<std::uint64_t> packed;
    const tallir::Figures& f = compared.figures;
    for (const std::uint64_t n : {f.differing, f.textDiffering, f.same, f.digits, f.beyondTolerance, compared.rows1, compared.rows2,
                                  compared.comparedRows, std::uint64_t(compared.decided), std::uint64_t(compared.failure1),
                                  std::uint64_t(compared.failure2)})
        packed.push_back(n);
    for (const auto* figure : {&f.lowestAgreement, &f.largestAbsolute, &f.largestRelative, &f.largestAbsoluteBeyond, &f.largestRelativeBeyond}) {
        std::uint64_t bits = 0;
        if (*figure)
            std::memcpy(&bits, &(*figure)->value, sizeof bits);
        const tallir::RowPair rows = *figure ? rowsOf((*figure)->cell.row) : tallir::RowPair{0, 0};
        for (const std::uint64_t n : {std::uint64_t(figure->has_value()), bits, *figure ? (*figure)->cell.row + firstRow : 0,
                                      *figure ? (*figure)->cell.col : 0, rows.row1, rows.row2})
            packed.push_back(n);
    }
    const auto& mismatch = compared.mismatch;
    for (const std::uint64_t n : {std::uint64_t(mismatch.firstRow.has_value()), mismatch.firstRow.value_or(0) + firstRow, mismatch.values1,
                                  mismatch.values2})
        packed.push_back(n);
    return packed;
}

// The parts in rank order made one comparison (values1 and values2 are every process's already).
tallir::StreamComparison Unpacked(const std::vector<std::uint64_t>& all, std::size_t each, tallir::StreamComparison whole,
                                  std::map<std::uint64_t, tallir::RowPair>& figureRows)
{
    tallir::FiguresTally tally;
    whole.rows1 = whole.rows2 = whole.comparedRows = 0;
    whole.mismatch = {};
    for (std::size_t at = 0; at + each <= all.size(); at += each) {
        const std::uint64_t* p = all.data() + at;
        tallir::Figures f;
        f.differing = p[0];
        f.textDiffering = p[1];
        f.same = p[2];
        f.digits = p[3];
        f.beyondTolerance = p[4];
        whole.rows1 += p[5];
        whole.rows2 += p[6];
        whole.comparedRows += p[7];
        whole.decided = whole.decided || p[8];
        p += 11;
        for (auto* figure : {&f.lowestAgreement, &f.largestAbsolute, &f.largestRelative, &f.largestAbsoluteBeyond, &f.largestRelativeBeyond}) {
            if (p[0]) {
                double value = 0;
                std::memcpy(&value, &p[1], sizeof value);
                *figure = tallir::FigureAt<double>{value, {p[2], p[3]}};
                figureRows[p[2]] = {p[4], p[5]};
            }
            p += 6;
        }
        tally.merge(tallir::FiguresTally(f));
        // The first row of another length: the earliest part's.
        if (p[0] && !whole.mismatch.firstRow) {
            whole.mismatch.firstRow = p[1];
            whole.mismatch.values1 = p[2];
            whole.mismatch.values2 = p[3];
        }
    }
    whole.figures = tally.figures();
    whole.mismatch.rows1 = whole.rows1;
    whole.mismatch.rows2 = whole.rows2;
    whole.comparedCols = std::min(whole.values1, whole.values2);
    return whole;
}

} // namespace

std::string MpiRefusal(const DiffOptions& options)
{
    for (const QString& path : {options.path1, options.path2}) {
        struct stat info {};
        if (path == QLatin1String("-") || path.endsWith(QLatin1String(".gz")) || path.endsWith(QLatin1String(".zst"))
            || (::stat(FileNameString(path).c_str(), &info) == 0 && !S_ISREG(info.st_mode)))
            return "tallir-diff-mpi: " + FileNameString(path)
                + " cannot be split among processes: give a regular file that is not compressed (or use tallir-diff)";
    }
    const std::pair<bool, const char*> options_[] = {{options.keyTolerance > 0, "--key-tol"}, {options.alignIdentical, "--align"},
                                                     {options.git, "--git"}, {options.full, "--full"}, {!options.htmlPath.isEmpty(), "--html"},
                                                     {options.csv, "--csv"}};
    for (const auto& [given, name] : options_)
        if (given)
            return std::string("tallir-diff-mpi: ") + name + " is not done by processes together yet: use tallir-diff";
    return {};
}

DiffOutcome RunMpiDiff(const DiffOptions& options, tallir::Output* out)
{
    const bool root = ranks::Rank() == 0;
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    DiffOutcome outcome;
    // Every process opens both files itself: one that cannot stops all of them.
    tallir::RowRanges ranges1, ranges2;
    for (auto [ranges, path] : {std::pair{&ranges1, &path1}, {&ranges2, &path2}})
        if (!ranges->open(*path))
            outcome.errors.push_back(ReadError(*path, errno == ENOENT ? tallir::ReadFailure::NoFile : tallir::ReadFailure::CannotOpen));
    std::optional<Parts> parts;
    StreamedStart start;
    auto& [_, run, compare, inputs] = start;
    run.separators = LocaleFormat::Separators();
    compare = options.compare;
    if (!ranks::AnyOf(!outcome.errors.empty())) {
        parts = Split(ranges1, ranges2, options.names);
        if (!parts)
            outcome.errors.push_back("tallir-diff: " + path1 + " or " + path2 + " could not be read");
    }
    if (parts && options.names) {
        inputs.names1 = tallir::RowStream(path1, tallir::TableFormat::Plain, options.maxLine).takeFirstRow();
        inputs.names2 = tallir::RowStream(path2, tallir::TableFormat::Plain, options.maxLine).takeFirstRow();
        UseNames(options, inputs, compare, run, outcome);
    }
    const auto stop = [&] {
        // Every process's trouble, each said once, by rank 0.
        std::string said;
        for (const std::string& error : outcome.errors)
            said += error + '\n';
        std::vector<std::string> all = ranks::GatherTexts(said), errors;
        for (const std::string& text : all)
            for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
                if (std::find(errors.begin(), errors.end(), text.substr(at, end - at)) == errors.end())
                    errors.push_back(text.substr(at, end - at));
        DiffOutcome stopped;
        stopped.errors = root ? errors : std::vector<std::string>{"(said by rank 0)"};
        return stopped;
    };
    if (ranks::AnyOf(!outcome.errors.empty()))
        return stop();

    // By key: the rows this process compares and where they are in the tables; by position, its
    // parts of both files.
    const bool keyed = !options.keyList.isEmpty();
    const FileStamp stamp1 = StampOf(options.path1), stamp2 = StampOf(options.path2);
    std::optional<std::vector<std::uint64_t>> keys;
    KeyedShare share;
    std::uint64_t firstRow = parts->part1.firstRow; // of the rows this process compares
    std::function<tallir::RowPair(std::uint64_t row)> rowsOf = [firstRow](std::uint64_t row) {
        return tallir::RowPair{row + firstRow, row + firstRow};
    };
    StreamedShape shape{};
    if (keyed) {
        keys = tallir::KeyColumns(options.keyList.toStdString(), inputs.names1);
        if (!keys) {
            outcome.errors.push_back("tallir-diff: no such key column in " + path1 + ": " + options.keyList.toStdString());
            return stop();
        }
        std::vector<std::uint64_t> keys2;
        for (const std::uint64_t c : *keys)
            keys2.push_back(inputs.pairs ? inputs.pairs->partner(c) : c);
        share = ShareByKeys(options, ranges2, *parts, *keys, keys2, (options.json && out) || !options.htmlPath.isEmpty());
        outcome.errors.insert(outcome.errors.end(), share.errors.begin(), share.errors.end());
        AddReadFailures(options, inputs, share.failure1, share.failure2, outcome);
        shape = ShapeOf(inputs, parts->firstRows1.back(), share.width1, parts->rows2, share.width2);
        AddColumnsBeyond(compare, *keys, shape, outcome);
        inputs.stream1 = std::move(share.stream1);
        inputs.stream2 = std::move(share.stream2);
        firstRow = share.pairedBefore;
        rowsOf = share.paired;
    } else {
        const auto& [part1, part2, firstRows1, rows2, start2] = *parts;
        inputs.stream1 = std::make_unique<tallir::RowStream>(path1, part1.begin, part1.end - part1.begin, tallir::TableFormat::Plain, options.maxLine);
        inputs.stream2 = std::make_unique<tallir::RowStream>(path2, part2.begin, part2.end - part2.begin, tallir::TableFormat::Plain, options.maxLine);
    }
    for (auto [stream, path] : {std::pair{inputs.stream1.get(), &path1}, {inputs.stream2.get(), &path2}})
        if (stream && stream->openFailure() != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(*path, stream->openFailure()));
    if (ranks::AnyOf(!outcome.errors.empty()))
        return stop();

    // This process's cells, in a temporary file until rank 0 gathers them.
    std::FILE* spool = SpoolFile(outcome.errors);
    if (ranks::AnyOf(!outcome.errors.empty()))
        return stop();
    tallir::Output cellsOut(spool);
    // By key, the rows in one file only in their place among the text report's cells.
    const std::uint64_t lineOffset = options.names ? 2 : 1;
    const auto oneSidedLine = [&](bool in1, std::uint64_t row) {
        cellsOut << "only in " << Escaped(in1 ? path1 : path2) << ": line " << std::to_string(row + lineOffset) << '\n';
    };
    const auto keysOf = [&keys](const tallir::StreamedCell& cell) {
        std::vector<std::string_view> texts;
        for (const std::uint64_t c : *keys)
            texts.push_back(cell.batch1->cell(cell.row1, std::size_t(c)));
        return texts;
    };
    run.pairedRows = rowsOf; // what the text lines name
    StreamedCells cells(options, out ? &cellsOut : nullptr, inputs, run, rowsOf, keyed ? StreamedCells::KeysOf(keysOf) : nullptr,
                        keyed ? StreamedCells::Before([&](std::uint64_t row) { share.oneSidedUpTo(row, oneSidedLine); }) : nullptr, true);
    tallir::StreamColumns columns{inputs.pairs ? &*inputs.pairs : nullptr, shape.cols1, shape.cols2, keyed, {}};
    if (!keyed)
        columns.widen = [](std::uint64_t& values1, std::uint64_t& values2) {
            std::vector<std::uint64_t> widths{values1, values2};
            ranks::AllMax(widths);
            values1 = widths[0];
            values2 = widths[1];
        };
    const auto compared = tallir::CompareStreams(*inputs.stream1, *inputs.stream2, compare, cells.onCell(),
                                                 !cells.onCell() && !options.maxBeyond, columns);
    cells.close();
    if (keyed && cells.writesText())
        share.oneSidedUpTo(UINT64_MAX, oneSidedLine);
    if (!cellsOut.finish())
        outcome.errors.push_back("tallir-diff: the cells could not be written to a temporary file in " + tallir::TemporaryFolder() + ": "
                                 + std::strerror(errno));
    AddReadFailures(options, inputs, compared.failure1, compared.failure2, outcome);
    if (keyed && outcome.errors.empty())
        AddFilesChanged(options, stamp1, stamp2, outcome);
    if (ranks::AnyOf(!outcome.errors.empty())) {
        std::fclose(spool);
        return stop();
    }

    const std::vector<std::uint64_t> packed = Packed(compared, firstRow, rowsOf);
    const std::vector<std::uint64_t> all = ranks::Gather(packed);
    // The cells in the order of the rows: the processes' in rank order.
    if (out && options.json && root)
        tallir::JoinJsonCells(*out, [&](const std::function<void(std::string_view)>& each) { ranks::GatherFiles(spool, each); });
    else if (out)
        ranks::GatherFiles(spool, [&](std::string_view piece) { *out << piece; });
    std::fclose(spool);
    if (!root)
        return outcome;
    std::map<std::uint64_t, tallir::RowPair> figureRows;
    const tallir::StreamComparison whole = Unpacked(all, packed.size(), compared, figureRows);
    // The report asks for the rows of the figures' cells only.
    run.pairedRows = [figureRows = std::move(figureRows)](std::uint64_t row) {
        const auto found = figureRows.find(row);
        return found != figureRows.end() ? found->second : tallir::RowPair{row, row};
    };
    if (!keyed) {
        shape = ShapeOf(inputs, whole.rows1, whole.values1, whole.rows2, whole.values2);
        if (const std::string beyond = ToleranceColumnBeyond(compare, std::max(shape.cols1, shape.cols2)); !beyond.empty()) {
            outcome.errors.push_back(beyond);
            return outcome;
        }
        FinishStreamedRun(options, run, compare, inputs, whole, shape, whole.comparedRows, whole.comparedRows, cells);
    } else {
        auto alignment = std::make_shared<tallir::RowAlignment>();
        alignment->repeated1 = share.repeated1;
        alignment->repeated2 = share.repeated2;
        alignment->onlyIn1 = share.onlyIn1;
        alignment->onlyIn2 = share.onlyIn2;
        compare.alignment = std::move(alignment);
        run.keyColumns = *keys;
        run.oneSided = std::move(share.oneSided);
        FinishStreamedRun(options, run, compare, inputs, whole, shape, share.pairedCount + share.onlyIn1 + share.onlyIn2, share.pairedCount,
                          cells);
    }
    outcome.run = std::move(run);
    outcome.streamed = true;
    return outcome;
}
