#pragma once
// A list of value columns as people write them: "2-4,7", grid numbers from 1.

#include "Compare.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

// The ranges, 0-based; nothing when the list is malformed or names a column past 100,000,000.
std::optional<std::vector<CompareOptions::ColumnRange>> ParseColumnList(std::string_view list);
// The columns of the ranges one by one, at most limit of them.
std::vector<std::uint64_t> ListedColumns(const std::vector<CompareOptions::ColumnRange>& ranges, std::size_t limit);

// The columns of a list of ranges, each looked up in logarithmic time however many ranges
// there are (ten thousand single columns, say).
class ColumnSet {
public:
    explicit ColumnSet(std::vector<CompareOptions::ColumnRange> ranges);
    bool contains(std::uint64_t col) const;

private:
    std::vector<CompareOptions::ColumnRange> ranges_; // sorted, apart from each other
};

// Key columns as people write them: numbers and ranges as above, or the names of names (a
// file's names line), in any mix: "1", "time", "2,step". At most 64; nothing when an item is
// neither a column nor a name.
std::optional<std::vector<std::uint64_t>> KeyColumns(std::string_view list, const std::vector<std::string>& names);

} // namespace tallir
