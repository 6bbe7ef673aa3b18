#pragma once

namespace tallir {

// How many leading decimal digits two different numbers agree in: -log10 of their relative
// difference (x2 itself when x1 is 0). Negative when the difference exceeds x1.
double Agreement(double x1, double x2);

} // namespace tallir
