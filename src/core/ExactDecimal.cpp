#include "ExactDecimal.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <string>

namespace tallir {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A numeric text as 0.d1d2...dn x 10^exponent, with d1 and dn not 0 (no digits for zero).
struct Decimal {
    bool negative = false;
    std::string digits;
    long long exponent = 0;

    bool zero() const { return digits.empty(); }
};

Decimal Parse(std::string_view text)
{
    Decimal d;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        d.negative = text[i++] == '-';
    long long integerDigits = 0;
    bool point = false;
    for (; i < text.size() && (IsDigit(text[i]) || text[i] == '.'); ++i) {
        if (text[i] == '.') {
            point = true;
            continue;
        }
        if (d.digits.empty() && text[i] == '0') {
            // A leading zero: before the point it counts for nothing, after it it moves the point.
            if (point)
                --integerDigits;
            continue;
        }
        d.digits += text[i];
        if (!point)
            ++integerDigits;
    }
    long long written = 0;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        // Beyond this the text is no double anyway; only the order of magnitude matters then.
        for (; i < text.size() && IsDigit(text[i]); ++i)
            written = std::min(written * 10 + (text[i] - '0'), 1'000'000'000'000LL);
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    d.exponent = integerDigits + (negativeExponent ? -written : written);
    if (d.zero())
        d = Decimal{};
    return d;
}

// log10 of 0.digits (digits without leading zeros).
double LogOfFraction(const std::string& digits)
{
    double value = 0, scale = 1;
    for (std::size_t i = 0; i < digits.size() && i < 19; ++i) {
        scale /= 10;
        value += (digits[i] - '0') * scale;
    }
    return std::log10(value);
}

double LogMagnitude(const Decimal& d) { return double(d.exponent) + LogOfFraction(d.digits); }

// |x - y| for two values of one sign whose exponents differ by at most one: the digits lined up
// and subtracted. Its logarithm, and the value correctly rounded.
std::pair<double, double> Difference(const Decimal& x, const Decimal& y)
{
    const long long low = std::min(x.exponent - (long long)x.digits.size(), y.exponent - (long long)y.digits.size());
    const long long high = std::max(x.exponent, y.exponent);
    const std::size_t width = std::size_t(high - low);
    auto lineUp = [&](const Decimal& d) {
        std::string s(std::size_t(high - d.exponent), '0');
        s += d.digits;
        s.resize(width, '0');
        return s;
    };
    std::string a = lineUp(x), b = lineUp(y);
    if (a < b)
        std::swap(a, b);
    std::string difference(width, '0');
    int borrow = 0;
    for (std::size_t i = width; i-- > 0;) {
        const int digit = (a[i] - '0') - (b[i] - '0') - borrow;
        borrow = digit < 0;
        difference[i] = char('0' + digit + 10 * borrow);
    }
    const std::string significant = difference.substr(difference.find_first_not_of('0'));
    const std::string text = significant + "e" + std::to_string(low);
    return {double(low) + double(significant.size()) + LogOfFraction(significant), std::strtod(text.c_str(), nullptr)};
}

} // namespace

std::optional<LogDifference> ExactDifference(std::string_view a, std::string_view b)
{
    const Decimal x1 = Parse(a), x2 = Parse(b);
    if (x1.negative == x2.negative && x1.exponent == x2.exponent && x1.digits == x2.digits)
        return std::nullopt;
    double absolute, value;
    if (x1.zero() || x2.zero()) {
        absolute = LogMagnitude(x1.zero() ? x2 : x1);
        value = std::pow(10.0, absolute);
    } else if (x1.negative == x2.negative && std::llabs(x1.exponent - x2.exponent) <= 1) {
        std::tie(absolute, value) = Difference(x1, x2);
    } else {
        // Far apart in size, or of opposite signs: the larger decides, the smaller adjusts it.
        const double l1 = LogMagnitude(x1), l2 = LogMagnitude(x2);
        const double larger = std::max(l1, l2), ratio = std::pow(10.0, std::min(l1, l2) - larger);
        absolute = larger + std::log10(x1.negative == x2.negative ? 1 - ratio : 1 + ratio);
        value = std::pow(10.0, absolute);
    }
    return LogDifference{absolute, x1.zero() ? absolute : absolute - LogMagnitude(x1), value, x1.zero()};
}

bool SurelyEqual(std::string_view a, std::string_view b, double x)
{
    // Counted from the length: the mantissa ends at an exponent mark among the last few bytes,
    // and a sign and a point in it are no digits. Anything else (blanks) only overcounts.
    auto fewDigits = [](std::string_view text) {
        std::size_t mantissa = text.size();
        for (std::size_t i = text.size(); i-- > 0 && i + 8 > text.size();)
            if (text[i] == 'e' || text[i] == 'E') {
                mantissa = i;
                break;
            }
        if (mantissa > 0 && (text[0] == '+' || text[0] == '-'))
            --mantissa;
        if (mantissa > 15 && text.substr(0, mantissa + 1).find('.') != std::string_view::npos)
            --mantissa;
        return mantissa <= 15;
    };
    return std::fabs(x) >= DBL_MIN && fewDigits(a) && fewDigits(b);
}

int ExactOrder(std::string_view a, std::string_view b)
{
    const Decimal x1 = Parse(a), x2 = Parse(b);
    auto sign = [](const Decimal& d) { return d.zero() ? 0 : d.negative ? -1 : 1; };
    if (sign(x1) != sign(x2) || sign(x1) == 0)
        return sign(x1) - sign(x2);
    const int magnitude = x1.exponent != x2.exponent ? (x1.exponent < x2.exponent ? -1 : 1) : x1.digits.compare(x2.digits);
    return x1.negative ? -magnitude : magnitude;
}

} // namespace tallir
