#pragma once
// Rows paired by key among the processes of an MPI run. Keys in order in both files: each
// process takes the rows of File 2 whose keys fall among those of its part of File 1 and pairs
// them as tallir-diff's merge walk does. Keys in any other order: each row's keys go to the
// process their hash names, which pairs them (sorted on disk as tallir-diff does), every process
// learns every row's partner, and File 2's paired rows travel to the process holding their
// partners. Either way each process then compares its part of File 1 with its partners in step.

#include "Parts.h"

#include "cli/DiffOptions.h"
#include "core/RowAlignment.h"
#include "core/RowStream.h"
#include "core/StreamKeys.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct KeyedShare {
    std::vector<std::string> errors; // this process's trouble
    tallir::ReadFailure failure1 = tallir::ReadFailure::None, failure2 = tallir::ReadFailure::None;
    // This process's rows to compare in step: the k-th pair's table rows, and the rows in one
    // file only before it (past the last pair: the rest of this process's share).
    std::unique_ptr<tallir::RowStream> stream1, stream2;
    std::function<tallir::RowPair(std::uint64_t k)> paired;
    std::function<void(std::uint64_t k, const tallir::StreamedPairs::OneSided& each)> oneSidedUpTo;
    std::uint64_t pairedBefore = 0; // pairs of the processes before this one
    // Of the whole tables, at every process.
    std::uint64_t width1 = 0, width2 = 0, pairedCount = 0, onlyIn1 = 0, onlyIn2 = 0;
    // At rank 0.
    tallir::RepeatedKeys repeated1, repeated2;
    std::unique_ptr<tallir::OneSidedRows> oneSided; // when asked for
};

KeyedShare ShareByKeys(const DiffOptions& options, const tallir::RowRanges& ranges2, const Parts& parts,
                       const std::vector<std::uint64_t>& keys1, const std::vector<std::uint64_t>& keys2, bool oneSided);

// A temporary file for what waits until rank 0 gathers it; nothing, with the trouble in errors,
// when none can be made.
std::FILE* SpoolFile(std::vector<std::string>& errors);
