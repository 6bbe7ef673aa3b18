#include "core/ColumnList.h"
#include "core/ExternalSort.h"
#include "core/Compare.h"
#include "core/Navigation.h"
#include "core/RowAlignment.h"
#include "RowList.h"
#include "core/ShuffledKeys.h"
#include "core/StreamKeys.h"
#include "core/TableReader.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

#include "TempFile.h"

using namespace tallir;

namespace {

// "0:0 1:_ _:2": each pair's rows, _ where there is none.
std::string Pairs(const RowAlignment& alignment)
{
    std::string text;
    auto row = [](std::uint64_t r) { return r == NoRow ? std::string("_") : std::to_string(r); };
    for (const RowPair& pair : alignment.pairs) {
        if (!text.empty())
            text.append(" ");
        text.append(row(pair.row1)).append(":").append(row(pair.row2));
    }
    return text;
}

} // namespace

TEST(RowAlignment, ByKeyColumns)
{
    struct Case { std::string what, file1, file2; std::vector<std::uint64_t> keys; std::string pairs; bool merged; double tolerance = 0; };
    const Case cases[] = {
        {"a time step inserted", "0 1\n1 2\n2 3\n", "0 1\n1 2\n1.5 9\n2 3\n", {0}, "0:0 1:1 _:2 2:3", true},
        {"a time step missing", "0 1\n1 2\n2 3\n", "0 1\n2 3\n", {0}, "0:0 1:_ 2:1", true},
        {"one deleted and one inserted", "1 a\n2 b\n4 d\n", "1 a\n3 c\n4 d\n", {0}, "0:0 1:_ _:1 2:2", true},
        {"numbers by value", "5 1\n1e1 2\n", "5.0 1\n10 2\n", {0}, "0:0 1:1", true},
        {"texts by text", "b 1\na 2\n", "a 1\nb 2\nc 3\n", {0}, "0:1 1:0 _:2", false},
        {"time stamps beyond 2^53 by exact value", "1700000000000000000 a\n1700000000000000089 b\n",
         "1700000000000000089 b\n1.7e18 a\n", {0}, "0:1 1:0", false},
        {"last digits one apart", "1700000000000000012 a\n1700000000000000011 b\n", "1700000000000000011 b\n1700000000000000012 a\n",
         {0}, "0:1 1:0", false},
        {"one exact value in two spellings", "1700000000000000089 b\n", "1.700000000000000089e18 b\n", {0}, "0:0", true},
        {"5 is not 5x", "5 1\n", "5x 1\n", {0}, "0:_ _:0", true},
        {"reordered", "1 a\n2 b\n3 c\n", "3 c\n1 a\n2 b\n", {0}, "0:1 1:2 2:0", false},
        {"repeated keys in order of occurrence", "1 a\n1 b\n2 c\n", "2 c\n1 a\n1 b\n1 z\n", {0}, "0:1 1:2 2:0 _:3", false},
        {"a missing key cell is an empty text", "1\n2 x\n", "2 x\n1\n", {1}, "0:1 1:0", false},
        {"two key columns", "1 1 a\n1 2 b\n2 1 c\n", "1 2 b\n2 1 c\n", {0, 1}, "0:_ 1:0 2:1", true},
        {"empty tables", "", "", {0}, "", true}, {"against an empty table", "1\n2\n", "", {0}, "0:_ 1:_", true},
        // Keys within a tolerance: the nearest in reach, in order.
        {"times a hair apart", "0 1\n0.1 2\n0.2 3\n", "0 1\n0.1000000000001 2\n0.15 9\n0.2000000000002 3\n", {0}, "0:0 1:1 _:2 2:3",
         true, 1e-9},
        {"beyond the key tolerance", "1 a\n", "1.1 a\n", {0}, "0:_ _:0", true, 1e-12},
        {"on the key tolerance", "1 a\n", "1.5 a\n", {0}, "0:0", true, 0.5},
        {"the nearer next row of File 2", "1.0\n", "0.96\n0.99\n", {0}, "_:0 0:1", true, 0.05},
        {"the nearer next row of File 1", "0.96\n0.99\n", "1.0\n", {0}, "0:_ 1:0", true, 0.05},
        {"as near as the next row of File 1: in order", "0.5\n1.5\n", "1\n", {0}, "0:0 1:_", true, 1},
        {"as near as the next row of File 2: in order", "1\n", "0.5\n1.5\n", {0}, "0:0 _:1", true, 1},
        {"against an empty table within a tolerance", "1\n2\n", "", {0}, "0:_ 1:_", true, 1},
        {"out of order within the tolerance", "3\n1\n2\n", "1.0001\n2.0001\n2.9999\n", {0}, "0:2 1:0 2:1", false, 0.001},
        {"out of order, on the key tolerance below and above", "3\n1\n", "1.5\n2.5\n", {0}, "0:1 1:0", false, 0.5},
        {"out of order, the nearest", "5\n1\n", "1.02\n1.01\n5\n", {0}, "_:0 0:2 1:1", false, 0.05},
        {"a text key cell still by its text", "a 1.0\nb 1\n", "a 1.001\nc 1\n", {0, 1}, "0:0 1:_ _:1", true, 0.01},
        {"a table against itself, a key repeated", "3 a\n1 b\n3 c\n2 d\n", "3 a\n1 b\n3 c\n2 d\n", {0}, "0:0 1:1 2:2 3:3", false},
    };
    for (const Case& c : cases) {
        const Table file1 = ParseTable(c.file1), file2 = ParseTable(c.file2);
        const RowAlignment alignment = AlignByKeys(file1, file2, c.keys, c.keys, nullptr, c.tolerance);
        EXPECT_EQ(Pairs(alignment), c.pairs) << c.what;
        EXPECT_EQ(alignment.merged, c.merged) << c.what;
        // The rows in one file only, counted as the pairs show them.
        const auto count = [&](const std::string& part) {
            std::uint64_t n = 0;
            for (auto at = c.pairs.find(part); at != std::string::npos; at = c.pairs.find(part, at + 1))
                ++n;
            return n;
        };
        EXPECT_EQ(std::pair(alignment.onlyIn1, alignment.onlyIn2), std::pair(count(":_"), count("_:"))) << c.what;
    }
    const Table self = ParseTable("3 a\n1 b\n3 c\n2 d\n");

    // Repeated keys are counted and their first rows kept, in each file's order; repeated names said.
    const RowAlignment repeats = AlignByKeys(ParseTable("1\n2\n1\n1\n3\n2\n4\n5\n5\n6\n6\n7\n7\n"), ParseTable("2\n1\n2\n"), {0});
    EXPECT_EQ(std::tuple(repeats.repeated1.count, repeats.repeated1.rows, repeats.repeated2.count, repeats.repeated2.rows),
              std::tuple(6u, std::vector<std::uint64_t>{2, 3, 5, 8, 10}, 1u, std::vector<std::uint64_t>{2}));
    EXPECT_EQ(RepeatWarnings(&repeats, {"t", "x", "t", "", ""}, {"x", "y"}, 1),
              (std::vector<std::string>{"repeated keys in File 1: 6 rows, lines 4, 5, 7, 10, 12, …", "repeated keys in File 2: 1 row, line 4",
                                        "repeated column names in File 1: t"}));
    EXPECT_EQ(RepeatWarnings(nullptr, {"a", "b", "a", "b", "a"}, {}, 0), std::vector<std::string>{"repeated column names in File 1: a, b"});
    EXPECT_EQ(AlignByKeys(self, self, {0}).repeated1.count, 1u) << "3 twice";

    // Esc: either pairing stops and says so.
    std::atomic<bool> stop{true};
    for (const RowAlignment& stopped : {AlignByKeys(self, self, {0}, {0}, &stop), AlignByIdenticalRows(self, self, &stop)}) {
        EXPECT_TRUE(stopped.cancelled);
        EXPECT_TRUE(stopped.pairs.empty());
    }
}

TEST(RowAlignment, ByIdenticalRows)
{
    struct Case { std::string what, file1, file2; std::string pairs; };
    const Case cases[] = {
        {"no identical rows: by position", "1 1.0001\n2 2.0001\n3 3\n", "1 1.0002\n2 2.0002\n3 3.1\n4 4\n", "0:0 1:1 2:2 _:3"},
        {"a row inserted among identical ones", "a\nb\nc\nd\n", "a\nb\nx\nc\nd\n", "0:0 1:1 _:2 2:3 3:4"},
        {"a row deleted", "a\nb\nc\nd\n", "a\nc\nd\n", "0:0 1:_ 2:1 3:2"},
        {"anchors at the ends only: the middle by position", "a\n1\n2\nz\n", "a\n1.5\nz\n", "0:0 1:1 2:_ 3:2"},
        {"unique rows anchor, the rest by position", "a\nq 1\nb\nq 2\nc\n", "a\nq 1.1\nb\nc\nq 3\n", "0:0 1:1 2:2 3:_ 4:3 _:4"},
        {"repeated identical rows by the longest common run", "x\ny\nx\ny\n", "y\nx\ny\nx\n", "0:_ 1:0 2:1 3:2 _:3"},
        // a b c a b c against c a b c a b: the common run a b c a b, five of six rows.
        {"a longer common run among repeated rows", "s\na\nb\nc\na\nb\nc\ne\n", "s\nc\na\nb\nc\na\nb\ne\n",
         "0:0 _:1 1:2 2:3 3:4 4:5 5:6 6:_ 7:7"},
        {"moved block", "a\nb\nc\nd\ne\n", "d\na\nb\nc\ne\n", "_:0 0:1 1:2 2:3 3:_ 4:4"}, {"empty tables", "", "", ""},
        {"against an empty table", "a\n", "", "0:_"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Pairs(AlignByIdenticalRows(ParseTable(c.file1), ParseTable(c.file2))), c.pairs) << c.what;
    const Table self = ParseTable("a\nb\na\nc\n");
    EXPECT_EQ(Pairs(AlignByIdenticalRows(self, self)), "0:0 1:1 2:2 3:3");
}

TEST(RowAlignment, RepeatedRowsPairAsManyAsTheLongestCommonRun)
{
    // Rows of x, y and z, each repeated in both files, first and last rows unlike: no row is
    // unique anywhere, so the pairing is a longest common run, as long as the one worked out
    // here by the textbook table.
    std::mt19937 random(3);
    int tried = 0;
    for (int attempt = 0; attempt < 4000 && tried < 300; ++attempt) {
        std::string rows[2];
        for (std::string& r : rows)
            for (int k = 0, length = 4 + int(random() % 7); k < length; ++k)
                r += "xyz"[random() % 3];
        auto repeated = [&](char c) {
            const auto n0 = std::count(rows[0].begin(), rows[0].end(), c), n1 = std::count(rows[1].begin(), rows[1].end(), c);
            return (n0 == 0 || n0 >= 2) && (n1 == 0 || n1 >= 2);
        };
        if (rows[0].front() == rows[1].front() || rows[0].back() == rows[1].back() || !repeated('x') || !repeated('y') || !repeated('z'))
            continue;
        ++tried;
        const std::size_t n = rows[0].size(), m = rows[1].size();
        std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
        for (std::size_t i = 1; i <= n; ++i)
            for (std::size_t j = 1; j <= m; ++j)
                lcs[i][j] = rows[0][i - 1] == rows[1][j - 1] ? lcs[i - 1][j - 1] + 1 : std::max(lcs[i - 1][j], lcs[i][j - 1]);
        std::string text[2];
        for (int f = 0; f < 2; ++f)
            for (const char c : rows[f])
                text[f] += std::string(1, c) + "\n";
        const RowAlignment alignment = AlignByIdenticalRows(ParseTable(text[0]), ParseTable(text[1]));
        int identical = 0;
        for (const RowPair& pair : alignment.pairs)
            identical += pair.paired() && rows[0][pair.row1] == rows[1][pair.row2];
        EXPECT_EQ(identical, lcs[n][m]) << rows[0] << " / " << rows[1];
    }
    EXPECT_GE(tried, 100);
}

TEST(RowAlignment, ManyRowsWithAFewInsertedAndDeleted)
{
    std::string text1, text2;
    for (int r = 0; r < 20000; ++r) {
        const std::string row = std::to_string(r) + " " + std::to_string(r * 0.5) + "\n";
        if (r % 1000 != 7)
            text1 += row;
        if (r % 1000 != 500)
            text2 += row;
    }
    const Table a = ParseTable(text1), b = ParseTable(text2);
    for (const RowAlignment& alignment : {AlignByKeys(a, b, {0}), AlignByIdenticalRows(a, b)}) {
        EXPECT_EQ(std::tuple(alignment.onlyIn1, alignment.onlyIn2, alignment.pairs.size()), std::tuple(20u, 20u, 20000u));
        for (const RowPair& pair : alignment.pairs) {
            if (pair.paired()) {
                ASSERT_EQ(a.cell(pair.row1, 0), b.cell(pair.row2, 0));
            }
        }
    }
}

namespace {

// Keys out of order or repeated, sorted on disk in runs of a few rows: the same pairs in the same
// order, rows in one file only with their keys, repeats and File 2's rows in File 1's order as
// the pairing of the tables held whole.
void ExpectShuffledAsWhole(const std::string& text1, const std::string& text2, const RowAlignment& whole, int round)
{
    const TempFile file1(text1), file2(text2);
    RowStream stream1(file1.path()), stream2(file2.path());
    ShuffledKeys shuffled = PairShuffledKeys(stream1, stream2, {0}, {0}, true, 2048);
    ASSERT_TRUE(shuffled.partners) << round;
    KeyPartners& partners = *shuffled.partners;
    RowAlignment again;
    const auto oneSided = [&](bool in1, std::uint64_t row) { again.pairs.push_back(in1 ? RowPair{row, NoRow} : RowPair{NoRow, row}); };
    for (std::uint64_t k = 0; k < partners.pairedCount(); ++k) {
        partners.oneSidedUpTo(k, oneSided);
        again.pairs.push_back(partners.paired(k));
    }
    partners.oneSidedUpTo(UINT64_MAX, oneSided);
    ASSERT_EQ(Pairs(again), Pairs(whole)) << round;
    EXPECT_EQ(std::pair(partners.onlyIn1(), partners.onlyIn2()), std::pair(whole.onlyIn1, whole.onlyIn2));
    EXPECT_EQ(std::pair(shuffled.repeated1.count, shuffled.repeated1.rows), std::pair(whole.repeated1.count, whole.repeated1.rows));
    EXPECT_EQ(std::pair(shuffled.repeated2.count, shuffled.repeated2.rows), std::pair(whole.repeated2.count, whole.repeated2.rows));
    const Table table1 = ParseTable(text1), table2 = ParseTable(text2);
    EXPECT_EQ(std::pair(shuffled.rows1, shuffled.rows2), std::pair(std::uint64_t(table1.rowCount()), std::uint64_t(table2.rowCount())));
    // The rows in one file only, in the order of the pairs, with their keys.
    std::vector<std::string> expected, kept;
    for (const RowPair& pair : whole.pairs)
        if (!pair.paired())
            expected.push_back(std::to_string(pair.row1) + ":" + std::to_string(pair.row2) + " "
                               + std::string(pair.row1 != NoRow ? table1.cell(pair.row1, 0) : table2.cell(pair.row2, 0)));
    shuffled.oneSided->forEach([&](bool in1, std::uint64_t row, const std::vector<std::string_view>& keys) {
        kept.push_back((in1 ? std::to_string(row) + ":" + std::to_string(NoRow) : std::to_string(NoRow) + ":" + std::to_string(row)) + " "
                       + std::string(keys.at(0)));
    });
    EXPECT_EQ(kept, expected) << round;
    // Read again: File 2's paired rows come in the order of their partners.
    RowStream again2(file2.path());
    const auto inOrder = InPartnerOrder(again2, partners, 2048);
    Rows rows, wanted;
    const Rows cells2 = Cells(table2);
    for (const RowPair& pair : whole.pairs)
        if (pair.paired())
            wanted.push_back(cells2[pair.row2]);
    while (auto batch = inOrder->next())
        for (std::size_t r = 0; r < batch->rows(); ++r) {
            rows.emplace_back();
            for (std::size_t c = 0; c < batch->valueCount(r); ++c)
                rows.back().emplace_back(batch->cell(r, c));
        }
    EXPECT_EQ(inOrder->endFailure(), ReadFailure::None);
    EXPECT_EQ(rows, wanted) << round;
    for (std::uint64_t row = 0; row < table1.rowCount(); ++row)
        ASSERT_EQ(partners.partnered1(row), std::any_of(whole.pairs.begin(), whole.pairs.end(), [&](const RowPair& p) {
                      return p.row1 == row && p.paired();
                  })) << round << " " << row;
}

} // namespace

TEST(RowAlignment, WhileReadingAsWhole)
{
    // Keys in order (numbers, some a hair apart, texts after them), rows left out of either file,
    // past the batches rows are read in; keys out of order or repeated are sorted.
    std::mt19937 random(11);
    for (int round = 0; round < 12; ++round) {
        const bool disorder = round % 4 == 3, repeated = round % 4 == 2;
        const double tolerance = round % 3 == 1 ? 1e-6 : 0;
        std::string text1, text2;
        for (int r = 0; r < 9000; ++r) {
            // Shuffled keys: numbers below and above 0, texts that begin alike for more than seven
            // bytes or with bytes past ASCII, and short texts (repeated).
            const std::string mixed[] = {"-" + std::to_string(r % 7) + "." + std::to_string(r), std::to_string(r),
                                         "common_" + std::to_string(r), "\xc3\xa9" + std::to_string(r % 100) + "z" + std::to_string(r),
                                         std::string(1, char('a' + r % 26)) + (r % 3 == 0 ? "b" : r % 3 == 1 ? "\xff" : "")};
            const std::string key = disorder ? mixed[r % 5] : r < 8990 ? std::to_string(r) : "t" + std::to_string(r);
            if (random() % 10 || (repeated && r == 4000))
                text1 += key + " " + std::to_string(random() % 3) + (repeated && r == 4000 ? "\n" + key + " 1\n" : "\n");
            if (random() % 10)
                text2 += (tolerance > 0 && r % 7 == 0 ? key + ".0000001" : key) + " " + std::to_string(random() % 3) + (r % 500 ? "\n" : " 9\n");
        }
        if (disorder) {
            // Each file's lines shuffled on their own.
            for (std::string* text : {&text1, &text2}) {
                std::vector<std::string> lines;
                for (std::size_t at = 0, end; (end = text->find('\n', at)) != std::string::npos; at = end + 1)
                    lines.push_back(text->substr(at, end + 1 - at));
                std::shuffle(lines.begin(), lines.end(), random);
                text->clear();
                for (const std::string& line : lines)
                    text->append(line);
            }
        }
        const TempFile file1(text1), file2(text2);
        RowStream stream1(file1.path()), stream2(file2.path());
        const KeyedStreams keyed = MergeStreamsByKeys(stream1, stream2, {0}, {0}, tolerance);
        const RowAlignment whole = AlignByKeys(ParseTable(text1), ParseTable(text2), {0}, {0}, nullptr, tolerance);
        ASSERT_EQ(keyed.inOrder, whole.merged) << round;
        if (!keyed.inOrder && tolerance == 0)
            ExpectShuffledAsWhole(text1, text2, whole, round);
        if (!keyed.inOrder)
            continue;
        // The pairs again from the runs, in order.
        RowAlignment again;
        PairRuns::Cursor cursor(keyed.pairs);
        const auto oneSided = [&](bool in1, std::uint64_t row) { again.pairs.push_back(in1 ? RowPair{row, NoRow} : RowPair{NoRow, row}); };
        for (std::uint64_t k = 0; k < keyed.pairs.pairedCount(); ++k) {
            cursor.upTo(k, oneSided);
            again.pairs.push_back(keyed.pairs.paired(k));
        }
        cursor.upTo(UINT64_MAX, oneSided);
        ASSERT_EQ(Pairs(again), Pairs(whole)) << round;
        EXPECT_EQ(std::pair(keyed.pairs.onlyIn1(), keyed.pairs.onlyIn2()), std::pair(whole.onlyIn1, whole.onlyIn2));
        EXPECT_EQ(std::pair(keyed.rows1, keyed.rows2), std::pair(std::uint64_t(ParseTable(text1).rowCount()), std::uint64_t(ParseTable(text2).rowCount())));
        EXPECT_EQ(std::pair(keyed.width1, keyed.width2), std::pair(std::uint64_t(2), std::uint64_t(3)));
        // Which rows the second reading keeps, asked in order.
        for (const bool in1 : {true, false}) {
            PairRuns::Partnered partnered(keyed.pairs, in1);
            std::vector<bool> paired(in1 ? keyed.rows1 : keyed.rows2, false);
            for (const RowPair& pair : whole.pairs)
                if (pair.paired())
                    paired[in1 ? pair.row1 : pair.row2] = true;
            for (std::uint64_t row = 0; row < paired.size(); ++row)
                ASSERT_EQ(partnered(row), paired[row]) << round << " " << in1 << " " << row;
        }
    }
}

TEST(RowAlignment, ComparingTheAlignedRows)
{
    // File 2 has a time step more; after alignment only the changed digit differs, on the
    // aligned row that stands for line 3 of File 1 and line 4 of File 2.
    const Table a = ParseTable("0 1.0\n1 2.0\n2 3.0\n"), b = ParseTable("0 1.0\n1 2.0\n1.5 9\n2 3.5\n");
    CompareOptions options;
    options.alignment = std::make_shared<RowAlignment>(AlignByKeys(a, b, {0}));
    for (const unsigned threads : {1u, 3u}) {
        options.threads = threads;
        const CompareResult result = CompareTables(a, b, options);
        ASSERT_EQ(result.differing(), 1u);
        const Verdict verdict = result.verdicts[0];
        EXPECT_EQ(std::tuple(result.comparedRows, result.grid.rows, verdict.row, verdict.col, result.file1Row(verdict.row),
                             result.file2Row(verdict.row), result.file1Row(2), result.figures.lowestAgreement->cell.row),
                  std::tuple(4u, 5u, 3u, 1u, 2u, 3u, NoRow, 3u)) << threads;
    }

    // Two steps more, one after the other: the navigation stops at each one-sided row (at its
    // column 0), then at the verdict, and round again; backwards the other way.
    const Table c = ParseTable("0 1.0\n1.2 5\n1.5 9\n2 3.5\n");
    options.alignment = std::make_shared<RowAlignment>(AlignByKeys(a, c, {0}));
    const CompareResult twice = CompareTables(a, c, options);
    ASSERT_EQ(twice.differing(), 1u) << "3.0 against 3.5";
    struct Step { std::uint64_t row, col; int direction; std::uint64_t stop; bool verdict, wrapped; };
    // Compared rows: 0 paired, 1 only in File 1, 2 and 3 only in File 2, 4 paired.
    for (const Step& step : {Step{1, 0, +1, 2, false, false}, {2, 0, +1, 3, false, false}, {3, 0, +1, 4, true, false},
                             {4, 1, +1, 1, false, true}, {3, 0, -1, 2, false, false}, {2, 0, -1, 1, false, false}}) {
        const auto stop = NextStop(twice, std::pair(step.row, step.col), step.direction);
        ASSERT_TRUE(stop);
        EXPECT_EQ(std::tuple(stop->row, stop->verdict.has_value(), stop->wrapped), std::tuple(step.stop, step.verdict, step.wrapped))
            << step.row << " " << step.direction;
    }
    // Only the differing rows: the one-sided rows and the row of the verdict.
    EXPECT_EQ(RowList(RowsWithDifferences(twice)), (std::vector<std::uint64_t>{1, 2, 3, 4}));
}

TEST(RowAlignment, KeyColumnsByNumberOrName)
{
    const std::vector<std::string> names{"time", "x", "2"};
    struct Case { std::string list; std::optional<std::vector<std::uint64_t>> columns; };
    const Case cases[] = {
        {"1", std::vector<std::uint64_t>{0}}, {"time", std::vector<std::uint64_t>{0}},
        {" x , 1-2", std::vector<std::uint64_t>{1, 0, 1}},
        {"2", std::vector<std::uint64_t>{1}}, // a number is a column number first
        {"vz", std::nullopt}, {"", std::nullopt}, {"1,,2", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyColumns(c.list, names), c.columns) << c.list;
    EXPECT_EQ(KeyColumns("time", {}), std::nullopt) << "no names line, no names";
    EXPECT_EQ(KeyColumns("1-1000", names)->size(), 64u);
}

TEST(ExternalSort, RecordsComeBackInOrderAcrossSpilledRuns)
{
    // Records of 0 to 3,000 bytes, sorted in 100 KB: runs larger than a read of them, so that
    // records lie across the reads.
    std::mt19937 random(5);
    std::vector<std::string> records;
    ExternalSort sort("records", [](std::string_view a, std::string_view b) { return a < b; }, 100 << 10);
    for (int i = 0; i < 1500; ++i) {
        std::string record(random() % 3001, ' ');
        for (char& c : record)
            c = char('a' + random() % 3);
        sort.add(record);
        records.push_back(std::move(record));
    }
    std::sort(records.begin(), records.end());
    for (const std::string& record : records) {
        const auto got = sort.next();
        ASSERT_TRUE(got);
        ASSERT_EQ(*got, record);
    }
    EXPECT_FALSE(sort.next());
    // A run one byte longer than a read of it (64 KB): its last byte comes in a read of its own.
    ExternalSort two("records", [](std::string_view a, std::string_view b) { return a < b; }, 100 << 10);
    two.add(std::string(65533, 'b'));
    two.add(std::string(20000, 'a'));
    const auto first = two.next(), second = two.next();
    EXPECT_EQ(std::tuple(first.value_or("").size(), second.value_or("").size(), two.next().has_value()), std::tuple(20000u, 65533u, false));
}
