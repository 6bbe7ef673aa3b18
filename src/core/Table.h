#pragma once
// A table of text cells held compactly enough for millions of cells: all cell bytes in one
// arena, per row the arena offset and the index of its first cell, per cell one length byte
// (lengths of 255 and more live in a short side list). A cell is a view into the arena; cells
// edited after loading live in a side map and shadow the arena.
// A table read in place keeps no arena and no lengths: its file stays mapped, each row knows
// where its line starts and how many values it holds, and a cell is found by cutting its line
// again (see InPlaceTableBuilder).

#include "HugePageAllocator.h"
#include "MappedFile.h"
#include "Tokenize.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallir {

struct ArenaDeleter {
    std::size_t bytes = 0;
    void operator()(char* block) const noexcept { DeallocateLarge(block, bytes); }
};

class Table {
public:
    Table();

    std::size_t rowCount() const { return entryCount() - 1; }
    // Values on a row as read (or as widened by an edit).
    std::size_t valueCount(std::size_t row) const;
    // The largest valueCount of any row.
    std::size_t maxValueCount() const { return maxValueCount_; }
    // The text of a cell; empty beyond the row's last value or past the last row.
    std::string_view cell(std::size_t row, std::size_t col) const;

    // Replaces one cell's text; the row widens when col is past its last value, and empty rows
    // are added when row is past the last one.
    void setCell(std::size_t row, std::size_t col, std::string text);
    bool hasEdits() const { return !edits_.empty(); }
    // Drops the rows from count on.
    void truncateRows(std::size_t count);

    // The file a table read in place finds its cells in; null for a table held in memory.
    const MappedFile* file() const { return file_.get(); }
    // Whether a row holds the very bytes of another table's row (both read in place, neither
    // edited): then every value is the same. False says nothing.
    bool sameLine(std::size_t row, const Table& other, std::size_t otherRow) const;

    // The names of the value columns, from a file's first line when it holds them.
    bool hasNames() const { return hasNames_; }
    const std::vector<std::string>& names() const { return names_; }
    // The name of a value column; empty where it has none.
    std::string_view name(std::size_t col) const { return col < names_.size() ? std::string_view(names_[col]) : std::string_view(); }

    // Walks the cells of one row in order at constant cost per cell.
    class RowCursor {
    public:
        RowCursor(const Table& table, std::size_t row);
        std::size_t count() const { return count_; }
        // Cells must be asked for in increasing column order.
        std::string_view cell(std::size_t col);

    private:
        const Table& table_;
        std::size_t row_;
        std::size_t count_;
        std::size_t storedCount_;
        std::size_t firstCell_;
        std::size_t nextCol_ = 0;
        std::size_t offset_;
        // Read in place: the line from the boundary before value nextCol_ on, and the value
        // before it.
        std::string_view rest_;
        std::string_view last_;
    };

private:
    friend class TableBuilder;
    friend class InPlaceTableBuilder;

    // Where a row starts: its first byte in the arena and the index of its first cell. Rows
    // are kept in blocks of BlockRows: each block holds 64-bit bases, each row two 32-bit
    // offsets from them (8 bytes a row). An offset too large for 32 bits is kept in a short
    // side list. Entries live in fixed chunks, so growing never copies them.
    static constexpr std::size_t BlockRows = 256;
    static constexpr std::size_t ChunkRows = 1 << 16;
    static constexpr std::uint32_t FarOffset = 0xFFFFFFFFu;
    struct RowEntry {
        std::uint32_t start;
        std::uint32_t firstCell;
    };
    struct RowBase {
        std::uint64_t start;
        std::uint64_t firstCell;
    };
    // Entry e is where row e starts; the entry past the last row is where the rows end.
    std::size_t entryCount() const { return entries_; }
    std::uint64_t rowStart(std::size_t entry) const;
    std::uint64_t rowFirstCell(std::size_t entry) const;
    void pushEntry(std::uint64_t start, std::uint64_t firstCell);
    void setLastEntryStart(std::uint64_t start);
    void popEntries(std::size_t count); // keeps the first count
    // Where to walk to a cell from: the nearest checkpoint at or before col (its column, and its
    // arena or file offset), else the row's start.
    std::pair<std::size_t, std::uint64_t> walkStart(std::size_t row, std::size_t col) const;
    // Cells of a row from col on: the arena offset of col, walking from the nearest checkpoint.
    std::uint64_t cellOffset(std::size_t row, std::size_t col) const;

    // Lengths of 255 and more are looked up in the side list.
    static constexpr std::uint8_t LongCell = 255;
    std::size_t cellLength(std::size_t cellIndex) const
    {
        const std::uint8_t length = cellLength_[cellIndex];
        return length != LongCell ? length : longCellLength(cellIndex);
    }
    std::size_t longCellLength(std::size_t cellIndex) const;
    // The text of an edited cell (found), when there are edits at all.
    std::string_view editedCell(std::size_t row, std::size_t col, bool& found) const
    {
        found = false;
        return edits_.empty() ? std::string_view() : findEdit(row, col, found);
    }
    std::string_view findEdit(std::size_t row, std::size_t col, bool& found) const;

    template <class T>
    using Array = std::vector<T, HugePageAllocator<T>>;
    std::unique_ptr<char[], ArenaDeleter> arena_;
    std::shared_ptr<const MappedFile> file_; // read in place
    std::size_t arenaSize_ = 0;
    std::size_t arenaCapacity_ = 0;
    std::vector<std::unique_ptr<RowEntry[]>> chunks_;
    std::size_t entries_ = 0;
    std::vector<RowBase> blocks_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> farStarts_;     // (entry, start), sorted
    std::vector<std::pair<std::uint64_t, std::uint64_t>> farFirstCells_; // (entry, first cell), sorted
    Array<std::uint8_t> cellLength_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> longCells_; // (cell index, length), sorted
    // Rows of more than CheckpointCells cells keep the arena offset of every CheckpointCells-th
    // cell, so that reaching any cell of a wide row costs a bounded walk.
    static constexpr std::size_t CheckpointCells = 64;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> wideRows_; // (row, index of its first checkpoint), sorted
    std::vector<std::uint64_t> checkpoints_;
    std::size_t maxValueCount_ = 0;

    std::map<std::pair<std::size_t, std::size_t>, std::string> edits_;
    std::map<std::size_t, std::size_t> editedValueCount_; // rows widened by an edit
    bool hasNames_ = false;
    std::vector<std::string> names_;
};

// Where the cells of a text go, row by row, as a splitter cuts them.
// Inline: the comparison asks for every cell through it.
inline std::string_view Table::RowCursor::cell(std::size_t col)
{
    if (col >= count_)
        return {};
    if (table_.file_) {
        for (; nextCol_ <= col && nextCol_ < storedCount_; ++nextCol_)
            last_ = NextTokenOfLine(rest_, ValueSeparators);
        bool edited = false;
        const auto text = table_.editedCell(row_, col, edited);
        return edited ? text : col + 1 == nextCol_ ? last_ : std::string_view();
    }
    while (nextCol_ < col && nextCol_ < storedCount_)
        offset_ += table_.cellLength(firstCell_ + nextCol_++);
    bool edited = false;
    const auto text = table_.editedCell(row_, col, edited);
    if (edited)
        return text;
    if (col >= storedCount_)
        return {};
    return {table_.arena_.get() + offset_, table_.cellLength(firstCell_ + col)};
}

class CellSink {
public:
    virtual void addCell(std::string_view text) = 0;
    virtual void endRow() = 0;

protected:
    ~CellSink() = default;
};

// Makes a table of a mapped file's lines that finds its cells in place: each line handed over
// must lie in the file, in order.
class InPlaceTableBuilder {
public:
    explicit InPlaceTableBuilder(std::shared_ptr<const MappedFile> file);
    // The first line to come holds the columns' names, not a row.
    void expectNamesLine();
    void addLine(std::string_view line);
    // Once, at the end.
    Table finish();

private:
    Table table_;
    bool namesPending_ = false;
};

// Appends rows to a Table. Cells are written straight into the arena; no allocation per cell.
class TableBuilder final : public CellSink {
public:
    // expectedBytes: an upper bound of the cell bytes to come (a file's size), so that the
    // arena is allocated once; it still grows when more arrives.
    explicit TableBuilder(std::size_t expectedBytes = 0);

    // The first line to come holds the columns' names, not a row.
    void expectNamesLine();

    void addCell(std::string_view text) override;
    void endRow() override;
    Table finish();

private:
    void allocateArena(std::size_t capacity);

    Table table_;
    bool namesPending_ = false;
};

} // namespace tallir
