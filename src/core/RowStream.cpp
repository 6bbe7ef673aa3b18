#include "RowStream.h"

#include "InputFile.h"
#include "SourceSplitter.h"

#include <algorithm>

namespace tallir {

namespace {

// A batch closes after this many rows or bytes, whichever comes first.
constexpr std::size_t BatchRows = 4096; // speed only, as the next two
constexpr std::size_t BatchBytes = 256 << 10; // speed only
// Batches filled and waiting; with the one being filled, the one in use and two spare, some
// 3 MB a stream.
constexpr std::size_t QueuedBatches = 4; // speed only

// Fills batches and hands each over as soon as it is full.
template <class Hand>
class BatchSink final : public CellSink {
public:
    BatchSink(std::unique_ptr<RowBatch> batch, Hand hand, const std::atomic<bool>& counting, bool wholeLines)
        : batch_(std::move(batch)), hand_(std::move(hand)), counting_(counting), wholeLines_(wholeLines)
    {
    }
    void addCell(std::string_view text) override
    {
        if (counting_.load(std::memory_order_relaxed)) {
            ++counted_;
            return;
        }
        const std::size_t start = batch_->bytes.size();
        batch_->bytes.append(text);
        batch_->cells.push_back({start, batch_->bytes.size()});
    }
    // A line of the plain format: kept whole, its cells as spans of it, which costs less than
    // copying cell by cell; or only its values counted, its cells cut when asked for.
    void addLine(std::string_view line)
    {
        batch_->wholeLines = wholeLines_; // speed only: cells cut as read are the same cells
        if (counting_.load(std::memory_order_relaxed)) {
            counted_ += CountTokens(line, ValueSeparators);
            endRow();
            return;
        }
        const std::size_t start = batch_->bytes.size();
        batch_->bytes.append(line);
        if (batch_->wholeLines) {
            batch_->lines.push_back({start, batch_->bytes.size()});
            endRow(CountTokens(line, ValueSeparators));
            return;
        }
        auto& cells = batch_->cells;
        ForEachToken(line, ValueSeparators, [&](std::string_view value) {
            const std::size_t offset = start + std::size_t(value.data() - line.data());
            cells.push_back({offset, offset + value.size()});
        });
        endRow();
    }
    void endRow() override { endRow(0); }
    // values: those of a whole line.
    void endRow(std::size_t values)
    {
        RowBatch& batch = *batch_;
        // (A row only counted has no line either: it is never compared.)
        batch.rowEnds.push_back(batch.wholeLines ? batch.firstCell(batch.rows()) + values : batch.cells.size());
        // A counted row holds no cells: its values were only counted.
        batch.maxValues = std::max(batch.maxValues, batch.valueCount(batch.rows() - 1) + counted_);
        counted_ = 0;
        if (!stopped_ && batch_->full())
            stopped_ = !hand_(batch_);
    }
    // The stream is going away: the rest need not be read.
    bool stopped() const { return stopped_; }
    bool empty() const { return batch_->rows() == 0; }
    std::unique_ptr<RowBatch>& batch() { return batch_; }

private:
    std::unique_ptr<RowBatch> batch_;
    Hand hand_;
    const std::atomic<bool>& counting_;
    const bool wholeLines_;
    std::size_t counted_ = 0;
    bool stopped_ = false;
};

} // namespace

void RowBatch::clear()
{
    bytes.clear();
    cells.clear();
    rowEnds.clear();
    maxValues = 0;
    lines.clear();
}

const RowBatch::Span* RowBatch::rowCells(std::size_t row, std::vector<Span>& scratch) const
{
    if (!wholeLines)
        return cells.data() + firstCell(row);
    scratch.clear();
    const std::string_view line = text(lines[row]);
    ForEachToken(line, ValueSeparators, [&](std::string_view value) {
        const std::size_t offset = lines[row].start + std::size_t(value.data() - line.data());
        scratch.push_back({offset, offset + value.size()});
    });
    return scratch.data();
}

bool RowBatch::full() const
{
    return rows() >= BatchRows || bytes.size() >= BatchBytes; // when: speed only
}

void RowBatch::keepRows(const std::function<bool(std::size_t row)>& keep)
{
    std::size_t kept = 0, cell = 0, from = 0;
    maxValues = 0;
    for (std::size_t row = 0; row < rowEnds.size(); from = rowEnds[row++]) {
        const std::size_t end = rowEnds[row];
        if (!keep(row))
            continue;
        // Moved down over the rows left out (never up: cell <= from, kept <= row).
        if (wholeLines)
            lines[kept] = lines[row];
        else
            std::copy(cells.begin() + std::ptrdiff_t(from), cells.begin() + std::ptrdiff_t(end), cells.begin() + std::ptrdiff_t(cell));
        cell += end - from;
        maxValues = std::max(maxValues, end - from);
        rowEnds[kept++] = cell;
    }
    cells.resize(cell); // (lines past the last row kept are left: they are never read)
    rowEnds.resize(kept);
}

struct RowStream::Shared {
    InputFile input;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::unique_ptr<RowBatch>> filled;
    std::vector<std::unique_ptr<RowBatch>> spare;
    bool done = false;     // the reader has handed over its last batch
    bool stopping = false; // the stream is going away
    std::atomic<bool> counting{false}; // rows from now on are only counted (see countOnly)
    bool wholeLines = false; // rows are kept as lines (see the constructor)
    ReadFailure endFailure = ReadFailure::None;
    LineFault lineFault;

    std::unique_ptr<RowBatch> takeSpare()
    {
        std::lock_guard lock(mutex);
        if (spare.empty())
            return std::make_unique<RowBatch>();
        auto batch = std::move(spare.back());
        spare.pop_back();
        batch->clear();
        return batch;
    }
    // False when the stream is going away.
    bool hand(std::unique_ptr<RowBatch> batch)
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stopping || filled.size() < QueuedBatches; });
        if (stopping)
            return false;
        filled.push_back(std::move(batch));
        changed.notify_all();
        return true;
    }
};

RowStream::RowStream(const std::string& path, TableFormat format, std::uint64_t lineLimit, bool wholeLines)
    : shared_(std::make_unique<Shared>())
{
    shared_->wholeLines = wholeLines;
    start(shared_->input.open(path), format, lineLimit);
}

RowStream::RowStream(const std::string& path, std::uint64_t offset, std::uint64_t length, TableFormat format, std::uint64_t lineLimit)
    : shared_(std::make_unique<Shared>())
{
    start(shared_->input.open(path, offset, length), format, lineLimit);
}

void RowStream::start(ReadFailure opened, TableFormat format, std::uint64_t lineLimit)
{
    openFailure_ = opened;
    if (openFailure_ == ReadFailure::None)
        reader_ = std::thread([this, format, lineLimit] { read(format, lineLimit); });
    else
        shared_->done = true;
}

RowStream::RowStream(Fill fill) : shared_(std::make_unique<Shared>())
{
    reader_ = std::thread([this, fill = std::move(fill)] { produce(fill); });
}

RowStream::~RowStream()
{
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->changed.notify_all();
    if (reader_.joinable())
        reader_.join();
}

void RowStream::read(TableFormat format, std::uint64_t lineLimit)
{
    Shared& shared = *shared_;
    ReadFailure failure = ReadFailure::None;
    LineFault fault{0, false, lineLimit};
    try {
        // Swaps the full batch for a spare one; false when the stream is going away.
        auto hand = [&shared](std::unique_ptr<RowBatch>& batch) {
            auto fresh = shared.takeSpare();
            std::swap(fresh, batch);
            return shared.hand(std::move(fresh));
        };
        BatchSink sink(shared.takeSpare(), hand, shared.counting, shared.wholeLines);
        bool whole, cut = false;
        if (const auto mapping = shared.input.map()) {
            // Read in place, without a copy into a buffer; the pages read are let go of as the
            // reading passes them (every line is copied into its batch). A file cut short
            // meanwhile reads as zeros past its end: what was read of it is no table.
            mapping->adviseSequential();
            std::uint64_t passed = 0;
            whole = SplitBytes(mapping->bytes(), format, sink, [&] {
                const std::uint64_t from = passed;
                passed += std::min<std::uint64_t>(SourceBlockSize, mapping->size() - passed); // speed only
                mapping->release(from, passed); // speed only
                return !sink.stopped() && !mapping->cut();
            }, fault);
            cut = mapping->cut();
        } else {
            whole = SplitSource(shared.input.source(), format, sink, [&] { return !sink.stopped(); }, fault);
        }
        if (whole && !cut && !sink.empty())
            shared.hand(std::move(sink.batch()));
        failure = cut ? ReadFailure::Changed : whole ? shared.input.finish() : fault.line ? ReadFailure::LineTooLong : ReadFailure::Cancelled;
    } catch (const std::bad_alloc&) {
        failure = ReadFailure::OutOfMemory;
    }
    end(failure, fault);
}

void RowStream::produce(const Fill& fill)
{
    ReadFailure failure = ReadFailure::None;
    try {
        for (bool more = true; more;) {
            auto batch = shared_->takeSpare();
            more = fill(*batch);
            if (batch->rows() > 0 && !shared_->hand(std::move(batch)))
                break;
        }
    } catch (const std::bad_alloc&) {
        failure = ReadFailure::OutOfMemory;
    } catch (const std::exception&) {
        failure = ReadFailure::CannotRead;
    }
    end(failure, {});
}

void RowStream::end(ReadFailure failure, const LineFault& fault)
{
    std::lock_guard lock(shared_->mutex);
    shared_->endFailure = failure;
    shared_->lineFault = fault;
    shared_->done = true;
    shared_->changed.notify_all();
}

std::unique_ptr<RowBatch> RowStream::next()
{
    for (;;) {
        std::unique_ptr<RowBatch> batch;
        {
            std::unique_lock lock(shared_->mutex);
            shared_->changed.wait(lock, [&] { return shared_->done || !shared_->filled.empty(); });
            if (shared_->filled.empty())
                return nullptr;
            batch = std::move(shared_->filled.front());
            shared_->filled.pop_front();
            shared_->changed.notify_all();
        }
        if (!keep_)
            return batch;
        const std::uint64_t first = handed_;
        handed_ += batch->rows();
        batch->keepRows([&](std::size_t row) { return keep_(first + row); });
        if (batch->rows() > 0)
            return batch;
        recycle(std::move(batch));
    }
}

void RowStream::countOnly()
{
    // Rows left out by keepOnly would take their counts with them.
    if (!keep_)
        shared_->counting = true;
}

void RowStream::keepOnly(std::function<bool(std::uint64_t row)> keep)
{
    keep_ = std::move(keep);
    handed_ = 0;
}

std::vector<std::string> RowStream::takeFirstRow()
{
    std::vector<std::string> first;
    auto batch = next();
    if (!batch)
        return first;
    std::vector<RowBatch::Span> scratch;
    const RowBatch::Span* cells = batch->rowCells(0, scratch); // the line cut once, however wide
    for (std::size_t c = 0; c < batch->valueCount(0); ++c)
        first.emplace_back(batch->text(cells[c]));
    // The rest of the batch is what next() gives first.
    batch->keepRows([](std::size_t row) { return row > 0; });
    if (batch->rows() == 0) {
        recycle(std::move(batch));
        return first;
    }
    std::lock_guard lock(shared_->mutex);
    shared_->filled.push_front(std::move(batch));
    shared_->changed.notify_all();
    return first;
}

bool RowStream::ready()
{
    std::lock_guard lock(shared_->mutex);
    return shared_->done || !shared_->filled.empty();
}

void RowStream::recycle(std::unique_ptr<RowBatch> batch)
{
    std::lock_guard lock(shared_->mutex);
    if (batch && shared_->spare.size() < 2)
        shared_->spare.push_back(std::move(batch));
}

ReadFailure RowStream::endFailure()
{
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [&] { return shared_->done; });
    return shared_->endFailure;
}

LineFault RowStream::lineFault()
{
    endFailure();
    std::lock_guard lock(shared_->mutex);
    return shared_->lineFault;
}

} // namespace tallir
