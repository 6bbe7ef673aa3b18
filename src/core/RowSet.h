#pragma once
// A set of row numbers held as runs of consecutive rows, so that a filter keeping every one of
// ten million rows takes a few bytes, and one keeping scattered rows some 24 bytes a row.

#include <cstdint>
#include <vector>

namespace tallir {

class RowSet {
public:
    // Adds rows [first, first + count); first must not lie before the first row of a run added
    // earlier. Runs that overlap or touch become one.
    void add(std::uint64_t first, std::uint64_t count);

    std::uint64_t size() const { return runs_.empty() ? 0 : runs_.back().before + runs_.back().count; }
    bool empty() const { return runs_.empty(); }
    // The index-th row held, ascending (index < size()).
    std::uint64_t operator[](std::uint64_t index) const;
    // How many rows held come before row.
    std::uint64_t rank(std::uint64_t row) const;
    bool contains(std::uint64_t row) const;

    // Every row of either set.
    static RowSet Union(const RowSet& a, const RowSet& b);

private:
    struct Run {
        std::uint64_t first;
        std::uint64_t count;
        std::uint64_t before; // rows held in the runs before this one
    };
    // The last run whose first row is at or before row; runs_.end() when none.
    std::vector<Run>::const_iterator runAtOrBefore(std::uint64_t row) const;

    std::vector<Run> runs_;
};

} // namespace tallir
