#pragma once
// Tool > Summary: a window beside the frame with the comparison by column (cells compared,
// "D", "S" and digits counts, the lowest agreement and the largest differences with their cells;
// sortable by any of them; a double-click on a figure goes to its cell) and a histogram of the
// digits in common. It follows each comparison while it is open.

#include <QWidget>

class QTableWidget;

namespace SummaryWindow {

// Opens the window, or raises it when it is open.
void Show(QWidget* frame);
// Fills it from the comparison shown, when it is open.
void Refresh();
// The window while it is open, else nullptr.
QWidget* Window();
QTableWidget* Table();
QWidget* Histogram();

} // namespace SummaryWindow
