#include "Agreement.h"

#include <cmath>

namespace tallir {

double Agreement(double x1, double x2)
{
    const double d = x1 == 0 ? x2 : (x2 - x1) / x1;
    return -std::log(std::fabs(d)) / std::log(10.0);
}

} // namespace tallir
