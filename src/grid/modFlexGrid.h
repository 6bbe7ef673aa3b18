#pragma once
// Utilities over the grids of the grid windows.

class frmGrid;

namespace modFlexGrid {

// Gives the grids of all three grid windows the column widths of this window's grid.
void MSFlexGrid_UniWidth(frmGrid& window);

} // namespace modFlexGrid
