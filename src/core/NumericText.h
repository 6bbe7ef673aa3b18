#pragma once
// Whether a cell text is a decimal number, and its value: blanks around it ignored, an optional
// sign, digits with at most one decimal point and at least one digit, an optional exponent
// (E or e, optional sign, digits). A number too large for a double is not numeric (it is then
// compared as text); one too small becomes zero, the nearest double.

#include <optional>
#include <string_view>

namespace tallir {

std::optional<double> NumericValue(std::string_view text);

inline bool IsNumeric(std::string_view text) { return NumericValue(text).has_value(); }

} // namespace tallir
