#include "core/NumericText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <regex>

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
        {"5.e3", 5000.0},   {"-.5E1", -5.0},      {"1e0005", 1e5},     {"1e00005", 1e5},
        {"9007199254740993e-22", 9007199254740993e-22}, {"1.2345678901234567890", 1.2345678901234567890},
        {"1.5e", std::nullopt},   {"1.5e-", std::nullopt}, {"1.5e+-3", std::nullopt},
        {"12345678.12345678x", std::nullopt},
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
    EXPECT_EQ(*NumericValue("9007199254740993e-5"), 9007199254740993e-5);
    EXPECT_EQ(*NumericValue("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(NumericText, RandomTextsFollowTheGrammarAndTheStandardReader)
{
    // Short texts of digits, points, exponents, signs and blanks: numeric exactly when the
    // grammar says so, and then the value strtod gives.
    const std::regex grammar(R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)");
    const std::string alphabet = "0123456789000111999..eE+- \tx";
    std::mt19937_64 random(11);
    std::uniform_int_distribution<std::size_t> length(0, 30), pick(0, alphabet.size() - 1), digitsOnly(0, 9);
    std::bernoulli_distribution mostlyDigits(0.8);
    for (int i = 0; i < 300000; ++i) {
        std::string text(length(random), ' ');
        for (char& c : text)
            c = mostlyDigits(random) ? alphabet[digitsOnly(random)] : alphabet[pick(random)];
        const auto value = NumericValue(text);
        const double standard = std::strtod(text.c_str(), nullptr);
        const bool numeric = std::regex_match(text, grammar) && !std::isinf(standard);
        ASSERT_EQ(value.has_value(), numeric) << testing::PrintToString(text);
        if (value) {
            ASSERT_EQ(*value, standard) << text;
        }
    }
}

namespace {

void ExpectAsEachAlone(const std::string& a, const std::string& b)
{
    const auto both = NumericValues(a, b);
    const auto x1 = NumericValue(a), x2 = NumericValue(b);
    ASSERT_EQ(both.has_value(), x1 && x2) << a << " " << b;
    if (both) {
        EXPECT_EQ(both->first, *x1) << a << " " << b;
        EXPECT_EQ(both->second, *x2) << a << " " << b;
        EXPECT_EQ(std::signbit(both->first), std::signbit(*x1)) << a << " " << b;
        EXPECT_EQ(std::signbit(both->second), std::signbit(*x2)) << a << " " << b;
    }
}

} // namespace

TEST(NumericText, PairsReadAsEachAlone)
{
    // Pairs as two runs write them, the second text the first with some bytes changed (mostly
    // late digits, at times the point, the sign, the exponent or a letter): both values exactly
    // as read one by one, or nothing when either is not a number.
    const std::pair<std::string, std::string> chosen[] = {
        {"-12", "112"}, {"-12", "+12"}, {"1.5", "125"}, {"9.9e1", "9.9e2"}, {"1.25", "1.2x"}, {"-0.5", "-0.6"},
        {"9.999999999999999e-01", "9.999999999999998e-01"}, {"1.0000000000000001e+00", "1.0000000000000002e+00"},
    };
    for (const auto& [a, b] : chosen)
        ExpectAsEachAlone(a, b);
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-30, 30), digits(0, 18), changes(1, 3);
    const std::string replacements = "0123456789012345678901234567890123456789.-+eEx ";
    std::uniform_int_distribution<std::size_t> pick(0, replacements.size() - 1);
    const char* formats[] = {"%.*e", "%.*f", "%.*g"};
    char text[80];
    for (int i = 0; i < 300000; ++i) {
        const double x = mantissa(random) * std::pow(10.0, exponent(random) / 3);
        std::snprintf(text, sizeof text, formats[i % 3], digits(random), x);
        const std::string a = text;
        std::string b = a;
        for (int k = changes(random); k > 0; --k) {
            // Late positions are likelier, as in results that differ in their last digits.
            const std::size_t at = b.size() - 1 - std::min<std::size_t>(b.size() - 1, random() % (random() % 2 ? 6 : b.size()));
            b[at] = replacements[pick(random)];
        }
        ExpectAsEachAlone(a, b);
        if (testing::Test::HasFailure())
            return;
    }
}

TEST(NumericText, LongMantissasAsTheStandardReaderRoundsThem)
{
    // Integers of 16 to 19 digits above 2^53 over powers of ten, halfway cases and powers of two
    // among them: the nearest double, ties to even, as strtod has it; pairs of them as well.
    std::mt19937_64 random(9);
    std::uniform_int_distribution<std::uint64_t> above((std::uint64_t(1) << 53) + 1, 9999999999999999999ULL);
    std::uniform_int_distribution<int> power(1, 22);
    // 1.000000000000000333 lies just below the midpoint 1 + 3 * 2^-53, closer than half a unit of a
    // 64-bit mantissa: rounded to 64 bits first it would become the midpoint and then round up.
    std::vector<std::string> texts = {"9007199254740993e-1", "18014398509481985e-1", "9007199254740995e-22",
                                      "9999999999999999999e-22", "4503599627370496.5", "9007199254740992.5e-3",
                                      "1.000000000000000333", "-1000000000000000333e-18"};
    // Values next to a power of two, where the double below is half as far as the one above.
    for (int k = 1; k <= 22; ++k) {
        std::uint64_t five = 1;
        for (int i = 0; i < k; ++i)
            five *= 5;
        for (int j = 0; j < 64; ++j) {
            const double near = std::ldexp(double(five), j);
            if (near <= 0x1p53 || near >= 9e18)
                continue;
            for (const std::int64_t step : {-2, -1, 0, 1, 2})
                texts.push_back(std::to_string((five << j) + std::uint64_t(step)) + "e-" + std::to_string(k));
        }
    }
    for (int i = 0; i < 200000; ++i) {
        const std::string digits = std::to_string(random() % 4 ? above(random) : (std::uint64_t(1) << (53 + random() % 10)) + random() % 3);
        const int k = power(random);
        const std::size_t point = digits.size() - std::size_t(k);
        if (i % 2 && std::size_t(k) < digits.size())
            texts.push_back(digits.substr(0, point) + "." + digits.substr(point));
        else
            texts.push_back(digits + "e-" + std::to_string(k));
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& text = texts[i];
        const auto value = NumericValue(text);
        ASSERT_TRUE(value) << text;
        ASSERT_EQ(*value, std::strtod(text.c_str(), nullptr)) << text;
        std::string other = text;
        other[other.find_first_of(".e") - 1] = char('0' + i % 10);
        ExpectAsEachAlone(text, other);
        if (testing::Test::HasFailure())
            return;
    }
}
