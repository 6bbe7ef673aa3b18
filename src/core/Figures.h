#pragma once
// What a comparison amounts to, at a glance: how many verdicts of each kind, the worst
// agreement, the largest differences and where they are, and where the two tables' shapes
// part ways.

#include "NumericText.h"
#include "Agreement.h"
#include "VerdictList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallir {

struct CompareResult;
class Table;


struct CellPosition {
    std::uint64_t row; // table row and value column, 0-based
    std::uint64_t col;
};

template <class T>
struct FigureAt {
    T value;
    CellPosition cell;
};

struct Figures {
    std::uint64_t differing = 0;
    std::uint64_t textDiffering = 0; // "D"
    std::uint64_t same = 0;          // "S"
    std::uint64_t digits = 0;
    std::optional<FigureAt<double>> lowestAgreement;
    std::optional<FigureAt<double>> largestAbsolute; // |x2 - x1|
    std::optional<FigureAt<double>> largestRelative; // |x2 - x1| / |x1| (|x2| when x1 is 0)
    // The same over the cells beyond the tolerance only ("D" and digits).
    std::uint64_t beyondTolerance = 0;
    std::optional<FigureAt<double>> largestAbsoluteBeyond;
    std::optional<FigureAt<double>> largestRelativeBeyond;
};

// Gathers the figures verdict by verdict, in reading order (on ties the first cell stays).
class FiguresTally {
public:
    FiguresTally() = default;
    explicit FiguresTally(const Figures& figures) : figures_(figures) {}
    // texts: the two cells, read again for their numbers when the verdict is numeric.
    void add(const Verdict& verdict, std::string_view text1, std::string_view text2, const NumberGrammar& grammar = {});
    // The same with the numbers already read (ignored for "D").
    void add(const Verdict& verdict, CellValues values);
    // The counts only, without the extremes (where only an exit status is asked for).
    void count(const Verdict& verdict);
    // Adds the figures of other verdicts (none of them this tally's).
    void merge(const FiguresTally& other);
    const Figures& figures() const { return figures_; }

private:
    Figures figures_;
};

// Counts and extremes of a result: gathered while it was made, unless it was cancelled, when the
// verdicts it holds are summed up again.
Figures Summarize(const CompareResult& result, const Table& file1, const Table& file2);

// The figures of one compared column.
struct ColumnFigures {
    std::uint64_t col;          // value column, 0-based
    std::uint64_t compared = 0; // cell pairs compared in it
    Figures figures;
};
// Per compared column, from the result's verdicts (their numbers read again).
std::vector<ColumnFigures> SummarizeColumns(const CompareResult& result, const Table& file1, const Table& file2);

// The differing numeric cells by the whole digits they agree in (bin k: k <= agreement < k + 1;
// less than 0 in bin -1), those beyond the tolerance apart from the "S" ones, and the "D" cells
// apart.
struct AgreementBin {
    int digits;
    std::uint64_t beyond = 0; // digits shown
    std::uint64_t same = 0;   // "S"
    bool operator==(const AgreementBin&) const = default;
};
struct AgreementHistogram {
    std::uint64_t text = 0;
    std::vector<AgreementBin> bins; // ascending, no empty bins
};
AgreementHistogram HistogramOf(const CompareResult& result);
// The same counted a verdict at a time.
class HistogramCounter {
public:
    void add(const Verdict& verdict);
    AgreementHistogram histogram() const;

private:
    static constexpr int Lowest = -1, Highest = 400;
    std::uint64_t text_ = 0;
    std::vector<std::uint64_t> bins_ = std::vector<std::uint64_t>(2 * (Highest - Lowest + 1)); // beyond, then "S"
};

// The histogram as bars, "D" first, then by digits ("<0" for bin -1): what a chart draws.
struct HistogramBar {
    std::string label;
    std::uint64_t beyond;
    std::uint64_t same;
    Verdict shade; // a verdict of the bar's kind and digits, for its colour
};
std::vector<HistogramBar> HistogramBars(const AgreementHistogram& histogram);
// The height of a bar of count cells on a logarithmic scale whose top, of span units, is most:
// a bar of a few cells still shows beside one of thousands. 0 only for no cells.
int LogBarHeight(std::uint64_t count, std::uint64_t most, int span);
// A bar's stack on that scale: its whole height, and the part of it for the cells beyond the
// tolerance (their share, at least 1 when there are any), the "S" cells above.
struct BarStack {
    int total;
    int beyond;
};
BarStack StackOf(const HistogramBar& bar, std::uint64_t most, int span);
// A bar's description: "12 cells with 3 digits in common: 2 beyond the tolerance, 10 regarded as the same".
std::string BarDescription(const HistogramBar& bar);

// Where the tables' shapes differ: the first row whose value counts differ, and the two row
// counts when they do.
struct ShapeMismatch {
    std::optional<std::uint64_t> firstRow; // 0-based
    std::uint64_t values1 = 0;             // value counts on that row
    std::uint64_t values2 = 0;
    std::uint64_t rows1 = 0;
    std::uint64_t rows2 = 0;
    bool rowsDiffer() const { return rows1 != rows2; }
};
ShapeMismatch FindShapeMismatch(const Table& file1, const Table& file2);


} // namespace tallir
