#include "StreamCompare.h"

#include "ColumnList.h"
#include "HeldCells.h"
#include "SameText.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tallir {

namespace {

// Rows of both tables taken in step, each from within one batch, compared by a worker and
// handed over in order once done.
struct Slice {
    const RowBatch* batch1 = nullptr;
    const RowBatch* batch2 = nullptr;
    std::size_t row1 = 0, row2 = 0; // within the batches
    std::size_t rows = 0;
    std::uint64_t firstRow = 0;     // the compared row of the first
    // The tables' widths so far: cells within both are in the compared area for certain.
    std::uint64_t width1 = 0, width2 = 0;
    // Batches whose last rows these are: done with once the slice has been handed over.
    std::unique_ptr<RowBatch> finished1, finished2;

    // The worker's: the differing cells in reading order (only those not known to lie in the
    // area when nobody takes cells), and the figures of those that do.
    std::vector<StreamedCell> cells;
    FiguresTally tally;
    bool done = false;
};

// Most rows in one slice, and most slices compared or waiting at once: enough to keep every
// worker busy while the oldest is handed over.
constexpr std::size_t SliceRows = 1024; // speed only
constexpr std::size_t SlicesPerWorker = 4; // speed only

// The cells of a row of a batch, cut from its line where it was kept whole.
class RowCells {
public:
    void of(const RowBatch& batch, std::size_t row)
    {
        batch_ = &batch;
        spans_ = batch.rowCells(row, scratch_);
        count_ = batch.valueCount(row);
    }
    std::string_view operator[](std::uint64_t col) const { return col < count_ ? batch_->text(spans_[col]) : std::string_view(); }

private:
    const RowBatch* batch_ = nullptr;
    const RowBatch::Span* spans_ = nullptr;
    std::size_t count_ = 0;
    std::vector<RowBatch::Span> scratch_;
};

// Compares a cell of File 1's row with its partner in File 2's.
inline void CompareCell(Slice& slice, const CompareOptions& options, const ColumnSet& ignored, bool keepCells, std::size_t i,
                        const RowCells& row1, const RowCells& row2, std::uint64_t c, std::uint64_t partner)
{
    const std::string_view a = row1[c];
    const std::string_view b = row2[partner];
    if (SameText(a, b) || ignored.contains(c))
        return;
    CellValues values;
    if (auto verdict = CompareDifferentCells(a, b, options, c, &values)) {
        verdict->row = slice.firstRow + i;
        verdict->col = c;
        const bool certain = c < slice.width1 && partner < slice.width2;
        if (certain)
            options.kindsOnly ? slice.tally.count(*verdict) : slice.tally.add(*verdict, values);
        if (keepCells || !certain)
            slice.cells.push_back({*verdict, a, b, values, slice.batch1, slice.row1 + i});
    }
}

void CompareSlice(Slice& slice, const CompareOptions& options, const ColumnSet& ignored, const ColumnPairs* pairs,
                  bool keepCells, const std::atomic<bool>& decided)
{
    const RowBatch &batch1 = *slice.batch1, &batch2 = *slice.batch2;
    RowCells row1, row2;
    for (std::size_t i = 0; i < slice.rows && !decided.load(std::memory_order_relaxed); ++i) {
        const std::size_t count1 = batch1.valueCount(slice.row1 + i), count2 = batch2.valueCount(slice.row2 + i);
        // Lines of the same bytes hold the same texts in the same columns: nothing to compare.
        if (!pairs && batch1.wholeLines && batch2.wholeLines
            && SameText(batch1.text(batch1.lines[slice.row1 + i]), batch2.text(batch2.lines[slice.row2 + i])))
            continue;
        row1.of(batch1, slice.row1 + i);
        row2.of(batch2, slice.row2 + i);
        if (!pairs) {
            for (std::size_t c = 0; c < std::max(count1, count2); ++c)
                CompareCell(slice, options, ignored, keepCells, i, row1, row2, c, c);
            continue;
        }
        // By names: every named column, then those beyond the names line while either side has
        // a value (their partners lie further right in turn).
        std::uint64_t c = 0;
        for (; c < pairs->named1(); ++c)
            CompareCell(slice, options, ignored, keepCells, i, row1, row2, c, pairs->partner(c));
        for (; c < count1 || pairs->partner(c) < count2; ++c)
            CompareCell(slice, options, ignored, keepCells, i, row1, row2, c, pairs->partner(c));
    }
}

// Workers taking slices in order; they stop when the pool goes away.
class SliceWorkers {
public:
    SliceWorkers(unsigned count, const CompareOptions& options, const ColumnPairs* pairs, bool keepCells)
        : ignored_(options.ignoredColumns)
    {
        decided = false;
        for (unsigned i = 0; i < count; ++i) {
            try {
                threads_.emplace_back([this, &options, pairs, keepCells] { work(options, pairs, keepCells); });
            } catch (const std::system_error&) {
                if (threads_.empty())
                    throw;
                break; // no room for another thread: the slices go to those there are
            }
        }
    }
    ~SliceWorkers()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (auto& thread : threads_)
            thread.join();
    }
    std::size_t inFlight()
    {
        std::lock_guard lock(mutex_);
        return slices_.size();
    }
    void submit(std::unique_ptr<Slice> slice)
    {
        std::lock_guard lock(mutex_);
        toDo_.push_back(slice.get());
        slices_.push_back(std::move(slice));
        changed_.notify_all();
    }
    // The oldest slice once compared; nothing when none is left. A worker's failure is thrown.
    // Set once the answer is known: slices still to compare are left as they are.
    std::atomic<bool> decided;

    std::unique_ptr<Slice> oldest(bool wait)
    {
        std::unique_lock lock(mutex_);
        if (wait)
            changed_.wait(lock, [&] { return failure_ || slices_.empty() || slices_.front()->done; });
        if (failure_)
            std::rethrow_exception(failure_);
        if (slices_.empty() || !slices_.front()->done)
            return nullptr;
        auto slice = std::move(slices_.front());
        slices_.pop_front();
        return slice;
    }

private:
    const ColumnSet ignored_;

    void work(const CompareOptions& options, const ColumnPairs* pairs, bool keepCells)
    {
        for (;;) {
            Slice* slice;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || !toDo_.empty(); });
                if (stopping_)
                    return;
                slice = toDo_.front();
                toDo_.pop_front();
            }
            try {
                CompareSlice(*slice, options, ignored_, pairs, keepCells, decided);
            } catch (...) {
                std::lock_guard lock(mutex_);
                failure_ = std::current_exception();
            }
            std::lock_guard lock(mutex_);
            slice->done = true;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Slice>> slices_; // in order, compared or not
    std::deque<Slice*> toDo_;
    std::exception_ptr failure_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// One table's batches walked slice by slice, keeping its row count and width.
class RowWalk {
public:
    explicit RowWalk(RowStream& stream) : stream_(stream) { fetch(); }
    // Once the batch in hand is used up, the next is to be fetched before anything else.
    bool needsFetch() const { return needsFetch_; }
    // Whether fetching would not wait for the input.
    bool ready() const { return stream_.ready(); }
    void fetch()
    {
        batch_ = stream_.next();
        needsFetch_ = false;
        row_ = 0;
        if (batch_) {
            rows_ += batch_->rows();
            width_ = std::max<std::uint64_t>(width_, batch_->maxValues);
        }
    }
    bool atEnd() const { return !batch_; }
    const RowBatch& batch() const { return *batch_; }
    std::size_t row() const { return row_; }
    std::size_t left() const { return batch_->rows() - row_; }
    std::uint64_t rows() const { return rows_; }
    // The widest row seen so far, of at least one value.
    std::uint64_t width() const { return width_; }
    // Moves on by count rows; the batch when they were its last.
    std::unique_ptr<RowBatch> advance(std::size_t count)
    {
        row_ += count;
        if (row_ < batch_->rows())
            return nullptr;
        needsFetch_ = true;
        return std::move(batch_);
    }
    void recycle(std::unique_ptr<RowBatch> batch) { stream_.recycle(std::move(batch)); }

private:
    RowStream& stream_;
    std::unique_ptr<RowBatch> batch_;
    bool needsFetch_ = false;
    std::size_t row_ = 0;
    std::uint64_t rows_ = 0;
    std::uint64_t width_ = 1;
};

} // namespace

StreamComparison CompareStreams(RowStream& file1, RowStream& file2, const CompareOptions& options,
                                const std::function<void(const StreamedCell&)>& onCell, bool untilDecided,
                                const StreamColumns& columns)
{
    StreamComparison outcome;
    const ColumnPairs* pairs = columns.pairs;
    const auto partnerOf = [pairs](std::uint64_t c) { return pairs ? pairs->partner(c) : c; };
    // A table is at least as wide as its names line, and as it is known to be.
    const std::uint64_t named1 = std::max(pairs ? pairs->named1() : 0, columns.width1);
    const std::uint64_t named2 = std::max(pairs ? pairs->named2() : 0, columns.width2);
    FiguresTally tally;
    HeldCells held;
    // Cells that waited: those the workers did not count count now.
    const auto deliverHeld = [&](const StreamedCell& cell, bool counted) {
        if (!counted)
            tally.add(cell.verdict, cell.values);
        if (onCell)
            onCell(cell);
    };
    RowWalk walk1(file1), walk2(file2);
    const auto handOver = [&](Slice& slice) {
        const auto inArea = [&](std::uint64_t c) { return c < slice.width1 && partnerOf(c) < slice.width2; };
        if (!held.empty() && held.widthNeeded1() <= slice.width1 && held.widthNeeded2() <= slice.width2)
            held.release(inArea, deliverHeld);
        tally.merge(slice.tally);
        for (const StreamedCell& cell : slice.cells) {
            const bool certain = inArea(cell.verdict.col);
            if (!certain && columns.widthsFinal)
                continue;
            if (held.empty() && certain) {
                onCell(cell); // (cells known to lie in the area are kept only for someone who takes them)
            } else {
                held.add(cell, certain, partnerOf(cell.verdict.col));
            }
        }
        walk1.recycle(std::move(slice.finished1));
        walk2.recycle(std::move(slice.finished2));
    };
    // Whether comparing can stop: a cell beyond the tolerance is in the figures, so it lies in
    // the compared area.
    const auto decided = [&] { return untilDecided && tally.figures().beyondTolerance > 0; };

    const unsigned count = std::max(1u, options.threads ? options.threads : std::thread::hardware_concurrency());
    SliceWorkers workers(count, options, pairs, bool(onCell));
    // Every slice handed over: before waiting for an input, so that cells come out as soon as
    // their rows are in, however slowly the rest arrives.
    const auto handOverAll = [&] {
        while (auto done = workers.oldest(true))
            handOver(*done);
    };
    const auto handOverReady = [&] {
        while (auto done = workers.oldest(false))
            handOver(*done);
        outcome.decided = outcome.decided || decided();
        workers.decided = outcome.decided;
        if (outcome.decided) {
            // The rest is read for its rows, widths and faults only: no cell of it is kept.
            file1.countOnly();
            file2.countOnly();
        }
    };
    std::uint64_t row = 0;
    for (;;) {
        for (RowWalk* walk : {&walk1, &walk2}) {
            if (!walk->needsFetch())
                continue;
            if (!walk->ready())
                handOverAll();
            walk->fetch();
        }
        if (walk1.atEnd() || walk2.atEnd() || outcome.decided)
            break;
        auto slice = std::make_unique<Slice>();
        slice->batch1 = &walk1.batch();
        slice->batch2 = &walk2.batch();
        slice->row1 = walk1.row();
        slice->row2 = walk2.row();
        slice->rows = std::min({walk1.left(), walk2.left(), SliceRows});
        slice->firstRow = row;
        slice->width1 = std::max(walk1.width(), named1);
        slice->width2 = std::max(walk2.width(), named2);
        for (std::size_t i = 0; i < slice->rows && !outcome.mismatch.firstRow; ++i) {
            const std::size_t count1 = slice->batch1->valueCount(slice->row1 + i);
            const std::size_t count2 = slice->batch2->valueCount(slice->row2 + i);
            if (count1 != count2) {
                outcome.mismatch.firstRow = row + i;
                outcome.mismatch.values1 = count1;
                outcome.mismatch.values2 = count2;
            }
        }
        row += slice->rows;
        slice->finished1 = walk1.advance(slice->rows);
        slice->finished2 = walk2.advance(slice->rows);
        handOverReady();
        while (workers.inFlight() >= count * SlicesPerWorker)
            if (auto done = workers.oldest(true))
                handOver(*done);
        workers.submit(std::move(slice));
    }
    handOverAll();
    // The rows left still count, and may widen a table: both inputs are read on in step, so
    // that neither reader waits for the other to finish.
    while (!walk1.atEnd() || !walk2.atEnd())
        for (RowWalk* walk : {&walk1, &walk2})
            if (!walk->atEnd()) {
                walk->recycle(walk->advance(walk->left()));
                walk->fetch();
            }
    outcome.failure1 = file1.endFailure();
    outcome.failure2 = file2.endFailure();
    outcome.rows1 = walk1.rows();
    outcome.rows2 = walk2.rows();
    outcome.values1 = walk1.width();
    outcome.values2 = walk2.width();
    if (columns.widen)
        columns.widen(outcome.values1, outcome.values2);
    outcome.comparedRows = std::min(outcome.rows1, outcome.rows2);
    outcome.comparedCols = std::min(outcome.values1, outcome.values2);
    const std::uint64_t width1 = std::max(outcome.values1, named1), width2 = std::max(outcome.values2, named2);
    held.release([&](std::uint64_t c) { return c < width1 && partnerOf(c) < width2; }, deliverHeld);
    outcome.decided = outcome.decided || decided();
    outcome.mismatch.rows1 = outcome.rows1;
    outcome.mismatch.rows2 = outcome.rows2;
    outcome.figures = tally.figures();
    return outcome;
}

} // namespace tallir
