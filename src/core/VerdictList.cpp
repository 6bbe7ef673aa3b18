#include "VerdictList.h"

#include <algorithm>
#include <bit>

namespace tallir {

VerdictList::VerdictList(std::uint64_t cols, std::shared_ptr<const AgreementSource> source)
    // Unknown widths get 16 bits of column and 14 of row; a column past that opens a chunk of
    // its own, so any width works, only less compactly.
    : colBits_(cols == 0 ? 16 : std::clamp<unsigned>(unsigned(std::bit_width(cols - 1)), 1, PositionBits))
    , width_(cols)
    , source_(cols == 0 ? nullptr : std::move(source))
{
}

void VerdictList::compact(Chunk& chunk) const
{
    if (!source_ || chunk.dense || chunk.cells.empty())
        return;
    const auto cellIndex = [&](std::size_t offset) {
        const Verdict at = position(chunk, offset);
        return at.row * width_ + at.col;
    };
    const std::size_t count = chunk.cells.size();
    const std::uint64_t first = cellIndex(0);
    const std::uint64_t span = cellIndex(count - 1) - first + 1;
    // A byte a cell pays where a quarter of the cells or more hold verdicts (12 bytes each).
    if (span > 4 * std::uint64_t(count))
        return;
    chunk.kinds.assign(std::size_t(span), NoVerdict);
    chunk.marks.reserve((count + MarkEvery - 1) / MarkEvery);
    for (std::size_t offset = 0; offset < count; ++offset) {
        const std::size_t cell = std::size_t(cellIndex(offset) - first);
        chunk.kinds[cell] = Encode(VerdictKind(chunk.cells[offset] >> PositionBits), chunk.agreement[offset]);
        if (offset % MarkEvery == 0)
            chunk.marks.push_back(std::uint32_t(cell));
    }
    chunk.dense = true;
    chunk.denseCount = count;
    chunk.firstCell = first;
    std::vector<std::uint32_t>().swap(chunk.cells);
    std::vector<double>().swap(chunk.agreement);
}

void VerdictList::openChunk(const Verdict& verdict)
{
    if (!chunks_.empty())
        compact(chunks_.back());
    Chunk chunk;
    chunk.start = size_;
    chunk.firstRow = verdict.row;
    chunk.colBits = colBits_;
    // Columns the bits cannot reach count from the verdict's own column.
    chunk.firstCol = verdict.col >> colBits_ == 0 ? 0 : verdict.col;
    if (!chunks_.empty()) {
        // Past the first chunk the list is large: take the whole chunk at once.
        chunk.cells.reserve(ChunkCapacity);
        chunk.agreement.reserve(ChunkCapacity);
        chunk.blockWorst.reserve(ChunkCapacity / BlockSize);
        chunk.blockWorstAgreement.reserve(ChunkCapacity / BlockSize);
    }
    chunks_.push_back(std::move(chunk));
}

void VerdictList::append(VerdictList&& later)
{
    for (Chunk& chunk : later.chunks_) {
        chunk.start += size_;
        chunks_.push_back(std::move(chunk));
    }
    size_ += later.size_;
    later.clear();
}

void VerdictList::clear()
{
    chunks_.clear();
    size_ = 0;
}

void VerdictList::shrink()
{
    for (Chunk& chunk : chunks_) {
        compact(chunk);
        chunk.cells.shrink_to_fit();
        chunk.agreement.shrink_to_fit();
        chunk.blockWorst.shrink_to_fit();
        chunk.blockWorstAgreement.shrink_to_fit();
    }
    chunks_.shrink_to_fit();
}

Verdict VerdictList::at(std::size_t chunkIndex, std::size_t offset) const
{
    return decode(chunks_[chunkIndex], offset);
}

std::size_t VerdictList::chunkOf(std::size_t index) const
{
    const auto it = std::upper_bound(chunks_.begin(), chunks_.end(), std::uint64_t(index),
                                     [](std::uint64_t i, const Chunk& chunk) { return i < chunk.start; });
    return std::size_t(it - chunks_.begin()) - 1;
}

Verdict VerdictList::operator[](std::size_t index) const
{
    const std::size_t chunk = chunkOf(index);
    return at(chunk, index - chunks_[chunk].start);
}

Verdict VerdictList::cellOf(std::size_t index) const
{
    const std::size_t chunk = chunkOf(index);
    return position(chunks_[chunk], index - chunks_[chunk].start);
}

std::size_t VerdictList::lowerBound(std::uint64_t row, std::uint64_t col) const
{
    const auto before = [&](const Verdict& v) { return v.row < row || (v.row == row && v.col < col); };
    // The last chunk whose first verdict lies before (row, col) holds the answer or ends just before it.
    std::size_t lo = 0, hi = chunks_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (before(position(chunks_[mid], 0)))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0)
        return 0;
    const std::size_t chunk = lo - 1;
    std::size_t first = 1, last = Count(chunks_[chunk]);
    while (first < last) {
        const std::size_t mid = (first + last) / 2;
        if (before(position(chunks_[chunk], mid)))
            first = mid + 1;
        else
            last = mid;
    }
    return std::size_t(chunks_[chunk].start) + first;
}

RowSet VerdictList::rows(bool beyondOnly) const
{
    RowSet rows;
    const std::uint32_t positions = (std::uint32_t(1) << PositionBits) - 1;
    for (const Chunk& chunk : chunks_) {
        if (beyondOnly && chunk.beyond == 0)
            continue;
        const std::uint64_t first = beyondOnly ? chunk.firstBeyondRow : chunk.firstRow;
        const std::uint64_t last = beyondOnly ? chunk.lastBeyondRow : chunk.lastRow;
        const std::uint64_t count = beyondOnly ? chunk.beyondRowCount : chunk.rowCount;
        if (count == last - first + 1) {
            rows.add(first, count);
            continue;
        }
        if (chunk.dense) {
            ForEachDense(chunk, 0, chunk.denseCount, [&](std::size_t, std::size_t cell) {
                if (!beyondOnly || chunk.kinds[cell] != SameByte)
                    rows.add((chunk.firstCell + cell) / width_, 1);
            });
            continue;
        }
        // Only the row offsets of the words: no verdict is made.
        for (const std::uint32_t word : chunk.cells)
            if (!beyondOnly || Beyond(word))
                rows.add(chunk.firstRow + ((word & positions) >> chunk.colBits), 1);
    }
    return rows;
}

std::size_t VerdictList::beyondCount() const
{
    std::size_t count = 0;
    for (const Chunk& chunk : chunks_)
        count += std::size_t(chunk.beyond);
    return count;
}

std::size_t VerdictList::nextBeyond(std::size_t index) const
{
    if (index >= size_)
        return size_;
    for (std::size_t c = chunkOf(index); c < chunks_.size(); ++c) {
        const Chunk& chunk = chunks_[c];
        if (chunk.beyond == 0)
            continue;
        const std::size_t from = index > chunk.start ? index - std::size_t(chunk.start) : 0;
        if (chunk.dense) {
            const std::size_t found = FirstDense(chunk, from, [](std::uint8_t byte) { return byte != SameByte; });
            if (found < chunk.denseCount)
                return std::size_t(chunk.start) + found;
            continue;
        }
        for (std::size_t offset = from; offset < chunk.cells.size(); ++offset)
            if (Beyond(chunk.cells[offset]))
                return std::size_t(chunk.start) + offset;
    }
    return size_;
}

std::size_t VerdictList::previousBeyond(std::size_t index) const
{
    index = std::min(index, size_);
    if (index == 0)
        return size_;
    for (std::size_t c = chunkOf(index - 1) + 1; c-- > 0;) {
        const Chunk& chunk = chunks_[c];
        if (chunk.beyond == 0)
            continue;
        for (std::size_t offset = std::min(Count(chunk), index - std::size_t(chunk.start)); offset-- > 0;)
            if (BeyondAt(chunk, offset))
                return std::size_t(chunk.start) + offset;
    }
    return size_;
}

std::size_t VerdictList::beyondBefore(std::size_t index) const
{
    index = std::min(index, size_);
    std::size_t count = 0;
    for (const Chunk& chunk : chunks_) {
        if (chunk.start + Count(chunk) <= index) {
            count += std::size_t(chunk.beyond);
            continue;
        }
        if (chunk.dense)
            ForEachDense(chunk, 0, index - std::size_t(chunk.start), [&](std::size_t, std::size_t cell) { count += chunk.kinds[cell] != SameByte; });
        else
            for (std::size_t offset = 0; chunk.start + offset < index; ++offset)
                count += Beyond(chunk.cells[offset]);
        break;
    }
    return count;
}

std::size_t VerdictList::worstIn(const Chunk& chunk, std::size_t from, std::size_t end) const
{
    std::size_t worst = from;
    double worstSeverity = 0;
    const auto consider = [&](std::size_t offset) {
        const double severity = Severity(decode(chunk, offset));
        if (offset == from || severity < worstSeverity) {
            worst = offset;
            worstSeverity = severity;
        }
    };
    if (!chunk.dense) {
        for (std::size_t offset = from; offset < end; ++offset)
            consider(offset);
        return worst;
    }
    // The least byte orders as the severity does; its agreements decide among those holding it.
    std::uint8_t least = NoVerdict;
    std::size_t first = from;
    ForEachDense(chunk, from, end, [&](std::size_t offset, std::size_t cell) {
        if (chunk.kinds[cell] < least || (offset == from))
            least = chunk.kinds[cell], first = offset;
    });
    if (KindOf(least) != VerdictKind::Digits)
        return first;
    from = first;
    ForEachDense(chunk, first, end, [&](std::size_t offset, std::size_t cell) {
        if (chunk.kinds[cell] == least)
            consider(offset);
    });
    return worst;
}

bool VerdictList::keepsKindsOnly() const
{
    return std::any_of(chunks_.begin(), chunks_.end(), [](const Chunk& chunk) { return chunk.dense; });
}

std::size_t VerdictList::bytes() const
{
    std::size_t total = chunks_.capacity() * sizeof(Chunk);
    for (const Chunk& chunk : chunks_)
        total += chunk.cells.capacity() * sizeof(std::uint32_t) + chunk.agreement.capacity() * sizeof(double)
            + chunk.kinds.capacity() + chunk.marks.capacity() * sizeof(std::uint32_t) + chunk.blockWorst.capacity() * sizeof(std::uint16_t)
            + chunk.blockWorstAgreement.capacity() * sizeof(double);
    return total;
}

VerdictList::const_iterator::const_iterator(const VerdictList* list, std::size_t index) : list_(list), index_(index)
{
    if (index < list->size_) {
        chunk_ = list->chunkOf(index);
        offset_ = index - std::size_t(list->chunks_[chunk_].start);
    } else {
        chunk_ = list->chunks_.size();
    }
}

VerdictList::const_iterator& VerdictList::const_iterator::operator++()
{
    ++index_;
    if (chunk_ < list_->chunks_.size() && ++offset_ == Count(list_->chunks_[chunk_])) {
        ++chunk_;
        offset_ = 0;
    }
    return *this;
}

VerdictList::const_iterator& VerdictList::const_iterator::operator--()
{
    --index_;
    if (offset_ == 0) {
        --chunk_;
        offset_ = Count(list_->chunks_[chunk_]) - 1;
    } else {
        --offset_;
    }
    return *this;
}

VerdictList::const_iterator& VerdictList::const_iterator::operator+=(difference_type n)
{
    return *this = const_iterator(list_, std::size_t(difference_type(index_) + n));
}

} // namespace tallir
