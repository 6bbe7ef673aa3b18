#include "StreamSetup.h"

#include "HtmlReport.h"
#include "TextReport.h"

#include "core/ColumnList.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"

#include <algorithm>
#include <sys/stat.h>
#include <tuple>

bool OpenStreams(const DiffOptions& options, StreamedInputs& inputs, tallir::CompareOptions& compare, DiffRun& run,
                 DiffOutcome& outcome)
{
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    const auto format = options.csv ? tallir::TableFormat::Csv : tallir::TableFormat::Plain;
    // Rows by position are cut into cells by the comparison's workers, and only where their lines
    // differ; rows by key are cut as they are read, for their keys.
    const bool wholeLines = options.keyList.isEmpty();
    inputs.stream1 = std::make_unique<tallir::RowStream>(path1, format, options.maxLine, wholeLines);
    inputs.stream2 = std::make_unique<tallir::RowStream>(path2, format, options.maxLine, wholeLines);
    for (auto [stream, path] : {std::pair{inputs.stream1.get(), &path1}, {inputs.stream2.get(), &path2}})
        if (stream->openFailure() != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(*path, stream->openFailure()));
    if (!outcome.errors.empty() || !options.names)
        return outcome.errors.empty();
    inputs.names1 = inputs.stream1->takeFirstRow();
    inputs.names2 = inputs.stream2->takeFirstRow();
    return UseNames(options, inputs, compare, run, outcome);
}

bool UseNames(const DiffOptions& options, StreamedInputs& inputs, tallir::CompareOptions& compare, DiffRun& run, DiffOutcome& outcome)
{
    const std::string path1 = FileNameString(options.path1);
    std::vector<std::string> unknown;
    compare.columnTolerances = tallir::ResolveColumnTolerances(options.columnTolerances, inputs.names1, unknown);
    if (!unknown.empty()) {
        outcome.errors.push_back("tallir-diff: no such column for a tolerance in " + path1 + ": " + unknown.front());
        return false;
    }
    inputs.pairs.emplace(inputs.names1, inputs.names2);
    run.names = true;
    run.file1.table = NamesOnly(inputs.names1);
    run.file2.table = NamesOnly(inputs.names2);
    return true;
}

bool StartStreamed(const DiffOptions& options, StreamedStart& start)
{
    start.run.separators = LocaleFormat::Separators();
    start.compare = options.compare;
    return OpenStreams(options, start.inputs, start.compare, start.run, start.outcome);
}

void AddReadFailures(const DiffOptions& options, const StreamedInputs& inputs, tallir::ReadFailure failure1, tallir::ReadFailure failure2,
                     DiffOutcome& outcome)
{
    for (auto [failure, stream, path] : {std::tuple{failure1, inputs.stream1.get(), &options.path1}, {failure2, inputs.stream2.get(), &options.path2}})
        if (failure != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(FileNameString(*path), failure, stream->lineFault()));
}

namespace {

// A streamed cell as JSON lists it: its lines, with names File 2's column and the name, and the
// JSON array of its row's keys ("" for none).
tallir::JsonCell JsonCellOf(const tallir::StreamedCell& cell, tallir::RowPair lines, const StreamedInputs& inputs, const DiffRun& run,
                            std::string keys)
{
    const bool numeric = cell.verdict.kind != tallir::VerdictKind::Text;
    const std::uint64_t col = cell.verdict.col;
    const auto& pairs = inputs.pairs;
    return {lines.row1, lines.row2, col + 1, pairs ? std::optional<std::uint64_t>(pairs->partner(col) + 1) : std::nullopt,
            pairs ? std::optional<std::string_view>(run.file1.table->name(col)) : std::nullopt, std::move(keys), cell.text1, cell.text2,
            tallir::VerdictText(cell.verdict, tallir::ScriptSeparators()), numeric ? std::optional<double>(cell.values.absolute) : std::nullopt,
            numeric ? std::optional<double>(cell.values.relative) : std::nullopt};
}

} // namespace

StreamedShape ShapeOf(const StreamedInputs& inputs, std::uint64_t rows1, std::uint64_t values1, std::uint64_t rows2,
                      std::uint64_t values2)
{
    return {rows1, std::max<std::uint64_t>({values1, inputs.names1.size(), 1}), rows2,
            std::max<std::uint64_t>({values2, inputs.names2.size(), 1})};
}

StreamedCells::StreamedCells(const DiffOptions& options, tallir::Output* out, const StreamedInputs& inputs, const DiffRun& run,
                             RowsOf rowsOf, KeysOf keysOf, Before before, bool continued)
{
    // A table row's line in its file.
    const std::uint64_t lineOffset = options.names ? 2 : 1;
    const bool all = options.all;
    if (out && options.json) {
        if (continued)
            json_.emplace(*out, tallir::JsonCellList::Continued{});
        else
            json_.emplace(*out);
        onCell_ = [this, all, lineOffset, &inputs, &run, rowsOf, keysOf](const tallir::StreamedCell& cell) {
            if (!all && !tallir::BeyondTolerance(cell.verdict))
                return;
            const tallir::RowPair rows = rowsOf(cell.verdict.row);
            json_->add(JsonCellOf(cell, {rows.row1 + lineOffset, rows.row2 + lineOffset}, inputs, run,
                                  keysOf ? tallir::JsonArray(keysOf(cell)) : std::string()));
        };
    } else if (out) {
        text_ = true;
        onCell_ = [out, all, &run, before](const tallir::StreamedCell& cell) {
            if (before)
                before(cell.verdict.row);
            if (all || tallir::BeyondTolerance(cell.verdict))
                WriteCellLine(*out, run.cellName(cell.verdict.row, cell.verdict.col), cell.text1, cell.text2,
                              tallir::VerdictText(cell.verdict, run.separators));
        };
    }
    if (!options.htmlPath.isEmpty()) {
        details_.emplace(options.all, tallir::HtmlCellLimit);
        onCell_ = [this, keysOf, write = std::move(onCell_)](const tallir::StreamedCell& cell) {
            details_->add(cell, keysOf ? tallir::KeyText(keysOf(cell)) : std::string());
            if (write)
                write(cell);
        };
    }
}

void StreamedCells::close()
{
    if (json_)
        json_->close();
}

std::optional<tallir::HtmlDetails> StreamedCells::details(std::uint64_t rows, std::uint64_t cols, const tallir::CompareOptions& compare)
{
    if (!details_)
        return std::nullopt;
    const tallir::ColumnSet ignored(compare.ignoredColumns);
    return details_->finish(rows, cols, [&](std::uint64_t c) {
        return !ignored.contains(c) && !(c < compare.columnMap.size() && compare.columnMap[c] < 0);
    });
}

void FinishStreamedRun(const DiffOptions& options, DiffRun& run, tallir::CompareOptions& compare, const StreamedInputs& inputs,
                       const tallir::StreamComparison& compared, const StreamedShape& shape, std::uint64_t comparedRows,
                       std::uint64_t pairedRows, StreamedCells& cells)
{
    if (inputs.pairs) {
        run.columns = tallir::MatchColumns(inputs.names1, shape.cols1, inputs.names2, shape.cols2);
        if (!run.columns.positional)
            compare.columnMap = run.columns.file2Column;
    }
    for (auto [file, path, rows, cols] : {std::tuple{&run.file1, &options.path1, shape.rows1, shape.cols1},
                                          {&run.file2, &options.path2, shape.rows2, shape.cols2}}) {
        auto names = std::move(file->table);
        *file = DescribeFile(*path, rows, cols);
        file->table = std::move(names);
    }
    run.figures = compared.figures;
    run.mismatch = compared.mismatch;
    run.mismatch.rows1 = shape.rows1;
    run.mismatch.rows2 = shape.rows2;
    if (compare.alignment)
        run.mismatch.firstRow.reset(); // rows are paired by the alignment, not by their place
    run.result.options = compare;
    run.result.comparedRows = comparedRows;
    // Columns matched by a map: File 1's width; by position, the narrower table's.
    run.result.comparedCols = compare.columnMap.empty() ? std::min(shape.cols1, shape.cols2) : shape.cols1;
    run.result.figures = compared.figures;
    run.result.grid = {std::max<std::uint64_t>(2, comparedRows + 1), run.result.comparedCols + 1};
    run.message = tallir::ClosingMessage(run.file1.path, run.file2.path, compared.figures.differing);
    run.maxBeyond = options.maxBeyond;
    run.details = cells.details(pairedRows, run.result.comparedCols, compare);
    run.disagrees = tallir::Disagrees(BeyondCounted(compared.figures.beyondTolerance, options), compare, run.columns,
                                      {shape.rows1 + 1, shape.cols1 + 1}, {shape.rows2 + 1, shape.cols2 + 1});
}

void AddColumnsBeyond(const tallir::CompareOptions& compare, const std::vector<std::uint64_t>& keys, const StreamedShape& shape,
                      DiffOutcome& outcome)
{
    const std::uint64_t width = std::max(shape.cols1, shape.cols2);
    if (const std::string beyond = ToleranceColumnBeyond(compare, width); outcome.errors.empty() && !beyond.empty())
        outcome.errors.push_back(beyond);
    for (const std::uint64_t c : keys)
        if (outcome.errors.empty() && c >= width)
            outcome.errors.push_back(BeyondBothTables("key column " + std::to_string(c + 1), width));
}

FileStamp StampOf(const QString& path)
{
    struct stat info {};
    if (::stat(FileNameString(path).c_str(), &info) != 0)
        return {-1, 0};
    return {info.st_size, std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

void AddFilesChanged(const DiffOptions& options, const FileStamp& version1, const FileStamp& version2, DiffOutcome& outcome)
{
    for (auto [path, version] : {std::pair{&options.path1, version1}, {&options.path2, version2}})
        if (StampOf(*path) != version)
            outcome.errors.push_back("tallir-diff: " + FileNameString(*path) + " changed while it was read");
}
