#pragma once
// Whether a cell text is a decimal number, and its value: blanks around it ignored, an optional
// sign, digits with at most one decimal point and at least one digit, an optional exponent
// (E or e, optional sign, digits). A number too large for a double is not numeric (it is then
// compared as text); one too small becomes zero, the nearest double.

#include <optional>
#include <string_view>
#include <utility>

namespace tallir {

std::optional<double> NumericValue(std::string_view text);

// Both values when both texts are numeric; quicker than reading them one by one when they
// differ only in their last digits.
std::optional<std::pair<double, double>> NumericValues(std::string_view a, std::string_view b);

inline bool IsNumeric(std::string_view text) { return NumericValue(text).has_value(); }

// Readings beyond that grammar, each switched on by an option: "nan", "inf" and "infinity" in
// any case, with an optional sign, as NaN and the infinities; D or d marking the exponent as E
// does, as Fortran programs write it (1.5D+02 is 150).
struct NumberGrammar {
    bool nanInf = false;
    bool exponentD = false;
    bool any() const { return nanInf || exponentD; }
};
// The value of text by the grammar and the readings extra switches on.
std::optional<double> NumericValue(std::string_view text, const NumberGrammar& extra);

} // namespace tallir
