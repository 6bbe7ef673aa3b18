#pragma once
// Row sets and tables as plain lists, for comparing with what is worked out by hand.

#include "core/RowSet.h"
#include "core/Table.h"

#include <cstdint>
#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;

// The cells of each row of a table, as far as the row's values go.
inline Rows Cells(const tallir::Table& table)
{
    Rows rows;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        rows.emplace_back();
        for (std::size_t c = 0; c < table.valueCount(r); ++c)
            rows.back().emplace_back(table.cell(r, c));
    }
    return rows;
}

inline std::vector<std::uint64_t> RowList(const tallir::RowSet& set)
{
    std::vector<std::uint64_t> rows;
    for (std::uint64_t i = 0; i < set.size(); ++i)
        rows.push_back(set[i]);
    return rows;
}
