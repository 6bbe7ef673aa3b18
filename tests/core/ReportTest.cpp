#include "core/RowAlignment.h"
#include "core/TableReader.h"
#include "report/JsonReport.h"
#include "report/Report.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <regex>
#include <sstream>

using namespace tallir;

namespace {

// Fields of CSV records, quotes undone.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                records.back().back() += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                records.back().back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            records.back().back() += c;
        }
    }
    if (records.back() == std::vector<std::string>(1))
        records.pop_back();
    return records;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size())
        ++count;
    return count;
}

struct Pair {
    Table table1 = ParseTable("t v w\n0 1.5 \"a,b\"\n1 2.5 x<y\n2 3 7\n", TableFormat::Plain, true);
    Table table2 = ParseTable("t v w\n0 1.6 \"a,c\"\n1 2.5 x<z\n2 3 7.5\n", TableFormat::Plain, true);
    CompareResult result;
    explicit Pair(const CompareOptions& options = {}) : result(CompareTables(table1, table2, options)) {}
    Report report(bool all = false) const
    {
        Report r{{"a.txt", "R4 x C3", "40 Bytes", "today"}, {"b & c.txt", "R4 x C3", "41 Bytes", "today"},
                 {{"Precision rule", "off"}}, ClosingMessage("a.txt", "b & c.txt", result.differing()), result, table1,
                 table2, {}, [](std::uint64_t row, std::uint64_t col) {
                     return std::string("R").append(std::to_string(row + 2)).append(" C").append(std::to_string(col + 1));
                 },
                 [](std::uint64_t col) { return col == 1 ? std::string("v") : std::string(); }};
        r.all = all;
        r.lineOffset = 1;
        return r;
    }
};

} // namespace

TEST(Report, CsvListsTheCellsBeyondTheToleranceAndOnRequestTheRest)
{
    // 1.5 against 1.6 agrees in 1.18 digits: "S" with the precision rule at 1 digit, listed only with all.
    CompareOptions tolerant;
    tolerant.precisionSame = true;
    tolerant.precisionLog = 1;
    // rows: each record's row1 and column
    const struct { CompareOptions options; bool all; std::vector<std::string> rows; } cases[] = {
        {{}, false, {"2 2", "2 3", "3 3", "4 3"}},
        {tolerant, false, {"2 3", "3 3"}}, // 7 against 7.5 agrees in 1.15 digits too
        {tolerant, true, {"2 2", "2 3", "3 3", "4 3"}},
    };
    for (const auto& c : cases) {
        const Pair pair(c.options);
        std::ostringstream out;
        WriteCsvReport(pair.report(c.all), out);
        const auto records = ParseCsv(out.str());
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records[0], (std::vector<std::string>{"row1", "row2", "column", "name", "text1", "text2", "verdict", "agreement",
                                                        "absolute difference", "relative difference"}));
        std::vector<std::string> rows;
        for (std::size_t i = 1; i < records.size(); ++i)
            rows.push_back(records[i][0] + " " + records[i][2]);
        EXPECT_EQ(rows, c.rows) << c.all;
    }
    // Each file's line (the names line is line 1), the cell's facts worked out by hand:
    // |1.6 - 1.5| = 0.1 (as doubles), over 1.5; -log10(0.1 / 1.5) = 1.176...
    const Pair pair;
    std::ostringstream out;
    WriteCsvReport(pair.report(), out);
    const auto records = ParseCsv(out.str());
    EXPECT_EQ(records[1], (std::vector<std::string>{"2", "2", "2", "v", "1.5", "1.6", "1.18", "1.1760912590556807",
                                                    "0.10000000000000009", "0.06666666666666672"}));
    EXPECT_EQ(std::tuple(records[2][4], records[2][6]), std::tuple("\"a,b\"", "D"));
    EXPECT_EQ(records[2][7], "") << "no agreement for texts";
    EXPECT_EQ(records[3][4], "x<y");
}

TEST(Report, CsvCellsNeverRunAsFormulas)
{
    const Table table1 = ParseTable("=HYPERLINK(\"x\") +cmd|a @SUM(1) -5 -x\n", TableFormat::Plain, false);
    const Table table2 = ParseTable("a b c -6 y\n", TableFormat::Plain, false);
    const CompareResult result = CompareTables(table1, table2);
    Report report{{}, {}, {}, {}, result, table1, table2, {}, [](std::uint64_t, std::uint64_t) { return std::string(); },
                  [](std::uint64_t) { return std::string(); }};
    std::ostringstream out;
    WriteCsvReport(report, out);
    std::vector<std::string> texts;
    for (const auto& record : ParseCsv(out.str()))
        texts.push_back(record[4]);
    // A number keeps its minus; text that a spreadsheet would run gets a quote first.
    EXPECT_EQ(texts, (std::vector<std::string>{"text1", "'=HYPERLINK(\"x\")", "'+cmd|a", "'@SUM(1)", "-5", "'-x"}));
}

TEST(Report, HtmlPageIsSelfContainedAndComplete)
{
    const Pair pair;
    std::ostringstream out;
    WriteHtmlReport(pair.report(), out);
    const std::string page = out.str();
    EXPECT_EQ(Count(page, "<tr class=\"cell\">"), pair.result.differing());
    EXPECT_EQ(page.find("http"), std::string::npos) << "nothing fetched from elsewhere";
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("<svg"), std::string::npos);
    EXPECT_NE(page.find("b &amp; c.txt"), std::string::npos) << "texts escaped";
    EXPECT_NE(page.find("x&lt;z"), std::string::npos);
    EXPECT_EQ(page.find("x<z"), std::string::npos);
    EXPECT_NE(page.find("a.txt != b &amp; c.txt\nat 4 cells\nin smaller rows and cols."), std::string::npos);
    // Bytes that are no UTF-8 (a surrogate, beyond U+10FFFF, too long a form) and control
    // characters as U+FFFD; valid UTF-8 as it is.
    Report odd = pair.report();
    odd.file2.path = std::string("b\xFFq\0z\x01\xC3\xA9\xE2\x82.\xF0\x9F\x98\x80\xED\xA0\x80\xF4\x90\x80\x80\xE0\x80\xAFtxt", 28);
    std::ostringstream oddOut;
    WriteHtmlReport(odd, oddOut);
    EXPECT_NE(oddOut.str().find("<h1>Comparison of a.txt and b\uFFFDq\uFFFDz\uFFFD\u00E9\uFFFD\uFFFD.\U0001F600\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDtxt</h1>"), std::string::npos);
    // The worst first: the "D" cells, then the lowest agreement.
    const std::regex cell("<tr class=\"cell\"><td>(R\\d+ C\\d+)</td>");
    std::vector<std::string> order;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), cell); it != std::sregex_iterator(); ++it)
        order.push_back((*it)[1]);
    EXPECT_EQ(order, (std::vector<std::string>{"R2 C3", "R3 C3", "R4 C3", "R2 C2"}));
    // The column summary: one row per compared column, with its name.
    EXPECT_NE(page.find("<tr><td class=\"number\">2</td><td>v</td><td class=\"number\">3</td>"), std::string::npos);

    std::ostringstream shortened;
    WriteHtmlReport(pair.report(), shortened, 2);
    EXPECT_EQ(Count(shortened.str(), "<tr class=\"cell\">"), 2u);
    EXPECT_NE(shortened.str().find("and 2 more differing cells."), std::string::npos);
    // Unless told otherwise, the page lists ten thousand cells.
    std::string ones, twos;
    for (int r = 0; r < 10'002; ++r)
        ones += "1\n", twos += "2\n";
    const Table many1 = ParseTable(ones), many2 = ParseTable(twos);
    const CompareResult many = CompareTables(many1, many2);
    std::ostringstream manyOut;
    WriteHtmlReport(Report{{}, {}, {}, {}, many, many1, many2, {}, [](std::uint64_t, std::uint64_t) { return std::string(); },
                           [](std::uint64_t) { return std::string(); }},
                    manyOut);
    EXPECT_EQ(Count(manyOut.str(), "<tr class=\"cell\">"), 10'000u);
    EXPECT_NE(manyOut.str().find("and 2 more differing cells."), std::string::npos);
}

TEST(Report, HtmlListsOneSidedRowsUpToTheLimit)
{
    // Rows 2, 3 and 4 of File 2 have no key in File 1: one listed, two told of.
    const Table table1 = ParseTable("1 a\n"), table2 = ParseTable("1 a\n2 b\n3 c\n4 d\n");
    CompareOptions keyed;
    keyed.alignment = std::make_shared<RowAlignment>(AlignByKeys(table1, table2, {0}));
    const CompareResult result = CompareTables(table1, table2, keyed);
    Report report{{}, {}, {}, {}, result, table1, table2, {}, [](std::uint64_t, std::uint64_t) { return std::string(); },
                  [](std::uint64_t) { return std::string(); }};
    report.keyColumns = {0};
    for (const auto& [limit, listed, more] : {std::tuple{1u, 1u, "and 2 more rows in one file only."}, {3u, 3u, ""}}) {
        std::ostringstream out;
        WriteHtmlReport(report, out, limit);
        EXPECT_EQ(Count(out.str(), "<tr class=\"oneSided\">"), listed) << limit;
        EXPECT_EQ(out.str().find("more rows in one file only") != std::string::npos, *more != 0) << limit;
        if (*more)
            EXPECT_NE(out.str().find(more), std::string::npos) << out.str();
    }
}

TEST(Report, OptionsInForceSaidAsAPersonSetThem)
{
    using List = std::vector<std::pair<std::string, std::string>>;
    CompareOptions set;
    set.precisionSame = true;
    set.precisionLog = 6.5;
    set.absoluteTolerance = 1e-9;
    set.relativeTolerance = 0.5;
    set.relativeTo = RelativeTo::Min;
    set.columnTolerances = {{1, 2.0, std::nullopt}};
    set.ignoredColumns = {{1, 3}, {6, 6}};
    EXPECT_EQ(OptionsInForce({}, false, "by position", {}),
              (List{{"Precision rule", "off"}, {"Absolute tolerance", "none"}, {"Relative tolerance", "none"}, {"Relative to", "|x1|"},
                    {"Regarded as the same", "never: every different number counts"}, {"Columns left out", "none"},
                    {"Columns", "by position"}, {"Rows", "by position"}}));
    EXPECT_EQ(OptionsInForce(set, true, "paired by key 1", {"t", "p"}),
              (List{{"Precision rule", "on: \"S\" above 6.50 digits"}, {"Absolute tolerance", "1e-09"}, {"Relative tolerance", "0.5"},
                    {"Relative to", "min(|x1|, |x2|)"},
                    {"Regarded as the same", "when more than 6.5 digits agree or |x2 − x1| ≤ 1e-09 or ≤ 0.5 × min(|x1|, |x2|); in p "
                                             "when more than 6.5 digits agree or |x2 − x1| ≤ 2 or ≤ 0.5 × min(|x1|, |x2|)"},
                    {"Columns left out", "2-4,7"}, {"Columns", "matched by name"}, {"Rows", "paired by key 1"}}));
}

TEST(Report, VerdictsKeptByKindReportWhatTheWholeVerdictsDo)
{
    // Two runs of a simulation whose every value differs in its last digits, but for a stretch
    // of rows that agree, a text and a NaN; with File 2's columns named in another order, and
    // with a row of File 2 only (rows paired by a key column). Compared keeping verdicts by kind
    // where every cell differs, the verdicts, figures and every report are those of the
    // comparison that keeps every agreement.
    struct Case { bool named; bool extraRow; };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(testing::Message() << "named " << c.named << " extra row " << c.extraRow);
        std::mt19937_64 random(11);
        std::string text1 = c.named ? "t a b c\n" : "", text2 = c.named ? "t c a b\n" : "";
        for (int r = 0; r < 12'000; ++r) {
            std::string one = std::to_string(r);
            std::vector<std::string> two{one};
            for (int col = 0; col < 3; ++col) {
                const double x = double(random() % 1'000'000) / 997 + 1;
                const bool agree = r >= 5'000 && r < 5'003;
                char a[40], b[40];
                std::snprintf(a, sizeof a, "%.9e", x);
                std::snprintf(b, sizeof b, "%.9e", agree ? x : x * (1 + double(random() % 9 + 1) * 1e-9));
                std::string cell1 = r == 7'000 && col == 1 ? "x" : a, cell2 = r == 8'000 && col == 2 ? "nan" : b;
                one += " " + cell1;
                two.push_back(cell2);
            }
            text1 += one + "\n";
            text2 += two[0] + " " + (c.named ? two[3] + " " + two[1] + " " + two[2] : two[1] + " " + two[2] + " " + two[3]) + "\n";
            if (c.extraRow && r == 9'000)
                text2 += "9000.5 1 2 3\n";
        }
        auto table1 = std::make_shared<const Table>(ParseTable(text1, TableFormat::Plain, c.named));
        auto table2 = std::make_shared<const Table>(ParseTable(text2, TableFormat::Plain, c.named));
        CompareOptions options;
        options.relativeTolerance = 5e-9;
        if (c.named)
            options.columnMap = {0, 2, 3, 1};
        if (c.extraRow)
            options.alignment = std::make_shared<RowAlignment>(AlignByKeys(*table1, *table2, {0}));
        const CompareResult whole = CompareTables(*table1, *table2, options);
        const CompareResult kinds = CompareTables(table1, LoadedGridShape(*table1), table2, LoadedGridShape(*table2), options);
        ASSERT_FALSE(whole.verdicts.keepsKindsOnly());
        ASSERT_TRUE(kinds.verdicts.keepsKindsOnly());
        EXPECT_LT(kinds.verdicts.bytes() * 4, whole.verdicts.bytes());
        ASSERT_EQ(kinds.verdicts.size(), whole.verdicts.size());
        ASSERT_GT(whole.verdicts.size(), 30'000u);
        for (std::size_t i = 0; i < whole.verdicts.size(); ++i) {
            const Verdict a = whole.verdicts[i], b = kinds.verdicts[i];
            ASSERT_EQ(std::tuple(a.row, a.col, a.kind), std::tuple(b.row, b.col, b.kind)) << i;
            ASSERT_TRUE(a.agreement == b.agreement || (std::isnan(a.agreement) && std::isnan(b.agreement))) << i;
        }
        const auto write = [&](const CompareResult& result) {
            Report report{{"a.txt", "", "", ""}, {"b.txt", "", "", ""}, {}, "", result, *table1, *table2, ScriptSeparators(),
                          [](std::uint64_t row, std::uint64_t col) { return std::to_string(row) + " " + std::to_string(col); },
                          [](std::uint64_t) { return std::string(); }};
            report.all = true;
            std::ostringstream csv, html;
            WriteCsvReport(report, csv);
            WriteHtmlReport(report, html, 100'000);
            char* json = nullptr;
            std::size_t size = 0;
            std::FILE* stream = open_memstream(&json, &size);
            {
                Output out(stream);
                WriteJsonReport(report, true, out);
                out.finish();
            }
            std::fclose(stream);
            std::string all = csv.str() + html.str() + std::string(json, size);
            std::free(json);
            return all;
        };
        EXPECT_EQ(write(kinds), write(whole));
    }
}
