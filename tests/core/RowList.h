#pragma once
// The rows of a row set as a list, for comparing with rows worked out by hand.

#include "core/RowSet.h"

#include <cstdint>
#include <vector>

inline std::vector<std::uint64_t> RowList(const tallir::RowSet& set)
{
    std::vector<std::uint64_t> rows;
    for (std::uint64_t i = 0; i < set.size(); ++i)
        rows.push_back(set[i]);
    return rows;
}
