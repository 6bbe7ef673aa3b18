#include "Compare.h"

#include "ColumnPairs.h"

#include "Agreement.h"
#include "ExactDecimal.h"
#include "NumericText.h"
#include "SameText.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <cmath>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>

namespace tallir {

namespace {

// Below this many cells a second thread costs more than it saves.
constexpr std::uint64_t CellsPerThread = 1 << 16;

// The rows of File 1 and File 2 that compared row r stands for; one of them NoRow where an
// alignment left that side empty.
RowPair RowsOf(const CompareOptions& options, std::uint64_t r)
{
    return options.alignment ? options.alignment->pairs[r] : RowPair{r, r};
}

// One band's verdicts and their figures: per column where there are not too many columns,
// else for all of them at once.
struct Band {
    VerdictList& verdicts;
    FiguresTally& tally;
    std::vector<FiguresTally>& columns;

    void compare(std::string_view a, std::string_view b, std::uint64_t row, std::uint64_t col, const CompareOptions& options)
    {
        CellValues values;
        if (auto verdict = CompareDifferentCells(a, b, options, col, &values)) {
            verdict->row = row;
            verdict->col = col;
            verdicts.push_back(*verdict);
            (col < columns.size() ? columns[col] : tally).add(*verdict, values);
        }
    }
};

// The compared rows firstRow to endRow that have a row on both sides, until cancelled.
template <class Visit>
void ForEachPairedRow(const CompareOptions& options, std::uint64_t firstRow, std::uint64_t endRow, Visit&& visit)
{
    for (std::uint64_t r = firstRow; r < endRow; ++r) {
        if (options.cancel && options.cancel->load(std::memory_order_relaxed))
            return;
        const RowPair rows = RowsOf(options, r);
        if (rows.paired())
            visit(r, rows);
    }
}

void CompareMappedRows(const Table& file1, const Table& file2, std::uint64_t firstRow, std::uint64_t endRow,
                       std::uint64_t cols, const std::vector<bool>& ignored, const CompareOptions& options,
                       Band& band)
{
    const auto& map = options.columnMap;
    std::vector<std::string_view> cells2;
    ForEachPairedRow(options, firstRow, endRow, [&](std::uint64_t r, RowPair rows) {
        // The row of File 2 once, in order; then its cells by the map.
        Table::RowCursor row2(file2, rows.row2);
        cells2.resize(row2.count());
        for (std::size_t c = 0; c < cells2.size(); ++c)
            cells2[c] = row2.cell(c);
        Table::RowCursor row1(file1, rows.row1);
        for (std::uint64_t c = 0; c < cols && c < map.size(); ++c) {
            if (map[c] < 0 || (c < ignored.size() && ignored[c]))
                continue;
            const std::string_view a = row1.cell(c);
            const std::string_view b = std::size_t(map[c]) < cells2.size() ? cells2[std::size_t(map[c])] : std::string_view();
            if (!SameText(a, b))
                band.compare(a, b, r, c, options);
        }
    });
}

void CompareRows(const Table& file1, const Table& file2, std::uint64_t firstRow, std::uint64_t endRow,
                 std::uint64_t cols, const std::vector<bool>& ignored, const CompareOptions& options, Band band)
{
    if (!options.columnMap.empty())
        return CompareMappedRows(file1, file2, firstRow, endRow, cols, ignored, options, band);
    ForEachPairedRow(options, firstRow, endRow, [&](std::uint64_t r, RowPair rows) {
        if (file1.sameLine(rows.row1, file2, rows.row2))
            return; // the very same bytes: every cell agrees
        Table::RowCursor row1(file1, rows.row1);
        Table::RowCursor row2(file2, rows.row2);
        // Past both rows' last values every pair is two empty texts: nothing to look at.
        const std::uint64_t width = std::min<std::uint64_t>(cols, std::max(row1.count(), row2.count()));
        for (std::uint64_t c = 0; c < width; ++c) {
            const std::string_view a = row1.cell(c);
            const std::string_view b = row2.cell(c);
            if (!SameText(a, b) && !(c < ignored.size() && ignored[c]))
                band.compare(a, b, r, c, options);
        }
    });
}

} // namespace

GridShape LoadedGridShape(const Table& table)
{
    return {1 + table.rowCount(), 1 + std::max<std::uint64_t>({1, table.maxValueCount(), table.names().size()})};
}

bool LoadedGridNumbersColumns(const Table& table)
{
    return table.maxValueCount() >= 2 || table.hasNames();
}

ColumnMatch MatchColumns(const std::vector<std::string>& names1, std::size_t cols1, const std::vector<std::string>& names2,
                         std::size_t cols2)
{
    const auto upTo = [](const std::vector<std::string>& names, std::size_t cols) {
        return std::vector<std::string>(names.begin(), names.begin() + std::ptrdiff_t(std::min(cols, names.size())));
    };
    const ColumnPairs pairs(upTo(names1, cols1), upTo(names2, cols2));
    ColumnMatch match;
    match.file2Column.assign(cols1, -1);
    for (std::size_t c = 0; c < cols1; ++c) {
        const std::uint64_t partner = pairs.partner(c);
        if (partner < cols2)
            match.file2Column[c] = std::int64_t(partner);
        else
            match.onlyIn1.push_back(c);
    }
    for (std::size_t c = 0; c < cols2; ++c)
        if (pairs.partnerOf2(c) >= cols1)
            match.onlyIn2.push_back(c);
    match.positional = match.onlyIn1.empty() && match.onlyIn2.empty();
    for (std::size_t c = 0; c < cols1 && match.positional; ++c)
        match.positional = match.file2Column[c] == std::int64_t(c);
    return match;
}

std::optional<Verdict> CompareCells(std::string_view a, std::string_view b, const CompareOptions& options, std::uint64_t column,
                                    CellValues* values)
{
    if (SameText(a, b))
        return std::nullopt;
    return CompareDifferentCells(a, b, options, column, values);
}

namespace {

Tolerance ToleranceOf(const CompareOptions& options, std::uint64_t column)
{
    return ToleranceIn(column, options.absoluteTolerance, options.relativeTolerance, options.columnTolerances);
}

// Two different finite numbers: their agreement, "S" when a tolerance says so.
Verdict NumbersVerdict(double x1, double x2, const CompareOptions& options, std::uint64_t column, CellValues* values)
{
    const CellValues cell = ValuesOf(x1, x2);
    if (values)
        *values = cell;
    const double agreement = options.kindsOnly && !options.precisionSame ? 0 : AgreementOf(cell.relative);
    const Tolerance tolerance = ToleranceOf(options, column);
    const bool same = (options.precisionSame && agreement > options.precisionLog)
        || (tolerance.absolute && cell.absolute <= *tolerance.absolute)
        || (tolerance.relative && WithinRelative(x1, x2, *tolerance.relative, options.relativeTo));
    return Verdict{0, 0, agreement, same ? VerdictKind::Same : VerdictKind::Digits};
}

// A pair that is no pair of decimal numbers, read by the grammar's further readings: NaN against
// NaN and an infinity against the same one are equal; any other pair with either is "D", beyond
// every tolerance.
std::optional<Verdict> ExtendedVerdict(std::string_view a, std::string_view b, const CompareOptions& options, std::uint64_t column,
                                       CellValues* values)
{
    const auto x1 = NumericValue(a, options.grammar);
    const auto x2 = x1 ? NumericValue(b, options.grammar) : std::nullopt;
    if (!x2)
        return Verdict{0, 0, 0, VerdictKind::Text};
    if (!std::isfinite(*x1) || !std::isfinite(*x2)) {
        if ((std::isnan(*x1) && std::isnan(*x2)) || *x1 == *x2)
            return std::nullopt;
        return Verdict{0, 0, 0, VerdictKind::Text};
    }
    if (*x1 == *x2)
        return std::nullopt;
    return NumbersVerdict(*x1, *x2, options, column, values);
}

// The base-10 logarithm of |x2 - x1| / ref for two texts of one double but different values,
// or nothing where the reference is 0.
std::optional<double> LogRelative(const LogDifference& exact, bool secondIsZero, RelativeTo to)
{
    // Away from 0 both values are one double, so every reference gives the same share; a 0 on
    // one side makes the difference the other value itself: a share of 1, or none.
    const bool zero = exact.firstIsZero || secondIsZero;
    if (!zero)
        return exact.relative;
    switch (to) {
    case RelativeTo::File1:
        return exact.firstIsZero ? std::nullopt : std::optional<double>(0);
    case RelativeTo::File2:
        return secondIsZero ? std::nullopt : std::optional<double>(0);
    case RelativeTo::Max:
        return 0.0;
    case RelativeTo::Min:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<Verdict> CompareDifferentCells(std::string_view a, std::string_view b, const CompareOptions& options,
                                             std::uint64_t column, CellValues* values)
{
    const auto both = NumericValues(a, b);
    if (!both)
        return options.grammar.any() ? ExtendedVerdict(a, b, options, column, values) : Verdict{0, 0, 0, VerdictKind::Text};
    const auto [x1, x2] = *both;
    if (x1 == x2) {
        // Equal as doubles; the texts' own values may still differ in digits a double cannot hold.
        if (SurelyEqual(a, b, x1))
            return std::nullopt;
        const auto exact = ExactDifference(a, b);
        if (!exact)
            return std::nullopt;
        if (values)
            *values = {x1, x2, exact->value, std::pow(10.0, exact->relative)};
        const Tolerance tolerance = ToleranceOf(options, column);
        const auto relative = tolerance.relative ? LogRelative(*exact, ExactOrder(b, "0") == 0, options.relativeTo) : std::nullopt;
        const bool same = (options.precisionSame && -exact->relative > options.precisionLog)
            || (tolerance.absolute
                && (exact->value > 0 ? exact->value <= *tolerance.absolute : exact->absolute <= std::log10(*tolerance.absolute)))
            || (relative && *relative <= std::log10(*tolerance.relative));
        return Verdict{0, 0, -exact->relative, same ? VerdictKind::Same : VerdictKind::Digits};
    }
    return NumbersVerdict(x1, x2, options, column, values);
}

std::vector<std::uint64_t> File2Columns(const CompareOptions& options, const std::vector<std::uint64_t>& file1Columns)
{
    std::vector<std::uint64_t> columns;
    for (const std::uint64_t c : file1Columns)
        columns.push_back(c < options.columnMap.size() && options.columnMap[c] >= 0 ? std::uint64_t(options.columnMap[c]) : c);
    return columns;
}

namespace {

// The agreement of a compared cell worked out again from the tables, as the comparison did.
class TableAgreements final : public AgreementSource {
public:
    TableAgreements(std::shared_ptr<const Table> file1, std::shared_ptr<const Table> file2, const CompareOptions& options)
        : file1_(std::move(file1))
        , file2_(std::move(file2))
        , options_(options)
    {
        options_.cancel = nullptr; // the comparison's own, gone once it is done
    }

    double agreement(std::uint64_t row, std::uint64_t col) const override
    {
        constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
        const RowPair rows = RowsOf(options_, row);
        if (!rows.paired())
            return unknown;
        const auto& map = options_.columnMap;
        if (!map.empty() && (col >= map.size() || map[col] < 0))
            return unknown;
        const std::uint64_t col2 = map.empty() ? col : std::uint64_t(map[col]);
        const auto verdict = CompareDifferentCells(file1_->cell(rows.row1, col), file2_->cell(rows.row2, col2), options_, col, nullptr);
        return verdict ? verdict->agreement : unknown;
    }

    bool changed() const override
    {
        return (file1_->file() && file1_->file()->changed()) || (file2_->file() && file2_->file()->changed());
    }

private:
    std::shared_ptr<const Table> file1_, file2_;
    CompareOptions options_;
};

CompareResult CompareTablesWith(const Table& file1, GridShape shape1, const Table& file2, GridShape shape2,
                                const CompareOptions& options, const std::shared_ptr<const AgreementSource>& source);

} // namespace

CompareResult CompareTables(const Table& file1, const Table& file2, const CompareOptions& options)
{
    return CompareTables(file1, LoadedGridShape(file1), file2, LoadedGridShape(file2), options);
}

CompareResult CompareTables(const Table& file1, GridShape shape1, const Table& file2, GridShape shape2,
                            const CompareOptions& options)
{
    return CompareTablesWith(file1, shape1, file2, shape2, options, nullptr);
}

CompareResult CompareTables(std::shared_ptr<const Table> file1, GridShape shape1, std::shared_ptr<const Table> file2,
                            GridShape shape2, const CompareOptions& options)
{
    auto source = std::make_shared<const TableAgreements>(file1, file2, options);
    return CompareTablesWith(*file1, shape1, *file2, shape2, options, source);
}

namespace {

CompareResult CompareTablesWith(const Table& file1, GridShape shape1, const Table& file2, GridShape shape2,
                                const CompareOptions& options, const std::shared_ptr<const AgreementSource>& source)
{
    const std::uint64_t minRows = std::min(shape1.rows, shape2.rows);
    // Columns matched by a map: File 1's own order and width.
    const std::uint64_t minCols = options.columnMap.empty() ? std::min(shape1.cols, shape2.cols) : shape1.cols;

    CompareResult result;
    result.options = options;
    result.comparedRows = options.alignment ? options.alignment->pairs.size() : minRows - 1;
    result.comparedCols = minCols - 1;
    result.grid = {std::max<std::uint64_t>(2, result.comparedRows + 1), std::max<std::uint64_t>(2, minCols)};
    result.rowsNumbered = result.comparedRows + 1 > 2;
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

    // The rows go in bands, taken in turn by whichever thread is free, so that a thread held
    // up (by another program, say) leaves more bands to the others; each band's verdicts go into
    // a list of their own, and the lists join in row order. The figures are per thread.
    const std::uint64_t bandCount = threads == 1 ? 1 : std::min<std::uint64_t>(rows, threads * 16);
    std::vector<VerdictList> bands(bandCount, VerdictList(cols, source));
    std::atomic<std::uint64_t> nextBand{0};
    std::vector<FiguresTally> tallies(threads);
    // Figures by column, for tables of up to this many columns.
    constexpr std::uint64_t ColumnsTallied = 4096;
    std::vector<std::vector<FiguresTally>> columnTallies(threads, std::vector<FiguresTally>(cols <= ColumnsTallied ? cols : 0));
    std::vector<std::thread> workers;
    // A failure on any thread (the memory running out) goes to the caller once all have stopped.
    std::vector<std::exception_ptr> failures(threads);
    // Each thread fills lists of its own and hands them over when done with them: lists side by
    // side in one vector would share cache lines between the threads on every verdict.
    auto work = [&](unsigned t) {
        try {
            FiguresTally tally;
            std::vector<FiguresTally> columns(columnTallies[t].size());
            for (std::uint64_t band; (band = nextBand.fetch_add(1)) < bandCount;) {
                VerdictList verdicts(cols, source);
                CompareRows(file1, file2, rows * band / bandCount, rows * (band + 1) / bandCount, cols, ignored, options,
                            Band{verdicts, tally, columns});
                verdicts.shrink(); // the room left in its last chunk, while the other bands are compared
                bands[band] = std::move(verdicts);
            }
            tallies[t] = tally;
            columnTallies[t] = std::move(columns);
        } catch (...) {
            failures[t] = std::current_exception();
        }
    };
    for (unsigned t = 0; t + 1 < threads; ++t) {
        try {
            workers.emplace_back(work, t);
        } catch (const std::system_error&) {
            break; // no room for another thread: the bands go to those there are
        }
    }
    work(threads - 1);
    for (auto& worker : workers)
        worker.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
    result.cancelled = options.cancel && options.cancel->load();

    result.verdicts = VerdictList(cols, source);
    for (auto& band : bands)
        result.verdicts.append(std::move(band));
    for (std::uint64_t c = 0; c < columnTallies[0].size(); ++c) {
        for (unsigned t = 1; t < threads; ++t)
            columnTallies[0][c].merge(columnTallies[t][c]);
        result.columnFigures.push_back(columnTallies[0][c].figures()); // speed only: else gathered again from the verdicts
        tallies[0].merge(columnTallies[0][c]);
    }
    for (unsigned t = 1; t < threads; ++t)
        tallies[0].merge(tallies[t]);
    result.figures = tallies[0].figures();
    result.verdicts.shrink();
    return result;
}

} // namespace

std::string ExplainCells(std::string_view a, std::string_view b, const CompareOptions& options, std::uint64_t column)
{
    const auto text = ScriptNumber;
    std::string lines = "File 1: " + std::string(a) + "\nFile 2: " + std::string(b);
    const auto x1 = NumericValue(a, options.grammar);
    const auto x2 = NumericValue(b, options.grammar);
    if (!(x1 && x2)) {
        return lines + (a == b ? "\nidentical texts" : "\ntexts differ");
    }
    lines += "\nvalues: " + text(*x1) + " and " + text(*x2);
    CellValues values;
    const auto verdict = CompareCells(a, b, options, column, &values);
    if (!verdict)
        return lines + "\nequal values";
    lines += "\nabsolute difference: " + text(values.absolute) + "\nrelative difference: " + text(values.relative)
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

std::string WithinToleranceText(std::uint64_t same, std::uint64_t beyond)
{
    return "within the tolerance: " + std::to_string(same) + " regarded as the same, " + std::to_string(beyond) + " beyond";
}

bool Disagrees(std::uint64_t beyondTolerance, const CompareOptions& options, const ColumnMatch& columns, GridShape table1,
               GridShape table2)
{
    const bool oneSidedRows = options.alignment && options.alignment->onlyIn1 + options.alignment->onlyIn2 > 0;
    const bool oneSidedColumns = !columns.onlyIn1.empty() || !columns.onlyIn2.empty();
    return beyondTolerance > 0 || oneSidedRows || oneSidedColumns || table1.rows != table2.rows || table1.cols != table2.cols;
}

} // namespace tallir
