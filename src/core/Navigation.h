#pragma once
// Moving through the differences of a comparison: the next or previous cell with a verdict in
// reading order, and the cells from the worst agreement up.

#include "Compare.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tallir {

struct Step {
    std::size_t index;   // into the result's verdicts
    bool wrapped;        // went past the end (or the start) to get there
};

// The first verdict after (row, col) in reading order, or before it; wrapping round. With
// beyondOnly, "S" verdicts are passed over. Nothing when there is no such verdict.
std::optional<Step> NextDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col, bool beyondOnly = false);
std::optional<Step> PreviousDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col,
                                       bool beyondOnly = false);

// The index of the verdict of a cell, or nothing when the cell has none.
std::optional<std::size_t> FindDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col);

// Verdict indices from the worst on: "D" first, then digits from the lowest agreement, then
// "S" (left out with beyondOnly); equal ones in reading order.
std::vector<std::size_t> WorstFirst(const CompareResult& result, bool beyondOnly = false);

} // namespace tallir
