#include "DiffRun.h"

#include "core/ColumnList.h"
#include "core/TableReader.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <algorithm>

namespace {

DiffFile Describe(const QString& path, tallir::Table table)
{
    const auto shape = tallir::LoadedGridShape(table);
    DiffFile file = DescribeFile(path, shape.rows - 1, shape.cols - 1);
    file.table = std::make_shared<const tallir::Table>(std::move(table));
    return file;
}

} // namespace

DiffFile DescribeFile(const QString& path, std::uint64_t rows, std::uint64_t cols)
{
    const auto facts = StatFile(path).value_or(FileFacts{false, 0, {}});
    return DiffFile{FileNameString(path), {}, QString::fromStdString(tallir::DimensionText(rows, cols)),
                    LocaleFormat::SizeText(facts.size), LocaleFormat::DateText(facts.modified), std::uint64_t(std::max<qint64>(0, facts.size)),
                    facts.modified.isValid() ? facts.modified.toOffsetFromUtc(facts.modified.offsetFromUtc()).toString(Qt::ISODate).toStdString()
                                             : std::string()};
}

tallir::Report DiffRun::report(bool all, std::string rows) const
{
    // A streamed run holds no table: its report has only figures and the cells already written.
    static const tallir::Table none;
    const tallir::Table& table1 = file1.table ? *file1.table : none;
    const tallir::Table& table2 = file2.table ? *file2.table : none;
    auto file = [](const DiffFile& f) {
        return tallir::ReportFile{f.path, f.dimension.toStdString(), f.size.toStdString(), f.date.toStdString(), f.bytes, f.modified};
    };
    tallir::Report report{file(file1), file(file2), tallir::OptionsInForce(result.options, names, rows, table1.names()), message, result,
                          table1, table2, separators,
                          [this](std::uint64_t row, std::uint64_t col) { return cellName(row, col); },
                          [&table1](std::uint64_t col) { return std::string(table1.name(col)); }, all,
                          names ? 1u : 0u, keyColumns, mismatch, names ? &columns : nullptr,
                          tallir::DescribeTolerance(result.options, table1.names()), maxBeyond};
    report.pairedRows = pairedRows;
    if (oneSided)
        report.oneSidedRows = [rows = oneSided](const tallir::Report::OneSidedRow& each) { rows->forEach(each); };
    return report;
}

std::string DiffRun::cellName(std::uint64_t row, std::uint64_t col) const
{
    // With names, a row is named by its line in the file (the names line is line 1); with rows
    // aligned, by its row in each file when the two differ.
    const std::uint64_t offset = names ? 1 : 0;
    const tallir::RowPair rows = pairedRows ? pairedRows(row) : tallir::RowPair{result.file1Row(row), result.file2Row(row)};
    const std::uint64_t row1 = rows.row1 + offset, row2 = rows.row2 + offset;
    std::string name = "R";
    name.append(std::to_string(row1 + 1));
    if (row2 != row1)
        name.append("/").append(std::to_string(row2 + 1));
    name.append(" C").append(std::to_string(col + 1));
    if (!names)
        return name;
    const std::string_view column = file1.table->name(col);
    if (!column.empty())
        name.append(" ").append(column);
    return name;
}

std::string DiffRun::columnName(const tallir::Table& table, std::size_t col)
{
    std::string name(table.name(col));
    if (name.empty())
        name.append("C").append(std::to_string(col + 1));
    return name;
}

std::string CellName(std::uint64_t row, std::uint64_t col)
{
    std::string name = "R";
    name.append(std::to_string(row + 1)).append(" C").append(std::to_string(col + 1));
    return name;
}

std::string ReadError(const std::string& path, tallir::ReadFailure failure, const tallir::LineFault& fault)
{
    std::string message = "tallir-diff: " + tallir::ReadFailureMessage(path, failure, fault);
    if (failure == tallir::ReadFailure::NoFile || failure == tallir::ReadFailure::CannotOpen) {
        struct stat info {};
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const int reason = errno;
        if (fd >= 0) {
            const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
            ::close(fd);
            message += folder ? ": it is a folder" : ": it is no file";
        } else {
            message += std::string(": ") + std::strerror(reason);
        }
    }
    return message;
}

std::uint64_t BeyondCounted(std::uint64_t beyond, const DiffOptions& options)
{
    return options.maxBeyond && beyond <= *options.maxBeyond ? 0 : beyond;
}

std::shared_ptr<const tallir::Table> NamesOnly(const std::vector<std::string>& names)
{
    tallir::TableBuilder builder;
    builder.expectNamesLine();
    for (const std::string& name : names)
        builder.addCell(name);
    builder.endRow();
    return std::make_shared<const tallir::Table>(builder.finish());
}

std::string BeyondBothTables(const std::string& column, std::uint64_t width)
{
    return "tallir-diff: " + column + " lies beyond both tables, of " + std::to_string(width) + (width == 1 ? " column" : " columns")
        + " at most";
}

std::string ToleranceColumnBeyond(const tallir::CompareOptions& options, std::uint64_t width)
{
    for (const tallir::ColumnTolerance& own : options.columnTolerances)
        if (own.column >= width)
            return BeyondBothTables("column " + std::to_string(own.column + 1) + " of a tolerance", width);
    return {};
}

DiffOutcome RunDiff(const DiffOptions& options)
{
    auto [read1, read2] = tallir::ReadTablePair(FileNameString(options.path1), FileNameString(options.path2),
                                                options.csv ? tallir::TableFormat::Csv : tallir::TableFormat::Plain, options.names,
                                                options.maxLine);
    // For git, /dev/null is the side of a file added or deleted: an empty table.
    if (options.git) {
        for (auto [read, path] : {std::pair{&read1, &options.path1}, {&read2, &options.path2}})
            if (*path == QLatin1String("/dev/null"))
                *read = {tallir::Table(), tallir::ReadFailure::None};
    }
    DiffOutcome outcome;
    if (!read1.table)
        outcome.errors.push_back(ReadError(FileNameString(options.path1), read1.failure, read1.lineFault));
    if (!read2.table)
        outcome.errors.push_back(ReadError(FileNameString(options.path2), read2.failure, read2.lineFault));
    if (!outcome.errors.empty())
        return outcome;

    DiffRun run{Describe(options.path1, std::move(*read1.table)), Describe(options.path2, std::move(*read2.table)),
                {}, {}, {}, LocaleFormat::Separators(), {}, false, false, {}, {}};
    tallir::CompareOptions compare = options.compare;
    run.names = run.file1.table->hasNames() && run.file2.table->hasNames();
    if (run.names) {
        run.columns = tallir::MatchColumns(run.file1.table->names(), tallir::LoadedGridShape(*run.file1.table).cols - 1,
                                           run.file2.table->names(), tallir::LoadedGridShape(*run.file2.table).cols - 1);
        if (!run.columns.positional) // identical names lines: by position, at no cost
            compare.columnMap = run.columns.file2Column;
    }
    if (options.names) {
        std::vector<std::string> unknown;
        compare.columnTolerances = tallir::ResolveColumnTolerances(options.columnTolerances, run.file1.table->names(), unknown);
        if (!unknown.empty()) {
            outcome.errors.push_back("tallir-diff: no such column for a tolerance in " + run.file1.path + ": " + unknown.front());
            return outcome;
        }
    }
    const std::uint64_t width =
        std::max(tallir::LoadedGridShape(*run.file1.table).cols, tallir::LoadedGridShape(*run.file2.table).cols) - 1;
    if (const std::string beyond = ToleranceColumnBeyond(compare, width); !beyond.empty()) {
        outcome.errors.push_back(beyond);
        return outcome;
    }
    if (!options.keyList.isEmpty()) {
        const auto keys = tallir::KeyColumns(options.keyList.toStdString(), run.file1.table->names());
        if (!keys) {
            outcome.errors.push_back("tallir-diff: no such key column in " + run.file1.path + ": " + options.keyList.toStdString());
            return outcome;
        }
        for (const std::uint64_t c : *keys)
            if (c >= width) {
                outcome.errors.push_back(BeyondBothTables("key column " + std::to_string(c + 1), width));
                return outcome;
            }
        compare.alignment = std::make_shared<tallir::RowAlignment>(
            tallir::AlignByKeys(*run.file1.table, *run.file2.table, *keys, tallir::File2Columns(compare, *keys), nullptr,
                                options.keyTolerance));
        run.keyColumns = *keys;
    } else if (options.alignIdentical) {
        compare.alignment = std::make_shared<tallir::RowAlignment>(tallir::AlignByIdenticalRows(*run.file1.table, *run.file2.table));
    }
    // For git, a table added (nothing before) or deleted (nothing after).
    const bool added = options.git && options.path1 == QLatin1String("/dev/null");
    const bool deleted = options.git && options.path2 == QLatin1String("/dev/null");
    if (added != deleted) {
        // Every row of the table there is in that file only.
        auto alignment = std::make_shared<tallir::RowAlignment>();
        const std::uint64_t rows = (added ? run.file2 : run.file1).table->rowCount();
        for (std::uint64_t r = 0; r < rows; ++r)
            alignment->pairs.push_back(added ? tallir::RowPair{tallir::NoRow, r} : tallir::RowPair{r, tallir::NoRow});
        (added ? alignment->onlyIn2 : alignment->onlyIn1) = rows;
        compare.alignment = std::move(alignment);
        run.wholeTable = added ? "new table" : "deleted table";
    }
    run.result = tallir::CompareTables(*run.file1.table, *run.file2.table, compare);
    run.figures = tallir::Summarize(run.result, *run.file1.table, *run.file2.table);
    run.mismatch = tallir::FindShapeMismatch(*run.file1.table, *run.file2.table);
    if (compare.alignment)
        run.mismatch.firstRow.reset(); // rows are paired by the alignment, not by their place
    if (options.git) {
        run.file1.path = added ? "/dev/null" : "a/" + FileNameString(options.gitPath);
        run.file2.path = deleted ? "/dev/null" : "b/" + FileNameString(options.gitNewPath);
    }
    run.message = tallir::ClosingMessage(run.file1.path, run.file2.path, run.result.differing());
    run.maxBeyond = options.maxBeyond;
    run.disagrees = tallir::Disagrees(BeyondCounted(run.figures.beyondTolerance, options), compare, run.columns, tallir::LoadedGridShape(*run.file1.table),
                                      tallir::LoadedGridShape(*run.file2.table));
    outcome.run = std::move(run);
    return outcome;
}
