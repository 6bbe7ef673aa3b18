#pragma once
// Pairing the rows of two tables when one has rows the other lacks: by the values of key
// columns, or by rows whose texts are identical. The result is one sequence of row pairs in
// which a row missing on one side is NoRow there.

#include "Table.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tallir {

constexpr std::uint64_t NoRow = UINT64_MAX;

struct RowPair {
    std::uint64_t row1; // 0-based rows, NoRow where the other table's row has no partner
    std::uint64_t row2;
    bool paired() const { return row1 != NoRow && row2 != NoRow; }
    bool operator==(const RowPair&) const = default;
};

// Rows whose key an earlier row of the same file has already: how many, and the first few.
struct RepeatedKeys {
    std::uint64_t count = 0;
    std::vector<std::uint64_t> rows; // 0-based table rows, at most RepeatedRowsListed
    static constexpr std::size_t RepeatedRowsListed = 5;
    // One more row with a key found before, in any order.
    void add(std::uint64_t row);
};

struct RowAlignment {
    std::vector<RowPair> pairs;
    std::uint64_t onlyIn1 = 0; // rows of File 1 without a partner
    std::uint64_t onlyIn2 = 0;
    bool merged = false; // keys increased in both tables: paired in one merge walk
    RepeatedKeys repeated1, repeated2; // keys found more than once (exactly) in either file
    bool cancelled = false; // stopped part way (no pairs then)
};

// Rows whose key cells (value columns, 0-based) hold equal values are paired: numbers by value,
// so 5 and 5.0 match, other texts by text. A key that occurs several times pairs in order of
// occurrence. When the keys increase strictly in both tables the rows are paired by one merge
// walk in key order; otherwise File 1's order leads and each row of File 2 without a partner
// comes just before the first pair after it.
// Set from another thread, cancel stops either pairing part way.
// With a key tolerance, numeric key cells at most that far apart count as equal (text cells
// still match by text), and of several rows in reach a row pairs with the nearest one: the
// smallest largest difference over its key cells, the first in File 2 on a tie.
RowAlignment AlignByKeys(const Table& file1, const Table& file2, const std::vector<std::uint64_t>& keyColumns);
// The same where File 2's key columns stand elsewhere (columns matched by name).
RowAlignment AlignByKeys(const Table& file1, const Table& file2, const std::vector<std::uint64_t>& keyColumns1,
                         const std::vector<std::uint64_t>& keyColumns2, const std::atomic<bool>* cancel = nullptr,
                         double keyTolerance = 0);

// Rows with identical texts anchor the pairing: first those that occur once in each stretch
// (in their longest increasing run), then, where none does, the longest common run of identical
// rows; the rows between two anchors pair by position, and the surplus of the longer stretch has
// no partner.
// What a comparison has to warn of, one line each: keys repeated in either file ("repeated
// keys in File 1: 2 rows, lines 4, 7"; lineOffset added to a row plus 1 gives its line) and
// column names repeated in either names line ("repeated column names in File 2: x, vx").
std::vector<std::string> RepeatWarnings(const RowAlignment* alignment, const std::vector<std::string>& names1,
                                        const std::vector<std::string>& names2, std::uint64_t lineOffset);

RowAlignment AlignByIdenticalRows(const Table& file1, const Table& file2, const std::atomic<bool>* cancel = nullptr);

} // namespace tallir
