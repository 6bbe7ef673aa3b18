#include "core/Compare.h"
#include "core/RowRanges.h"
#include "core/TableReader.h"
#include "RowList.h"
#include "TempFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <functional>
#include <random>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tallir;

TEST(TableReader, RowsAndValuesOfAFile)
{
    // gridCols: header column included
    struct Case { std::string bytes; Rows rows; std::size_t gridCols; bool numbered; };
    const std::vector<Case> cases = {
        {"1 2 3 4\r\n5 6 7 8\r\n9 10 11 12\r\n", {{"1", "2", "3", "4"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}}, 5, true},
        {"1, 2,,3\n\t4\t\t 5\n", {{"1", "2", "3"}, {"4", "5"}}, 4, true},
        {"a\n\n , \nb", {{"a"}, {}, {}, {"b"}}, 2, false}, {"x\ny", {{"x"}, {"y"}}, 2, false},
        {"1 2\n", {{"1", "2"}}, 3, true}, {"\"a\tb\" c\n", {{"\"a\tb\"", "c"}}, 3, true}, {"", {}, 2, false},
        {"\n", {{}}, 2, false}, {"a\rb\nc\r\nd", {{"a"}, {"b"}, {"c"}, {"d"}}, 2, false},
    };
    for (const auto& c : cases) {
        const TempFile file(c.bytes);
        const auto result = ReadTable(file.path());
        ASSERT_TRUE(result.table) << c.bytes;
        const GridShape shape = LoadedGridShape(*result.table);
        EXPECT_EQ(std::tuple(Cells(*result.table), shape.rows, shape.cols, LoadedGridNumbersColumns(*result.table)),
                  std::tuple(c.rows, c.rows.size() + 1, c.gridCols, c.numbered)) << testing::PrintToString(c.bytes);
        EXPECT_EQ(Cells(ParseTable(c.bytes)), c.rows) << "the in-memory parse agrees";
    }
}

TEST(TableReader, FailsWholeOnAnythingItCannotRead)
{
    const TempFile folder("");
    std::filesystem::remove(folder.path());
    std::filesystem::create_directory(folder.path());
    for (const std::string& path : {folder.path(), folder.path() + "/missing.txt", std::string()})
        EXPECT_EQ(ReadTable(path).failure, ReadFailure::NoFile) << path;

    // A file there that cannot be opened: as root, tried as an ordinary user in a child process
    // (in /tmp, which every user may pass through, whatever the temporary folder is).
    const std::string lockedPath = "/tmp/tallir-locked-" + std::to_string(getpid());
    std::ofstream(lockedPath) << "1 2\n";
    std::filesystem::permissions(lockedPath, std::filesystem::perms::none);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const auto result = ReadTable(lockedPath);
        _exit(result.failure == ReadFailure::CannotOpen && !result.table ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    std::filesystem::remove(lockedPath);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    // Opened, but the reading fails: no user can read this one from its start.
    const auto unreadable = ReadTable("/proc/self/mem");
    EXPECT_EQ(std::tuple(unreadable.failure, bool(unreadable.table), CantOpenMessage("/x/a.txt")),
              std::tuple(ReadFailure::CannotRead, false, "Can't open /x/a.txt"));
}

TEST(TableReader, StopsAtALineLongerThanTheLimit)
{
    // The line too long, 0 when the file is read whole.
    struct Case { std::string text; TableFormat format; std::uint64_t limit; std::uint64_t line; bool quote; };
    const std::string block(1'400'000, '7'); // a line over several read blocks
    const Case cases[] = {
        {"12\n12345\n", TableFormat::Plain, 5, 0, false}, {"12\n123456\n", TableFormat::Plain, 5, 2, false},
        {"1\n123456", TableFormat::Plain, 5, 2, false},
        {"1\r\n2\r3\n12345\r\n123456\r\n", TableFormat::Plain, 5, 5, false},
        {"1\n" + block + "\n", TableFormat::Plain, 1'400'000, 0, false},
        {"1\n" + block + "8\n", TableFormat::Plain, 1'400'000, 2, false},
        {"a\n123456789\n", TableFormat::Csv, 5, 2, false}, {"a,b\n1,\"x\ny\nzzzzzz", TableFormat::Csv, 8, 2, true},
        {"a\r\nb\r\n\"q\r\nrrrrrrrr", TableFormat::Csv, 6, 3, true},
        {"a\r\n\"q\r\nr\"\r\n", TableFormat::Csv, 6, 0, false}, // the quoted line end is in the record
        {"1,\"" + block + "\"\n", TableFormat::Csv, 1'400'000, 1, true},
    };
    for (const Case& c : cases) {
        const TempFile file(c.text);
        const auto result = ReadTable(file.path(), {}, c.format, false, c.limit);
        EXPECT_EQ(std::tuple(result.failure, result.lineFault.line, result.lineFault.unclosedQuote),
                  std::tuple(c.line ? ReadFailure::LineTooLong : ReadFailure::None, c.line, c.quote)) << c.text.substr(0, 30);
    }
    EXPECT_EQ(ReadFailureMessage("a.csv", ReadFailure::LineTooLong, {3, true, 64 << 20}),
              "Can't read a.csv: an unclosed quote from line 3 runs on past 64 MB.");
    EXPECT_EQ(ReadFailureMessage("a.txt", ReadFailure::LineTooLong, {1, false, 1000}), "Can't read a.txt: line 1 is longer than 1000 bytes.");
}

TEST(TableReader, ProgressCanCancelAndHardInputsLoad)
{
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big += "1.5 2.5 3.5\n";
    const TempFile file(big);
    int calls = 0;
    const auto cancelled = ReadTable(file.path(), [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    });
    EXPECT_EQ(std::tuple(cancelled.failure, bool(cancelled.table), ReadTable(file.path()).table->rowCount()),
              std::tuple(ReadFailure::Cancelled, false, 300000u));

    // One long line of many values and a cell of 300 bytes (past the one-byte lengths).
    std::string wide;
    for (int i = 0; i < 100000; ++i)
        wide += std::to_string(i) + ",";
    wide += std::string(300, 'L') + " z";
    const TempFile wideFile(wide);
    const auto table = *ReadTable(wideFile.path()).table;
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.valueCount(0), 100002u);
    EXPECT_EQ((std::vector<std::string_view>{table.cell(0, 99999), table.cell(0, 100000), table.cell(0, 100001), table.cell(0, 100002),
                                             table.cell(5, 0)}),
              (std::vector<std::string_view>{"99999", std::string(300, 'L'), "z", "", ""}));

    // Binary bytes, NUL and invalid UTF-8 are kept exactly.
    const std::string binary("\x00\xff\xfe 1\x80\r\n\x01", 9);
    const Table bytes = ParseTable(binary);
    EXPECT_EQ(Cells(bytes), (Rows{{std::string("\x00\xff\xfe", 3), "1\x80"}, {"\x01"}}));
}

TEST(Table, EditsShadowTheStoreAndWidenRows)
{
    Table table = ParseTable("a b\nc\n");
    table.setCell(0, 1, "B");
    table.setCell(1, 3, "wide");
    table.setCell(1, 0, "");
    EXPECT_EQ(std::tuple(Cells(table), table.maxValueCount()), std::tuple(Rows{{"a", "B"}, {"", "", "", "wide"}}, 4u));
    Table::RowCursor cursor(table, 1);
    EXPECT_EQ((std::vector<std::string_view>{cursor.cell(0), cursor.cell(2), cursor.cell(3)}), (std::vector<std::string_view>{"", "", "wide"}));
    // Cutting rows off takes their edits with them, and keeps those before the cut.
    table.truncateRows(1);
    table.setCell(2, 0, "z");
    EXPECT_EQ(std::tuple(Cells(table), table.maxValueCount()), std::tuple(Rows{{"a", "B"}, {}, {"z"}}, 2u));
}

TEST(Table, ReadInPlaceGivesWhatACopyGives)
{
    // Random lines of every kind the reader meets: quotes, runs of separators, every line end,
    // a byte-order mark, cells of 255 bytes and more, rows wider than a checkpoint's stride,
    // names; each table read in place from its file and copied from the same bytes in memory.
    std::mt19937 random(11);
    const std::vector<std::string> pieces = {"1.5", "-2e-3", "abc", "\"a b\"", "x\"y z\"w", "\"open", ",", " ", "\t", "  ,\t",
                                             std::string(300, 'q'), "\r", "\n", "\r\n", "\n\n"};
    for (int round = 0; round < 60; ++round) {
        std::string text = round % 7 == 0 ? "\xEF\xBB\xBF" : "";
        const int length = round % 10 == 0 ? 900 : 60;
        for (int i = 0; i < length; ++i)
            text += pieces[random() % (round % 10 == 0 ? 4 : pieces.size())] + (random() % 3 ? " " : "");
        const bool names = round % 4 == 1;
        const TempFile file(text);
        auto read = ReadTable(file.path(), {}, TableFormat::Plain, names);
        ASSERT_TRUE(read.table);
        Table& inPlace = *read.table;
        ASSERT_NE(inPlace.file(), nullptr) << "read in place";
        Table copy = ParseTable(text, TableFormat::Plain, names);
        ASSERT_EQ(copy.file(), nullptr);
        // Edits shadow both alike, and so does cutting rows off.
        for (Table* table : {&inPlace, &copy}) {
            table->setCell(1, 2, "edited");
            table->setCell(0, 70, "far");
            if (round % 5 == 0)
                table->truncateRows(table->rowCount() / 2);
        }
        ASSERT_EQ(inPlace.rowCount(), copy.rowCount()) << round;
        EXPECT_EQ(inPlace.maxValueCount(), copy.maxValueCount()) << round;
        EXPECT_EQ(inPlace.names(), copy.names()) << round;
        EXPECT_EQ(Cells(inPlace), Cells(copy)) << round;
        for (std::size_t r = 0; r < copy.rowCount(); ++r) {
            Table::RowCursor a(inPlace, r), b(copy, r);
            ASSERT_EQ(a.count(), b.count());
            for (std::size_t c = 0; c < b.count(); c += 1 + r % 3)
                ASSERT_EQ(a.cell(c), b.cell(c)) << round << " " << r << "," << c;
        }
        // Compared with the same bytes but a few changed (rows of identical bytes are passed
        // over in place): the verdicts the copies give.
        std::string other = text;
        for (int k = 0; k < 3 && !other.empty(); ++k)
            other[random() % other.size()] = "7x \n"[random() % 4];
        const TempFile otherFile(other);
        const auto otherRead = ReadTable(otherFile.path(), {}, TableFormat::Plain, names);
        ASSERT_TRUE(otherRead.table);
        const Table otherCopy = ParseTable(other, TableFormat::Plain, names);
        const auto verdicts = [](const CompareResult& result) {
            std::vector<std::tuple<std::uint64_t, std::uint64_t, std::string>> all;
            result.verdicts.forEach([&](const Verdict& v) { all.emplace_back(v.row, v.col, VerdictText(v)); });
            return all;
        };
        EXPECT_EQ(verdicts(CompareTables(inPlace, *otherRead.table)), verdicts(CompareTables(copy, otherCopy))) << round;
    }

    // Rows of the same bytes up to a point, or made different by an edit of either table, are
    // compared cell by cell: each pair here differs in exactly one cell.
    struct Pair { std::string a, b; bool editA, editB; };
    for (const Pair& pair : {Pair{"1 2\n1 2", "1 2\n1 3", false, false}, {"5 5 5\n1 2", "5 5 5\n1 2 3\n", false, false},
                             {"1 2 3\n1 2 3\n", "1 2 3\n1 2\n", false, false}, {"1 2\n", "1 2\n", true, false},
                             {"1 2\n", "1 2\n", false, true}, {"1 23", "1 2", false, false}}) {
        const TempFile fileA(pair.a), fileB(pair.b);
        auto a = ReadTable(fileA.path()), b = ReadTable(fileB.path());
        ASSERT_TRUE(a.table && b.table);
        if (pair.editA)
            a.table->setCell(0, 0, "9");
        if (pair.editB)
            b.table->setCell(0, 1, "9");
        EXPECT_EQ(CompareTables(*a.table, *b.table).differing(), 1u) << pair.a << " against " << pair.b;
    }
}

TEST(Table, RowsAcrossBlocksAndChunksTruncateAndGrow)
{
    // Rows of 0 to 3 cells of varying lengths, past the 256-row blocks and 65,536-row chunks.
    std::string text;
    auto cellText = [](std::size_t r, std::size_t c) { return std::string(1 + (r + c) % 7, char('a' + (r * 3 + c) % 26)); };
    const std::size_t rows = 70'000;
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < r % 4; ++c)
            text += cellText(r, c) + (c + 1 < r % 4 ? " " : "");
        text += '\n';
    }
    // Beyond the cut below: a row with a long cell and more values than the 64 of a checkpoint.
    for (int c = 0; c < 100; ++c)
        text += std::string(c == 1 ? 300 : 1, 'y') + (c < 99 ? " " : "\n");
    Table table = ParseTable(text);
    ASSERT_EQ(table.rowCount(), rows + 1);
    EXPECT_EQ(std::pair(std::string(table.cell(rows, 1)), table.cell(rows, 70)), std::pair(std::string(300, 'y'), std::string_view("y")));
    for (std::size_t r : {0ul, 1ul, 255ul, 256ul, 257ul, 65'535ul, 65'536ul, 65'537ul, 69'999ul}) {
        ASSERT_EQ(table.valueCount(r), r % 4) << r;
        Table::RowCursor cursor(table, r);
        for (std::size_t c = 0; c < r % 4; ++c) {
            EXPECT_EQ(table.cell(r, c), cellText(r, c)) << r << "," << c;
            EXPECT_EQ(cursor.cell(c), cellText(r, c)) << r << "," << c;
        }
    }

    table.truncateRows(65'537);
    EXPECT_EQ(table.rowCount(), 65'537u);
    EXPECT_EQ(table.maxValueCount(), 3u) << "the widest row is gone";
    EXPECT_EQ(table.cell(65'535, 2), cellText(65'535, 2));
    table.setCell(65'540, 1, "new");
    EXPECT_EQ(std::tuple(table.rowCount(), table.cell(65'540, 1), table.valueCount(65'538), std::string(table.cell(65'533, 0))),
              std::tuple(65'541u, "new", 0u, cellText(65'533, 0)));
}

TEST(TableReader, ByteOrderMarkChangesWhileReadingAndMemory)
{
    // A UTF-8 byte-order mark is no part of the first value.
    const TempFile marked("\xEF\xBB\xBF" "1.5 2\n3 4\n");
    EXPECT_EQ(std::tuple(Cells(*ReadTable(marked.path()).table), Cells(ParseTable("\xEF\xBB\xBF" "x y"))),
              std::tuple(Rows{{"1.5", "2"}, {"3", "4"}}, Rows{{"x", "y"}}));
    EXPECT_EQ(Cells(ParseTable("a \xEF\xBB\xBF")), (Rows{{"a", "\xEF\xBB\xBF"}})) << "only at the start";
    // Through a pipe, the mark in two reads.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::thread writer([&] {
        EXPECT_EQ(write(pipeEnds[1], "\xEF", 1), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(write(pipeEnds[1], "\xBB\xBF" "7 8\n", 6), 6);
        close(pipeEnds[1]);
    });
    const auto piped = ReadTable("/dev/fd/" + std::to_string(pipeEnds[0]));
    writer.join();
    close(pipeEnds[0]);
    ASSERT_TRUE(piped.table);
    EXPECT_EQ(Cells(*piped.table), (Rows{{"7", "8"}}));

    // Cut short, grown or replaced while it is read: no table, and a message that says so.
    std::string big;
    for (int i = 0; i < 200000; ++i)
        big += "1.5 2.5 3.5\n"; // several read blocks
    for (const auto& [name, change] : FileChanges) {
        const TempFile file(big);
        bool changed = false;
        const auto result = ReadTable(file.path(), [&](std::uint64_t, std::uint64_t) {
            if (!changed)
                change(file.path());
            changed = true;
            return true;
        });
        EXPECT_EQ(std::pair(result.failure, bool(result.table)), std::pair(ReadFailure::Changed, false)) << name;
    }
    // Cut short once read: a cell past the cut reads as zeros, never as a crash, and the table's
    // mapping says it was cut.
    const TempFile read(big);
    const auto whole = ReadTable(read.path());
    ASSERT_TRUE(whole.table && whole.table->file());
    std::filesystem::resize_file(read.path(), 1000);
    const std::string past(whole.table->cell(150000, 1));
    EXPECT_EQ(past.find_first_not_of('\0'), std::string::npos) << past;
    EXPECT_TRUE(whole.table->file()->cut());
    EXPECT_TRUE(whole.table->file()->changed());
    // Grown with its time put back, or touched without a change of size: changed either way.
    for (const bool grow : {true, false}) {
        const TempFile shown(big);
        const auto table = ReadTable(shown.path());
        ASSERT_TRUE(table.table && table.table->file());
        EXPECT_FALSE(table.table->file()->changed());
        const auto time = std::filesystem::last_write_time(shown.path());
        if (grow)
            std::ofstream(shown.path(), std::ios::app) << "4 5 6\n";
        // Touched within the same second.
        const auto second = std::chrono::floor<std::chrono::seconds>(time);
        const auto touched = second + std::chrono::milliseconds(time - second == std::chrono::milliseconds(500) ? 250 : 500);
        std::filesystem::last_write_time(shown.path(), grow ? time : touched);
        EXPECT_TRUE(table.table->file()->changed()) << (grow ? "grown" : "touched");
    }
    EXPECT_EQ(ReadFailureMessage("/x/a.txt", ReadFailure::Changed), "Can't open /x/a.txt\nThe file changed while it was read.");
    EXPECT_EQ(ReadFailureMessage("/x/a.txt", ReadFailure::NoFile), "Can't open /x/a.txt");

    // Larger than the memory there is: refused before anything is allocated where the table
    // would hold its bytes (CSV); read in place otherwise, where this one's first line is too long.
    const TempFile huge("");
    std::filesystem::resize_file(huge.path(), std::uintmax_t(64) << 30); // sparse: takes no disk
    EXPECT_EQ(std::tuple(ReadTable(huge.path(), {}, TableFormat::Csv).failure, ReadTable(huge.path()).failure),
              std::tuple(ReadFailure::TooLarge, ReadFailure::LineTooLong));

    // Memory running out part way is a failed read, not an abort: in a child process, whose
    // address space alone is limited (a sanitizer's allocator dies instead, by design).
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator does not return out of memory";
#else
    const TempFile large("");
    std::filesystem::resize_file(large.path(), std::uintmax_t(1) << 30);
    const pid_t child = fork();
    if (child == 0) {
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        const rlimit tight{rlim_t(512) << 20, limit.rlim_max};
        if (setrlimit(RLIMIT_AS, &tight) != 0)
            _exit(3);
        _exit(ReadTable(large.path()).failure == ReadFailure::OutOfMemory ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
#endif
}

TEST(TableReader, CsvAsPeopleWriteIt)
{
    struct Case { std::string text; Rows rows; };
    const std::vector<Case> cases = {
        {"1,2,3\n", {{"1", "2", "3"}}},
        {"\"1.5\",2\n", {{"1.5", "2"}}},                                // the quotes are no part of the value
        {"a,,c\n,x,\n", {{"a", "", "c"}, {"", "x", ""}}},                // empty fields keep the columns
        {"\"say \"\"hi\"\"\",b\n", {{"say \"hi\"", "b"}}},               // a doubled quote is one
        {"\"two\nlines\",2\r\n3,4\r\n", {{"two\nlines", "2"}, {"3", "4"}}}, // a quoted line break, CRLF
        {"a b,c\td\n", {{"a b", "c\td"}}},                               // only commas separate
        {"\"x,y\",z\rlast", {{"x,y", "z"}, {"last"}}},                   // lone CR; no final line end
        {"1,2\n\n3\n", {{"1", "2"}, {}, {"3"}}},                         // an empty line is a row without values
        {"x\"y\",\"open", {{"x\"y\"", "open"}}},                         // a quote inside is text; an open one closes at the end
        {"\xEF\xBB\xBF" "a,b\n", {{"a", "b"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cells(ParseTable(c.text, TableFormat::Csv)), c.rows) << c.text;
        // Read from a file in blocks of any cut, the same.
        const TempFile file(c.text);
        EXPECT_EQ(Cells(*ReadTable(file.path(), {}, TableFormat::Csv).table), c.rows) << c.text;
    }
    // Off, the same text is split as ever.
    EXPECT_EQ(Cells(ParseTable("\"1.5\",a b\n")), (Rows{{"\"1.5\"", "a", "b"}}));
    // Across a read block's boundary: a doubled quote inside quotes cut in two, then CR LF.
    std::string big(1, '"');
    big.append((1 << 20) - 2, 'x');
    big.append("\"\"q\"\r\n2\n");
    const TempFile cut(big);
    const Rows rows = Cells(*ReadTable(cut.path(), {}, TableFormat::Csv).table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].size(), std::size_t(1 << 20));
    EXPECT_EQ(rows[0][0].substr(rows[0][0].size() - 3), "x\"q") << "one quote of the text";
    EXPECT_EQ(rows[1], std::vector<std::string>{"2"});
}

TEST(RowRanges, PartsBeginAtRowsAndCountThem)
{
    // Every split point of files ending lines in each way the readers know: the rows of the
    // parts add up to the table's, a part begins at a row start after a line feed, and the
    // k-th row after a start is found where it begins.
    for (const std::string bytes : {"1 2\n3 4\n5 6\n", "1 2\r\n\r\n3\r\n4 5 6", "a\rb\r\nc\nd\r", "\n\n\nx", "", "only"}) {
        const TempFile file(bytes);
        RowRanges ranges;
        ASSERT_TRUE(ranges.open(file.path()));
        const std::uint64_t rows = ParseTable(bytes).rowCount();
        // The row starts, worked out byte by byte: after a line feed, or a carriage return alone.
        std::vector<std::uint64_t> starts{0};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if ((bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) && i + 1 < bytes.size())
                starts.push_back(i + 1);
        ASSERT_EQ(ranges.countRows(0, bytes.size()), rows) << bytes;
        for (std::uint64_t k = 0; k < starts.size(); ++k)
            EXPECT_EQ(ranges.rowStartAfter(0, bytes.size(), k), bytes.empty() ? 0 : starts[k]) << bytes << " row " << k;
        EXPECT_EQ(ranges.rowStartAfter(0, bytes.size(), starts.size()), bytes.size());
        for (std::uint64_t offset = 0; offset <= bytes.size(); ++offset) {
            const std::uint64_t start = ranges.rowStartFrom(offset).value();
            EXPECT_TRUE(start == bytes.size() || start == 0 || (start >= offset && bytes[start - 1] == '\n')) << bytes << " at " << offset;
            EXPECT_TRUE(start == offset || bytes.substr(offset, start - offset).find('\n') == std::string::npos
                        || bytes.substr(offset, start - offset).find('\n') == start - offset - 1)
                << "the first line feed from " << offset << " in " << bytes;
            EXPECT_EQ(*ranges.countRows(0, start) + *ranges.countRows(start, bytes.size()), rows) << bytes << " at " << offset;
        }
    }
}
