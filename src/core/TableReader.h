#pragma once
// Reads a text file of values into a Table: one row per line, values split by blanks, TABs and
// commas with double quotes protecting separators. The file is streamed in blocks; a read
// either yields the whole table or fails without one. "-" reads standard input, a pipe is read
// as a stream, and a name ending in .gz or .zst is decompressed on the way.

#include "Table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tallir {

enum class ReadFailure {
    None,
    NoFile,     // nothing at the path, or not a regular file
    CannotOpen, // a file, but it cannot be opened
    CannotRead, // opened, but reading it failed part way
    Cancelled,  // the progress callback asked to stop
    Changed,    // the file was cut short, grown or replaced while it was read
    TooLarge,   // larger than the memory available, seen before reading
    OutOfMemory, // memory ran out while reading
    Damaged,    // compressed data cut short or not what its format says
    LineTooLong, // a line (a CSV record) longer than the limit; see LineFault
};

// The longest line (CSV record) read unless told otherwise: past it a reader stops rather than
// hold ever more of one line (a file of NULs, a quote never closed).
constexpr std::uint64_t DefaultLineLimit = std::uint64_t(64) << 20;

// Where a read stopped at a line longer than the limit.
struct LineFault {
    std::uint64_t line = 0;     // from 1 (the line where the open quote was, for CSV)
    bool unclosedQuote = false; // CSV: a quote left open made the record that long
    std::uint64_t limit = 0;
};

struct TableReadResult {
    std::optional<Table> table; // present exactly when failure is None
    ReadFailure failure = ReadFailure::None;
    LineFault lineFault;        // with LineTooLong
};

// Called after each block with the bytes read so far and the file's size; false cancels.
using ReadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// How lines become values: blanks, TABs and commas with double quotes protecting separators,
// or comma-separated values as spreadsheets write them (see CsvSplitter.h).
enum class TableFormat { Plain, Csv };
// With names: the first line holds the columns' names (Table::names) and is no row.

TableReadResult ReadTable(const std::string& path, const ReadProgress& progress = {}, TableFormat format = TableFormat::Plain,
                          bool names = false, std::uint64_t lineLimit = DefaultLineLimit);

// Cuts bytes into rows and values exactly as ReadTable does, for text already in memory.
Table ParseTable(std::string_view text, TableFormat format = TableFormat::Plain, bool names = false);

// "Can't open " + path: the one message for every failed read.
std::string CantOpenMessage(const std::string& path);
// The message for a failed read: "Can't open " + path, and for the failures that path alone
// does not explain, a second line saying why.
std::string ReadFailureMessage(const std::string& path, ReadFailure failure, const LineFault& fault = {});
// A size as people read it: "64 MB", "1 GB", "512 KB", or "1000 bytes".
std::string SizeText(std::uint64_t bytes);

// Memory the system can still give, in bytes (available memory and free swap); the largest
// value when that cannot be told.
std::uint64_t AvailableMemory();

} // namespace tallir

namespace tallir {

// Reads two files at once, one on another thread.
std::pair<TableReadResult, TableReadResult> ReadTablePair(const std::string& path1, const std::string& path2,
                                                          TableFormat format = TableFormat::Plain, bool names = false,
                                                          std::uint64_t lineLimit = DefaultLineLimit);

} // namespace tallir
