#pragma once
// The verdicts of a comparison, in reading order, at 12 bytes each: in chunks of up to 32,768,
// each verdict one 32-bit word (its kind, and its row and column as offsets from the chunk's
// first row and column) and its agreement as a double. Chunks are never copied while the list
// grows, and lists made by separate threads join by moving their chunks. Each chunk notes, as
// verdicts come, which rows it covers and the worst verdict of every block of 1,024, so that
// the rows with differences and the worst of a stretch are found without a walk over them all.
// Where most cells of a stretch differ (two runs whose every value differs in its last digits)
// and the list can work agreements out again from the tables (an AgreementSource), a chunk
// once full keeps one byte a cell instead: the kind of its verdict and its agreement rounded
// down (so that the worst of a stretch is found among few), or none; an exact agreement is worked
// out again when asked for.

#include "RowSet.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>
#include <vector>

namespace tallir {

enum class VerdictKind : std::uint8_t {
    Digits, // two different numbers; the agreement is shown
    Same,   // two different numbers regarded as the same: "S"
    Text,   // texts differ, not both numeric: "D"
};

struct Verdict {
    std::uint64_t row; // table row and value column, both 0-based
    std::uint64_t col;
    double agreement; // for Digits and Same from numbers; 0 for Text
    VerdictKind kind;
};

// How bad a verdict is, the worst lowest: "D" first, then two numbers by their agreement (one
// that cannot be worked out before the others), "S" last.
inline double Severity(const Verdict& v)
{
    constexpr double most = std::numeric_limits<double>::max();
    switch (v.kind) {
    case VerdictKind::Text:
        return -std::numeric_limits<double>::infinity();
    case VerdictKind::Same:
        return std::numeric_limits<double>::infinity();
    case VerdictKind::Digits:
        break;
    }
    return std::isnan(v.agreement) ? -most : std::min(v.agreement, most);
}

// Works out again the agreement of a verdict that a list keeps without it.
class AgreementSource {
public:
    virtual ~AgreementSource() = default;
    // The agreement of the two numbers of a compared cell (row and value column); NaN when they
    // can no longer be read as they were.
    virtual double agreement(std::uint64_t row, std::uint64_t col) const = 0;
    // Whether what it reads from changed since (a file cut short or written to).
    virtual bool changed() const { return false; }
};

class VerdictList {
    struct Chunk;

public:
    // cols: the widest column a verdict can have plus one, so that a chunk spends no more bits
    // on columns than the table needs; 0 when not known. With a source, cols is the width of
    // the compared rows, and stretches where most cells hold verdicts keep their kinds only.
    explicit VerdictList(std::uint64_t cols, std::shared_ptr<const AgreementSource> source = {});
    VerdictList() : VerdictList(0) {}

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Verdict operator[](std::size_t index) const;
    // The same without its agreement (left 0): its cell and kind, at no cost of working it out.
    Verdict cellOf(std::size_t index) const;

    // Adds a verdict after every one already held (reading order is the caller's to keep).
    void push_back(const Verdict& verdict)
    {
        if (chunks_.empty() || !fits(chunks_.back(), verdict.row, verdict.col))
            openChunk(verdict);
        Chunk& chunk = chunks_.back();
        const std::size_t offset = chunk.cells.size();
        const std::uint32_t position = std::uint32_t((verdict.row - chunk.firstRow) << chunk.colBits | (verdict.col - chunk.firstCol));
        chunk.cells.push_back(std::uint32_t(verdict.kind) << PositionBits | position);
        chunk.agreement.push_back(verdict.agreement);
        ++size_;
        const double severity = Severity(verdict);
        if (offset % BlockSize == 0 || severity < chunk.blockSeverity) {
            if (offset % BlockSize == 0) {
                chunk.blockWorst.emplace_back();
                chunk.blockWorstAgreement.emplace_back();
            }
            chunk.blockWorst.back() = std::uint16_t(offset);
            chunk.blockWorstAgreement.back() = verdict.agreement;
            chunk.blockSeverity = severity;
        }
        if (offset == 0 || verdict.row != chunk.lastRow) {
            ++chunk.rowCount;
            chunk.lastRow = verdict.row;
        }
        if (verdict.kind != VerdictKind::Same) {
            if (chunk.beyond++ == 0 || verdict.row != chunk.lastBeyondRow) {
                if (chunk.beyondRowCount++ == 0)
                    chunk.firstBeyondRow = verdict.row;
                chunk.lastBeyondRow = verdict.row;
            }
        }
    }
    // Moves every verdict of a list whose cells all come after this one's to its end (lists
    // joined share their width and source).
    void append(VerdictList&& later);
    void clear();
    // Gives back the room reserved but not used (the last chunk of each joined list).
    void shrink();

    // Calls visit(Verdict) for every verdict in order: a whole walk without the iterators' cost.
    template <class Visit>
    void forEach(Visit&& visit) const
    {
        for (const Chunk& chunk : chunks_) {
            if (chunk.dense)
                ForEachDense(chunk, 0, chunk.denseCount, [&](std::size_t offset, std::size_t) { visit(decode(chunk, offset)); });
            else
                for (std::size_t offset = 0; offset < chunk.cells.size(); ++offset)
                    visit(decode(chunk, offset));
        }
    }

    // The index of the first verdict at or after (row, col) in reading order; size() when none.
    std::size_t lowerBound(std::uint64_t row, std::uint64_t col) const;
    // The rows holding verdicts; with beyondOnly, verdicts other than "S" only. A chunk whose
    // rows all hold one is taken whole, the others are walked.
    RowSet rows(bool beyondOnly = false) const;

    // Up to 1,024 verdicts in a row of one chunk, and the first of the worst of them.
    class Block {
    public:
        Verdict worst() const
        {
            Verdict verdict = list_->position(*chunk_, worst_);
            verdict.agreement = chunk_->blockWorstAgreement[offset_ / BlockSize];
            return verdict;
        }
        std::size_t worstIndex() const { return start_ + (worst_ - offset_); }
        std::size_t firstIndex() const { return start_; }
        std::size_t count() const { return count_; }
        // Its i-th verdict.
        Verdict at(std::size_t i) const { return list_->decode(*chunk_, offset_ + i); }
        // The first of the worst of its verdicts from to end (counted from 0 within the block),
        // found without working out every agreement.
        std::size_t worstIn(std::size_t from, std::size_t end) const { return list_->worstIn(*chunk_, offset_ + from, offset_ + end) - offset_; }
        // Calls visit(i, Verdict) for each of its verdicts, their agreements left 0.
        template <class Visit>
        void forEachPosition(Visit&& visit) const
        {
            list_->forEachPosition(*chunk_, offset_, offset_ + count_, [&](std::size_t offset, const Verdict& at) { visit(offset - offset_, at); });
        }
        std::uint64_t firstRow() const { return list_->position(*chunk_, offset_).row; }
        std::uint64_t lastRow() const { return list_->position(*chunk_, offset_ + count_ - 1).row; }
        // Calls visit(index, Verdict) for each of its verdicts in order.
        template <class Visit>
        void forEach(Visit&& visit) const
        {
            for (std::size_t i = 0; i < count_; ++i)
                visit(start_ + i, list_->decode(*chunk_, offset_ + i));
        }

    private:
        friend class VerdictList;
        const VerdictList* list_;
        const Chunk* chunk_;
        std::size_t start_, offset_, count_, worst_;
    };
    // Calls visit(const Block&) for every block in order.
    template <class Visit>
    void forEachBlock(Visit&& visit) const
    {
        for (const Chunk& chunk : chunks_)
            for (std::size_t b = 0; b < chunk.blockWorst.size(); ++b) {
                Block block;
                block.list_ = this;
                block.chunk_ = &chunk;
                block.offset_ = b * BlockSize;
                block.start_ = std::size_t(chunk.start) + block.offset_;
                block.count_ = std::min(BlockSize, Count(chunk) - block.offset_);
                block.worst_ = chunk.blockWorst[b];
                visit(static_cast<const Block&>(block));
            }
    }

    // The verdicts beyond the tolerance (every kind but "S"), found without a walk over the
    // others: each chunk counts its own, so whole chunks of "S" are passed over at once.
    std::size_t beyondCount() const;
    // The index of the first such verdict at or after index; size() when none.
    std::size_t nextBeyond(std::size_t index) const;
    // The index of the last such verdict before index; size() when none.
    std::size_t previousBeyond(std::size_t index) const;
    // How many such verdicts come before index.
    std::size_t beyondBefore(std::size_t index) const;
    // Whether some verdicts are kept by kind only, their agreements read from the tables again.
    bool keepsKindsOnly() const;
    // Whether the tables they are read from changed since: they can no longer be.
    bool sourceChanged() const { return source_ && source_->changed(); }
    // The bytes the verdicts take, chunk bookkeeping included.
    std::size_t bytes() const;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Verdict;
        using difference_type = std::ptrdiff_t;
        using reference = Verdict;
        struct pointer {
            Verdict value;
            const Verdict* operator->() const { return &value; }
        };

        const_iterator() = default;
        Verdict operator*() const { return list_->at(chunk_, offset_); }
        pointer operator->() const { return {**this}; }
        Verdict operator[](difference_type n) const { return *(*this + n); }

        const_iterator& operator++();
        const_iterator& operator--();
        const_iterator operator++(int) { auto was = *this; ++*this; return was; }
        const_iterator operator--(int) { auto was = *this; --*this; return was; }
        const_iterator& operator+=(difference_type n);
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return difference_type(a.index_) - difference_type(b.index_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.index_ <=> b.index_; }

    private:
        friend class VerdictList;
        const_iterator(const VerdictList* list, std::size_t index);
        const VerdictList* list_ = nullptr;
        std::size_t index_ = 0;
        std::size_t chunk_ = 0;
        std::size_t offset_ = 0;
    };
    using iterator = const_iterator;

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }
    auto rbegin() const { return std::make_reverse_iterator(end()); }
    auto rend() const { return std::make_reverse_iterator(begin()); }

private:
    struct Chunk {
        std::uint64_t start = 0;    // index of its first verdict in the list
        std::uint64_t firstRow = 0; // the offsets count from here
        std::uint64_t firstCol = 0;
        unsigned colBits = 0;
        std::vector<std::uint32_t> cells; // kind << 30 | rowOffset << colBits | colOffset
        std::vector<double> agreement;
        // Kept by cell: a byte for each cell from firstCell (row * width + column) on, the kind
        // of its verdict or NoVerdict, and the cell (from firstCell) of every MarkEvery-th verdict.
        bool dense = false;
        std::size_t denseCount = 0;
        std::uint64_t firstCell = 0;
        std::vector<std::uint8_t> kinds;
        std::vector<std::uint32_t> marks;
        std::uint64_t beyond = 0; // verdicts other than "S" in it
        // The rows it holds verdicts of, and those with verdicts other than "S".
        std::uint64_t lastRow = 0, rowCount = 0;
        std::uint64_t firstBeyondRow = 0, lastBeyondRow = 0, beyondRowCount = 0;
        // Per block of BlockSize verdicts the offset of its first worst (by Severity), and the
        // severity of the worst in the block being filled.
        std::vector<std::uint16_t> blockWorst;
        std::vector<double> blockWorstAgreement;
        double blockSeverity = 0;
    };
    static constexpr std::size_t ChunkCapacity = std::size_t(1) << 15;
    static constexpr std::size_t BlockSize = 1024;
    static constexpr unsigned PositionBits = 30;

    // A cell's byte: "D"; two numbers by their agreement in steps of a twelfth of a digit from
    // -2 digits up (lower ones and NaN in the first step, higher in the last); "S"; no verdict.
    // The bytes order the verdicts as their severity does, but for ties.
    static constexpr std::uint8_t TextByte = 0, LowestDigits = 1, HighestDigits = 253, SameByte = 254, NoVerdict = 255;
    static std::uint8_t Encode(VerdictKind kind, double agreement)
    {
        if (kind == VerdictKind::Text)
            return TextByte;
        if (kind == VerdictKind::Same)
            return SameByte;
        const double step = std::floor((agreement + 2) * 12);
        return std::isnan(step) || step < 0 ? LowestDigits
            : step > HighestDigits - LowestDigits ? HighestDigits
                                                  : std::uint8_t(LowestDigits + step);
    }
    static VerdictKind KindOf(std::uint8_t byte)
    {
        return byte == TextByte ? VerdictKind::Text : byte == SameByte ? VerdictKind::Same : VerdictKind::Digits;
    }
    static constexpr std::size_t MarkEvery = 16;
    static std::size_t Count(const Chunk& chunk) { return chunk.dense ? chunk.denseCount : chunk.cells.size(); }
    // The cell (from the chunk's first) of a verdict of a chunk kept by cell.
    static std::size_t DenseCell(const Chunk& chunk, std::size_t offset)
    {
        std::size_t cell = chunk.marks[offset / MarkEvery];
        for (std::size_t k = offset % MarkEvery; k > 0; --k)
            do
                ++cell;
            while (chunk.kinds[cell] == NoVerdict);
        return cell;
    }
    // Calls visit(offset, cell) for the verdicts from to end of a chunk kept by cell.
    template <class Visit>
    static void ForEachDense(const Chunk& chunk, std::size_t from, std::size_t end, Visit&& visit)
    {
        end = std::min(end, chunk.denseCount);
        if (from >= end)
            return;
        for (std::size_t cell = DenseCell(chunk, from), offset = from; offset < end; ++cell)
            if (chunk.kinds[cell] != NoVerdict)
                visit(offset++, cell);
    }
    // The offset of the first verdict from on of a chunk kept by cell whose byte passes; its count
    // of verdicts when none does.
    template <class Pass>
    static std::size_t FirstDense(const Chunk& chunk, std::size_t from, Pass&& pass)
    {
        if (from >= chunk.denseCount)
            return chunk.denseCount;
        for (std::size_t cell = DenseCell(chunk, from), offset = from;; ++cell)
            if (chunk.kinds[cell] != NoVerdict) {
                if (pass(chunk.kinds[cell]))
                    return offset;
                if (++offset == chunk.denseCount)
                    return offset;
            }
    }
    // Calls visit(offset, Verdict) for the verdicts from to end of a chunk, their agreements left 0.
    template <class Visit>
    void forEachPosition(const Chunk& chunk, std::size_t from, std::size_t end, Visit&& visit) const
    {
        if (!chunk.dense) {
            for (std::size_t offset = from; offset < end; ++offset)
                visit(offset, position(chunk, offset));
            return;
        }
        ForEachDense(chunk, from, end, [&](std::size_t offset, std::size_t cell) {
            const std::uint64_t at = chunk.firstCell + cell;
            visit(offset, Verdict{at / width_, at % width_, 0, KindOf(chunk.kinds[cell])});
        });
    }
    // The offset of the first of the worst verdicts from to end of a chunk.
    std::size_t worstIn(const Chunk& chunk, std::size_t from, std::size_t end) const;
    // A verdict's cell and kind; its agreement is left 0.
    Verdict position(const Chunk& chunk, std::size_t offset) const
    {
        if (chunk.dense) {
            const std::size_t at = DenseCell(chunk, offset);
            const std::uint64_t cell = chunk.firstCell + at;
            return Verdict{cell / width_, cell % width_, 0, KindOf(chunk.kinds[at])};
        }
        const std::uint32_t word = chunk.cells[offset];
        const std::uint32_t position = word & ((std::uint32_t(1) << PositionBits) - 1);
        return Verdict{chunk.firstRow + (position >> chunk.colBits),
                       chunk.firstCol + (position & ((std::uint32_t(1) << chunk.colBits) - 1)), 0, VerdictKind(word >> PositionBits)};
    }
    Verdict decode(const Chunk& chunk, std::size_t offset) const
    {
        Verdict verdict = position(chunk, offset);
        if (!chunk.dense)
            verdict.agreement = chunk.agreement[offset];
        else if (verdict.kind != VerdictKind::Text)
            verdict.agreement = source_->agreement(verdict.row, verdict.col);
        return verdict;
    }
    static bool BeyondAt(const Chunk& chunk, std::size_t offset)
    {
        return chunk.dense ? chunk.kinds[DenseCell(chunk, offset)] != SameByte : Beyond(chunk.cells[offset]);
    }
    static bool fits(const Chunk& chunk, std::uint64_t row, std::uint64_t col)
    {
        if (chunk.dense || chunk.cells.size() >= ChunkCapacity || row < chunk.firstRow || col < chunk.firstCol)
            return false;
        const unsigned rowBits = PositionBits - chunk.colBits;
        return (row - chunk.firstRow) >> rowBits == 0 && (col - chunk.firstCol) >> chunk.colBits == 0;
    }
    void openChunk(const Verdict& verdict);
    // Keeps a chunk by cell, where most of its cells hold verdicts and a source can work their
    // agreements out again.
    void compact(Chunk& chunk) const;
    static bool Beyond(std::uint32_t word) { return VerdictKind(word >> PositionBits) != VerdictKind::Same; }
    Verdict at(std::size_t chunk, std::size_t offset) const;
    std::size_t chunkOf(std::size_t index) const;

    unsigned colBits_;
    std::uint64_t width_;
    std::shared_ptr<const AgreementSource> source_;
    std::vector<Chunk> chunks_;
    std::size_t size_ = 0;
};

} // namespace tallir
