#include "core/NumericText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace tallir;

TEST(NumericText, TheDecimalGrammarAndNothingElse)
{
    struct Case {
        std::string text;
        std::optional<double> value;
    };
    const std::vector<Case> cases = {
        {"1", 1.0},         {"1.0", 1.0},         {"-2", -2.0},        {"+3.5", 3.5},
        {".5", 0.5},        {"5.", 5.0},          {"1e3", 1000.0},     {"1E+3", 1000.0},
        {"2.5e-3", 0.0025}, {"  7  ", 7.0},       {"\t7", 7.0},        {"-0", -0.0},
        {"00012", 12.0},    {"1e-400", 0.0},      {"-1e-400", -0.0},   {"0e999999", 0.0},
        {"", std::nullopt},       {" ", std::nullopt},      {".", std::nullopt},
        {"+", std::nullopt},      {"1e", std::nullopt},     {"1e+", std::nullopt},
        {"e5", std::nullopt},     {"1.2.3", std::nullopt},  {"1,5", std::nullopt},
        {"\"5\"", std::nullopt},  {"inf", std::nullopt},    {"nan", std::nullopt},
        {"0x10", std::nullopt},   {"1d3", std::nullopt},    {"- 1", std::nullopt},
        {"1 2", std::nullopt},    {"1e400", std::nullopt},  {"-1.5e309", std::nullopt},
        {"123456789012345678901234567890e-400", 0.0},
    };
    for (const auto& c : cases) {
        const auto value = NumericValue(c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << testing::PrintToString(c.text);
        if (value) {
            EXPECT_EQ(*value, *c.value) << c.text;
            EXPECT_EQ(std::signbit(*value), std::signbit(*c.value)) << c.text;
        }
    }
}

TEST(NumericText, AgreesWithTheStandardReaderOnEveryDigitCount)
{
    // The quick path and the full reader must give the same nearest double.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-320, 308);
    std::uniform_int_distribution<int> digits(1, 25);
    char text[80];
    for (int i = 0; i < 200000; ++i) {
        const double x = mantissa(random) * std::pow(10.0, exponent(random) / 10);
        std::snprintf(text, sizeof text, "%.*e", digits(random), x);
        const auto value = NumericValue(text);
        ASSERT_TRUE(value) << text;
        ASSERT_EQ(*value, std::strtod(text, nullptr)) << text;
    }
    EXPECT_EQ(*NumericValue("9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(*NumericValue("1.7976931348623157e308"), std::numeric_limits<double>::max());
}
