#pragma once

#include "DiffRun.h"

// How the rows were paired, as the reports say it.
std::string RowsPairing(const DiffOptions& options);

// Writes the HTML report of a run to path; false, with errno set, when it cannot be written.
bool WriteHtmlReportFile(const DiffRun& run, const DiffOptions& options, const std::string& path);
