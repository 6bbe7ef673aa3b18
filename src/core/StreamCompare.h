#pragma once
// Comparing two tables as they are read, row by row in step, without holding either: each
// differing cell of the compared area is handed over in reading order as soon as it is known
// to lie in that area. The area's width is the narrower table's, known only at the end; cells
// past the narrower width seen so far wait (with every cell after them, to keep the order) in
// a temporary file until it is known.

#include "ColumnPairs.h"
#include "Compare.h"
#include "Figures.h"
#include "RowStream.h"

#include <functional>
#include <string_view>

namespace tallir {

struct StreamedCell {
    Verdict verdict;
    std::string_view text1; // valid during the call only
    std::string_view text2;
    CellValues values; // both numbers of a numeric verdict
    // File 1's row of the cell, valid during the call; none for a cell that waited.
    const RowBatch* batch1 = nullptr;
    std::size_t row1 = 0;
};

struct StreamComparison {
    ReadFailure failure1 = ReadFailure::None; // how reading each input ended
    ReadFailure failure2 = ReadFailure::None;
    std::uint64_t rows1 = 0;   // rows of each table
    std::uint64_t rows2 = 0;
    std::uint64_t values1 = 0; // values on each table's widest row
    std::uint64_t values2 = 0;
    std::uint64_t comparedRows = 0;
    std::uint64_t comparedCols = 0;
    Figures figures;
    ShapeMismatch mismatch;
    // Comparing stopped at the first cell beyond the tolerance (see untilDecided): the figures
    // and the first row of another length are only those found up to there.
    bool decided = false;
};

// Rows are compared on options.threads threads (0: as many as the machine has) while the inputs
// are read; onCell is called on the caller's thread, in reading order. Without onCell only the
// figures are made. untilDecided: only whether a cell beyond the tolerance lies in the compared
// area matters, so comparing stops at the first one; the inputs are still read to their ends,
// for their row counts and for any fault further on.
// Columns pair by position, or by names (pairs; options.columnMap is not used): then a cell is
// in the compared area when both its column and its partner lie within their tables, which are
// at least as wide as their names lines (the streams' first rows, already taken).
struct StreamColumns {
    const ColumnPairs* pairs = nullptr;
    // Widths the tables have at least, known beforehand (such as from rows the streams leave out).
    std::uint64_t width1 = 0, width2 = 0;
    // Those are the tables' widths: a cell beyond them is outside the compared area at once.
    bool widthsFinal = false;
    // Where other rows of the tables are read elsewhere: called once, at the end, with the
    // widest rows seen here, it makes them the tables' widest rows.
    std::function<void(std::uint64_t& values1, std::uint64_t& values2)> widen;
};
StreamComparison CompareStreams(RowStream& file1, RowStream& file2, const CompareOptions& options,
                                const std::function<void(const StreamedCell&)>& onCell, bool untilDecided = false,
                                const StreamColumns& columns = {});

} // namespace tallir
