#include "core/NumberFormat.h"
#include "core/Version.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tallir;

TEST(NumberFormat, StandardFormatGroupsAndRounds)
{
    struct Case { double value; std::string text; };
    const std::vector<Case> cases = {
        {1234, "1,234.00"},   {0, "0.00"},        {-0.001, "-0.00"}, {-0.0, "0.00"},      {1.18, "1.18"},
        {-0.30103, "-0.30"},  {999.994, "999.99"}, {999.996, "1,000.00"}, {1234567.891, "1,234,567.89"},
        {-1234567, "-1,234,567.00"}, {123, "123.00"}, {0.5, "0.50"},
        {INFINITY, "Inf"},    {-INFINITY, "-Inf"}, {NAN, "NaN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatStandard(c.value), c.text) << c.value;
    EXPECT_EQ(FormatStandard(1234567.5, {".", ","}), "1.234.567,50");
    EXPECT_EQ(FormatStandard(1234, {"\xe2\x80\xaf", ","}), "1\xe2\x80\xaf" "234,00");
}

TEST(NumberFormat, DimensionNumberToTextAndVersion)
{
    EXPECT_EQ(std::tuple(DimensionText(12, 5), DimensionText(3000000, 8)), std::tuple("R12 x C5", "R3000000 x C8"));

    struct Case { double value; int digits; std::string text; };
    const std::vector<Case> cases = {
        {10, 15, "10"}, {2.5, 15, "2.5"}, {1234.5, 15, "1234.5"}, {1e-20, 15, "1E-20"},
        {1e15, 15, "1E+15"}, {123456789012345, 15, "123456789012345"}, {0.1f, 7, "0.1"},
        {-1, 7, "-1"}, {2304, 7, "2304"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberToText(c.value, c.digits), c.text) << c.value;
    EXPECT_EQ(NumberToText(12.5, 15, ","), "12,5");

    EXPECT_EQ(VersionCaption(), "Tallir Ver.1.0 Rev.109");
}
