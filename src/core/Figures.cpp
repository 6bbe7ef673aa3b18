#include "Figures.h"

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

void FiguresTally::add(const Verdict& verdict, std::string_view text1, std::string_view text2)
{
    Figures& figures = figures_;
    const CellPosition cell{verdict.row, verdict.col};
    ++figures.differing;
    if (BeyondTolerance(verdict))
        ++figures.beyondTolerance;
    if (verdict.kind == VerdictKind::Text) {
        ++figures.textDiffering;
        return;
    }
    ++(verdict.kind == VerdictKind::Same ? figures.same : figures.digits);
    if (!figures.lowestAgreement || verdict.agreement < figures.lowestAgreement->value)
        figures.lowestAgreement = FigureAt<double>{verdict.agreement, cell};
    const double x1 = *NumericValue(text1);
    const double x2 = *NumericValue(text2);
    const double absolute = std::fabs(x2 - x1);
    const double relative = x1 == 0 ? std::fabs(x2) : absolute / std::fabs(x1);
    KeepLarger(figures.largestAbsolute, absolute, cell);
    KeepLarger(figures.largestRelative, relative, cell);
    if (BeyondTolerance(verdict)) {
        KeepLarger(figures.largestAbsoluteBeyond, absolute, cell);
        KeepLarger(figures.largestRelativeBeyond, relative, cell);
    }
}

Figures Summarize(const CompareResult& result, const Table& file1, const Table& file2)
{
    FiguresTally tally;
    for (const Verdict& verdict : result.verdicts) {
        if (verdict.kind == VerdictKind::Text)
            tally.add(verdict, {}, {});
        else
            tally.add(verdict, file1.cell(verdict.row, verdict.col), file2.cell(verdict.row, result.file2Column(verdict.col)));
    }
    return tally.figures();
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
