#pragma once
// The figures of a comparison at a glance, in the Compare window's leftover status panel: the
// counts of each verdict, the lowest agreement (a click on the panel goes there) and, while
// cells regarded as the same are hidden, what lies beyond the tolerance.

namespace tallir {
struct Figures;
}

namespace FiguresPanel {

void Show(const tallir::Figures& figures);
// Shows the figures of the comparison in the Compare window again (after the hiding changed).
void Refresh();

} // namespace FiguresPanel
