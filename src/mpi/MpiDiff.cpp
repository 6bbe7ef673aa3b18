#include "MpiDiff.h"

#include "Ranks.h"

#include "cli/StreamSetup.h"
#include "core/RowRanges.h"
#include "core/TemporaryFile.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"
#include "report/JsonReport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <sys/stat.h>

namespace {

// Each process's part of one file: rows [firstRow, firstRow + rows) of the table, in the bytes
// [begin, end).
struct Part {
    std::uint64_t begin = 0, end = 0, firstRow = 0;
};

// How a comparison's part travels to rank 0: its figures (cells by table row), counts and the
// first row whose value counts differ.
std::vector<std::uint64_t> Packed(const tallir::StreamComparison& compared, std::uint64_t firstRow)
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
        for (const std::uint64_t n : {std::uint64_t(figure->has_value()), bits, *figure ? (*figure)->cell.row + firstRow : 0,
                                      *figure ? (*figure)->cell.col : 0})
            packed.push_back(n);
    }
    const auto& mismatch = compared.mismatch;
    for (const std::uint64_t n : {std::uint64_t(mismatch.firstRow.has_value()), mismatch.firstRow.value_or(0) + firstRow, mismatch.values1,
                                  mismatch.values2})
        packed.push_back(n);
    return packed;
}

// The parts in rank order made one comparison (values1 and values2 are every process's already).
tallir::StreamComparison Unpacked(const std::vector<std::uint64_t>& all, std::size_t each, tallir::StreamComparison whole)
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
            }
            p += 4;
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

// Every process's part of both files: File 1 split by bytes at row starts, File 2 at the rows
// where File 1's parts begin (its rows past File 1's go to the last process). Nothing when a
// file could not be read.
std::optional<std::pair<Part, Part>> Split(const tallir::RowRanges& file1, const tallir::RowRanges& file2, bool names)
{
    const std::uint64_t count = std::uint64_t(ranks::Count()), rank = std::uint64_t(ranks::Rank());
    bool failed = false;
    const auto got = [&failed](std::optional<std::uint64_t> value) {
        failed = failed || !value;
        return value.value_or(0);
    };
    // The rows begin after the names line; each process's share of the bytes after it.
    const auto share = [&](const tallir::RowRanges& file, std::uint64_t start, std::uint64_t r) {
        return r == 0 ? start : r == count ? file.size() : std::max(start, got(file.rowStartFrom(start + (file.size() - start) / count * r)));
    };
    const std::uint64_t start1 = names ? got(file1.rowStartAfter(0, file1.size(), 1)) : 0;
    const std::uint64_t start2 = names ? got(file2.rowStartAfter(0, file2.size(), 1)) : 0;
    Part part1{share(file1, start1, rank), share(file1, start1, rank + 1), 0};
    const std::uint64_t chunk2Begin = share(file2, start2, rank), chunk2End = share(file2, start2, rank + 1);
    const std::uint64_t rows1 = got(file1.countRows(part1.begin, part1.end)), rows2 = got(file2.countRows(chunk2Begin, chunk2End));
    if (ranks::AnyOf(failed))
        return std::nullopt;
    const std::vector<std::uint64_t> counts1 = ranks::AllGather(rows1), counts2 = ranks::AllGather(rows2);
    // Where each part of File 1 begins in rows, and where that row begins in File 2: found by
    // the process whose chunk of File 2 holds it.
    std::vector<std::uint64_t> firstRows(count + 1, 0), starts2(count + 1, 0);
    for (std::uint64_t r = 0; r < count; ++r)
        firstRows[r + 1] = firstRows[r] + counts1[r];
    std::uint64_t chunkFirst = 0;
    for (std::uint64_t r = 0; r < rank; ++r)
        chunkFirst += counts2[r];
    for (std::uint64_t r = 1; r < count; ++r)
        if (firstRows[r] >= chunkFirst && firstRows[r] < chunkFirst + rows2)
            starts2[r] = got(file2.rowStartAfter(chunk2Begin, chunk2End, firstRows[r] - chunkFirst));
        else if (rank == 0 && firstRows[r] >= std::accumulate(counts2.begin(), counts2.end(), std::uint64_t(0)))
            starts2[r] = file2.size();
    starts2[0] = start2;
    ranks::AllMax(starts2);
    if (ranks::AnyOf(failed))
        return std::nullopt;
    starts2[count] = file2.size();
    part1.firstRow = firstRows[rank];
    return std::pair{part1, Part{starts2[rank], starts2[rank + 1], firstRows[rank]}};
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
    const std::pair<bool, const char*> options_[] = {{!options.keyList.isEmpty(), "--key"}, {options.alignIdentical, "--align"},
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
    std::optional<std::pair<Part, Part>> parts;
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
    if (parts) {
        const auto& [part1, part2] = *parts;
        inputs.stream1 = std::make_unique<tallir::RowStream>(path1, part1.begin, part1.end - part1.begin, tallir::TableFormat::Plain, options.maxLine);
        inputs.stream2 = std::make_unique<tallir::RowStream>(path2, part2.begin, part2.end - part2.begin, tallir::TableFormat::Plain, options.maxLine);
        for (auto [stream, path] : {std::pair{inputs.stream1.get(), &path1}, {inputs.stream2.get(), &path2}})
            if (stream->openFailure() != tallir::ReadFailure::None)
                outcome.errors.push_back(ReadError(*path, stream->openFailure()));
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

    // This process's cells, in a temporary file until rank 0 gathers them.
    const Part part = parts->first;
    std::FILE* spool = tallir::TemporaryFile();
    if (!spool)
        outcome.errors.push_back("tallir-diff: no temporary file could be made in " + tallir::TemporaryFolder() + ": " + std::strerror(errno));
    if (ranks::AnyOf(!outcome.errors.empty()))
        return stop();
    tallir::Output cellsOut(spool);
    run.pairedRows = [first = part.firstRow](std::uint64_t row) { return tallir::RowPair{row + first, row + first}; };
    StreamedCells cells(options, out ? &cellsOut : nullptr, inputs, run, run.pairedRows, {}, {}, true);
    tallir::StreamColumns columns{inputs.pairs ? &*inputs.pairs : nullptr};
    columns.widen = [](std::uint64_t& values1, std::uint64_t& values2) {
        std::vector<std::uint64_t> widths{values1, values2};
        ranks::AllMax(widths);
        values1 = widths[0];
        values2 = widths[1];
    };
    const auto compared = tallir::CompareStreams(*inputs.stream1, *inputs.stream2, compare, cells.onCell(),
                                                 !cells.onCell() && !options.maxBeyond, columns);
    cells.close();
    if (!cellsOut.finish())
        outcome.errors.push_back("tallir-diff: the cells could not be written to a temporary file in " + tallir::TemporaryFolder() + ": "
                                 + std::strerror(errno));
    AddReadFailures(options, inputs, compared.failure1, compared.failure2, outcome);
    if (ranks::AnyOf(!outcome.errors.empty())) {
        std::fclose(spool);
        return stop();
    }

    const std::vector<std::uint64_t> packed = Packed(compared, part.firstRow);
    const std::vector<std::uint64_t> all = ranks::Gather(packed);
    // The cells in the order of the rows: the processes' in rank order.
    if (out && options.json && root)
        tallir::JoinJsonCells(*out, [&](const std::function<void(std::string_view)>& each) { ranks::GatherFiles(spool, each); });
    else if (out)
        ranks::GatherFiles(spool, [&](std::string_view piece) { *out << piece; });
    std::fclose(spool);
    if (!root)
        return outcome;
    const tallir::StreamComparison whole = Unpacked(all, packed.size(), compared);
    const StreamedShape shape = ShapeOf(inputs, whole.rows1, whole.values1, whole.rows2, whole.values2);
    if (const std::string beyond = ToleranceColumnBeyond(compare, std::max(shape.cols1, shape.cols2)); !beyond.empty()) {
        outcome.errors.push_back(beyond);
        return outcome;
    }
    run.pairedRows = nullptr;
    FinishStreamedRun(options, run, compare, inputs, whole, shape, whole.comparedRows, whole.comparedRows, cells);
    outcome.run = std::move(run);
    outcome.streamed = true;
    return outcome;
}
