#include "core/AbbreviatePath.h"
#include "core/LineSplitter.h"
#include "core/Tokenize.h"

#include <gtest/gtest.h>

#include <random>

using namespace tallir;
using Tokens = std::vector<std::string>;

TEST(Tokenize, SplitsAtSeparatorRunsAndKeepsQuotedStretches)
{
    struct Case { std::string text; Tokens tokens; };
    const std::vector<Case> cases = {
        {"1, 2,,3", {"1", "2", "3"}}, {"\t4\t\t 5", {"4", "5"}}, {"\"a, b\",c", {"\"a, b\"", "c"}},
        {"\"1,5\"", {"\"1,5\""}}, {"x \"unclosed, to the end ", {"x", "\"unclosed, to the end "}},
        {"a\"b c\"d e", {"a\"b c\"d", "e"}}, {"\"\"", {"\"\""}}, {"", {}}, {" ,\t, ", {}},
        {"\"a\tb\" c", {"\"a\tb\"", "c"}}, {std::string("n\0ul x", 6), {std::string("n\0ul", 4), "x"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tokenize(c.text, " \t,"), c.tokens) << c.text;
    // Counted without cutting: as many as cut, in random texts of every length, with and
    // without quotes, and with more separators than are tested eight bytes at a time.
    std::mt19937 random(11);
    // Among the bytes, those one bit from a separator ('!', '-', backspace), where a quick test
    // for the separators' bytes might err.
    const std::string plain("1x \t,, -!;:\x80\x08\xff"), quoted = plain + '"';
    for (const SeparatorSet& separators : {ValueSeparators, SeparatorSet(" \t,;:\x80")})
        for (int n = 0; n < 3000; ++n) {
            const std::string& bytes = n % 3 ? quoted : plain;
            std::string text(random() % 40, ' ');
            for (char& c : text)
                c = bytes[random() % bytes.size()];
            std::size_t cut = 0;
            ForEachToken(text, separators, [&](std::string_view) { ++cut; });
            ASSERT_EQ(CountTokens(text, separators), cut) << text;
        }
    EXPECT_EQ(Tokenize("a b,c", " "), (Tokens{"a", "b,c"})) << "only the given separators split";
    EXPECT_EQ(Tokenize("aXbxc", "X"), (Tokens{"a", "bxc"})) << "case counts";
}

TEST(LineSplitter, EveryKindOfLineEndInAnyBlockSplit)
{
    struct Case { std::string text; Tokens lines; };
    const std::vector<Case> cases = {
        {"a\r\nb\r\n", {"a", "b"}}, {"a\nb\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}}, {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}}, {"a\r\r\nb", {"a", "", "b"}}, {"\n", {""}}, {"\r\n\r\n", {"", ""}}, {"", {}},
        {"last", {"last"}},
    };
    for (const auto& c : cases) {
        // Every way of cutting the text into two blocks gives the same lines.
        for (std::size_t cut = 0; cut <= c.text.size(); ++cut) {
            LineSplitter splitter;
            Tokens lines;
            auto collect = [&](std::string_view line) { lines.emplace_back(line); };
            splitter.feed(std::string_view(c.text).substr(0, cut), collect);
            splitter.feed(std::string_view(c.text).substr(cut), collect);
            splitter.finish(collect);
            EXPECT_EQ(lines, c.lines) << "text " << testing::PrintToString(c.text) << " cut at " << cut;
        }
    }
}

TEST(AbbreviatePath, KeepsTheHeadAndAsMuchOfTheEndAsFits)
{
    struct Case { std::string path; std::size_t max; std::string expected; };
    const std::vector<Case> cases = {
        {"/srv/Program Files/Measurements/2003/July/run-0042/result.txt", 40, "/.../2003/July/run-0042/result.txt"},
        {"/srv/Program Files/Measurements/2003/July/run-0042/result.txt", 0, "/.../2003/July/run-0042/result.txt"},
        {"/data/a.txt", 40, "/data/a.txt"}, {"/aaaa/bbbb/cccc/file.txt", 20, "/.../cccc/file.txt"},
        {"/aaaa/bbbb/cccc/file.txt", 17, "/.../cccc/file.txt"}, // the rest exactly 17 - 3 characters
        {"/aaaa/bbbb/cccc/file.txt", 16, "/.../file.txt"},      // one more than 16 - 3
        {"/a/b/cc", 2, "/.../cc"},                                 // no room even for the dots
        {"c/aaaa/bbbb/cccc/file.txt", 20, "c/.../cccc/file.txt"}, {std::string(40, 'x'), 40, std::string(40, 'x')},
        // No separator from which the rest fits: the last one is taken.
        {"/a/" + std::string(50, 'f'), 40, "/.../" + std::string(50, 'f')},
        {"a/" + std::string(50, 'f'), 40, "a/.../" + std::string(50, 'f')}, // the second character a separator
        // No separator at all: the whole path follows the dots.
        {std::string(45, 'f'), 40, "..." + std::string(45, 'f')},
        // Characters, not bytes, are counted.
        {"/d/\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 10, "/d/\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AbbreviatePath(c.path, c.max), c.expected) << c.path << " / " << c.max;
}
