#pragma once
// The rows of a table read on a thread of their own and handed over in batches of a few
// thousand, so that whoever walks them works while the next ones are read. Only a few batches
// are held at once, whatever the size of the input.

#include "TableReader.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tallir {

struct RowBatch {
    struct Span {
        std::size_t start, end;
    };
    std::string bytes;                  // the rows' lines (or cell texts) back to back
    std::vector<Span> cells;            // per cell, where its text lies in bytes (none in whole lines)
    std::vector<std::size_t> rowEnds;   // per row, the values of the rows up to it and of it
    std::size_t maxValues = 0;          // the most values of any of its rows
    // Rows kept as whole lines (see RowStream): per row, its line in bytes (none for rows only
    // counted); its cells are cut only when asked for.
    bool wholeLines = false;
    std::vector<Span> lines;

    std::size_t rows() const { return rowEnds.size(); }
    std::size_t firstCell(std::size_t row) const { return row == 0 ? 0 : rowEnds[row - 1]; }
    std::size_t valueCount(std::size_t row) const { return rowEnds[row] - firstCell(row); }
    std::string_view text(Span span) const { return std::string_view(bytes.data() + span.start, span.end - span.start); }
    // The spans of a row's cells, valueCount(row) of them: cut into scratch from a whole line.
    const Span* rowCells(std::size_t row, std::vector<Span>& scratch) const;
    // A cell of a row; empty beyond its last value.
    std::string_view cell(std::size_t row, std::size_t col) const
    {
        if (col >= valueCount(row))
            return {};
        if (wholeLines) {
            std::vector<Span> scratch;
            return text(rowCells(row, scratch)[col]);
        }
        return text(cells[firstCell(row) + col]);
    }
    void clear();
    // Holds as many rows as a batch takes.
    bool full() const;
    // Keeps the rows for which keep(row) holds, in order.
    void keepRows(const std::function<bool(std::size_t row)>& keep);
};

class RowStream {
public:
    // Opens the input (see InputFile: a file, "-", a pipe, .gz, .zst) and starts reading it.
    // wholeLines: rows of the plain format are kept as whole lines with their values counted,
    // their cells cut only when asked for (for a comparison that passes over lines of the same
    // bytes); other formats keep their cells.
    RowStream(const std::string& path, TableFormat format = TableFormat::Plain, std::uint64_t lineLimit = DefaultLineLimit,
              bool wholeLines = false);
    // Rows from elsewhere: fill adds rows to an empty batch until it is full and says whether
    // more follow. A failure it throws ends the rows (CannotRead, or OutOfMemory).
    using Fill = std::function<bool(RowBatch& batch)>;
    explicit RowStream(Fill fill);
    // The rows of part of a regular file: length bytes from offset on, which begin a line.
    RowStream(const std::string& path, std::uint64_t offset, std::uint64_t length, TableFormat format = TableFormat::Plain,
              std::uint64_t lineLimit = DefaultLineLimit);
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // Why the input could not be opened; None when it is being read.
    ReadFailure openFailure() const { return openFailure_; }
    // The next rows, in order; nothing once all are handed over.
    std::unique_ptr<RowBatch> next();
    // The first row's cells (a names line), taken away before the rows are walked: next()
    // begins with the second. Nothing for an empty input.
    std::vector<std::string> takeFirstRow();
    // From now on next() hands over only the rows (counted from 0 at this call) for which keep
    // holds.
    void keepOnly(std::function<bool(std::uint64_t row)> keep);
    // The rows read from now on (some of those already read too) come without their cells, with
    // their values counted in maxValues: for reading on to the end only for the row count, the
    // width and any fault further on. Nothing changes while keepOnly is in force.
    void countOnly();
    // Whether next() would answer at once.
    bool ready();
    // A batch done with, to be filled again rather than allocated anew.
    void recycle(std::unique_ptr<RowBatch> batch);
    // After next() gave nothing: whether the bytes read are the input's (see InputFile::finish).
    ReadFailure endFailure();
    // With LineTooLong: where.
    LineFault lineFault();

private:
    struct Shared;
    void read(TableFormat format, std::uint64_t lineLimit);
    void start(ReadFailure opened, TableFormat format, std::uint64_t lineLimit);
    void produce(const Fill& fill);
    void end(ReadFailure failure, const LineFault& fault);

    ReadFailure openFailure_ = ReadFailure::None;
    std::function<bool(std::uint64_t)> keep_;
    std::uint64_t handed_ = 0; // rows handed over (or left out) since keepOnly
    std::unique_ptr<Shared> shared_;
    std::thread reader_;
};

} // namespace tallir
