#include "settings/IniText.h"

#include <gtest/gtest.h>

TEST(IniText, LooksUpWithoutRegardToCaseAndTrimsTheValue)
{
    const QByteArray file = "; comment = not a key\r\n"
                            "[option]\r\n"
                            "  PrecisionLog =  12.5  \r\n"
                            "Empty=\r\n"
                            "eq=a=b\r\n"
                            "junk line\r\n"
                            "[Tool]\r\n"
                            "ToolBar=-1\r\n"
                            "[OPTION]\r\n"
                            "Late=1\r\n";
    struct Case { const char* section; const char* key; std::optional<QByteArray> value; };
    const std::vector<Case> cases = {
        {"Option", "precisionlog", "12.5"}, {"OPTION", "PRECISIONLOG", "12.5"}, {"Option", "Empty", ""},
        {"Option", "eq", "a=b"}, {"Option", "ToolBar", std::nullopt}, {"tool", "toolbar", "-1"},
        {"Option", "Late", std::nullopt}, // only the first section of a name counts
        {"Missing", "x", std::nullopt}, {"Option", "; comment", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniText::Lookup(file, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniText, ReplacesInPlaceAndKeepsEveryOtherByte)
{
    struct Case { QByteArray before; const char* section; const char* key; const char* value; QByteArray after; };
    const std::vector<Case> cases = {
        {"", "Option", "A", "1", "[Option]\nA=1\n"},
        {"; mine\r\n[option]\r\n  a = 5 \r\n\r\n[Tool]\r\nx=1\r\n", "Option", "A", "7",
         "; mine\r\n[option]\r\na=7\r\n\r\n[Tool]\r\nx=1\r\n"},
        {"[Option]\nA=1\n\n[Tool]\nx=1\n", "Option", "B", "2", "[Option]\nA=1\nB=2\n\n[Tool]\nx=1\n"},
        {"[Option]\nA=1", "Option", "B", "", "[Option]\nA=1\nB=\n"},
        {"[Option]\nA=1", "Tool", "ToolBar", "-1", "[Option]\nA=1\n[Tool]\nToolBar=-1\n"},
        {"weird\n[Tool]\n", "Tool", "x", "y", "weird\n[Tool]\nx=y\n"},
        // A lone CR ends a line like LF does, and each line keeps its own end.
        {"[Option]\nPrecisionLog=0.5\r", "Option", "WindowArrange", "2", "[Option]\nPrecisionLog=0.5\rWindowArrange=2\n"},
        {"[Option]\rA=1\r[Tool]\rx=1\r", "Option", "A", "3", "[Option]\rA=3\r[Tool]\rx=1\r"},
        {"[Option]\rA=1\r", "Tool", "x", "2", "[Option]\rA=1\r[Tool]\rx=2\r"},
        {"[Option]\r\nA=1\n", "Option", "B", "2", "[Option]\r\nA=1\nB=2\r\n"},
        // A leading byte-order mark hides nothing and stays as it was.
        {"\xEF\xBB\xBF[Option]\nA=1\n", "Option", "A", "2", "\xEF\xBB\xBF[Option]\nA=2\n"},
        {"\xEF\xBB\xBF[Option]\nA=1\n", "Option", "B", "2", "\xEF\xBB\xBF[Option]\nA=1\nB=2\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IniText::Replace(c.before, c.section, c.key, c.value), c.after) << c.before.constData();
        EXPECT_EQ(IniText::Lookup(c.after, c.section, c.key), QByteArray(c.value)) << "read back from " << c.after.constData();
    }
    // A line end or a bracket, and an equals sign or bracket in a key, could not be read back.
    for (const auto& [section, key, value, writable] : {std::tuple{"RecentPath", "0", "/data/a b.txt", true},
                                                        {"RecentPath", "0", "/data/a\nb.txt", false}, {"Recent]", "0", "x", false},
                                                        {"Option", "a=b", "x", false}, {"Option", "[x", "x", false}})
        EXPECT_EQ(IniText::Writable(section, key, value), writable) << section << "/" << key << "=" << value;
}
