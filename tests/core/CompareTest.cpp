#include "core/Agreement.h"
#include "core/Compare.h"
#include "core/Figures.h"
#include "core/Navigation.h"
#include "core/TableReader.h"
#include "RowList.h"
#include "core/VerdictColour.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <sstream>

using namespace tallir;

namespace {
// The Compare cell text of one pair, "" when they agree.
std::string Text(const std::string& a, const std::string& b, const CompareOptions& options = {}, std::uint64_t column = 0)
{
    const auto verdict = CompareCells(a, b, options, column);
    return verdict ? VerdictText(*verdict) : "";
}
// The indices one round of the worst-first walk visits.
std::vector<std::size_t> WalkOrder(const CompareResult& result, bool beyondOnly)
{
    std::vector<std::size_t> order;
    WorstWalk walk(result, beyondOnly);
    for (auto step = walk.next(); step && !step->wrapped; step = walk.next())
        order.push_back(step->index);
    return order;
}
} // namespace

TEST(Compare, VerdictOfEachKindOfPair)
{
    CompareOptions precise;
    precise.precisionSame = true;
    precise.precisionLog = 10;
    CompareOptions atTwo = precise;
    atTwo.precisionLog = 2;
    CompareOptions nan, fortran, lenientNan;
    nan.grammar.nanInf = true;
    fortran.grammar.exponentD = true;
    lenientNan = nan;
    lenientNan.absoluteTolerance = 1e300;
    struct Case { std::string a, b; CompareOptions options; std::string verdict; };
    const std::vector<Case> cases = {
        {"1.0", "1", {}, ""}, {"1e3", "1000", {}, ""}, {"1.5", "1.6", {}, "1.18"}, {"0", "0.001", {}, "3.00"},
        {"1", "11", {}, "-1.00"}, {"2", "-2", {}, "-0.30"}, {"1", "1.00000000001", precise, "S"},
        {"1", "1.00000000001", {}, "11.00"},
        // Agreement exactly at the threshold is not above it: 0 against 0.01 gives 2.
        {"0", "0.01", atTwo, "2.00"}, {"0", "0.001", atTwo, "S"}, {"abc", "abc", {}, ""}, {"abc", "ABC", {}, "D"},
        {"", "0", {}, "D"}, {"\"5\"", "5", {}, "D"}, {"1e400", "1e401", {}, "D"}, {"1e400", "1e400", {}, ""},
        {"-1.7e308", "1.7e308", {}, "-0.30"}, // the difference overflows, the quotient does not
        {"1e308", "-1e308", {}, "-0.30"}, {"4.9e-324", "1e308", {}, "-Inf"}, {" 5", "5", {}, ""},
        // Equal as doubles, different as decimals: the exact difference decides.
        {"1700000000000000000", "1700000000000000089", {}, "16.28"}, // 89 / 1.7e18
        {"1700000000000000000", "1.700000000000000089E18", {}, "16.28"}, {"99999999999999999999", "1e20", {}, "20.00"},
        {"9007199254740992", "9007199254740993", {}, "15.95"}, // 2^53 and 2^53 + 1: 16 digits, one double
        {"12345678901234567890123", "12345678901234567890124", {}, "22.09"},
        {"0.1", "0.10000000000000000001", {}, "19.00"}, {"1e-400", "0", {}, "0.00"}, {"0", "1e-400", {}, "400.00"},
        {"-1e-400", "1e-400", {}, "-0.30"},
        {"1e-400", "1e-401", {}, "0.05"}, // 0.9 apart relatively
        {"1.0", "+001.000000000000000000000e0", {}, ""}, {"-0", "0.0", {}, ""},
        // NaN and infinities as numbers: equal to their own kind, "D" against anything else,
        // whatever the tolerance; texts while the option is off.
        {"nan", " NaN", nan, ""}, {"-nan", "NAN", nan, ""}, {"inf", "+Infinity", nan, ""}, {"-inf", "-INF", nan, ""},
        {"inf", "-inf", nan, "D"}, {"nan", "1", nan, "D"}, {"1e308", "inf", lenientNan, "D"}, {"nan", "nano", nan, "D"},
        {"nan", "NaN", fortran, "D"},
        // Fortran's D exponents: read as E, both for equality and for the digits in common
        // (151 against 150 agrees in log10(150) = 2.18 digits).
        {"1.5D+02", "150", fortran, ""}, {"1.0d0", "1.0E+00", fortran, ""}, {"1.5D+02", "151", fortran, "2.18"},
        {"1.5D+02", "150", nan, "D"}, {"D5", "5", fortran, "D"}, {"1D", "1", fortran, "D"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.a, c.b, c.options), c.verdict) << c.a << " vs " << c.b;

    // The threshold is strict: 0 against 1 agrees in exactly 0 digits, which is not above 0.
    CompareOptions atZero = precise;
    atZero.precisionLog = 0;
    EXPECT_EQ(std::tuple(Text("0", "1", atZero), Text("0", "0.5", atZero)), std::tuple("0.00", "S"));

    CompareOptions absolute;
    absolute.absoluteTolerance = 1e-12;
    EXPECT_EQ(std::tuple(Text("0", "1e-20", absolute), Text("0", "1e-3", absolute)), std::tuple("S", "3.00"));
}

TEST(Compare, AreaShapeOrderAndCount)
{
    const std::string a = "1 2 3 4\n1 2 3 4\n1 2 3 4\n", b = "1 x\n1 2\n9 2\n7 7\n7 7\n";
    CompareOptions ignoring, stopped;
    ignoring.ignoredColumns = {{1, 1}, {7, 100'000'000}};
    std::atomic<bool> stop{true};
    stopped.cancel = &stop;
    // The rows and columns compared, the grid's, whether rows and columns are numbered, whether
    // the comparison ended early, and its verdicts in reading order. One value each: a 2 x 2
    // grid, not numbered; an empty file compares nothing; ignored columns give no verdict; a
    // comparison asked to stop says it is incomplete.
    struct Case { std::string a, b; const CompareOptions& options; std::string shape, verdicts; };
    const Case cases[] = {
        {a, b, {}, "3x2 4x3 numbered complete", "0,1 D; 2,0 -0.90; "},
        {"1\n", "2\n", {}, "1x1 2x2 plain complete", "0,0 0.00; "}, {"", "1 2\n", {}, "0x1 2x2 plain complete", ""},
        {a, b, ignoring, "3x2 4x3 numbered complete", "2,0 -0.90; "}, {a, b, stopped, "3x2 4x3 numbered cancelled", ""},
    };
    for (const Case& c : cases) {
        const auto result = CompareTables(ParseTable(c.a), ParseTable(c.b), c.options);
        std::ostringstream shape, verdicts;
        shape << result.comparedRows << "x" << result.comparedCols << " " << result.grid.rows << "x" << result.grid.cols
              << (result.rowsNumbered && result.colsNumbered ? " numbered" : result.rowsNumbered || result.colsNumbered ? " half" : " plain")
              << (result.cancelled ? " cancelled" : " complete");
        result.verdicts.forEach([&](const Verdict& v) { verdicts << v.row << "," << v.col << " " << VerdictText(v) << "; "; });
        EXPECT_EQ(shape.str(), c.shape) << c.a << " against " << c.b;
        EXPECT_EQ(verdicts.str(), c.verdicts) << c.a << " against " << c.b;
    }
}

TEST(Compare, ThreadsGiveTheSameResultAsOne)
{
    // Where each figure is, comparable as a whole.
    const auto at = [](const std::optional<FigureAt<double>>& f) {
        return f ? std::tuple(f->value, f->cell.row, f->cell.col) : std::tuple(0.0, ~std::uint64_t(0), ~std::uint64_t(0));
    };
    const auto figuresOf = [&](const Figures& f) {
        return std::tuple(f.differing, f.digits, f.beyondTolerance, at(f.lowestAgreement), at(f.largestAbsolute),
                          at(f.largestRelative), at(f.largestRelativeBeyond));
    };
    // Many differences in bands of rows; every other row alike (ties: the first cell in reading
    // order stays); wider than the columns gathered one by one.
    std::string text1, text2, same1, same2, broad1, broad2;
    for (int r = 0; r < 50000; ++r)
        for (int c = 0; c < 4; ++c) {
            text1 += std::to_string(r * 4 + c) + (c == 3 ? "\n" : " ");
            text2 += std::to_string((r * 4 + c) % 97 == 0 ? r + 0.5 : r * 4 + c) + (c == 3 ? "\n" : " ");
        }
    for (int r = 0; r < 100000; ++r)
        same1 += "1 1\n", same2 += r % 2 ? "1 2\n" : "1 1\n";
    for (int r = 0; r < 512; ++r) // enough bands for every thread to take some
        for (int col = 0; col < 4100; ++col) {
            broad1 += col + 1 < 4100 ? "1 " : "1\n";
            broad2 += std::string((r * col) % 7 == 3 ? "1.5" : "1") + (col + 1 < 4100 ? " " : "\n");
        }
    CompareOptions one, four;
    one.threads = 1;
    four.threads = 4;
    for (const auto& [text, other] : {std::pair{&text1, &text2}, {&same1, &same2}, {&broad1, &broad2}}) {
        const Table x = ParseTable(*text), y = ParseTable(*other);
        const auto banded = CompareTables(x, y, four);
        auto whole = CompareTables(x, y, one);
        ASSERT_EQ(banded.differing(), whole.differing());
        for (std::size_t i = 0; i < whole.verdicts.size(); ++i)
            ASSERT_EQ(std::pair(banded.verdicts[i].row, banded.verdicts[i].col), std::pair(whole.verdicts[i].row, whole.verdicts[i].col));
        whole.cancelled = true; // summed up again from the verdicts
        EXPECT_EQ(figuresOf(banded.figures), figuresOf(Summarize(whole, x, y)));
    }
    EXPECT_EQ(CompareTables(ParseTable(same1), ParseTable(same2), four).figures.lowestAgreement->cell.row, 1u);

    // Ties across columns: every cell of every row alike; the first in reading order stays, in
    // the whole and in each column, and the columns gathered while comparing equal a second pass.
    std::string wide1, wide2;
    for (int r = 0; r < 50000; ++r)
        wide1 += "1 1 1\n", wide2 += "2 2 2\n";
    const Table e = ParseTable(wide1), g = ParseTable(wide2);
    const auto ties = CompareTables(e, g, four);
    EXPECT_EQ(std::tuple(at(ties.figures.lowestAgreement), ties.figures.largestAbsolute->cell.col), std::tuple(std::tuple(0.0, 0ull, 0ull), 0u));
    auto again = ties;
    again.cancelled = true;
    const auto gathered = SummarizeColumns(ties, e, g), summed = SummarizeColumns(again, e, g);
    ASSERT_EQ(gathered.size(), 3u);
    for (std::size_t col = 0; col < 3; ++col) {
        EXPECT_EQ(std::tuple(figuresOf(gathered[col].figures), at(gathered[col].figures.lowestAgreement)),
                  std::tuple(figuresOf(summed[col].figures), std::tuple(0.0, 0ull, std::uint64_t(col))));
    }
}

TEST(Compare, ClosingMessage)
{
    EXPECT_EQ(ClosingMessage("/d/a.txt", "/d/b.txt", 12), "/d/a.txt != /d/b.txt\r\nat 12 cells\r\nin smaller rows and cols.");
    EXPECT_EQ(ClosingMessage("File 1", "File 2", 0), "File 1 == File 2\r\nin smaller rows and cols.");
}

TEST(Navigation, NextPreviousAndWorstWrapRound)
{
    // Verdicts in reading order: (0,1) digits, (1,0) D, (1,2) "S" (7.78 digits, the precision
    // rule at 6), (2,2) digits. The "S" is a stop unless only those beyond are asked for.
    CompareOptions rule;
    rule.precisionSame = true;
    rule.precisionLog = 6;
    const auto ruled = CompareTables(ParseTable("1 2 3\n4 5 6\n7 8 9\n"), ParseTable("1 2.5 3\nx 5 6.0000001\n7 8 9.9\n"), rule);
    ASSERT_EQ(ruled.differing(), 4u);
    ASSERT_EQ(ruled.verdicts[2].kind, VerdictKind::Same);
    struct Case { bool beyondOnly, next; std::uint64_t row, col; std::size_t index; bool wrapped; };
    const Case cases[] = {
        {false, true, 0, 0, 0, false}, {false, true, 0, 1, 1, false}, {false, true, 1, 1, 2, false}, {false, true, 2, 2, 0, true},
        {false, true, 5, 5, 0, true}, {false, false, 2, 2, 2, false}, {false, false, 1, 0, 0, false}, {false, false, 0, 1, 3, true},
        {false, false, 0, 0, 3, true}, {false, true, 1, 0, 2, false},
        {true, true, 1, 0, 3, false}, {true, true, 1, 2, 3, false}, {true, true, 2, 2, 0, true}, {true, false, 2, 2, 1, false},
        {true, false, 0, 1, 3, true},
    };
    for (const auto& c : cases) {
        const auto step = c.next ? NextDifference(ruled, c.row, c.col, c.beyondOnly) : PreviousDifference(ruled, c.row, c.col, c.beyondOnly);
        ASSERT_TRUE(step);
        EXPECT_EQ(std::pair(step->index, step->wrapped), std::pair(c.index, c.wrapped)) << c.beyondOnly << c.next << " " << c.row << "," << c.col;
    }
    // Worst first: the D, 2 against 2.5 (0.60), 9 against 9.9 (about 1), 6 against 6.0000001 (7.78).
    EXPECT_EQ(std::tuple(WalkOrder(ruled, false), WalkOrder(ruled, true)),
              std::tuple(std::vector<std::size_t>{1, 0, 3, 2}, std::vector<std::size_t>{1, 0, 3}));
    EXPECT_FALSE(NextDifference(CompareTables(ParseTable("1"), ParseTable("1")), 0, 0));
    // From no cell: the first stop going forward, the last going back (beyond only: not the S).
    for (const auto& [direction, beyondOnly, index] : {std::tuple{+1, false, 0u}, {-1, false, 3u}, {-1, true, 3u}, {+1, true, 0u}}) {
        const auto stop = NextStop(ruled, std::nullopt, direction, beyondOnly);
        ASSERT_TRUE(stop && stop->verdict);
        EXPECT_EQ(std::pair(*stop->verdict, stop->wrapped), std::pair(std::size_t(index), false)) << direction << " " << beyondOnly;
    }
    CompareOptions lenient;
    lenient.absoluteTolerance = 10;
    const auto onlySame = CompareTables(ParseTable("1 2"), ParseTable("1 3"), lenient);
    EXPECT_FALSE(NextDifference(onlySame, 0, 0, true)) << "only \"S\"";

    // Rows, places and counts the windows show, with and without the cells regarded as the same.
    // A row whose next verdict (or next one beyond) lies in a later row has none: row 0 of later
    // holds only an S, 6 against 99 is beyond 10.
    const auto later = CompareTables(ParseTable("1 2\n5 6\n"), ParseTable("1 3\n5 99\n"), lenient);
    const auto thirdRow = CompareTables(ParseTable("1\n2\n3\n"), ParseTable("1\n2\n4\n"));
    for (const auto& [result, row, beyondOnly, has] : {std::tuple{&onlySame, 0, true, false}, {&onlySame, 0, false, true}, {&ruled, 1, true, true},
                                                       {&ruled, 3, false, false}, {&later, 0, true, false}, {&later, 1, true, true},
                                                       {&thirdRow, 0, false, false}})
        EXPECT_EQ(RowHasDifference(*result, row, beyondOnly), has) << row << " " << beyondOnly;
    using RowNumbers = std::vector<std::uint64_t>;
    EXPECT_EQ(std::tuple(RowList(RowsWithDifferences(onlySame, true)), RowList(RowsWithDifferences(onlySame, false)),
                         RowList(RowsWithDifferences(ruled, true))),
              std::tuple(RowNumbers{}, RowNumbers{0}, RowNumbers{0, 1, 2}));
    // The third of (0,1), (1,0), (2,2); the fourth with the S.
    EXPECT_EQ(std::tuple(DifferenceNumber(ruled, 3, true), DifferenceCount(ruled, true), DifferenceNumber(ruled, 3, false),
                         DifferenceCount(ruled, false)),
              std::tuple(3u, 3u, 4u, 4u));
    // The histogram keeps "S" apart: 6 against 6.0000001 agrees in 7.78 digits. 2 against 2.5
    // agrees in 0.60 digits, 9 against 9.9 in just under 1 (0.9 / 9 is a little over 0.1 as doubles).
    const AgreementHistogram histogram = HistogramOf(ruled);
    EXPECT_EQ(std::tuple(histogram.text, histogram.bins.front(), histogram.bins.back()),
              std::tuple(1u, AgreementBin{0, 2, 0}, AgreementBin{7, 0, 1}));
    const auto bars = HistogramBars(histogram);
    EXPECT_EQ(std::pair(bars[0].label, bars[1].label), std::pair(std::string("D"), std::string("0"))) << "0 digits is no \"<0\"";
    // Agreements below -1 (1 against 1000 is -3) count in the lowest bin, -1.
    const AgreementHistogram below = HistogramOf(CompareTables(ParseTable("1"), ParseTable("1000")));
    EXPECT_EQ(std::tuple(below.bins.front(), HistogramBars(below).front().label), std::tuple(AgreementBin{-1, 1, 0}, "<0"));
    // 0 against 1e-400 agrees in 400 digits: the highest bin, beyond or "S".
    for (const bool same : {false, true}) {
        const AgreementHistogram top = HistogramOf(CompareTables(ParseTable("0"), ParseTable("1e-400"), same ? rule : CompareOptions{}));
        EXPECT_EQ(top.bins.back(), (AgreementBin{400, !same, same}));
    }
}

TEST(Navigation, BarsOnALogarithmicScale)
{
    struct Case { std::uint64_t count, most; int span, height; };
    // log(1 + count) / log(1 + most) of the span, rounded; never 0 for a bar with cells.
    const Case cases[] = {{0, 100, 160, 0}, {100, 100, 160, 160}, {1, 9999, 160, 12}, {62, 9876, 160, 72}, {1, 1'000'000'000'000, 10, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(LogBarHeight(c.count, c.most, c.span), c.height) << c.count << " of " << c.most;
    // A bar's stack: all beyond, all "S", and the share beyond (at least 1 unit) of both. With 2
    // of most 3: round(100 ln 3 / ln 4) = 79, half of it beyond.
    struct Stack { std::uint64_t beyond, same, most; int total, beyondPart; };
    for (const Stack& s : {Stack{5, 0, 5, 100, 100}, {0, 5, 5, 100, 0}, {1, 1, 3, 79, 39}, {1, 999, 1000, 100, 1}, {0, 0, 1, 0, 0}}) {
        const BarStack stack = StackOf({"3", s.beyond, s.same, {}}, s.most, 100);
        EXPECT_EQ(std::pair(stack.total, stack.beyond), std::pair(s.total, s.beyondPart)) << s.beyond << " and " << s.same;
    }
    const auto bars = HistogramBars({3, {{-1, 2, 0}, {4, 5, 7}}});
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{BarDescription(bars[0]), bars[1].label, BarDescription(bars[2]), BarDescription({"4", 5, 0, {}})}),
              (std::vector<std::string>{"3 cells where the texts differ", "<0",
                                        "12 cells with 4 digits in common: 5 beyond the tolerance, 7 regarded as the same",
                                        "5 cells with 4 digits in common"}));
    // The colours: red for D and less than 1 digit, from orange at 1 digit to pale yellow at the
    // threshold (3 of 10: two ninths of the way), green-grey for S.
    struct Colour { Verdict verdict; Rgb rgb; };
    for (const Colour& c : {Colour{{0, 0, 1, VerdictKind::Digits}, {245, 166, 95}}, {{0, 0, 3, VerdictKind::Digits}, {247, 183, 116}},
                            {{0, 0, 10, VerdictKind::Digits}, {255, 244, 190}}, {{0, 0, 20, VerdictKind::Digits}, {255, 244, 190}},
                            {{0, 0, 0.5, VerdictKind::Digits}, {236, 112, 99}}, {{0, 0, 0, VerdictKind::Text}, {236, 112, 99}},
                            {{0, 0, 12, VerdictKind::Same}, {204, 232, 222}}})
        EXPECT_EQ(VerdictRgb(c.verdict, 10), c.rgb) << c.verdict.agreement;
}

TEST(Compare, TolerancesOnTheirBoundaries)
{
    CompareOptions absolute;
    absolute.absoluteTolerance = 0.5;
    CompareOptions relative;
    relative.relativeTolerance = 0.5;
    CompareOptions both = absolute;
    both.absoluteTolerance = 1e-30;
    both.relativeTolerance = 0.5;
    CompareOptions atEightyNine;
    atEightyNine.absoluteTolerance = 89;
    CompareOptions tiny;
    tiny.relativeTolerance = 1e-16;
    auto relativeTo = [](double share, RelativeTo to) {
        CompareOptions options;
        options.relativeTolerance = share;
        options.relativeTo = to;
        return options;
    };
    const CompareOptions toTwo = relativeTo(0.5, RelativeTo::File2), toMax = relativeTo(0.5, RelativeTo::Max),
                         toMin = relativeTo(0.5, RelativeTo::Min), wholeOfTwo = relativeTo(1, RelativeTo::File2),
                         wholeOfMax = relativeTo(1, RelativeTo::Max), nearlyTwice = relativeTo(1.9, RelativeTo::Max),
                         twice = relativeTo(2, RelativeTo::Max);
    // Columns 1 and 2 (from 0) with tolerances of their own; the global one elsewhere.
    CompareOptions perColumn;
    perColumn.relativeTolerance = 1e-9;
    perColumn.columnTolerances = {{1, std::nullopt, 0.5}, {2, 0.5, std::nullopt}};
    CompareOptions stamps;
    stamps.absoluteTolerance = 100;
    stamps.columnTolerances = {{0, 50.0, std::nullopt}};
    struct Case { const char* a; const char* b; const CompareOptions& options; const char* verdict; std::uint64_t column = 0; };
    const Case cases[] = {
        {"1", "1.5", absolute, "S"},       // exactly the tolerance apart
        {"1", "1.5000001", absolute, "0.30"}, {"-1", "-1.5", absolute, "S"}, {"0", "0.5", absolute, "S"},
        {"2", "3", relative, "S"},          // |3 - 2| = 0.5 x |2|
        {"2", "3.0000001", relative, "0.30"}, {"-2", "-3", relative, "S"}, {"-2", "-1", relative, "S"},
        {"0", "1e-300", relative, "300.00"}, // against 0 only the absolute tolerance helps
        {"0", "1e-20", both, "20.00"}, {"0", "1e-31", both, "S"},
        {"2", "3", both, "S"},               // either one suffices
        {"abc", "abd", both, "D"},           // texts are untouched by tolerances
        {"1e999", "2e999", both, "D"}, {"1700000000000000000", "1700000000000000089", atEightyNine, "S"},
        {"1700000000000000000", "1700000000000000090", atEightyNine, "16.28"},
        {"1700000000000000000", "1700000000000000089", tiny, "S"},   // 5.2e-17 relatively
        {"1e-400", "1.1e-400", relative, "S"}, {"1e-400", "2e-400", relative, "0.00"},
        {"0", "1e-400", relative, "400.00"},
        // Each reference: |3 - 1.9| = 1.1 is within half of 3, not of 1.9.
        {"3", "1.9", relative, "S"}, {"3", "1.9", toTwo, "0.44"}, {"1.9", "3", toTwo, "S"}, {"1", "2", toMax, "S"},
        {"2", "1", toMax, "S"}, {"1", "2", toMin, "0.00"}, {"2", "3", toMin, "S"}, {"3", "2", toMin, "S"},
        // A 0 on either side: only a reference that is not 0 helps, with a share of 1.
        {"0", "5", wholeOfMax, "S"}, {"5", "0", wholeOfMax, "S"}, {"5", "0", wholeOfTwo, "0.00"},
        {"0", "5", wholeOfTwo, "S"}, {"0", "1e-400", wholeOfMax, "S"}, {"1e-400", "0", wholeOfMax, "S"},
        {"1e-400", "0", wholeOfTwo, "0.00"}, {"0", "1e-400", wholeOfTwo, "S"}, {"1e-400", "2e-400", toMin, "0.00"},
        // A relative difference of 2 whose absolute difference is no double.
        {"1.7e308", "-1.7e308", nearlyTwice, "-0.30"}, {"1.7e308", "-1.7e308", twice, "S"},
        // A column's own tolerance replaces the global one of its kind only.
        {"2", "3", perColumn, "0.30", 0}, {"2", "3", perColumn, "S", 1}, {"2", "3", perColumn, "0.30", 2},
        {"2", "2.5", perColumn, "S", 2}, {"1000000000", "1000000000.9", perColumn, "S", 2},
        {"1000000000", "1000000002", perColumn, "8.70", 2},
        {"1700000000000000000", "1700000000000000089", stamps, "16.28", 0},
        {"1700000000000000000", "1700000000000000089", stamps, "S", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.a, c.b, c.options, c.column), c.verdict) << c.a << " vs " << c.b << " in " << c.column;
    CompareOptions ownOnly;
    ownOnly.columnTolerances = {{3, 1.0, std::nullopt}};
    EXPECT_EQ(std::tuple(AnyTolerance(CompareOptions{}), AnyTolerance(relative), AnyTolerance(ownOnly)), std::tuple(false, true, true));

    // The figures count what lies beyond and find its extremes.
    const auto result = CompareTables(ParseTable("1 2 10 x\n"), ParseTable("1.2 2.4 20 y\n"), absolute);
    const auto figures = Summarize(result, ParseTable("1 2 10 x\n"), ParseTable("1.2 2.4 20 y\n"));
    ASSERT_TRUE(figures.largestAbsoluteBeyond && figures.largestRelativeBeyond);
    EXPECT_EQ(std::tuple(figures.same, figures.beyondTolerance, figures.largestAbsoluteBeyond->value, figures.largestAbsoluteBeyond->cell.col,
                         figures.largestRelativeBeyond->value),
              std::tuple(2u, 2u, 10.0, 2u, 1.0));
    // Numbers one double apart only in their exact decimals: the figures have the exact difference.
    const Table stamp1 = ParseTable("1700000000000000000\n"), stamp2 = ParseTable("1700000000000000089\n");
    EXPECT_EQ(Summarize(CompareTables(stamp1, stamp2), stamp1, stamp2).largestAbsolute->value, 89);
    // A relative difference of 2 whose absolute difference is no double.
    const Table big1 = ParseTable("1e308\n"), big2 = ParseTable("-1e308\n");
    EXPECT_EQ(Summarize(CompareTables(big1, big2), big1, big2).largestRelative->value, 2);
}

TEST(Compare, ExplainsEachKindOfVerdict)
{
    CompareOptions rule;
    rule.precisionSame = true;
    rule.precisionLog = 10;
    struct Case { const char* a; const char* b; CompareOptions options; const char* lastLine; };
    const std::vector<Case> cases = {
        {"abc", "ABC", {}, "texts differ"}, {"abc", "abc", {}, "identical texts"}, {"1.0", "1", {}, "equal values"},
        {"1", "1.00000000001", rule, "regarded as the same"}, {"1.5", "1.6", rule, "below the precision of 10 digits"},
        {"1.5", "1.6", {}, "the precision rule is off"},
    };
    for (const auto& c : cases) {
        const std::string text = ExplainCells(c.a, c.b, c.options, 0);
        EXPECT_EQ(text.substr(text.rfind('\n') + 1), c.lastLine) << c.a << " " << c.b;
        EXPECT_EQ(text.rfind(std::string("File 1: ") + c.a + "\nFile 2: " + c.b, 0), 0u);
    }
    const std::string numbers = ExplainCells("1.5", "1.6", {}, 0);
    EXPECT_NE(numbers.find("\nvalues: 1.5 and 1.6\nabsolute difference: 0.10000000000000009\n"), std::string::npos) << numbers;
    EXPECT_NE(numbers.find("\nagreement: 1.17609125905568"), std::string::npos) << numbers;
}

TEST(Compare, AgreementMatchesAnExactReferenceOverTheWholeRange)
{
    // In long double the difference and the quotient of any two doubles are exact enough and
    // never overflow; the double computation must agree wherever its quotient is finite.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-307, 307);
    for (int i = 0; i < 200000; ++i) {
        const double x1 = mantissa(random) * std::pow(10.0, exponent(random));
        const double x2 = i % 3 == 0 ? -x1 * mantissa(random) : mantissa(random) * std::pow(10.0, exponent(random));
        if (x1 == 0 || x1 == x2)
            continue;
        const long double quotient = ((long double)x2 - x1) / x1;
        if (std::fabs(quotient) > 1e300L || std::fabs(quotient) < 1e-300L)
            continue;
        const double reference = double(-std::log10(std::fabs(quotient)));
        ASSERT_NEAR(Agreement(x1, x2), reference, 1e-9 * std::max(1.0, std::fabs(reference))) << x1 << " vs " << x2;
    }
}
TEST(Compare, ColumnsMatchedByName)
{
    using Names = std::vector<std::string>;
    struct Case { Names names1, names2; std::size_t cols2; std::vector<std::int64_t> map; std::vector<std::size_t> only1, only2; bool positional; };
    const Case cases[] = {
        {{"t", "x", "y"}, {"t", "x", "y"}, 3, {0, 1, 2}, {}, {}, true},
        {{"t", "x", "y"}, {"y", "t", "x"}, 3, {1, 2, 0}, {}, {}, false},          // reordered
        {{"t", "x", "y"}, {"t", "x", "vz", "y"}, 4, {0, 1, 3}, {}, {2}, false},   // added in File 2
        {{"t", "x", "y"}, {"t", "y"}, 2, {0, -1, 1}, {1}, {}, false},             // removed
        {{"t", "a", "a"}, {"a", "t", "a"}, 3, {1, 0, 2}, {}, {}, false},          // repeated: by position among the rest
        {{"t", "", "y"}, {"y", "t", "q"}, 3, {1, 2, 0}, {}, {}, false},           // unnamed and unknown pair up
        {{"t", "x"}, {}, 2, {0, 1}, {}, {}, true},                                // no names at all: by position
    };
    for (const Case& c : cases) {
        const auto match = MatchColumns(c.names1, c.names1.size(), c.names2, c.cols2);
        EXPECT_EQ(std::tuple(match.file2Column, match.onlyIn1, match.onlyIn2, match.positional), std::tuple(c.map, c.only1, c.only2, c.positional));
    }

    // Read with names lines (quoted names follow the tokenizer), compared through the map.
    const Table a = ParseTable("time \"v x\" y\n1 2 3\n4 5 6\n", TableFormat::Plain, true);
    const Table b = ParseTable("y time \"v x\" extra\n3 1 2 0\n6 4 9 0\n", TableFormat::Plain, true);
    ASSERT_EQ(a.names(), (Names{"time", "\"v x\"", "y"}));
    EXPECT_EQ(a.rowCount(), 2u) << "the names line is no row";
    const auto match = MatchColumns(a.names(), 3, b.names(), 4);
    EXPECT_EQ(match.onlyIn2, (std::vector<std::size_t>{3}));
    CompareOptions byName;
    byName.columnMap = match.file2Column;
    const auto result = CompareTables(a, b, byName);
    ASSERT_EQ(result.differing(), 1u);
    EXPECT_EQ(std::tuple(result.comparedCols, result.verdicts[0].row, result.verdicts[0].col), std::tuple(3u, 1u, 1u))
        << "File 1's width and order; 5 against 9 in \"v x\"";
    EXPECT_EQ(CompareTables(a, b).differing(), 6u) << "by position every column is the wrong one";
    // A file of nothing but its names line.
    const Table only = ParseTable("a b c\n", TableFormat::Plain, true);
    EXPECT_EQ(std::pair(only.rowCount(), only.names().size()), std::pair(std::size_t(0), std::size_t(3)));
    EXPECT_EQ(ParseTable("a,\"b, c\"\n1,2\n", TableFormat::Csv, true).names(), (Names{"a", "b, c"}));
}

TEST(Navigation, WorstPerBandForAnOverview)
{
    // Ten rows: row 1 differs by a little, row 2 in text, row 7 regarded as the same.
    std::string text1, text2;
    for (int r = 0; r < 10; ++r) {
        text1 += "1 2\n";
        text2 += r == 1 ? "1.001 2\n" : r == 2 ? "x 2\n" : r == 7 ? "1.0000000001 2\n" : "1 2\n";
    }
    CompareOptions rule;
    rule.precisionSame = true;
    rule.precisionLog = 6;
    const auto result = CompareTables(ParseTable(text1), ParseTable(text2), rule);
    // Five bands of two rows: the "D" of row 2 is worse than the digits of row 1 beside it... in
    // the next band; band 3 holds the "S" only.
    const auto bands = WorstPerBand(result, 5);
    ASSERT_EQ(bands.size(), 5u);
    std::vector<std::optional<VerdictKind>> kinds;
    for (const auto& band : bands)
        kinds.push_back(band ? std::optional(band->kind) : std::nullopt);
    EXPECT_EQ(kinds,
              (std::vector<std::optional<VerdictKind>>{VerdictKind::Digits, VerdictKind::Text, std::nullopt, VerdictKind::Same, std::nullopt}));
    EXPECT_FALSE(WorstPerBand(result, 5, true)[3]) << "the cells regarded as the same left out";
    // One band over all: the worst of them.
    EXPECT_EQ(WorstPerBand(result, 1)[0]->kind, VerdictKind::Text);
    // More bands than rows: each row in its own.
    const auto fine = WorstPerBand(result, 40);
    EXPECT_TRUE(fine[4] && fine[8] && fine[28]);
    EXPECT_EQ(std::count_if(fine.begin(), fine.end(), [](const auto& band) { return band.has_value(); }), 3);
}

TEST(Compare, ColumnTolerancesWrittenReadAndDescribed)
{
    using Texts = std::vector<ColumnToleranceText>;
    const struct { const char* text; std::optional<Texts> read; } readings[] = {
        {"p: r=1e-3; T: a=0.01", Texts{{"p", std::nullopt, 1e-3}, {"T", 0.01, std::nullopt}}},
        {" 3 : a=1 , r=2 ;", Texts{{"3", 1.0, 2.0}}}, {"", Texts{}}, {"p r=1", std::nullopt}, {": a=1", std::nullopt},
        {"p: x=1", std::nullopt}, {"p: a=-1", std::nullopt}, {"p: a=nan", std::nullopt}, {"p: r=inf", std::nullopt},
        {"p: a=", std::nullopt}, {"p:", std::nullopt}, {"p: a=1e-3x", std::nullopt},
    };
    for (const auto& c : readings)
        EXPECT_EQ(ParseColumnTolerances(c.text), c.read) << c.text;
    EXPECT_EQ(ColumnTolerancesText(*ParseColumnTolerances("p: r=1e-3; T: a=0.01, r=2")), "p: r=0.001; T: a=0.01, r=2");

    const std::vector<std::string> names{"2", "T"};
    // A name before a number: "2" is the first column.
    const std::pair<const char*, std::optional<std::uint64_t>> columns[] = {
        {"T", 1}, {"2", 0}, {"3", 2}, {"0", std::nullopt}, {"-1", std::nullopt}, {"x", std::nullopt}, {"", std::nullopt}, {"1.5", std::nullopt}};
    for (const auto& [column, index] : columns)
        EXPECT_EQ(ResolveColumn(column, names), index) << column;

    CompareOptions options;
    EXPECT_EQ(DescribeTolerance(options), "");
    options.precisionSame = true;
    options.relativeTolerance = 1e-9;
    options.relativeTo = RelativeTo::Max;
    options.columnTolerances = {{1, 0.01, std::nullopt}, {3, std::nullopt, 0.5}};
    EXPECT_EQ(DescribeTolerance(options, {"p", "T"}),
              "S when more than 10 digits agree or |x2 − x1| ≤ 1e-09 × max(|x1|, |x2|); in T when more than 10 digits agree or "
              "|x2 − x1| ≤ 0.01 or ≤ 1e-09 × max(|x1|, |x2|); in C4 when more than 10 digits agree or |x2 − x1| ≤ 0.5 × max(|x1|, |x2|)");
    CompareOptions onlyOwn;
    onlyOwn.columnTolerances = {{2, std::nullopt, std::nullopt}, {0, 1.0, std::nullopt}, {2, std::nullopt, std::nullopt}}; // told in column order, once
    EXPECT_EQ(DescribeTolerance(onlyOwn), "S in C1 when |x2 − x1| ≤ 1; in C3 never");
}
