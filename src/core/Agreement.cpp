#include "Agreement.h"

#include <cmath>

namespace tallir {

double Agreement(double x1, double x2)
{
    double d = x2;
    if (x1 != 0) {
        const double difference = x2 - x1;
        // Two numbers near the ends of the range can differ by more than the largest double
        // while their quotient is small: take the difference from the quotient then.
        d = std::isinf(difference) ? x2 / x1 - 1 : difference / x1;
    }
    return -std::log(std::fabs(d)) / std::log(10.0);
}

} // namespace tallir
