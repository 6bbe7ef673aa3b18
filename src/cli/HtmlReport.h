#pragma once

#include "DiffRun.h"

// The most differing cells the page lists, the worst first.
constexpr std::size_t HtmlCellLimit = 10000;

// How the rows were paired, as the reports say it.
std::string RowsPairing(const DiffOptions& options);

// Writes the HTML report of a run to path; false, with errno set, when it cannot be written.
bool WriteHtmlReportFile(const DiffRun& run, const DiffOptions& options, const std::string& path);
