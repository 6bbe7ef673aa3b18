#pragma once

#include "DiffRun.h"

// Writes the HTML report of a run to path; false, with errno set, when it cannot be written.
bool WriteHtmlReportFile(const DiffRun& run, const DiffOptions& options, const std::string& path);
