#pragma once
// What the streamed runs share: opening both inputs and taking their names lines, where each
// cell goes, and the run's reports once the comparison ended.

#include "DiffRun.h"

#include "core/ColumnPairs.h"
#include "core/RowStream.h"
#include "core/StreamCompare.h"
#include "report/JsonReport.h"

#include <functional>
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
// With --names, the names lines taken into inputs: the tolerances of columns given by name
// resolved, the columns paired, the run's tables holding the names. False with the trouble in
// outcome.
bool UseNames(const DiffOptions& options, StreamedInputs& inputs, tallir::CompareOptions& compare, DiffRun& run, DiffOutcome& outcome);

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

// The tables' rows and widths, as a loaded grid has them: at least one value column, and the
// names line's.
struct StreamedShape {
    std::uint64_t rows1, cols1, rows2, cols2;
};
StreamedShape ShapeOf(const StreamedInputs& inputs, std::uint64_t rows1, std::uint64_t values1, std::uint64_t rows2,
                      std::uint64_t values2);

// What tells a file rewritten between two readings: its size and modification time.
using FileStamp = std::pair<std::int64_t, std::int64_t>;
FileStamp StampOf(const QString& path);
// The pairs by key hold only for the files whose keys were read: a file rewritten since is said.
void AddFilesChanged(const DiffOptions& options, const FileStamp& version1, const FileStamp& version2, DiffOutcome& outcome);

// With --key, when nothing went wrong yet: a tolerance's column or a key column beyond both
// tables said in outcome.
void AddColumnsBeyond(const tallir::CompareOptions& compare, const std::vector<std::uint64_t>& keys, const StreamedShape& shape,
                      DiffOutcome& outcome);

// Where each streamed cell goes: a line of the text report or a cell of JSON's list (nowhere
// with -q), and the details of the HTML page.
class StreamedCells {
public:
    using RowsOf = std::function<tallir::RowPair(std::uint64_t row)>;                             // a compared row's table rows
    using KeysOf = std::function<std::vector<std::string_view>(const tallir::StreamedCell& cell)>; // its row's keys
    using Before = std::function<void(std::uint64_t row)>; // called before a text line is written for a row
    // continued: JSON's cells continue a list opened elsewhere (see JsonCellList).
    StreamedCells(const DiffOptions& options, tallir::Output* out, const StreamedInputs& inputs, const DiffRun& run, RowsOf rowsOf,
                  KeysOf keysOf = {}, Before before = {}, bool continued = false);
    // Empty when nothing takes the cells.
    const std::function<void(const tallir::StreamedCell&)>& onCell() const { return onCell_; }
    bool writesText() const { return text_; }
    // Ends JSON's cell list.
    void close();
    // The HTML page's details of a comparison of these rows and columns, when it is asked for.
    std::optional<tallir::HtmlDetails> details(std::uint64_t rows, std::uint64_t cols, const tallir::CompareOptions& compare);

private:
    std::optional<tallir::JsonCellList> json_;
    std::optional<tallir::DetailsGatherer> details_;
    std::function<void(const tallir::StreamedCell&)> onCell_;
    bool text_ = false;
};

// The run's reports once the rows were compared: the files named, the columns paired by name,
// the figures, the compared area (comparedRows, of which pairedRows paired), the closing
// message, the HTML page's details and whether the tables disagree.
void FinishStreamedRun(const DiffOptions& options, DiffRun& run, tallir::CompareOptions& compare, const StreamedInputs& inputs,
                       const tallir::StreamComparison& compared, const StreamedShape& shape, std::uint64_t comparedRows,
                       std::uint64_t pairedRows, StreamedCells& cells);
