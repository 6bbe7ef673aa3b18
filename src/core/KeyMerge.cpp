#include "KeyMerge.h"

#include "ExactDecimal.h"
#include "NumericText.h"

#include <algorithm>
#include <cmath>

namespace tallir {

KeyCell KeyCell::Of(std::string_view text)
{
    const auto value = NumericValue(text);
    return value ? KeyCell{true, *value, text} : KeyCell{false, 0, text};
}

bool operator<(const KeyCell& a, const KeyCell& b)
{
    if (a.numeric != b.numeric)
        return a.numeric;
    if (!a.numeric)
        return a.text < b.text;
    return a.value != b.value ? a.value < b.value : ExactOrder(a.text, b.text) < 0;
}

int CompareKeys(KeyRow a, KeyRow b)
{
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] < b[i])
            return -1;
        if (b[i] < a[i])
            return 1;
    }
    return 0;
}

std::optional<double> KeyDistance(KeyRow a, KeyRow b, double tolerance)
{
    double largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].numeric && b[i].numeric) {
            const double apart = std::fabs(a[i].value - b[i].value);
            if (!(apart <= tolerance))
                return std::nullopt;
            largest = std::max(largest, apart);
        } else if (a[i].numeric != b[i].numeric || a[i].text != b[i].text) {
            return std::nullopt;
        }
    }
    return largest;
}

void MergeByKeys(const KeySource& keys1, const KeySource& keys2, double tolerance, const std::function<void(RowPair)>& pair)
{
    std::uint64_t i = 0, j = 0;
    for (;;) {
        const auto a = keys1(i), b = keys2(j);
        if (!a && !b)
            return;
        if (tolerance > 0 && a && b) {
            if (const auto apart = KeyDistance(*a, *b, tolerance)) {
                // In reach; the next row of either table may be nearer still.
                const auto a2 = keys1(i + 1), b2 = keys2(j + 1);
                const auto next1 = a2 ? KeyDistance(*a2, *b, tolerance) : std::nullopt;
                const auto next2 = b2 ? KeyDistance(*a, *b2, tolerance) : std::nullopt;
                if (next1 && *next1 < *apart)
                    pair({i++, NoRow});
                else if (next2 && *next2 < *apart)
                    pair({NoRow, j++});
                else
                    pair({i++, j++});
                continue;
            }
        }
        const int order = !a ? 1 : !b ? -1 : CompareKeys(*a, *b);
        if (order < 0)
            pair({i++, NoRow});
        else if (order > 0)
            pair({NoRow, j++});
        else
            pair({i++, j++});
    }
}

} // namespace tallir
