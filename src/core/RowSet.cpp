#include "RowSet.h"

#include <algorithm>

namespace tallir {

void RowSet::add(std::uint64_t first, std::uint64_t count)
{
    if (count == 0)
        return;
    if (!runs_.empty()) {
        Run& last = runs_.back();
        if (first <= last.first + last.count) {
            last.count = std::max(last.first + last.count, first + count) - last.first;
            return;
        }
    }
    runs_.push_back({first, count, size()});
}

std::uint64_t RowSet::operator[](std::uint64_t index) const
{
    const auto run = std::upper_bound(runs_.begin(), runs_.end(), index, [](std::uint64_t i, const Run& r) { return i < r.before; }) - 1;
    return run->first + (index - run->before);
}

std::vector<RowSet::Run>::const_iterator RowSet::runAtOrBefore(std::uint64_t row) const
{
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), row, [](std::uint64_t r, const Run& run) { return r < run.first; });
    return after == runs_.begin() ? runs_.end() : after - 1;
}

std::uint64_t RowSet::rank(std::uint64_t row) const
{
    const auto run = runAtOrBefore(row);
    if (run == runs_.end())
        return 0;
    return run->before + std::min(run->count, row - run->first);
}

bool RowSet::contains(std::uint64_t row) const
{
    const auto run = runAtOrBefore(row);
    return run != runs_.end() && row - run->first < run->count;
}

RowSet RowSet::Union(const RowSet& a, const RowSet& b)
{
    RowSet both;
    auto i = a.runs_.begin(), j = b.runs_.begin();
    while (i != a.runs_.end() || j != b.runs_.end()) {
        const bool fromA = j == b.runs_.end() || (i != a.runs_.end() && i->first <= j->first);
        const Run& run = fromA ? *i++ : *j++;
        both.add(run.first, run.count);
    }
    return both;
}

} // namespace tallir
