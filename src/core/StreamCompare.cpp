#include "StreamCompare.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace tallir {

namespace {

// Cells waiting until the compared width is known: in memory up to a few megabytes, then in an
// anonymous temporary file.
class HeldCells {
public:
    ~HeldCells()
    {
        if (file_)
            std::fclose(file_);
    }
    bool empty() const { return count_ == 0; }
    std::uint64_t widestColumn() const { return widest_; }

    void add(const StreamedCell& cell)
    {
        Header header{cell.verdict.row, cell.verdict.col, cell.verdict.agreement, cell.values, std::uint64_t(cell.text1.size()),
                      std::uint64_t(cell.text2.size()), cell.verdict.kind};
        put(&header, sizeof header);
        put(cell.text1.data(), cell.text1.size());
        put(cell.text2.data(), cell.text2.size());
        widest_ = count_++ == 0 ? cell.verdict.col : std::max(widest_, cell.verdict.col);
    }

    // Hands over, in the order they came, the cells left of width, and forgets them all.
    template <class Deliver>
    void release(std::uint64_t width, Deliver&& deliver)
    {
        if (file_) {
            put(nullptr, 0, true);
            std::rewind(file_);
        }
        std::size_t at = 0;
        std::string texts;
        for (std::uint64_t i = 0; i < count_; ++i) {
            Header header;
            take(&header, sizeof header, at);
            texts.resize(header.length1 + header.length2);
            take(texts.data(), texts.size(), at);
            if (header.col < width) {
                const std::string_view both(texts);
                deliver(StreamedCell{{header.row, header.col, header.agreement, header.kind},
                                     both.substr(0, header.length1), both.substr(header.length1), header.values});
            }
        }
        memory_.clear();
        if (file_) {
            std::rewind(file_);
            if (::ftruncate(fileno(file_), 0) != 0) {
                std::fclose(file_);
                file_ = nullptr;
            }
        }
        count_ = 0;
    }

private:
    struct Header {
        std::uint64_t row, col;
        double agreement;
        CellValues values;
        std::uint64_t length1, length2;
        VerdictKind kind;
    };
    static constexpr std::size_t MemoryLimit = 8 << 20;

    // Bytes to the end of the held ones; flush writes out what memory holds.
    void put(const void* bytes, std::size_t size, bool flush = false)
    {
        memory_.append(static_cast<const char*>(bytes), size);
        if (!file_ && memory_.size() > MemoryLimit)
            file_ = std::tmpfile(); // none: memory it is
        if (file_ && (flush || memory_.size() > MemoryLimit)) {
            if (std::fwrite(memory_.data(), 1, memory_.size(), file_) != memory_.size())
                throw std::runtime_error("the temporary file could not be written");
            memory_.clear();
            if (flush)
                std::fflush(file_);
        }
    }
    void take(void* bytes, std::size_t size, std::size_t& at)
    {
        if (file_) {
            if (size && std::fread(bytes, 1, size, file_) != size)
                throw std::runtime_error("the temporary file could not be read");
            return;
        }
        std::memcpy(bytes, memory_.data() + at, size);
        at += size;
    }

    std::string memory_;
    std::FILE* file_ = nullptr;
    std::uint64_t count_ = 0;
    std::uint64_t widest_ = 0;
};

bool Ignored(const CompareOptions& options, std::uint64_t col)
{
    return std::any_of(options.ignoredColumns.begin(), options.ignoredColumns.end(),
                       [col](const auto& range) { return col >= range.first && col <= range.last; });
}

// One table's batches walked row by row, keeping its row count and width.
class RowWalk {
public:
    explicit RowWalk(RowStream& stream) : stream_(stream) { fetch(); }
    bool atEnd() const { return !batch_; }
    const RowBatch& batch() const { return *batch_; }
    std::size_t row() const { return row_; }
    std::uint64_t rows() const { return rows_; }
    // The widest row seen so far, of at least one value.
    std::uint64_t width() const { return width_; }
    // False at the end; a new batch may have widened the table.
    void advance()
    {
        if (++row_ == batch_->rows()) {
            stream_.recycle(std::move(batch_));
            fetch();
        }
    }

private:
    void fetch()
    {
        batch_ = stream_.next();
        row_ = 0;
        if (batch_) {
            rows_ += batch_->rows();
            width_ = std::max<std::uint64_t>(width_, batch_->maxValues);
        }
    }
    RowStream& stream_;
    std::unique_ptr<RowBatch> batch_;
    std::size_t row_ = 0;
    std::uint64_t rows_ = 0;
    std::uint64_t width_ = 1;
};

} // namespace

StreamComparison CompareStreams(RowStream& file1, RowStream& file2, const CompareOptions& options,
                                const std::function<void(const StreamedCell&)>& onCell)
{
    StreamComparison outcome;
    FiguresTally tally;
    HeldCells held;
    const auto deliver = [&](const StreamedCell& cell) {
        tally.add(cell.verdict, cell.values);
        onCell(cell);
    };
    RowWalk walk1(file1), walk2(file2);
    for (std::uint64_t row = 0; !walk1.atEnd() && !walk2.atEnd(); ++row) {
        const RowBatch& batch1 = walk1.batch();
        const RowBatch& batch2 = walk2.batch();
        const std::size_t r1 = walk1.row(), r2 = walk2.row();
        const std::size_t count1 = batch1.valueCount(r1), count2 = batch2.valueCount(r2);
        if (!outcome.mismatch.firstRow && count1 != count2) {
            outcome.mismatch.firstRow = row;
            outcome.mismatch.values1 = count1;
            outcome.mismatch.values2 = count2;
        }
        // Cells left of both tables' widths so far are in the compared area for certain.
        const std::uint64_t known = std::min(walk1.width(), walk2.width());
        if (!held.empty() && held.widestColumn() < known)
            held.release(known, deliver);
        for (std::size_t c = 0, width = std::max(count1, count2); c < width; ++c) {
            const std::string_view a = batch1.cell(r1, c);
            const std::string_view b = batch2.cell(r2, c);
            if (a == b || Ignored(options, c))
                continue;
            CellValues values;
            if (auto verdict = CompareCells(a, b, options, &values)) {
                verdict->row = row;
                verdict->col = c;
                const StreamedCell cell{*verdict, a, b, values};
                if (held.empty() && c < known)
                    deliver(cell);
                else
                    held.add(cell);
            }
        }
        walk1.advance();
        walk2.advance();
    }
    // The longer table's remaining rows still count, and may widen it.
    for (RowWalk* walk : {&walk1, &walk2})
        while (!walk->atEnd())
            walk->advance();
    outcome.failure1 = file1.endFailure();
    outcome.failure2 = file2.endFailure();
    outcome.rows1 = walk1.rows();
    outcome.rows2 = walk2.rows();
    outcome.values1 = walk1.width();
    outcome.values2 = walk2.width();
    outcome.comparedRows = std::min(outcome.rows1, outcome.rows2);
    outcome.comparedCols = std::min(outcome.values1, outcome.values2);
    held.release(outcome.comparedCols, deliver);
    outcome.mismatch.rows1 = outcome.rows1;
    outcome.mismatch.rows2 = outcome.rows2;
    outcome.figures = tally.figures();
    return outcome;
}

} // namespace tallir
