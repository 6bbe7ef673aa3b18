#include "VerdictColour.h"

#include <algorithm>

namespace tallir {

Rgb VerdictRgb(const Verdict& verdict, double threshold)
{
    if (verdict.kind == VerdictKind::Same)
        return {204, 232, 222};
    if (verdict.kind == VerdictKind::Text || !(verdict.agreement >= 1))
        return {236, 112, 99};
    // From orange at 1 digit to a pale yellow at the threshold.
    const double t = std::clamp((verdict.agreement - 1) / std::max(1.0, threshold - 1), 0.0, 1.0);
    const auto mix = [t](int from, int to) { return int(from + (to - from) * t); };
    return {mix(245, 255), mix(166, 244), mix(95, 190)};
}

} // namespace tallir
