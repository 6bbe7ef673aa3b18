#pragma once

#include "DiffRun.h"
#include "Output.h"

// The report as one JSON document: "file1", "file2", "compare" (with "figures") and "cells";
// with full, also "grid1", "grid2" and "grid", the whole grids as the windows show them.
void WriteJsonReport(const DiffRun& run, bool full, Output& out);

// text as a JSON string: quoted, escaped, invalid UTF-8 bytes replaced by U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);
