#pragma once
// Colours that show where the differences are: each Compare cell tinted by its verdict, a light
// mark on the matching cells of "File 1" and "File 2", and the headers of rows and columns that
// hold differences. Painted selections and header marks show on top.

#include <QColor>
#include <QString>
#include <memory>

namespace tallir {
struct Verdict;
}

namespace ColourMap {

// The tint of a verdict with the given precision threshold: "D" and agreement below 1 digit
// strongest, a graded scale up to the threshold, "S" a calm tint.
QColor VerdictColour(const tallir::Verdict& verdict, double threshold);
QColor FileMark();
QColor HeaderMark();

// What the colours mean, for a tool tip.
QString Legend();

// Puts the colour map on the three grid windows; enabled switches it on and off.
void Install();
void SetEnabled(bool enabled);
// Repaints the three grids with the colours of the comparison now shown.
void Refresh();
// After a load: the comparison shown no longer matches the files, so none of its marks show on
// them until the next comparison ("Compare" keeps its own, which match what it shows).
void Clear();
// Cells regarded as the same get no colour, no text in "Compare" (its copies and tool tips keep
// "S"), and count for no header tint, while hidden.
void SetHideSame(bool hide);
bool Enabled();

} // namespace ColourMap
