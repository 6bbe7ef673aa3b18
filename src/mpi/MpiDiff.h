#pragma once
// tallir-diff's comparison shared among the processes of an MPI run: each compares its own
// rows of both files, streamed, and rank 0 writes the report from the parts.

#include "cli/DiffRun.h"

// Why these options or files cannot be split among processes; empty when they can.
std::string MpiRefusal(const DiffOptions& options);

// Called by every process with the same out (none with -q), which only rank 0 writes to: the
// cells there; rank 0 gets the outcome to report, the others an outcome with no run (and no
// errors when all went well).
DiffOutcome RunMpiDiff(const DiffOptions& options, tallir::Output* out);
