#include "NumericText.h"

#include "SameText.h"

#include <algorithm>
#include <cfloat>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fast_float/fast_float.h>
#include <limits>
#include <string>
#include <system_error>

namespace tallir {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of eight ASCII digits read as one little-endian word.
std::uint64_t EightDigitsValue(std::uint64_t word)
{
    word -= 0x3030303030303030ULL;
    word = word * 10 + (word >> 8);
    constexpr std::uint64_t Mask = 0x000000FF000000FFULL;
    return (((word & Mask) * 0x000F424000000064ULL) + (((word >> 16) & Mask) * 0x0000271000000001ULL)) >> 32;
}

// How many of the eight bytes of a little-endian word, from the first, are ASCII digits.
unsigned LeadingDigits(std::uint64_t word)
{
    // Digits become 0 to 9; a byte of 10 or more gets its high bit from the addition (a carry
    // out of a byte can only come from a byte with its high bit already set, below it).
    const std::uint64_t x = word ^ 0x3030303030303030ULL;
    const std::uint64_t stops = ((x + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL;
    return stops ? unsigned(std::countr_zero(stops)) / 8 : 8;
}

// The value of the first count (1 to 8) digits of a word: they move to the top and zeros fill
// in below them.
std::uint64_t LeadingDigitsValue(std::uint64_t word, unsigned count)
{
    if (count < 8)
        word = word << (8 * (8 - count)) | 0x3030303030303030ULL >> (8 * count);
    return EightDigitsValue(word);
}

constexpr std::uint64_t IntegerPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

constexpr double PowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Where the parts of a number text lie, as offsets into it.
struct Layout {
    std::size_t firstDigit;   // after the sign
    std::size_t point;        // the decimal point; npos when there is none
    std::size_t mantissaEnd;  // past the last digit before the exponent
};

constexpr std::uint64_t ExactDigits = std::uint64_t(1) << 53;

#if defined(__x86_64__) && LDBL_MANT_DIG == 64
constexpr bool Extended = true;
// Powers of ten exact in the 64-bit mantissa of the x87 format.
constexpr long double ExtendedPowersOfTen[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,
                                               1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L,
                                               1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L};
#else
constexpr bool Extended = false;
#endif

// Whether Scale can try digits * 10^exponent.
bool Scalable(std::uint64_t digits, int exponent)
{
    return exponent >= -22 && exponent <= 22 && (digits <= ExactDigits || (Extended && digits < (std::uint64_t(1) << 63)));
}

// digits * 10^exponent correctly rounded, for what Scalable allows; false when it cannot tell.
// An integer up to 2^53 and a power of ten up to 10^22 are exact doubles: one operation rounds
// once. A larger integer below 2^63 is exact in the x87 format's 64-bit mantissa, so there the
// operation rounds to 64 bits and the result again to 53; that gives the correctly rounded
// double unless the first result lies exactly halfway between two doubles (its low eleven bits
// 10000000000), when it is left to the full reader.
bool Scale(std::uint64_t digits, int exponent, double& value)
{
    if (digits <= ExactDigits) {
        const double exact = double(digits);
        value = exponent < 0 ? exact / PowersOfTen[-exponent] : exact * PowersOfTen[exponent];
        return true;
    }
#if defined(__x86_64__) && LDBL_MANT_DIG == 64
    const long double exact = static_cast<long double>(static_cast<std::int64_t>(digits));
    const long double scaled = exponent < 0 ? exact / ExtendedPowersOfTen[-exponent] : exact * ExtendedPowersOfTen[exponent];
    std::uint64_t mantissa;
    std::memcpy(&mantissa, &scaled, sizeof mantissa);
    if ((mantissa & 0x7FF) == 0x400)
        return false;
    value = static_cast<double>(scaled);
    return true;
#else
    return false;
#endif
}

std::uint64_t DigitsValue(const char* p, const char* end)
{
    std::uint64_t value = 0;
    while (p < end)
        value = value * 10 + unsigned(*p++ - '0');
    return value;
}

// The common case read directly: at most 19 digits making an integer up to 2^53, scaled by at
// most 10^22 either way. Both are exact doubles, so one multiplication or division gives the
// correctly rounded value. False when the text (no blanks around it) is anything else.
bool ReadExactlyScaled(std::string_view text, std::uint64_t& digits, int& exponent, Layout& layout)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    layout.firstDigit = std::size_t(p - begin);
    layout.point = std::string_view::npos;
    digits = 0;
    const char* first = p;
    while (p < end && IsDigit(*p))
        digits = digits * 10 + unsigned(*p++ - '0');
    std::ptrdiff_t count = p - first;
    exponent = 0;
    if (p < end && *p == '.') {
        layout.point = std::size_t(p - begin);
        const char* fraction = ++p;
        if constexpr (std::endian::native == std::endian::little) {
            // Up to eight digits at a time while eight bytes are left to look at.
            for (std::uint64_t word; end - p >= 8;) {
                std::memcpy(&word, p, 8);
                const unsigned run = LeadingDigits(word);
                if (run == 0)
                    break;
                digits = digits * IntegerPowersOfTen[run] + LeadingDigitsValue(word, run);
                p += run;
                if (run < 8)
                    break;
            }
        }
        while (p < end && IsDigit(*p))
            digits = digits * 10 + unsigned(*p++ - '0');
        exponent = -int(p - fraction);
        count += p - fraction;
    }
    layout.mantissaEnd = std::size_t(p - begin);
    if (count == 0 || count > 19)
        return false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-'))
            negative = *p++ == '-';
        const char* firstWritten = p;
        int written = 0;
        while (p < end && IsDigit(*p) && p - firstWritten < 4)
            written = written * 10 + (*p++ - '0');
        if (p == firstWritten)
            return false;
        exponent += negative ? -written : written;
    }
    return p == end && Scalable(digits, exponent);
}

// The value of text, read directly; nothing when it is not of the common case.
std::optional<double> ExactlyScaled(std::string_view text)
{
    std::uint64_t digits;
    int exponent;
    Layout layout;
    double value;
    if (!ReadExactlyScaled(text, digits, exponent, layout) || !Scale(digits, exponent, value))
        return std::nullopt;
    return text[0] == '-' ? -value : value;
}

// The second of two texts of one layout that differ only in their last mantissa digits, as the
// results of two runs usually do, given the first's reading: its digits are the first's with
// that tail exchanged, so only the tail is read. x2 without the sign both share.
bool ReadNearlyEqual(std::string_view a, std::string_view b, std::uint64_t digits, int exponent, const Layout& layout,
                     double& x2)
{
    if (a.size() != b.size())
        return false;
    const std::size_t k = FirstDifference(a, b);
    const std::size_t end = layout.mantissaEnd;
    if (k < layout.firstDigit || k >= end || (layout.point != std::string_view::npos && layout.point >= k))
        return false;
    for (std::size_t i = k; i < end; ++i)
        if (!IsDigit(b[i]))
            return false;
    if (!SameText(a.substr(end), b.substr(end)))
        return false;
    // Both tails have the same number of digits, so the exchange is exact in 64 bits.
    const std::uint64_t digits2 = digits - DigitsValue(a.data() + k, a.data() + end) + DigitsValue(b.data() + k, b.data() + end);
    return Scalable(digits2, exponent) && Scale(digits2, exponent, x2);
}

} // namespace

std::optional<double> NumericValue(std::string_view text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-'))
        negative = *begin++ == '-';
    // The reader takes digits with at most one decimal point and an optional exponent, and
    // nothing else must be left: no second sign, no "inf" or "nan", no hexadecimal.
    if (begin == end || !(IsDigit(*begin) || *begin == '.'))
        return std::nullopt;
    if (const auto value = ExactlyScaled(std::string_view(begin, std::size_t(end - begin))))
        return negative ? -*value : *value;
    // Correctly rounded; a value too small for a double reads as 0, the nearest one, and one
    // too large is no double at all.
    double value = 0;
    const auto [ptr, ec] = fast_float::from_chars(begin, end, value);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range) || std::isinf(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<double> NumericValue(std::string_view text, const NumberGrammar& extra)
{
    if (const auto value = NumericValue(text))
        return value;
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (extra.nanInf) {
        std::string_view word = text;
        const bool negative = !word.empty() && word.front() == '-';
        if (!word.empty() && (word.front() == '-' || word.front() == '+'))
            word.remove_prefix(1);
        auto is = [word](std::string_view name) {
            return word.size() == name.size()
                && std::equal(word.begin(), word.end(), name.begin(), [](char c, char n) { return (c | 0x20) == n; });
        };
        if (is("nan"))
            return std::numeric_limits<double>::quiet_NaN();
        if (is("inf") || is("infinity"))
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    if (extra.exponentD) {
        const std::size_t at = text.find_first_of("dD");
        if (at != std::string_view::npos) {
            std::string written(text);
            written[at] = 'e';
            return NumericValue(written);
        }
    }
    return std::nullopt;
}

std::optional<std::pair<double, double>> NumericValues(std::string_view a, std::string_view b)
{
    // The first read once: directly when it is of the common case, the second then from it.
    std::uint64_t digits;
    int exponent;
    Layout layout;
    double x1, x2;
    if (!a.empty() && ReadExactlyScaled(a, digits, exponent, layout) && Scale(digits, exponent, x1)) {
        const bool negative = a[0] == '-';
        if (ReadNearlyEqual(a, b, digits, exponent, layout, x2))
            return std::pair{negative ? -x1 : x1, negative ? -x2 : x2};
        const auto value2 = NumericValue(b);
        if (!value2)
            return std::nullopt;
        return std::pair{negative ? -x1 : x1, *value2};
    }
    const auto value1 = NumericValue(a);
    if (!value1)
        return std::nullopt;
    const auto value2 = NumericValue(b);
    if (!value2)
        return std::nullopt;
    return std::pair{*value1, *value2};
}

} // namespace tallir
