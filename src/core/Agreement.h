#pragma once

namespace tallir {

// How many leading decimal digits two different numbers agree in: -log10 of their relative
// difference (x2 itself when x1 is 0). Negative when the difference exceeds x1.
double Agreement(double x1, double x2);
// The same from their relative difference |x2 - x1| / |x1| (|x2| when x1 is 0).
double AgreementOf(double relative);

// The two numbers of a numeric verdict and how far apart they are: |x2 - x1|, and that over
// |x1| (|x2| when x1 is 0).
struct CellValues {
    double x1 = 0;
    double x2 = 0;
    double absolute = 0;
    double relative = 0;
};
// The values of two numbers; the relative difference stays finite when the absolute one is
// too large for a double (1e308 against -1e308 are 2 apart relatively).
CellValues ValuesOf(double x1, double x2);

} // namespace tallir
