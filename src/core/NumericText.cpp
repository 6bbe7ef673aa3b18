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
    // Correctly rounded; a value too small for a double reads as 0, the nearest one, and one
    // too large is no double at all.
    double value = 0;
    const auto [ptr, ec] = fast_float::from_chars(begin, end, value);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range) || std::isinf(value))
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace tallir
