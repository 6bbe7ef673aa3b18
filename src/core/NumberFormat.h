#pragma once
// Number texts shown to the user. Separators come from the caller, so the window layer feeds
// the locale's and tests fix them.

#include <cstdint>
#include <string>
#include <string_view>

namespace tallir {

struct NumberSeparators {
    std::string thousands = ",";
    std::string decimal = ".";
};

// Integer digits grouped by three, at least one of them, exactly two decimals, a leading minus
// for negative values: 1234 gives 1,234.00. A value that is not finite gives "Inf", "-Inf" or
// "NaN".
std::string FormatStandard(double value, const NumberSeparators& separators = {});

// "R" rows " x C" cols: R12 x C5.
std::string DimensionText(std::uint64_t rows, std::uint64_t cols);

// The ordinary number-to-text conversion: up to significantDigits digits (7 for single, 15
// for double precision), no trailing zeros, exponent form (1E-20, 1E+15) for very large or
// small magnitudes.
std::string NumberToText(double value, int significantDigits, std::string_view decimal = ".");

// Numbers for scripts, whatever the locale: the shortest text that reads back the same.
std::string ScriptNumber(double value);

} // namespace tallir
