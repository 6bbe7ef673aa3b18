#pragma once
// One run of tallir-diff: both files read, compared, and summed up for the reports.

#include "DiffOptions.h"
#include "core/Figures.h"
#include "core/StreamKeys.h"
#include "core/Table.h"
#include "report/HtmlDetails.h"
#include "report/Output.h"
#include "report/Report.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct DiffFile {
    std::string path; // as given
    std::shared_ptr<const tallir::Table> table; // held here, or lent by whoever holds it
    QString dimension; // as the window's status bar shows them
    QString size;
    QString date;
    std::uint64_t bytes = 0;
    std::string modified; // ISO 8601; "" when not known
};

struct DiffRun {
    DiffFile file1;
    DiffFile file2;
    tallir::CompareResult result;
    tallir::Figures figures;
    tallir::ShapeMismatch mismatch;
    tallir::NumberSeparators separators;
    std::string message; // the closing message, lines joined by CR LF
    bool disagrees = false; // some verdict is beyond the tolerance, or a column is in one file only
    bool names = false;     // both files have a names line: columns matched by name
    tallir::ColumnMatch columns;
    std::vector<std::uint64_t> keyColumns; // File 1's, when rows were paired by key
    // For git, a table on one side only: "new table" or "deleted table", its rows one-sided.
    std::string wholeTable;
    std::optional<std::uint64_t> maxBeyond; // cells beyond the tolerance that still agree (--max-beyond)
    std::optional<tallir::HtmlDetails> details; // what the HTML page lists, gathered while streaming
    // Rows paired by key as the files were read: each compared row's rows (its paired pairs only).
    std::function<tallir::RowPair(std::uint64_t row)> pairedRows;
    std::shared_ptr<tallir::OneSidedRows> oneSided; // and the rows in one file only, with their keys

    // The run as the report writers take it (it lends its tables: the run must outlive it).
    tallir::Report report(bool all, std::string rows) const;

    // A cell as the report names it: "R12 C3", its file line and column, and its name if any.
    std::string cellName(std::uint64_t row, std::uint64_t col) const;
    // A column as "vx", or "C3" where it has no name.
    static std::string columnName(const tallir::Table& table, std::size_t col);
};

struct DiffOutcome {
    std::optional<DiffRun> run;
    std::vector<std::string> errors; // "Can't open " and the path, one per file
    bool streamed = false;    // the cells are written already: only what follows them is left
    bool wholeTables = false; // the files cannot be compared as they are read: read them whole
};

DiffOutcome RunDiff(const DiffOptions& options);

// A failed read as tallir-diff says it: the program's name, the message the windows show, and
// for a file that could not be opened the system's reason.
std::string ReadError(const std::string& path, tallir::ReadFailure failure, const tallir::LineFault& fault = {});

// A file as the reports name it: its path, its rows and columns, its size and date (no table).
DiffFile DescribeFile(const QString& path, std::uint64_t rows, std::uint64_t cols);

// Whether the report can be written while the files are read (see RunStreamingDiff): rows by
// position, no git names, no whole grids.
bool Streams(const DiffOptions& options);
// Compares as RunDiff does, reading both files in step and writing each reported cell (a line
// of the text report, or of JSON's cell list) to out (none with -q) as soon as it is known; the
// run holds no table, and what follows the cells is left to WriteReportEnd or WriteJsonRest. For
// the HTML page, its details are gathered on the way.
DiffOutcome RunStreamingDiff(const DiffOptions& options, tallir::Output* out);

// The cells beyond the tolerance that make the files disagree: none while they are at most the
// number --max-beyond accepts.
std::uint64_t BeyondCounted(std::uint64_t beyond, const DiffOptions& options);
// The trouble with a column given a tolerance of its own beyond both tables (width: the value
// columns of the wider); empty when there is none.
std::string ToleranceColumnBeyond(const tallir::CompareOptions& options, std::uint64_t width);

// A table of nothing but its names line: what a report needs of a table it never held.
std::shared_ptr<const tallir::Table> NamesOnly(const std::vector<std::string>& names);

// "tallir-diff: key column 3 lies beyond both tables, of 2 columns at most".
std::string BeyondBothTables(const std::string& column, std::uint64_t width);

// Whether rows paired by key can be compared as the files are read: the text or JSON report or
// none, of regular files (read twice: once for the keys, then to compare), whose keys turn out to
// increase strictly in each (else RunKeyedStreamingDiff asks for the whole tables).
bool StreamsByKey(const DiffOptions& options);
DiffOutcome RunKeyedStreamingDiff(const DiffOptions& options, tallir::Output* out);

// run's outcome, or the trouble it threw (memory that ran out, a temporary file that cannot
// grow) as its errors.
DiffOutcome Guarded(const DiffOptions& options, const std::function<DiffOutcome()>& run);
// Says the outcome's errors, writes what is left of its report (the whole report unless it was
// streamed) and the HTML page; the exit status.
int ReportOutcome(const DiffOptions& options, DiffOutcome& outcome, tallir::Output& out);

// Grid numbering of a cell: "R2 C3".
std::string CellName(std::uint64_t row, std::uint64_t col);
