#pragma once
// What the streamed runs share: opening both inputs, taking their names lines, and naming the
// files once the rows are counted.

#include "DiffRun.h"

#include "core/ColumnPairs.h"
#include "core/RowStream.h"
#include "core/StreamCompare.h"
#include "report/JsonReport.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct StreamedInputs {
    std::unique_ptr<tallir::RowStream> stream1, stream2;
    std::vector<std::string> names1, names2; // with --names
    std::optional<tallir::ColumnPairs> pairs; // columns paired by the names lines
};

// Opens both files (again, when they were open) and, with --names, takes their names lines,
// resolves the tolerances of columns given by name into compare and pairs the columns (the
// run's tables then hold the names). False with the trouble in outcome.
bool OpenStreams(const DiffOptions& options, StreamedInputs& inputs, tallir::CompareOptions& compare, DiffRun& run,
                 DiffOutcome& outcome);

// A streamed run begun: the options, the inputs opened. False with the trouble in outcome.
struct StreamedStart {
    DiffOutcome outcome;
    DiffRun run{};
    tallir::CompareOptions compare;
    StreamedInputs inputs;
};
bool StartStreamed(const DiffOptions& options, StreamedStart& start);

// How reading each input ended, said in outcome when it failed.
void AddReadFailures(const DiffOptions& options, const StreamedInputs& inputs, tallir::ReadFailure failure1, tallir::ReadFailure failure2,
                     DiffOutcome& outcome);

// A streamed cell as JSON lists it: its lines, with names File 2's column and the name, and the
// JSON array of its row's keys ("" for none).
tallir::JsonCell JsonCellOf(const tallir::StreamedCell& cell, std::uint64_t line1, std::uint64_t line2, const StreamedInputs& inputs,
                            const DiffRun& run, std::string keys = {});

// The run's files as the reports name them, once their rows and widths are known.
void DescribeStreamedFiles(const DiffOptions& options, DiffRun& run, std::uint64_t rows1, std::uint64_t cols1, std::uint64_t rows2,
                           std::uint64_t cols2);
