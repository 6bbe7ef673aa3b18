#pragma once
// A comparison as one JSON document for scripts: "file1", "file2", "compare" (with "figures"),
// "cells" (those the report lists, each with both files' lines, its column, name and keys where
// there are any, both texts, the verdict and the absolute and relative difference), the rows in
// one file only and, with names, how the columns paired; with full, also "grid1", "grid2" and
// "grid", the whole grids as the windows show them. Numbers are the same in every locale.

#include "Output.h"
#include "Report.h"

#include <string>
#include <string_view>

namespace tallir {

void WriteJsonReport(const Report& report, bool full, Output& out);

// text as a JSON string: quoted, escaped, invalid UTF-8 bytes replaced by U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace tallir
