#include "Agreement.h"

#include <cmath>

namespace tallir {

namespace {
double RelativeDifference(double x1, double x2)
{
    if (x1 == 0)
        return x2;
    const double difference = x2 - x1;
    // Two numbers near the ends of the range can differ by more than the largest double
    // while their quotient is small: take the difference from the quotient then.
    return std::isinf(difference) ? x2 / x1 - 1 : difference / x1;
}
} // namespace

double Agreement(double x1, double x2)
{
    return AgreementOf(std::fabs(RelativeDifference(x1, x2)));
}

double AgreementOf(double relative)
{
    return -std::log(relative) / std::log(10.0);
}

CellValues ValuesOf(double x1, double x2)
{
    return {x1, x2, std::fabs(x2 - x1), std::fabs(RelativeDifference(x1, x2))};
}

} // namespace tallir
