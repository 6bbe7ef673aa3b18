// Tool > Only Differing Rows: the three grids show the compared rows with a difference only (one
// beyond the tolerance while cells regarded as the same are hidden).

#include "modMain.h"

#include "core/Navigation.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/frmGrid.h"

#include <memory>

namespace modMain {

void ApplyRowFilter(bool keepSelection)
{
    frmGrid& compare = *GridWindows()[2];
    const GridStore& store = compare.MSFlexGrid1()->Store();
    const tallir::CompareResult* result = store.comparison();
    // The selection by the rows as compared, to be found again whichever rows show.
    const qint64 row = store.baseRow(compare.MSFlexGrid_CurRow()), rowSel = store.baseRow(compare.MSFlexGrid_CurRowSel());
    const qint64 col = compare.MSFlexGrid_CurCol(), colSel = compare.MSFlexGrid_CurColSel();

    std::shared_ptr<const tallir::RowSet> rows;
    if (OnlyDifferingRows() && result)
        rows = std::make_shared<const tallir::RowSet>(tallir::RowsWithDifferences(*result, HideSame()));
    for (int slot = 0; slot < 3; ++slot)
        if (rows || GridWindows()[slot]->MSFlexGrid1()->Store().filtered())
            GridWindows()[slot]->MSFlexGrid1()->ShowOnly(rows);
    if (!result || !keepSelection)
        return;
    const qint64 top = store.shownRow(row, true), bottom = store.shownRow(rowSel, true);
    if (top < 1 || bottom < 1)
        return;
    frmGrid::ShowLinkedSelection(2, top, col, bottom, colSel);
    for (int slot = 0; slot < 3; ++slot) {
        MSFlexGrid* grid = GridWindows()[slot]->MSFlexGrid1();
        const qint64 linked = frmGrid::LinkedColumn(2, slot, col);
        if (top < grid->Rows() && linked > 0 && linked < grid->Cols())
            grid->EnsureVisible(top, linked);
    }
}

} // namespace modMain
