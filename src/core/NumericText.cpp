#include "NumericText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fast_float/fast_float.h>
#include <system_error>

namespace tallir {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<double> NumericValue(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;

    // Check the grammar, gathering the digits as an integer mantissa m and a decimal exponent
    // e along the way, so that the common case needs no second pass.
    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t number = i;
    std::uint64_t mantissa = 0;
    int mantissaDigits = 0; // significant digits gathered into mantissa
    bool exact = true;      // mantissa holds every significant digit
    std::int64_t exponent10 = 0;
    std::size_t digits = 0;
    auto gather = [&](char c, bool fraction) {
        ++digits;
        if (mantissaDigits == 0 && c == '0') {
            exponent10 -= fraction ? 1 : 0;
            return;
        }
        if (mantissaDigits < 19) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++mantissaDigits;
            exponent10 -= fraction ? 1 : 0;
        } else {
            exact = exact && c == '0';
            exponent10 += fraction ? 0 : 1;
        }
    };
    while (i < end && IsDigit(text[i]))
        gather(text[i++], false);
    if (i < end && text[i] == '.') {
        ++i;
        while (i < end && IsDigit(text[i]))
            gather(text[i++], true);
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        const std::size_t exponentStart = i;
        std::int64_t written = 0;
        while (i < end && IsDigit(text[i]))
            written = std::min<std::int64_t>(written * 10 + (text[i++] - '0'), 1'000'000'000);
        if (i == exponentStart)
            return std::nullopt;
        exponent10 += negativeExponent ? -written : written;
    }
    if (i != end)
        return std::nullopt;

    // Both m and 10^|e| are exact doubles here, so one multiplication or division gives the
    // correctly rounded value.
    static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (exact && mantissa <= (std::uint64_t(1) << 53) && exponent10 >= -22 && exponent10 <= 22) {
        double value = static_cast<double>(mantissa);
        value = exponent10 < 0 ? value / Powers[-exponent10] : value * Powers[exponent10];
        return negative ? -value : value;
    }

    // Everything else: a correctly rounded reading from the library made for it. A value too
    // small for a double reads as 0, the nearest one; one too large is no double at all.
    double value = 0;
    const auto [ptr, ec] = fast_float::from_chars(text.data() + number, text.data() + end, value);
    if (ec != std::errc() || ptr != text.data() + end || std::isinf(value))
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace tallir
