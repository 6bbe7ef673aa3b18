#pragma once
// Moving through the differences of a comparison: the next or previous cell with a verdict in
// reading order, and the cells from the worst agreement up.

#include "Compare.h"

#include <cstdint>
#include <optional>
#include <utility>
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

// Where the difference navigation stops when rows were aligned: a verdict, or a compared row
// that holds a row of one file only (it stands where the row's first cell would).
struct Stop {
    std::optional<std::size_t> verdict; // the verdict's index; nothing for a one-sided row
    std::uint64_t row;                   // compared row
    bool wrapped;
};
// The next (direction > 0) or previous stop after or before (row, col), wrapping round; from
// nothing, the first or last one. Without an alignment the stops are the verdicts'.
std::optional<Stop> NextStop(const CompareResult& result, std::optional<std::pair<std::uint64_t, std::uint64_t>> from,
                             int direction, bool beyondOnly = false);

// Whether a compared row holds a verdict (beyondOnly: one other than "S"), without a walk over
// the verdicts of other rows.
bool RowHasDifference(const CompareResult& result, std::uint64_t row, bool beyondOnly = false);
// The place of a verdict among those counted (from 1), and how many are counted: every verdict,
// or with beyondOnly those beyond the tolerance.
std::size_t DifferenceNumber(const CompareResult& result, std::size_t index, bool beyondOnly);
std::size_t DifferenceCount(const CompareResult& result, bool beyondOnly);

// For an overview of bands stacked top to bottom over the compared rows (row r in band
// r * bands / rows): the worst verdict of each band, in the worst-first order; nothing for a band
// without one. Blocks of verdicts within one band are not walked.
std::vector<std::optional<Verdict>> WorstPerBand(const CompareResult& result, std::size_t bands, bool beyondOnly = false);

// The compared rows holding a verdict (beyondOnly: one beyond the tolerance) or a row of one file
// only.
RowSet RowsWithDifferences(const CompareResult& result, bool beyondOnly = false);

// The index of the verdict of a cell, or nothing when the cell has none.
std::optional<std::size_t> FindDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col);

// The verdicts walked from the worst on and round again: "D" first, then digits from the lowest
// agreement, then "S" (left out with beyondOnly); equal ones in reading order. No order of every
// verdict is kept: each block of verdicts (see VerdictList::Block) takes part by its next worst,
// and is put in order (two bytes a verdict) only once the walk reaches it.
class WorstWalk {
public:
    WorstWalk(const CompareResult& result, bool beyondOnly);
    // The next verdict; wrapped when every one was visited and the walk began again. Nothing
    // when there is none to visit.
    std::optional<Step> next();

private:
    using Key = std::pair<double, std::size_t>; // severity, then reading order
    struct Cursor {
        Key key;             // of the block's next verdict
        std::uint32_t block;
        std::uint32_t at;    // its place in the block's order
    };
    void begin();
    Key keyOf(std::uint32_t block, std::uint32_t at) const;

    const CompareResult* result_;
    bool beyondOnly_;
    bool started_ = false;
    std::vector<VerdictList::Block> blocks_;           // in reading order
    std::vector<std::vector<std::uint16_t>> order_;    // per block, its verdicts worst first, once reached
    std::vector<Cursor> heap_;                         // per block not yet done, its next verdict; the worst on top
};

} // namespace tallir
