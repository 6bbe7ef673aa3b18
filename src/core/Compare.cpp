#include "Compare.h"

#include "Agreement.h"
#include "NumericText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <thread>

namespace tallir {

namespace {

// Below this many cells a second thread costs more than it saves.
constexpr std::uint64_t CellsPerThread = 1 << 16;

void CompareRows(const Table& file1, const Table& file2, std::uint64_t firstRow, std::uint64_t endRow,
                 std::uint64_t cols, const std::vector<bool>& ignored, const CompareOptions& options, std::vector<Verdict>& out)
{
    for (std::uint64_t r = firstRow; r < endRow; ++r) {
        if (options.cancel && options.cancel->load(std::memory_order_relaxed))
            return;
        Table::RowCursor row1(file1, r);
        Table::RowCursor row2(file2, r);
        // Past both rows' last values every pair is two empty texts: nothing to look at.
        const std::uint64_t width = std::min<std::uint64_t>(cols, std::max(row1.count(), row2.count()));
        for (std::uint64_t c = 0; c < width; ++c) {
            const std::string_view a = row1.cell(c);
            const std::string_view b = row2.cell(c);
            if (a == b || (c < ignored.size() && ignored[c]))
                continue;
            if (auto verdict = CompareCells(a, b, options)) {
                verdict->row = r;
                verdict->col = c;
                out.push_back(*verdict);
            }
        }
    }
}

} // namespace

GridShape LoadedGridShape(const Table& table)
{
    return {1 + table.rowCount(), 1 + std::max<std::uint64_t>(1, table.maxValueCount())};
}

bool LoadedGridNumbersColumns(const Table& table)
{
    return table.maxValueCount() >= 2;
}

std::optional<Verdict> CompareCells(std::string_view a, std::string_view b, const CompareOptions& options)
{
    if (a == b)
        return std::nullopt;
    const auto x1 = NumericValue(a);
    const auto x2 = x1 ? NumericValue(b) : std::nullopt;
    if (!x2)
        return Verdict{0, 0, 0, VerdictKind::Text};
    if (*x1 == *x2)
        return std::nullopt;
    const double agreement = Agreement(*x1, *x2);
    const double difference = std::fabs(*x2 - *x1);
    const bool same = (options.precisionSame && agreement > options.precisionLog)
        || (options.absoluteTolerance && difference <= *options.absoluteTolerance)
        || (options.relativeTolerance && difference <= *options.relativeTolerance * std::fabs(*x1));
    return Verdict{0, 0, agreement, same ? VerdictKind::Same : VerdictKind::Digits};
}

CompareResult CompareTables(const Table& file1, const Table& file2, const CompareOptions& options)
{
    return CompareTables(file1, LoadedGridShape(file1), file2, LoadedGridShape(file2), options);
}

CompareResult CompareTables(const Table& file1, GridShape shape1, const Table& file2, GridShape shape2,
                            const CompareOptions& options)
{
    const std::uint64_t minRows = std::min(shape1.rows, shape2.rows);
    const std::uint64_t minCols = std::min(shape1.cols, shape2.cols);

    CompareResult result;
    result.options = options;
    result.comparedRows = minRows - 1;
    result.comparedCols = minCols - 1;
    result.grid = {std::max<std::uint64_t>(2, minRows), std::max<std::uint64_t>(2, minCols)};
    result.rowsNumbered = minRows > 2;
    result.colsNumbered = minCols > 2;

    const std::uint64_t rows = result.comparedRows;
    const std::uint64_t cols = result.comparedCols;
    unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::clamp<std::uint64_t>(rows * cols / CellsPerThread, 1, threads));
    threads = static_cast<unsigned>(std::min<std::uint64_t>(threads, std::max<std::uint64_t>(rows, 1)));

    // The ignored columns as a mask over the compared width only, however wide the ranges.
    std::vector<bool> ignored;
    for (const auto& range : options.ignoredColumns) {
        if (range.first >= cols)
            continue;
        ignored.resize(cols, false);
        std::fill(ignored.begin() + std::ptrdiff_t(range.first), ignored.begin() + std::ptrdiff_t(std::min(range.last + 1, cols)), true);
    }

    // Each thread takes a band of rows into its own list; the bands join in row order.
    std::vector<std::vector<Verdict>> bands(threads);
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        const std::uint64_t first = rows * t / threads;
        const std::uint64_t end = rows * (t + 1) / threads;
        auto work = [&, t, first, end] { CompareRows(file1, file2, first, end, cols, ignored, options, bands[t]); };
        if (t + 1 < threads)
            workers.emplace_back(work);
        else
            work();
    }
    for (auto& worker : workers)
        worker.join();
    result.cancelled = options.cancel && options.cancel->load();

    result.verdicts = std::move(bands[0]);
    for (unsigned t = 1; t < threads; ++t)
        result.verdicts.insert(result.verdicts.end(), bands[t].begin(), bands[t].end());
    return result;
}

std::string ExplainCells(std::string_view a, std::string_view b, const CompareOptions& options)
{
    char number[64];
    auto text = [&](double value) {
        const auto end = std::to_chars(number, number + sizeof number, value).ptr;
        return std::string(number, end);
    };
    std::string lines = "File 1: " + std::string(a) + "\nFile 2: " + std::string(b);
    const auto x1 = NumericValue(a);
    const auto x2 = NumericValue(b);
    if (!(x1 && x2)) {
        return lines + (a == b ? "\nidentical texts" : "\ntexts differ");
    }
    lines += "\nvalues: " + text(*x1) + " and " + text(*x2);
    if (*x1 == *x2)
        return lines + "\nequal values";
    const double absolute = std::fabs(*x2 - *x1);
    const double relative = *x1 == 0 ? std::fabs(*x2) : absolute / std::fabs(*x1);
    const auto verdict = CompareCells(a, b, options);
    lines += "\nabsolute difference: " + text(absolute) + "\nrelative difference: " + text(relative)
        + "\nagreement: " + text(verdict->agreement) + " digits";
    if (verdict->kind == VerdictKind::Same)
        return lines + "\nregarded as the same";
    if (options.precisionSame)
        return lines + "\nbelow the precision of " + text(options.precisionLog) + " digits";
    return lines + "\nthe precision rule is off";
}

std::string VerdictText(const Verdict& verdict, const NumberSeparators& separators)
{
    switch (verdict.kind) {
    case VerdictKind::Same:
        return "S";
    case VerdictKind::Text:
        return "D";
    case VerdictKind::Digits:
        break;
    }
    return FormatStandard(verdict.agreement, separators);
}

std::string ClosingMessage(const std::string& caption1, const std::string& caption2, std::uint64_t differing)
{
    if (differing == 0)
        return caption1 + " == " + caption2 + "\r\nin smaller rows and cols.";
    return caption1 + " != " + caption2 + "\r\nat " + std::to_string(differing) + " cells\r\nin smaller rows and cols.";
}

} // namespace tallir
