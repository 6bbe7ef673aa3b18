#pragma once
// Column widths fitted to what the columns hold, after a load or a comparison. Only a bounded
// sample of rows is measured (all of a small table; the first and last rows and an even
// stride through the rest of a big one), so fitting a million rows costs what a few thousand
// do, and no column grows wider than a sensible maximum because of one long text.

#include <QtGlobal>
#include <vector>

class MSFlexGrid;

namespace ColumnFit {

// Body rows (counted from 0) measured in a body of the given height, in increasing order.
std::vector<qint64> SampleRows(qint64 bodyRows);

// The widest a fitted column may be, in characters of "0".
inline constexpr int MaximumDigits = 40;

// Fits every column of the grid, the row-number column included.
void FitColumns(MSFlexGrid* grid);

} // namespace ColumnFit
