#include "Navigation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tallir {

namespace {

double Severity(const Verdict& v)
{
    switch (v.kind) {
    case VerdictKind::Text:
        return -std::numeric_limits<double>::infinity();
    case VerdictKind::Same:
        return std::numeric_limits<double>::infinity();
    case VerdictKind::Digits:
        break;
    }
    return std::isnan(v.agreement) ? -std::numeric_limits<double>::max() : v.agreement;
}

} // namespace

std::optional<Step> NextDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col, bool beyondOnly)
{
    const auto& v = result.verdicts;
    const auto counts = [beyondOnly](const Verdict& x) { return !beyondOnly || BeyondTolerance(x); };
    // The first verdict that is not at or before (row, col).
    const auto after = v.begin() + std::ptrdiff_t(v.lowerBound(row, col + 1));
    if (const auto it = std::find_if(after, v.end(), counts); it != v.end())
        return Step{std::size_t(it - v.begin()), false};
    if (const auto it = std::find_if(v.begin(), after, counts); it != after)
        return Step{std::size_t(it - v.begin()), true};
    return std::nullopt;
}

std::optional<Step> PreviousDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col, bool beyondOnly)
{
    const auto& v = result.verdicts;
    const auto counts = [beyondOnly](const Verdict& x) { return !beyondOnly || BeyondTolerance(x); };
    const auto before = v.begin() + std::ptrdiff_t(v.lowerBound(row, col));
    const auto back = std::make_reverse_iterator(before);
    if (const auto it = std::find_if(back, v.rend(), counts); it != v.rend())
        return Step{std::size_t(v.rend() - it) - 1, false};
    if (const auto it = std::find_if(v.rbegin(), back, counts); it != back)
        return Step{std::size_t(v.rend() - it) - 1, true};
    return std::nullopt;
}

std::optional<std::size_t> FindDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col)
{
    const auto& v = result.verdicts;
    const std::size_t at = v.lowerBound(row, col);
    if (at == v.size())
        return std::nullopt;
    const Verdict found = v[at];
    if (found.row != row || found.col != col)
        return std::nullopt;
    return at;
}

std::vector<std::size_t> WorstFirst(const CompareResult& result, bool beyondOnly)
{
    std::vector<std::size_t> order(result.verdicts.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    if (beyondOnly)
        std::erase_if(order, [&](std::size_t i) { return !BeyondTolerance(result.verdicts[i]); });
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return Severity(result.verdicts[a]) < Severity(result.verdicts[b]);
    });
    return order;
}

} // namespace tallir
