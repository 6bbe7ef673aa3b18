#pragma once
// Utilities over the grids of the grid windows: uniform column widths, widths fitted to their
// contents, and marks on the header cells of a selection. Formatting goes by whole blocks, so
// the cost does not grow with the number of cells a block holds.

#include "MSFlexGrid.h"

#include <QtGlobal>
#include <algorithm>

class frmGrid;

namespace modFlexGrid {

// Gives the grids of all three grid windows the column widths of this window's grid.
void MSFlexGrid_UniWidth(frmGrid& window);
// Fits the widths of the selected columns (mode 0: from the column under the mouse) to
// their contents.
void MSFlexGrid_FitColWidth(MSFlexGrid* grid, int mode);
// The width in twips one cell's text needs, wrapped at word boundaries to the row's height.
double MSFlexGrid_CellTextWidth(MSFlexGrid* grid, qint64 row, qint64 col);
// Marks the header cells of the grid's selection (bold on grey), clearing all others.
void MSFlexGrid_MarkFixed(MSFlexGrid* grid);

// Sets the formats of a whole block at once through the grid's current cell and selection
// (corners in either order); apply sets the Cell... properties.
template <class Apply>
void FormatBlock(MSFlexGrid* grid, qint64 top, qint64 left, qint64 bottom, qint64 right, Apply&& apply)
{
    grid->SetFillStyle(1);
    grid->SetRow(std::min(top, bottom));
    grid->SetRowSel(std::max(top, bottom));
    grid->SetCol(std::min(left, right));
    grid->SetColSel(std::max(left, right));
    apply();
    grid->SetFillStyle(0);
}

// The colour of a marked header cell.
inline constexpr int MarkGrey = 184;

} // namespace modFlexGrid
