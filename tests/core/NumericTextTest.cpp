#include "core/NumericText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <regex>

using namespace tallir;

TEST(NumericText, TheDecimalGrammarAndNothingElse)
{
    struct Case { std::string text; std::optional<double> value; };
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
        {"5.e3", 5000.0},   {"-.5E1", -5.0},      {"1e0005", 1e5},     {"1e00005", 1e5},
        {"9007199254740993e-22", 9007199254740993e-22}, {"1.2345678901234567890", 1.2345678901234567890},
        {"1.5e", std::nullopt},   {"1.5e-", std::nullopt}, {"1.5e+-3", std::nullopt},
        {"12345678.12345678x", std::nullopt}, {"9007199254740993", 9007199254740992.0},
    };
    for (const auto& c : cases) {
        const auto value = NumericValue(c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << testing::PrintToString(c.text);
        if (value)
            EXPECT_EQ(std::pair(*value, std::signbit(*value)), std::pair(*c.value, std::signbit(*c.value))) << c.text;
    }
}

namespace {

void ExpectAsEachAlone(const std::string& a, const std::string& b)
{
    const auto both = NumericValues(a, b);
    const auto x1 = NumericValue(a), x2 = NumericValue(b);
    ASSERT_EQ(both.has_value(), x1 && x2) << a << " " << b;
    if (both)
        EXPECT_EQ(std::tuple(both->first, both->second, std::signbit(both->first), std::signbit(both->second)),
                  std::tuple(*x1, *x2, std::signbit(*x1), std::signbit(*x2))) << a << " " << b;
}

} // namespace

TEST(NumericText, RandomTextsReadAsTheStandardReaderAndPairsAsEachAlone)
{
    // Three kinds of text: doubles printed with 0 to 25 digits; integers of 16 to 19 digits above
    // 2^53 over powers of ten (the nearest double, ties to even); short strings of digits,
    // points, exponents, signs and blanks. Each is numeric exactly when the grammar says so, with
    // the value strtod gives. Beside it, a copy with late bytes changed, as two runs write their
    // results: the pair reads as each text alone.
    const std::pair<std::string, std::string> chosen[] = {
        {"-12", "112"}, {"-12", "+12"}, {"1.5", "125"}, {"9.9e1", "9.9e2"}, {"1.25", "1.2x"}, {"-0.5", "-0.6"},
        {"9.999999999999999e-01", "9.999999999999998e-01"}, {"1.0000000000000001e+00", "1.0000000000000002e+00"},
    };
    for (const auto& [a, b] : chosen)
        ExpectAsEachAlone(a, b);
    const std::regex grammar(R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)");
    // 1.000000000000000333 lies just below the midpoint 1 + 3 * 2^-53, closer than half a unit of a
    // 64-bit mantissa: rounded to 64 bits first it would become the midpoint and then round up.
    std::vector<std::string> texts = {"9007199254740993e-1", "18014398509481985e-1", "9007199254740995e-22",
                                      "9999999999999999999e-22", "4503599627370496.5", "9007199254740992.5e-3",
                                      "1.000000000000000333", "-1000000000000000333e-18", "1.7976931348623157e308"};
    // Values next to a power of two, where the double below is half as far as the one above.
    for (int k = 1; k <= 22; ++k) {
        std::uint64_t five = 1;
        for (int i = 0; i < k; ++i)
            five *= 5;
        for (int j = 0; j < 64; ++j) {
            const double near = std::ldexp(double(five), j);
            if (near > 0x1p53 && near < 9e18)
                for (const std::int64_t step : {-2, -1, 0, 1, 2})
                    texts.push_back(std::to_string((five << j) + std::uint64_t(step)) + "e-" + std::to_string(k));
        }
    }
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<std::uint64_t> above((std::uint64_t(1) << 53) + 1, 9999999999999999999ULL);
    const char* formats[] = {"%.*e", "%.*f", "%.*g"};
    const std::string alphabet = "0123456789000111999..eE+- \tx", replacements = "01234567890123456789.-+eEx ";
    char text[80];
    for (int i = 0; i < 400000; ++i) {
        if (i % 3 == 0) {
            const int exponent = int(random() % 629) - 320;
            std::snprintf(text, sizeof text, formats[i % 2 ? 0 : random() % 3], int(random() % 26),
                          mantissa(random) * std::pow(10.0, exponent / (i % 2 ? 10 : 30)));
            texts.push_back(text);
        } else if (i % 3 == 1) {
            const std::string digits = std::to_string(random() % 4 ? above(random) : (std::uint64_t(1) << (53 + random() % 10)) + random() % 3);
            const std::size_t k = 1 + random() % 22;
            texts.push_back(i % 2 && k < digits.size() ? digits.substr(0, digits.size() - k) + "." + digits.substr(digits.size() - k)
                                                      : digits + "e-" + std::to_string(k));
        } else {
            std::string scrambled(random() % 31, ' ');
            for (char& c : scrambled)
                c = random() % 5 ? alphabet[random() % 10] : alphabet[random() % alphabet.size()];
            texts.push_back(scrambled);
        }
    }
    for (const std::string& a : texts) {
        const auto value = NumericValue(a);
        const double standard = std::strtod(a.c_str(), nullptr);
        ASSERT_EQ(value.has_value(), std::regex_match(a, grammar) && !std::isinf(standard)) << testing::PrintToString(a);
        if (value) {
            ASSERT_EQ(*value, standard) << a;
        }
        std::string b = a;
        for (int k = 1 + int(random() % 3); k > 0 && !b.empty(); --k) {
            // Late positions are likelier, as in results that differ in their last digits.
            const std::size_t at = b.size() - 1 - std::min<std::size_t>(b.size() - 1, random() % (random() % 2 ? 6 : b.size()));
            b[at] = replacements[random() % replacements.size()];
        }
        ExpectAsEachAlone(a, b);
        if (testing::Test::HasFailure())
            return;
    }
}
