#include "StreamSetup.h"

#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"

#include <tuple>

bool OpenStreams(const DiffOptions& options, StreamedInputs& inputs, tallir::CompareOptions& compare, DiffRun& run,
                 DiffOutcome& outcome)
{
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    const auto format = options.csv ? tallir::TableFormat::Csv : tallir::TableFormat::Plain;
    inputs.stream1 = std::make_unique<tallir::RowStream>(path1, format, options.maxLine);
    inputs.stream2 = std::make_unique<tallir::RowStream>(path2, format, options.maxLine);
    for (auto [stream, path] : {std::pair{inputs.stream1.get(), &path1}, {inputs.stream2.get(), &path2}})
        if (stream->openFailure() != tallir::ReadFailure::None)
            outcome.errors.push_back(ReadError(*path, stream->openFailure()));
    if (!outcome.errors.empty() || !options.names)
        return outcome.errors.empty();
    inputs.names1 = inputs.stream1->takeFirstRow();
    inputs.names2 = inputs.stream2->takeFirstRow();
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

tallir::JsonCell JsonCellOf(const tallir::StreamedCell& cell, std::uint64_t line1, std::uint64_t line2, const StreamedInputs& inputs,
                            const DiffRun& run, std::string keys)
{
    const bool numeric = cell.verdict.kind != tallir::VerdictKind::Text;
    const std::uint64_t col = cell.verdict.col;
    const auto& pairs = inputs.pairs;
    return {line1, line2, col + 1, pairs ? std::optional<std::uint64_t>(pairs->partner(col) + 1) : std::nullopt,
            pairs ? std::optional<std::string_view>(run.file1.table->name(col)) : std::nullopt, std::move(keys), cell.text1, cell.text2,
            tallir::VerdictText(cell.verdict, tallir::ScriptSeparators()), numeric ? std::optional<double>(cell.values.absolute) : std::nullopt,
            numeric ? std::optional<double>(cell.values.relative) : std::nullopt};
}

void DescribeStreamedFiles(const DiffOptions& options, DiffRun& run, std::uint64_t rows1, std::uint64_t cols1, std::uint64_t rows2,
                           std::uint64_t cols2)
{
    for (auto [file, path, rows, cols] : {std::tuple{&run.file1, &options.path1, rows1, cols1}, {&run.file2, &options.path2, rows2, cols2}}) {
        auto names = std::move(file->table);
        *file = DescribeFile(*path, rows, cols);
        file->table = std::move(names);
    }
}
