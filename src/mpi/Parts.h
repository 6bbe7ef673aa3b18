#pragma once
// Each process's part of both files: File 1 split by bytes at row starts, File 2 at the rows
// where File 1's parts begin (its rows past File 1's go to the last process).

#include "core/RowRanges.h"

#include <cstdint>
#include <optional>
#include <vector>

// Rows [firstRow, firstRow + rows) of a table, in the bytes [begin, end).
struct Part {
    std::uint64_t begin = 0, end = 0, firstRow = 0, rows = 0;
};

struct Parts {
    Part part1, part2; // this process's
    std::vector<std::uint64_t> firstRows1; // where each process's part of File 1 begins, and the rows of File 1 last
    std::uint64_t rows2 = 0;               // File 2's rows
    std::uint64_t start2 = 0;              // where File 2's rows begin (after its names line)
};

// Nothing when a file could not be read. With names, the rows begin after each file's first line.
std::optional<Parts> Split(const tallir::RowRanges& file1, const tallir::RowRanges& file2, bool names);
