#pragma once
// The colour of a verdict on the colour map, shared by the windows and the reports: red for "D"
// and less than one digit in common, orange to a pale yellow up to the precision, green-grey
// for "S".

#include "VerdictList.h"

namespace tallir {

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb&) const = default;
};

Rgb VerdictRgb(const Verdict& verdict, double threshold);

} // namespace tallir
