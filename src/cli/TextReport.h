#pragma once

#include "DiffRun.h"
#include "report/Output.h"

// The default report: one TAB-separated line per differing cell ("R2 C3", text 1, text 2,
// verdict), the closing message's lines, any shape mismatch, and one line of figures.
void WriteTextReport(const DiffRun& run, tallir::Output& out, bool all = false);

// A text as the text report writes it, one line of fields whatever it holds: a backslash, TAB,
// CR and LF as \\, \t, \r and \n, any other control byte as \xHH.
std::string Escaped(std::string_view text);

// One cell's line of the text report.
void WriteCellLine(tallir::Output& out, const std::string& name, std::string_view text1, std::string_view text2,
                   const std::string& verdict);
// What follows the cells' lines: the closing message, columns and rows out of step, the figures.
void WriteReportEnd(const DiffRun& run, tallir::Output& out);
// For git, before a table's cells: the names it has on each side (--- a/x, +++ b/x), and
// whether it is new, deleted, renamed, copied or changed its mode.
void WriteGitHeader(const DiffRun& run, const DiffOptions& options, tallir::Output& out);

// The last line of the text report.
std::string FiguresLine(const DiffRun& run);
