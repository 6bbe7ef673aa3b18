#pragma once
// Pairing rows by key in one walk through both tables in key order, for keys that increase
// strictly in each: the rows are looked at a pair of them at a time, so the keys may come from a
// table held whole or from rows still being read.

#include "RowAlignment.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace tallir {

// One key cell: a number by its value (exactly, where the doubles of two different values are
// equal), anything else by its text; numbers sort first.
struct KeyCell {
    bool numeric;
    double value;
    std::string_view text;

    static KeyCell Of(std::string_view text);
    friend bool operator<(const KeyCell& a, const KeyCell& b);
};
using KeyRow = std::span<const KeyCell>;

// -1, 0 or 1 as a's key sorts before, with or after b's.
int CompareKeys(KeyRow a, KeyRow b);
// How far apart two rows' keys are: the largest difference of their numeric key cells, or
// nothing when a cell is beyond the tolerance (or a text cell differs).
std::optional<double> KeyDistance(KeyRow a, KeyRow b, double tolerance);

// The key rows of one table in order: row i, or nothing past the last. Rows before the one
// asked for last but one are not asked for again.
using KeySource = std::function<std::optional<KeyRow>(std::uint64_t row)>;

// The merge walk: each pair in turn. With a tolerance a row in reach pairs with the next row of
// either table instead when that one is strictly nearer; on a tie the order wins.
void MergeByKeys(const KeySource& keys1, const KeySource& keys2, double tolerance, const std::function<void(RowPair)>& pair);

} // namespace tallir
