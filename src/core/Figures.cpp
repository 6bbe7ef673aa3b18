#include "Figures.h"

#include "ColumnList.h"
#include "Compare.h"
#include "NumericText.h"

#include <algorithm>
#include <cmath>

namespace tallir {

namespace {
template <class T>
void KeepLarger(std::optional<FigureAt<T>>& kept, T value, CellPosition cell)
{
    if (!kept || value > kept->value)
        kept = FigureAt<T>{value, cell};
}
} // namespace

void FiguresTally::add(const Verdict& verdict, std::string_view text1, std::string_view text2, const NumberGrammar& grammar)
{
    if (verdict.kind == VerdictKind::Text) // no numbers to read
        return add(verdict, CellValues{});
    CellValues values;
    CompareOptions reading;
    reading.grammar = grammar;
    CompareDifferentCells(text1, text2, reading, 0, &values);
    add(verdict, values);
}

void FiguresTally::count(const Verdict& verdict)
{
    ++figures_.differing;
    if (BeyondTolerance(verdict))
        ++figures_.beyondTolerance;
    ++(verdict.kind == VerdictKind::Text ? figures_.textDiffering : verdict.kind == VerdictKind::Same ? figures_.same : figures_.digits);
}

void FiguresTally::add(const Verdict& verdict, CellValues values)
{
    count(verdict);
    if (verdict.kind == VerdictKind::Text)
        return;
    Figures& figures = figures_;
    const CellPosition cell{verdict.row, verdict.col};
    if (!figures.lowestAgreement || verdict.agreement < figures.lowestAgreement->value)
        figures.lowestAgreement = FigureAt<double>{verdict.agreement, cell};
    const double absolute = values.absolute;
    const double relative = values.relative;
    KeepLarger(figures.largestAbsolute, absolute, cell);
    KeepLarger(figures.largestRelative, relative, cell);
    if (BeyondTolerance(verdict)) {
        KeepLarger(figures.largestAbsoluteBeyond, absolute, cell);
        KeepLarger(figures.largestRelativeBeyond, relative, cell);
    }
}

void FiguresTally::merge(const FiguresTally& other)
{
    Figures& f = figures_;
    const Figures& g = other.figures_;
    f.differing += g.differing;
    f.textDiffering += g.textDiffering;
    f.same += g.same;
    f.digits += g.digits;
    f.beyondTolerance += g.beyondTolerance;
    // On ties the cell first in reading order stays, whichever tally holds it.
    const auto before = [](const CellPosition& a, const CellPosition& b) { return a.row < b.row || (a.row == b.row && a.col < b.col); };
    if (g.lowestAgreement
        && (!f.lowestAgreement || g.lowestAgreement->value < f.lowestAgreement->value
            || (g.lowestAgreement->value == f.lowestAgreement->value && before(g.lowestAgreement->cell, f.lowestAgreement->cell))))
        f.lowestAgreement = g.lowestAgreement;
    for (auto member : {&Figures::largestAbsolute, &Figures::largestRelative, &Figures::largestAbsoluteBeyond,
                        &Figures::largestRelativeBeyond}) {
        const auto& mine = f.*member;
        const auto& theirs = g.*member;
        if (theirs && (!mine || theirs->value > mine->value || (theirs->value == mine->value && before(theirs->cell, mine->cell))))
            f.*member = theirs;
    }
}

Figures Summarize(const CompareResult& result, const Table& file1, const Table& file2)
{
    if (!result.cancelled)
        return result.figures;
    FiguresTally tally;
    for (const Verdict& verdict : result.verdicts) {
        if (verdict.kind == VerdictKind::Text)
            tally.add(verdict, {}, {});
        else
            tally.add(verdict, file1.cell(result.file1Row(verdict.row), verdict.col),
                      file2.cell(result.file2Row(verdict.row), result.file2Column(verdict.col)), result.options.grammar);
    }
    return tally.figures();
}

std::vector<ColumnFigures> SummarizeColumns(const CompareResult& result, const Table& file1, const Table& file2)
{
    // Gathered while comparing, unless the table was too wide for that or the comparison stopped.
    const bool gathered = !result.cancelled && result.columnFigures.size() == result.comparedCols;
    std::uint64_t pairedRows = result.comparedRows;
    if (const auto* alignment = result.options.alignment.get())
        pairedRows = std::uint64_t(std::count_if(alignment->pairs.begin(), alignment->pairs.end(),
                                                 [](const RowPair& pair) { return pair.paired(); }));
    std::vector<ColumnFigures> columns(result.comparedCols);
    std::vector<FiguresTally> tallies(result.comparedCols);
    const ColumnSet ignoredColumns(result.options.ignoredColumns);
    for (std::uint64_t c = 0; c < columns.size(); ++c) {
        const bool ignored = ignoredColumns.contains(c);
        const bool unmatched = c < result.options.columnMap.size() && result.options.columnMap[c] < 0;
        columns[c].col = c;
        columns[c].compared = ignored || unmatched ? 0 : pairedRows;
    }
    if (!gathered)
        result.verdicts.forEach([&](const Verdict& verdict) {
            if (verdict.col >= tallies.size())
                return;
            if (verdict.kind == VerdictKind::Text)
                tallies[verdict.col].add(verdict, {}, {});
            else
                tallies[verdict.col].add(verdict, file1.cell(result.file1Row(verdict.row), verdict.col),
                                         file2.cell(result.file2Row(verdict.row), result.file2Column(verdict.col)), result.options.grammar);
        });
    for (std::uint64_t c = 0; c < columns.size(); ++c)
        columns[c].figures = gathered ? result.columnFigures[c] : tallies[c].figures();
    return columns;
}

AgreementHistogram HistogramOf(const CompareResult& result)
{
    HistogramCounter counter;
    result.verdicts.forEach([&](const Verdict& verdict) { counter.add(verdict); });
    return counter.histogram();
}

void HistogramCounter::add(const Verdict& verdict)
{
    if (verdict.kind == VerdictKind::Text) {
        ++text_;
        return;
    }
    const std::size_t bin = std::isnan(verdict.agreement)
        ? 0
        : std::size_t(std::max(Lowest, int(std::floor(std::clamp(verdict.agreement, -2.0, double(Highest))))) - Lowest);
    ++bins_[2 * bin + (verdict.kind == VerdictKind::Same)];
}

AgreementHistogram HistogramCounter::histogram() const
{
    AgreementHistogram histogram;
    histogram.text = text_;
    for (std::size_t i = 0; i < bins_.size(); i += 2)
        if (bins_[i] || bins_[i + 1])
            histogram.bins.push_back({int(i / 2) + Lowest, bins_[i], bins_[i + 1]});
    return histogram;
}

std::vector<HistogramBar> HistogramBars(const AgreementHistogram& histogram)
{
    std::vector<HistogramBar> bars;
    if (histogram.text)
        bars.push_back({"D", histogram.text, 0, Verdict{0, 0, 0, VerdictKind::Text}});
    for (const AgreementBin& bin : histogram.bins)
        bars.push_back({bin.digits < 0 ? std::string("<0") : std::to_string(bin.digits), bin.beyond, bin.same,
                        Verdict{0, 0, double(bin.digits), VerdictKind::Digits}});
    return bars;
}

int LogBarHeight(std::uint64_t count, std::uint64_t most, int span)
{
    if (count == 0 || most == 0)
        return 0;
    const double share = std::log1p(double(count)) / std::log1p(double(most));
    return std::clamp(int(std::lround(share * span)), 1, span);
}

BarStack StackOf(const HistogramBar& bar, std::uint64_t most, int span)
{
    const int total = LogBarHeight(bar.beyond + bar.same, most, span);
    if (bar.same == 0 || bar.beyond == 0)
        return {total, bar.same == 0 ? total : 0};
    return {total, std::max(1, int(double(total) * double(bar.beyond) / double(bar.beyond + bar.same)))};
}

std::string BarDescription(const HistogramBar& bar)
{
    const std::uint64_t cells = bar.beyond + bar.same;
    std::string text = std::to_string(cells) + (cells == 1 ? " cell" : " cells");
    if (bar.label == "D")
        return text + " where the texts differ";
    text += bar.label == "<0" ? " with less than 0 digits in common" : " with " + bar.label + " digits in common";
    if (bar.same)
        text += ": " + std::to_string(bar.beyond) + " beyond the tolerance, " + std::to_string(bar.same) + " regarded as the same";
    return text;
}

ShapeMismatch FindShapeMismatch(const Table& file1, const Table& file2)
{
    ShapeMismatch mismatch;
    mismatch.rows1 = file1.rowCount();
    mismatch.rows2 = file2.rowCount();
    const std::uint64_t rows = std::min(mismatch.rows1, mismatch.rows2);
    for (std::uint64_t r = 0; r < rows; ++r) {
        if (file1.valueCount(r) != file2.valueCount(r)) {
            mismatch.firstRow = r;
            mismatch.values1 = file1.valueCount(r);
            mismatch.values2 = file2.valueCount(r);
            break;
        }
    }
    return mismatch;
}

} // namespace tallir
