// Tool > Only Differing Rows: the three grids show the compared rows with a difference only.

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

    std::shared_ptr<std::vector<qint64>> rows;
    if (OnlyDifferingRows() && result) {
        rows = std::make_shared<std::vector<qint64>>();
        for (const std::uint64_t r : tallir::RowsWithDifferences(*result))
            rows->push_back(qint64(r) + 1);
    }
    for (int slot = 0; slot < 3; ++slot)
        if (rows || GridWindows()[slot]->MSFlexGrid1()->Store().filtered())
            GridWindows()[slot]->MSFlexGrid1()->ShowOnly(rows);
    if (!result || !keepSelection)
        return;
    const qint64 top = store.shownRow(row, true), bottom = store.shownRow(rowSel, true);
    if (top < 1 || bottom < 1)
        return;
    for (int slot = 0; slot < 3; ++slot) {
        frmGrid& window = *GridWindows()[slot];
        frmGrid::MSFlexGrid_ShowSelection(window, top, col, bottom, colSel);
        MSFlexGrid* grid = window.MSFlexGrid1();
        if (top < grid->Rows() && col > 0 && col < grid->Cols())
            grid->scrollTo(grid->model()->index(int(top - 1), int(col - 1)));
    }
}

} // namespace modMain
