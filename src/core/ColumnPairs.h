#pragma once
// Which column of File 2 each column of File 1 pairs with, worked out from the names lines
// alone, before either table's width is known: a name that stands once in each file pairs its
// columns wherever they stand; the columns left over (names repeated, missing or found in one
// file only, and every column beyond a names line) pair by position among themselves. Whether
// a pair exists depends on the widths only: both its columns must lie within their tables.

#include <cstdint>
#include <string>
#include <vector>

namespace tallir {

class ColumnPairs {
public:
    ColumnPairs() = default; // every column with the one at its place
    ColumnPairs(const std::vector<std::string>& names1, const std::vector<std::string>& names2);

    // File 2's column for a column of File 1.
    std::uint64_t partner(std::uint64_t col1) const;
    // The columns of File 1 on its names line: beyond them partners lie further right in turn.
    std::uint64_t named1() const { return named_.size(); }
    std::uint64_t named2() const { return names2_; }
    // File 1's column for a column of File 2 (partner's inverse).
    std::uint64_t partnerOf2(std::uint64_t col2) const;

private:
    std::uint64_t rest2(std::uint64_t i) const; // File 2's i-th column left over
    std::vector<std::uint64_t> named_;  // partner of each column on File 1's names line
    std::vector<std::uint64_t> left2_;  // File 2's names-line columns left over, in order
    std::vector<std::uint64_t> left1_;  // File 1's names-line columns left over, in order
    std::uint64_t names2_ = 0;          // File 2's names-line columns
    std::vector<std::uint64_t> inverse2_; // partner of each column on File 2's names line
};

} // namespace tallir
