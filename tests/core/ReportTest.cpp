#include "core/TableReader.h"
#include "report/Report.h"

#include <gtest/gtest.h>

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
    CompareResult result = CompareTables(table1, table2);
    Report report() const
    {
        return Report{{"a.txt", "R4 x C3", "40 Bytes", "today"}, {"b & c.txt", "R4 x C3", "41 Bytes", "today"},
                      {{"Precision rule", "off"}}, ClosingMessage("a.txt", "b & c.txt", result.differing()), result, table1,
                      table2, {}, [](std::uint64_t row, std::uint64_t col) {
                          return std::string("R").append(std::to_string(row + 1)).append(" C").append(std::to_string(col + 1));
                      },
                      [](std::uint64_t col) { return col == 1 ? std::string("v") : std::string(); }};
    }
};

} // namespace

TEST(Report, CsvListsEveryDifferingCell)
{
    const Pair pair;
    std::ostringstream out;
    WriteCsvReport(pair.report(), out);
    const auto records = ParseCsv(out.str());
    ASSERT_EQ(records.size(), 1 + pair.result.differing());
    EXPECT_EQ(records[0], (std::vector<std::string>{"row", "column", "name", "text1", "text2", "verdict", "agreement",
                                                    "absolute difference", "relative difference"}));
    // Row 1: v 1.5 against 1.6, then "a,b" against "a,c" (quotes kept, comma inside).
    EXPECT_EQ(records[1], (std::vector<std::string>{"1", "2", "v", "1.5", "1.6", "1.18", "1.1760912590556807",
                                                    "0.10000000000000009", "0.06666666666666672"}));
    EXPECT_EQ(records[2][3], "\"a,b\"");
    EXPECT_EQ(records[2][5], "D");
    EXPECT_EQ(records[2][6], "") << "no agreement for texts";
    EXPECT_EQ(records[3][3], "x<y");
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
    // The worst first: the "D" cells, then the lowest agreement.
    const std::regex cell("<tr class=\"cell\"><td>(R\\d+ C\\d+)</td>");
    std::vector<std::string> order;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), cell); it != std::sregex_iterator(); ++it)
        order.push_back((*it)[1]);
    EXPECT_EQ(order, (std::vector<std::string>{"R1 C3", "R2 C3", "R3 C3", "R1 C2"}));
    // The column summary: one row per compared column, with its name.
    EXPECT_NE(page.find("<tr><td class=\"number\">2</td><td>v</td><td class=\"number\">3</td>"), std::string::npos);

    std::ostringstream shortened;
    WriteHtmlReport(pair.report(), shortened, 2);
    EXPECT_EQ(Count(shortened.str(), "<tr class=\"cell\">"), 2u);
    EXPECT_NE(shortened.str().find("and 2 more differing cells."), std::string::npos);
}
