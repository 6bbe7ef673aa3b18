#pragma once
// A list of value columns as people write them: "2-4,7", grid numbers from 1.

#include "Compare.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tallir {

// The ranges, 0-based; nothing when the list is malformed or names a column past 100,000,000.
std::optional<std::vector<CompareOptions::ColumnRange>> ParseColumnList(std::string_view list);
// The columns of the ranges one by one, at most limit of them.
std::vector<std::uint64_t> ListedColumns(const std::vector<CompareOptions::ColumnRange>& ranges, std::size_t limit);

} // namespace tallir
