#pragma once
// Two numeric texts whose doubles are equal can still stand for different decimal values: long
// integers such as nanosecond time stamps, or digits past the seventeenth. Their difference is
// then reckoned from the digits themselves.

#include <optional>
#include <string_view>

namespace tallir {

// How far apart two numbers are, as base-10 logarithms (so that differences too small or too
// large for a double keep their size): of |x2 - x1|, and of |x2 - x1| / |x1| (|x2| when x1 is 0).
struct LogDifference {
    double absolute;
    double relative;
    double value;     // |x2 - x1| as a double: 0 when too small for one, inf when too large
    bool firstIsZero; // x1 is exactly 0: no relative rule can hold
};

// The difference of the exact values of two numeric texts; nothing when the values are equal
// (as "1.5" and "+1.50E0" are).
std::optional<LogDifference> ExactDifference(std::string_view a, std::string_view b);

// Whether two numeric texts that both read as the double x surely have one value, as they do
// when neither has more than 15 mantissa digits and x is a normal double (not 0, not so small
// that texts of different values round to it). Quick: it only counts digits.
bool SurelyEqual(std::string_view a, std::string_view b, double x);

// The order of the exact values of two numeric texts: negative, 0 or positive.
int ExactOrder(std::string_view a, std::string_view b);

} // namespace tallir
