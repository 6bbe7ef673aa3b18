#include "Table.h"

#include <algorithm>
#include <cstring>

namespace tallir {

namespace {
constexpr std::uint8_t LongCell = 255;
}

Table::Table()
    : rowStart_{0}
    , rowFirstCell_{0}
{
}

std::size_t Table::valueCount(std::size_t row) const
{
    if (row >= rowCount())
        return 0;
    const std::size_t stored = rowFirstCell_[row + 1] - rowFirstCell_[row];
    if (!editedValueCount_.empty()) {
        const auto it = editedValueCount_.find(row);
        if (it != editedValueCount_.end())
            return std::max(stored, it->second);
    }
    return stored;
}

std::size_t Table::cellLength(std::size_t cellIndex) const
{
    const std::uint8_t length = cellLength_[cellIndex];
    if (length != LongCell)
        return length;
    const auto it = std::lower_bound(longCells_.begin(), longCells_.end(),
                                     std::pair<std::uint64_t, std::uint64_t>(cellIndex, 0));
    return it->second;
}

std::string_view Table::editedCell(std::size_t row, std::size_t col, bool& found) const
{
    found = false;
    if (edits_.empty())
        return {};
    const auto it = edits_.find({row, col});
    if (it == edits_.end())
        return {};
    found = true;
    return it->second;
}

std::string_view Table::cell(std::size_t row, std::size_t col) const
{
    if (row >= rowCount())
        return {};
    bool edited = false;
    const auto text = editedCell(row, col, edited);
    if (edited)
        return text;
    const std::size_t first = rowFirstCell_[row];
    if (col >= rowFirstCell_[row + 1] - first)
        return {};
    // Random access adds up the earlier cells' lengths: one byte each, cheap for any real row.
    std::size_t offset = rowStart_[row];
    for (std::size_t i = 0; i < col; ++i)
        offset += cellLength(first + i);
    return {arena_.get() + offset, cellLength(first + col)};
}

void Table::setCell(std::size_t row, std::size_t col, std::string text)
{
    while (row >= rowCount()) { // rows past the end are added empty
        rowFirstCell_.push_back(rowFirstCell_.back());
        rowStart_.push_back(rowStart_.back());
    }
    const std::size_t stored = rowFirstCell_[row + 1] - rowFirstCell_[row];
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
    rowFirstCell_.resize(count + 1);
    rowStart_.resize(count + 1);
    cellLength_.resize(rowFirstCell_.back());
    while (!longCells_.empty() && longCells_.back().first >= rowFirstCell_.back())
        longCells_.pop_back();
    arenaSize_ = rowStart_.back();
    std::erase_if(edits_, [&](const auto& edit) { return edit.first.first >= count; });
    std::erase_if(editedValueCount_, [&](const auto& widened) { return widened.first >= count; });
    maxValueCount_ = 0;
    for (std::size_t r = 0; r < count; ++r)
        maxValueCount_ = std::max(maxValueCount_, valueCount(r));
}

std::size_t Table::memoryBytes() const
{
    return arenaCapacity_ + rowStart_.capacity() * sizeof(std::uint64_t)
        + rowFirstCell_.capacity() * sizeof(std::uint64_t) + cellLength_.capacity()
        + longCells_.capacity() * sizeof(longCells_[0]);
}

Table::RowCursor::RowCursor(const Table& table, std::size_t row)
    : table_(table)
    , row_(row)
    , count_(table.valueCount(row))
    , storedCount_(row < table.rowCount() ? table.rowFirstCell_[row + 1] - table.rowFirstCell_[row] : 0)
    , offset_(row < table.rowCount() ? table.rowStart_[row] : 0)
{
}

std::string_view Table::RowCursor::cell(std::size_t col)
{
    if (col >= count_)
        return {};
    const std::size_t first = storedCount_ ? table_.rowFirstCell_[row_] : 0;
    while (nextCol_ < col && nextCol_ < storedCount_)
        offset_ += table_.cellLength(first + nextCol_++);
    bool edited = false;
    const auto text = table_.editedCell(row_, col, edited);
    if (edited)
        return text;
    if (col >= storedCount_)
        return {};
    return {table_.arena_.get() + offset_, table_.cellLength(first + col)};
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

void TableBuilder::addCell(std::string_view text)
{
    Table& t = table_;
    if (t.arenaSize_ + text.size() > t.arenaCapacity_)
        allocateArena(std::max(t.arenaSize_ + text.size(), t.arenaCapacity_ + t.arenaCapacity_ / 2 + 4096));
    std::memcpy(t.arena_.get() + t.arenaSize_, text.data(), text.size());
    t.arenaSize_ += text.size();
    if (text.size() < LongCell) {
        t.cellLength_.push_back(static_cast<std::uint8_t>(text.size()));
    } else {
        t.longCells_.emplace_back(t.cellLength_.size(), text.size());
        t.cellLength_.push_back(LongCell);
    }
}

void TableBuilder::endRow()
{
    Table& t = table_;
    const std::size_t cells = t.cellLength_.size();
    t.maxValueCount_ = std::max<std::size_t>(t.maxValueCount_, cells - t.rowFirstCell_.back());
    t.rowFirstCell_.push_back(cells);
    t.rowStart_.push_back(t.arenaSize_);
}

Table TableBuilder::finish()
{
    Table done = std::move(table_);
    table_ = Table();
    return done;
}

} // namespace tallir
