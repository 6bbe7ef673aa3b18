#include "Table.h"

#include <algorithm>
#include <cstring>

namespace tallir {

namespace {


// The value kept for an entry in a sorted side list.
std::uint64_t Far(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& list, std::uint64_t entry)
{
    const auto it = std::lower_bound(list.begin(), list.end(), std::pair<std::uint64_t, std::uint64_t>(entry, 0));
    return it->second;
}

} // namespace

Table::Table()
{
    pushEntry(0, 0);
}

std::uint64_t Table::rowStart(std::size_t entry) const
{
    const std::uint32_t offset = chunks_[entry / ChunkRows][entry % ChunkRows].start;
    return offset == FarOffset ? Far(farStarts_, entry) : blocks_[entry / BlockRows].start + offset;
}

std::uint64_t Table::rowFirstCell(std::size_t entry) const
{
    const std::uint32_t offset = chunks_[entry / ChunkRows][entry % ChunkRows].firstCell;
    return offset == FarOffset ? Far(farFirstCells_, entry) : blocks_[entry / BlockRows].firstCell + offset;
}

void Table::pushEntry(std::uint64_t start, std::uint64_t firstCell)
{
    const std::size_t entry = entries_;
    if (entry % ChunkRows == 0 && entry / ChunkRows == chunks_.size())
        chunks_.push_back(std::make_unique_for_overwrite<RowEntry[]>(ChunkRows));
    if (entry % BlockRows == 0)
        blocks_.push_back({start, firstCell});
    const RowBase& base = blocks_[entry / BlockRows];
    RowEntry& row = chunks_[entry / ChunkRows][entry % ChunkRows];
    row.start = start - base.start < FarOffset ? std::uint32_t(start - base.start) : FarOffset;
    row.firstCell = firstCell - base.firstCell < FarOffset ? std::uint32_t(firstCell - base.firstCell) : FarOffset;
    if (row.start == FarOffset)
        farStarts_.emplace_back(entry, start);
    if (row.firstCell == FarOffset)
        farFirstCells_.emplace_back(entry, firstCell);
    ++entries_;
}

// Lines read in place learn where the next row starts only when its line comes.
void Table::setLastEntryStart(std::uint64_t start)
{
    const std::size_t entry = entries_ - 1;
    if (entry % BlockRows == 0)
        blocks_[entry / BlockRows].start = start;
    RowEntry& row = chunks_[entry / ChunkRows][entry % ChunkRows];
    if (row.start == FarOffset)
        farStarts_.pop_back();
    const std::uint64_t base = blocks_[entry / BlockRows].start;
    row.start = start - base < FarOffset ? std::uint32_t(start - base) : FarOffset;
    if (row.start == FarOffset)
        farStarts_.emplace_back(entry, start);
}

void Table::popEntries(std::size_t count)
{
    entries_ = count;
    chunks_.resize((count + ChunkRows - 1) / ChunkRows);
    blocks_.resize((count + BlockRows - 1) / BlockRows);
    auto past = [count](const auto& far) { return far.first >= count; };
    std::erase_if(farStarts_, past);
    std::erase_if(farFirstCells_, past);
}

std::size_t Table::valueCount(std::size_t row) const
{
    if (row >= rowCount())
        return 0;
    const std::size_t stored = rowFirstCell(row + 1) - rowFirstCell(row);
    if (!editedValueCount_.empty()) {
        const auto it = editedValueCount_.find(row);
        if (it != editedValueCount_.end())
            return std::max(stored, it->second);
    }
    return stored;
}

std::size_t Table::longCellLength(std::size_t cellIndex) const
{
    const auto it = std::lower_bound(longCells_.begin(), longCells_.end(),
                                     std::pair<std::uint64_t, std::uint64_t>(cellIndex, 0));
    return it->second;
}

std::string_view Table::findEdit(std::size_t row, std::size_t col, bool& found) const
{
    const auto it = edits_.find({row, col});
    if (it == edits_.end())
        return {};
    found = true;
    return it->second;
}

std::pair<std::size_t, std::uint64_t> Table::walkStart(std::size_t row, std::size_t col) const
{
    if (col >= CheckpointCells) {
        const auto wide = std::lower_bound(wideRows_.begin(), wideRows_.end(), std::pair<std::uint64_t, std::uint64_t>(row, 0));
        if (wide != wideRows_.end() && wide->first == row)
            return {col / CheckpointCells * CheckpointCells, checkpoints_[wide->second + col / CheckpointCells - 1]};
    }
    return {0, rowStart(row)};
}

std::uint64_t Table::cellOffset(std::size_t row, std::size_t col) const
{
    const std::uint64_t first = rowFirstCell(row);
    auto [from, offset] = walkStart(row, col);
    for (std::size_t i = from; i < col; ++i)
        offset += cellLength(first + i);
    return offset;
}

bool Table::sameLine(std::size_t row, const Table& other, std::size_t otherRow) const
{
    if (!file_ || !other.file_ || !edits_.empty() || !other.edits_.empty() || row >= rowCount() || otherRow >= other.rowCount())
        return false;
    // A row's bytes run to where the next row's line starts (its line end included), or to the
    // end of its values for the last.
    const std::uint64_t start = rowStart(row), otherStart = other.rowStart(otherRow);
    const std::uint64_t length = rowStart(row + 1) - start;
    return length == other.rowStart(otherRow + 1) - otherStart
        && std::memcmp(file_->data() + start, other.file_->data() + otherStart, std::size_t(length)) == 0;
}

std::string_view Table::cell(std::size_t row, std::size_t col) const
{
    if (row >= rowCount())
        return {};
    bool edited = false;
    const auto text = editedCell(row, col, edited);
    if (edited)
        return text;
    const std::uint64_t first = rowFirstCell(row);
    if (col >= rowFirstCell(row + 1) - first)
        return {};
    if (file_) {
        const auto [from, offset] = walkStart(row, col);
        std::string_view rest = file_->bytes().substr(offset);
        for (std::size_t i = from; i < col; ++i)
            NextTokenOfLine(rest, ValueSeparators);
        return NextTokenOfLine(rest, ValueSeparators);
    }
    return {arena_.get() + cellOffset(row, col), cellLength(first + col)};
}

void Table::setCell(std::size_t row, std::size_t col, std::string text)
{
    while (row >= rowCount()) { // rows past the end are added empty
        const std::uint64_t start = rowStart(entryCount() - 1);
        const std::uint64_t firstCell = rowFirstCell(entryCount() - 1);
        pushEntry(start, firstCell);
    }
    const std::size_t stored = rowFirstCell(row + 1) - rowFirstCell(row);
    if (col >= valueCount(row) && !text.empty()) {
        editedValueCount_[row] = col + 1;
        maxValueCount_ = std::max(maxValueCount_, col + 1);
    }
    if (col >= stored && text.empty())
        edits_.erase({row, col});
    else
        edits_[{row, col}] = std::move(text);
}

void Table::truncateRows(std::size_t count)
{
    if (count >= rowCount())
        return;
    popEntries(count + 1);
    if (!file_)
        cellLength_.resize(rowFirstCell(count));
    while (!longCells_.empty() && longCells_.back().first >= rowFirstCell(count))
        longCells_.pop_back();
    while (!wideRows_.empty() && wideRows_.back().first >= count) {
        checkpoints_.resize(wideRows_.back().second);
        wideRows_.pop_back();
    }
    arenaSize_ = rowStart(count);
    std::erase_if(edits_, [&](const auto& edit) { return edit.first.first >= count; });
    std::erase_if(editedValueCount_, [&](const auto& widened) { return widened.first >= count; });
    maxValueCount_ = 0;
    for (std::size_t r = 0; r < count; ++r)
        maxValueCount_ = std::max(maxValueCount_, valueCount(r));
}

Table::RowCursor::RowCursor(const Table& table, std::size_t row)
    : table_(table)
    , row_(row)
    , count_(table.valueCount(row))
    , storedCount_(row < table.rowCount() ? table.rowFirstCell(row + 1) - table.rowFirstCell(row) : 0)
    , firstCell_(row < table.rowCount() ? table.rowFirstCell(row) : 0)
    , offset_(row < table.rowCount() ? table.rowStart(row) : 0)
{
    if (table.file_ && row < table.rowCount())
        rest_ = table.file_->bytes().substr(offset_);
}

TableBuilder::TableBuilder(std::size_t expectedBytes)
{
    if (expectedBytes)
        allocateArena(expectedBytes);
}

void TableBuilder::allocateArena(std::size_t capacity)
{
    Table& t = table_;
    std::unique_ptr<char[], ArenaDeleter> arena(static_cast<char*>(AllocateLarge(capacity)),
                                                        ArenaDeleter{capacity});
    if (t.arenaSize_)
        std::memcpy(arena.get(), t.arena_.get(), t.arenaSize_);
    t.arena_ = std::move(arena);
    t.arenaCapacity_ = capacity;
}

void TableBuilder::expectNamesLine()
{
    namesPending_ = true;
    table_.hasNames_ = true;
}

void TableBuilder::addCell(std::string_view text)
{
    Table& t = table_;
    if (namesPending_) {
        t.names_.emplace_back(text);
        return;
    }
    if (t.arenaSize_ + text.size() > t.arenaCapacity_)
        allocateArena(std::max(t.arenaSize_ + text.size(), t.arenaCapacity_ + t.arenaCapacity_ / 2 + 4096));
    std::memcpy(t.arena_.get() + t.arenaSize_, text.data(), text.size());
    t.arenaSize_ += text.size();
    if (text.size() < Table::LongCell) {
        t.cellLength_.push_back(static_cast<std::uint8_t>(text.size()));
    } else {
        t.longCells_.emplace_back(t.cellLength_.size(), text.size());
        t.cellLength_.push_back(Table::LongCell);
    }
}

void TableBuilder::endRow()
{
    Table& t = table_;
    if (namesPending_) {
        namesPending_ = false;
        return;
    }
    const std::size_t row = t.rowCount();
    const std::size_t cells = t.cellLength_.size();
    const std::size_t first = t.rowFirstCell(row);
    const std::size_t count = cells - first;
    t.maxValueCount_ = std::max<std::size_t>(t.maxValueCount_, count);
    if (count > Table::CheckpointCells) {
        t.wideRows_.emplace_back(row, t.checkpoints_.size());
        std::uint64_t offset = t.rowStart(row);
        for (std::size_t i = 0; i + 1 < count; ++i) {
            offset += t.cellLength(first + i);
            if ((i + 1) % Table::CheckpointCells == 0)
                t.checkpoints_.push_back(offset);
        }
    }
    t.pushEntry(t.arenaSize_, cells);
}

Table TableBuilder::finish()
{
    Table done = std::move(table_);
    table_ = Table();
    namesPending_ = false;
    return done;
}

InPlaceTableBuilder::InPlaceTableBuilder(std::shared_ptr<const MappedFile> file)
{
    table_.file_ = std::move(file);
}

void InPlaceTableBuilder::expectNamesLine()
{
    namesPending_ = true;
    table_.hasNames_ = true;
}

void InPlaceTableBuilder::addLine(std::string_view line)
{
    Table& t = table_;
    if (namesPending_) {
        namesPending_ = false;
        ForEachToken(line, ValueSeparators, [&t](std::string_view name) { t.names_.emplace_back(name); });
        return;
    }
    const char* base = t.file_->data();
    const std::size_t row = t.rowCount();
    t.setLastEntryStart(std::uint64_t(line.data() - base));
    // Wide rows keep where every CheckpointCells-th value starts, as a table in memory does.
    std::size_t count = 0;
    ForEachToken(line, ValueSeparators, [&](std::string_view value) {
        if (count != 0 && count % Table::CheckpointCells == 0) {
            if (count == Table::CheckpointCells)
                t.wideRows_.emplace_back(row, t.checkpoints_.size());
            t.checkpoints_.push_back(std::uint64_t(value.data() - base));
        }
        ++count;
    });
    t.maxValueCount_ = std::max(t.maxValueCount_, count);
    t.pushEntry(std::uint64_t(line.data() + line.size() - base), t.rowFirstCell(row) + count);
}

Table InPlaceTableBuilder::finish()
{
    return std::move(table_);
}

} // namespace tallir
