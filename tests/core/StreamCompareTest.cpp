#include "core/StreamCompare.h"
#include "core/TableReader.h"
#include "core/TemporaryFile.h"
#include "TempFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <sstream>

using namespace tallir;

namespace {

// A pair of ragged tables: rows of 1..width values (some empty), cells that differ by a little,
// by a lot or in text.
struct Pair { std::string text1, text2; };

std::string Row(std::mt19937& random, std::size_t values, bool second)
{
    std::string row;
    for (std::size_t c = 0; c < values; ++c) {
        const auto what = random() % 10;
        const double x = double(random() % 100000) / 7;
        char cell[64];
        std::snprintf(cell, sizeof cell, "%.15e", what == 0 && second ? x * (1 + 1e-9) : x);
        row += c ? " " : "";
        row += what == 1 && second ? std::string("nan") : std::string(cell);
    }
    return row + "\n";
}

Pair Ragged(std::size_t rows1, std::size_t rows2, std::size_t width1, std::size_t width2, unsigned seed)
{
    std::mt19937 random(seed);
    Pair pair;
    for (std::size_t r = 0; r < std::max(rows1, rows2); ++r) {
        const auto state = random();
        std::size_t values1 = width1 ? 1 + state % width1 : 0;
        std::size_t values2 = random() % 4 == 0 && width2 ? 1 + random() % width2 : std::min(values1, width2);
        std::mt19937 same1(state), same2(state);
        if (r < rows1)
            pair.text1 += Row(same1, values1, false);
        if (r < rows2)
            pair.text2 += Row(same2, values2, true);
    }
    return pair;
}

// Every row one value wider in File 2, and File 1 widened by its last row only when widen.
Pair OneColumnMore(std::size_t rows, bool widen)
{
    std::string text1, text2;
    for (std::size_t r = 0; r < rows; ++r) {
        const bool last = r + 1 == rows;
        text1 += std::to_string(r) + " 1.5" + (last && widen ? " 7 7" : "") + "\n";
        text2 += std::to_string(r) + " 1.6 " + std::to_string(r % 3) + (last && widen ? " 8" : "") + "\n";
    }
    return {text1, text2};
}

struct Seen { Verdict verdict; std::string text1, text2; };

void ExpectStreamingAsWhole(const Pair& pair, const CompareOptions& options, const std::string& what)
{
    SCOPED_TRACE(what);
    const TempFile file1(pair.text1), file2(pair.text2);
    // Rows kept as whole lines, cut only where they differ; counted below from rows cut as read.
    RowStream stream1(file1.path(), TableFormat::Plain, DefaultLineLimit, true);
    RowStream stream2(file2.path(), TableFormat::Plain, DefaultLineLimit, true);
    std::vector<Seen> seen;
    const StreamComparison streamed = CompareStreams(stream1, stream2, options, [&](const StreamedCell& cell) {
        seen.push_back({cell.verdict, std::string(cell.text1), std::string(cell.text2)});
    });
    const Table table1 = *ReadTable(file1.path()).table, table2 = *ReadTable(file2.path()).table;
    const CompareResult whole = CompareTables(table1, table2, options);

    EXPECT_EQ(std::tuple(streamed.failure1, streamed.comparedRows, streamed.comparedCols),
              std::tuple(ReadFailure::None, whole.comparedRows, whole.comparedCols));
    ASSERT_EQ(seen.size(), whole.verdicts.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const Verdict want = whole.verdicts[i], got = seen[i].verdict;
        ASSERT_EQ(std::tuple(got.row, got.col, got.kind, got.agreement, seen[i].text1, seen[i].text2),
                  std::tuple(want.row, want.col, want.kind, want.agreement, std::string(table1.cell(want.row, want.col)),
                             std::string(table2.cell(want.row, want.col))))
            << i;
    }
    // The figures as the whole tables give them, also when only the figures are made.
    const auto at = [](const std::optional<FigureAt<double>>& f) {
        return f ? std::pair(f->cell.row, f->cell.col) : std::pair(~std::uint64_t(0), ~std::uint64_t(0));
    };
    const auto figuresOf = [&](const Figures& f) {
        return std::tuple(f.differing, f.same, f.digits, f.beyondTolerance, at(f.lowestAgreement), at(f.largestRelative));
    };
    RowStream again1(file1.path()), again2(file2.path());
    const StreamComparison counted = CompareStreams(again1, again2, options, {});
    EXPECT_EQ(std::tuple(figuresOf(streamed.figures), figuresOf(counted.figures)),
              std::tuple(figuresOf(Summarize(whole, table1, table2)), figuresOf(Summarize(whole, table1, table2))));
    const ShapeMismatch m = FindShapeMismatch(table1, table2), got = streamed.mismatch;
    EXPECT_EQ(std::tuple(got.firstRow, got.values1, got.rows1, got.rows2), std::tuple(m.firstRow, m.values1, m.rows1, m.rows2));
}

} // namespace

TEST(StreamCompare, GivesWhatTheWholeTablesGive)
{
    CompareOptions tolerance;
    tolerance.precisionSame = true;
    tolerance.precisionLog = 8;
    CompareOptions ignoring;
    ignoring.ignoredColumns = {{1, 2}};
    struct Case { std::string what; Pair pair; CompareOptions options; };
    const Case cases[] = {
        {"ragged rows, same row count", Ragged(500, 500, 6, 6, 1), {}},
        {"File 1 longer, across many batches", Ragged(30000, 20000, 5, 5, 2), {}},
        {"File 2 longer and wider", Ragged(20000, 30000, 3, 7, 3), {}},
        {"with the precision rule", Ragged(3000, 3000, 6, 6, 4), tolerance},
        {"ignored columns", Ragged(3000, 3000, 6, 6, 5), ignoring},
        {"a wider row at the end widens the area", OneColumnMore(300'000, true), {}},
        {"cells past the narrower width are dropped", OneColumnMore(300'000, false), {}},
        {"an empty file", {"", "1 2\n3 4\n"}, {}}, {"both empty", {"", ""}, {}},
        {"lines without values", {"\n\n1\n", "\n2\n\n"}, {}},
    };
    for (const Case& c : cases) {
        ExpectStreamingAsWhole(c.pair, c.options, c.what);
        // Rows compared on one thread and on more threads than there are cores.
        for (const unsigned threads : {1u, 3u}) {
            CompareOptions options = c.options;
            options.threads = threads;
            ExpectStreamingAsWhole(c.pair, options, c.what + ", " + std::to_string(threads) + " threads");
        }
    }
}

TEST(StreamCompare, SaysHowReadingEnded)
{
    const TempFile good("1 2\n3 4\n");
    // gzip's header and nothing more: compressed data cut short.
    const TempFile cut(std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10), ".gz");
    RowStream missing("/nonexistent/a.txt"), folder("/");
    EXPECT_EQ(std::tuple(missing.openFailure(), folder.openFailure()), std::tuple(ReadFailure::NoFile, ReadFailure::NoFile));

    RowStream present(good.path()), damaged(cut.path());
    ASSERT_EQ(damaged.openFailure(), ReadFailure::None);
    const StreamComparison outcome = CompareStreams(present, damaged, {}, [](const StreamedCell&) {});
    EXPECT_EQ(std::tuple(outcome.failure1, outcome.failure2), std::tuple(ReadFailure::None, ReadFailure::Damaged));
}

TEST(RowStream, RowsCutAsReadOrKeptAsLinesGiveTheSameCells)
{
    const TempFile file("t x\n1 2 3\n4\n5\t6\n");
    for (const bool wholeLines : {false, true}) {
        RowStream stream(file.path(), TableFormat::Plain, DefaultLineLimit, wholeLines);
        EXPECT_EQ(stream.takeFirstRow(), (std::vector<std::string>{"t", "x"}));
        stream.keepOnly([](std::uint64_t row) { return row != 1; });
        const auto batch = stream.next();
        ASSERT_TRUE(batch && batch->rows() == 2);
        EXPECT_EQ((std::vector{batch->cell(0, 0), batch->cell(0, 2), batch->cell(1, 1), batch->cell(1, 2)}),
                  (std::vector<std::string_view>{"1", "3", "6", ""}));
        EXPECT_EQ(batch->maxValues, 3u);
    }
}

TEST(RowStream, AFileChangedWhileReadIsNoTable)
{
    // The reader waits once a few batches are ready: the file changes while most is unread.
    std::string big;
    for (int i = 0; i < 400000; ++i)
        big += "1.5 2.5 3.5\n";
    for (const auto& [what, change] : FileChanges) {
        const TempFile file(big);
        RowStream stream(file.path());
        ASSERT_TRUE(stream.next()) << what;
        change(file.path());
        while (auto batch = stream.next())
            stream.recycle(std::move(batch));
        EXPECT_EQ(stream.endFailure(), ReadFailure::Changed) << what;
    }
}

TEST(StreamCompare, WaitingCellsGoAsSoonAsTheWidthIsKnown)
{
    // File 1's first rows have one value, File 2's two: the second cells wait. Once a batch of
    // File 1 brings rows of two values they are in the compared area for certain, and are handed
    // over while both inputs are still open.
    const std::string folder = std::filesystem::temp_directory_path() / ("tallir-fifo-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path1 = folder + "/1", path2 = folder + "/2";
    ASSERT_EQ(mkfifo(path1.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(path2.c_str(), 0600), 0);
    std::atomic<bool> handed{false}, closed{false};
    auto writer = [&](const std::string& path, const std::string& text) {
        std::FILE* fifo = std::fopen(path.c_str(), "w");
        std::fwrite(text.data(), 1, text.size(), fifo);
        std::fflush(fifo);
        for (int wait = 0; wait < 1000 && !handed; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        closed = true;
        std::fclose(fifo);
    };
    std::string text1, text2;
    for (int r = 0; r < 3 * 4096; ++r) {
        text1 += r < 4096 ? "1\n" : "1 2\n";
        text2 += "1 5\n";
    }
    std::thread write1(writer, path1, text1), write2(writer, path2, text2);
    bool beforeTheEnd = false;
    {
        RowStream stream1(path1), stream2(path2);
        CompareStreams(stream1, stream2, {}, [&](const StreamedCell& cell) {
            if (cell.verdict.row == 0 && cell.verdict.col == 1) {
                beforeTheEnd = !closed;
                handed = true;
            }
        });
    }
    write1.join();
    write2.join();
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(handed);
    EXPECT_TRUE(beforeTheEnd);
}

TEST(StreamCompare, HeldCellsSpillIntoTheTemporaryFolder)
{
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    const std::string folder = std::filesystem::temp_directory_path() / ("tallir-spill-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    setenv("TMPDIR", folder.c_str(), 1);
    std::FILE* spill = TemporaryFile();
    ASSERT_NE(spill, nullptr);
    EXPECT_GE(std::fputs("cells", spill), 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "nameless while open";
    std::fclose(spill);
    setenv("TMPDIR", (folder + "/none").c_str(), 1);
    EXPECT_EQ(TemporaryFile(), nullptr) << "only where TMPDIR says";
    if (before)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    std::filesystem::remove_all(folder);
}

TEST(StreamCompare, StopsComparingOnceTheAnswerIsKnown)
{
    // Whether a cell beyond the tolerance lies in the compared area, as the whole tables say;
    // where one does early on, the rest is not compared, though it is still read: its rows and
    // values counted.
    std::string narrow, wideAtTheEnd, wide;
    for (int r = 0; r < 20000; ++r) {
        narrow += "1\n";
        wideAtTheEnd += r + 1 < 20000 ? "1\n" : "1 2\n";
        wide += "1 5\n";
    }
    // Widened in a batch read only after File 2 has ended.
    std::string widenedPastTheOther = narrow;
    for (int r = 0; r < 9000; ++r)
        widenedPastTheOther += r + 1 < 9000 ? "1\n" : "1 2\n";
    CompareOptions tolerance;
    tolerance.precisionSame = true;
    tolerance.precisionLog = 3;
    Pair widenedLate = Ragged(30000, 20000, 5, 5, 2);
    widenedLate.text1 += "1 2 3 4 5 6 7 8 9\n";
    Pair widenedLateCsv = widenedLate;
    std::replace(widenedLateCsv.text1.begin(), widenedLateCsv.text1.end(), ' ', ',');
    std::replace(widenedLateCsv.text2.begin(), widenedLateCsv.text2.end(), ' ', ',');
    // early: decided well before the end
    struct Case { std::string what; Pair pair; CompareOptions options; bool early; TableFormat format = TableFormat::Plain; };
    const Case cases[] = {
        {"differences everywhere, the last row wider", widenedLate, {}, true},
        {"the same as CSV", widenedLateCsv, {}, true, TableFormat::Csv},
        {"only past the narrower width", {narrow, wide}, {}, false},
        {"past the width until the last row widens it", {wideAtTheEnd, wide}, {}, false},
        {"widened by a row past the other table's end", {widenedPastTheOther, wide}, {}, false},
        {"only regarded as the same", {"1 2\n3 4\n", "1.00001 2\n3 4.00001\n"}, tolerance, false},
        {"no difference", {"1 2\n", "1 2\n"}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFile file1(c.pair.text1), file2(c.pair.text2);
        RowStream stream1(file1.path(), c.format, DefaultLineLimit, true), stream2(file2.path(), c.format, DefaultLineLimit, true);
        const StreamComparison quick = CompareStreams(stream1, stream2, c.options, {}, true);
        const Table table1 = *ReadTable(file1.path(), {}, c.format).table, table2 = *ReadTable(file2.path(), {}, c.format).table;
        const Figures whole = Summarize(CompareTables(table1, table2, c.options), table1, table2);
        EXPECT_EQ(std::tuple(quick.figures.beyondTolerance > 0, quick.decided), std::tuple(whole.beyondTolerance > 0, whole.beyondTolerance > 0));
        EXPECT_EQ(quick.figures.differing < whole.differing / 2, c.early) << quick.figures.differing << " of " << whole.differing;
        EXPECT_EQ(std::tuple(quick.rows1, quick.rows2, quick.values1, quick.values2),
                  std::tuple(table1.rowCount(), table2.rowCount(), table1.maxValueCount(), table2.maxValueCount()));
        // The same with rows chosen (here every one), whose choice keeps the widths of the rows kept.
        RowStream chosen1(file1.path(), c.format, DefaultLineLimit, true), chosen2(file2.path(), c.format);
        chosen1.keepOnly([](std::uint64_t) { return true; });
        EXPECT_EQ(CompareStreams(chosen1, chosen2, c.options, {}, true).values1, table1.maxValueCount());
        EXPECT_EQ(quick.failure1, ReadFailure::None);
    }
}
