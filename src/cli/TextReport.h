#pragma once

#include "DiffRun.h"
#include "Output.h"

// The default report: one TAB-separated line per differing cell ("R2 C3", text 1, text 2,
// verdict), the closing message's lines, any shape mismatch, and one line of figures.
void WriteTextReport(const DiffRun& run, Output& out, bool all = false);

// The last line of the text report.
std::string FiguresLine(const DiffRun& run);
