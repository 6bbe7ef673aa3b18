#include "modFlexGrid.h"

#include "GridWindows.h"
#include "MSFlexGrid.h"
#include "frmGrid.h"

namespace modFlexGrid {

void MSFlexGrid_UniWidth(frmGrid& window)
{
    MSFlexGrid* g = window.MSFlexGrid1();
    const bool redraw = g->Redraw();
    g->SetRedraw(false);
    for (qint64 c = 0; c < g->Cols(); ++c)
        for (int slot = 0; slot < 3; ++slot) {
            MSFlexGrid* other = GridWindows()[slot]->MSFlexGrid1();
            if (c < other->Cols())
                other->SetColWidth(c, g->ColWidth(c));
        }
    g->SetRedraw(redraw);
}

} // namespace modFlexGrid
