#include "StreamKeys.h"

#include <algorithm>
#include <memory>
#include <string>

namespace tallir {

void PairRuns::add(RowPair pair)
{
    const Kind kind = pair.paired() ? Kind::Paired : pair.row2 == NoRow ? Kind::Only1 : Kind::Only2;
    if (runs_.empty() || runs_.back().kind != kind) {
        if (kind == Kind::Paired)
            pairedRuns_.push_back(runs_.size());
        runs_.push_back({kind, rows1_, rows2_, paired_, 0});
    }
    ++runs_.back().count;
    rows1_ += kind != Kind::Only2;
    rows2_ += kind != Kind::Only1;
    paired_ += kind == Kind::Paired;
    only1_ += kind == Kind::Only1;
    only2_ += kind == Kind::Only2;
}

RowPair PairRuns::paired(std::uint64_t k) const
{
    // The last paired run that starts at or before k.
    const auto after = std::upper_bound(pairedRuns_.begin(), pairedRuns_.end(), k,
                                        [&](std::uint64_t value, std::size_t r) { return value < runs_[r].paired; });
    const Run& run = runs_[*(after - 1)];
    return {run.row1 + (k - run.paired), run.row2 + (k - run.paired)};
}

void PairRuns::oneSidedUpTo(std::uint64_t k, const OneSided& each)
{
    if (!cursor_)
        cursor_.emplace(*this);
    cursor_->upTo(k, each);
}

bool PairRuns::Partnered::operator()(std::uint64_t row)
{
    for (; run_ < runs_.runs_.size(); ++run_) {
        const Run& run = runs_.runs_[run_];
        if ((run.kind == Kind::Only2 && file1_) || (run.kind == Kind::Only1 && !file1_))
            continue;
        const std::uint64_t first = file1_ ? run.row1 : run.row2;
        if (row < first + run.count)
            return run.kind == Kind::Paired;
    }
    return false;
}

void OneSidedRows::add(bool file1, std::uint64_t row, KeyRow keys)
{
    const Header header{row, std::uint32_t(keys.size()), file1};
    spool_.put(&header, sizeof header);
    for (const KeyCell& key : keys) {
        const std::uint64_t length = key.text.size();
        spool_.put(&length, sizeof length);
        spool_.put(key.text.data(), key.text.size());
    }
    ++count_;
}

namespace {

// The key rows of a stream, read as the walk asks for them: the last few kept in a ring whose
// rows are filled again, so that reading a row allocates nothing.
class StreamedKeys {
public:
    StreamedKeys(RowStream& stream, const std::vector<std::uint64_t>& columns, bool& inOrder)
        : stream_(stream), columns_(columns), inOrder_(inOrder)
    {
    }
    std::optional<KeyRow> operator()(std::uint64_t row)
    {
        while (inOrder_ && count_ <= row && readRow())
            ;
        if (!inOrder_ || row >= count_)
            return std::nullopt;
        return KeyRow(ring_[row % Ring].cells);
    }
    // Reads what is left, for the count and the width.
    void finish()
    {
        while (readRow())
            ;
    }
    std::uint64_t rows() const { return count_; }
    std::uint64_t width() const { return width_; }

private:
    // The walk looks at a row and the one after it; the row before is the order's check.
    static constexpr std::size_t Ring = 4;
    struct Row {
        std::vector<std::string> texts;
        std::vector<KeyCell> cells; // views of texts
    };
    bool readRow()
    {
        while (!batch_ || at_ == batch_->rows()) {
            if (batch_)
                stream_.recycle(std::move(batch_));
            batch_ = stream_.next();
            at_ = 0;
            if (!batch_)
                return false;
        }
        width_ = std::max<std::uint64_t>(width_, batch_->valueCount(at_));
        Row& row = ring_[count_ % Ring];
        row.texts.resize(columns_.size());
        row.cells.clear();
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            row.texts[i].assign(batch_->cell(at_, std::size_t(columns_[i])));
            row.cells.push_back(KeyCell::Of(row.texts[i]));
        }
        ++at_;
        if (count_ > 0 && CompareKeys(ring_[(count_ - 1) % Ring].cells, row.cells) >= 0)
            inOrder_ = false;
        ++count_;
        return true;
    }

    RowStream& stream_;
    const std::vector<std::uint64_t>& columns_;
    bool& inOrder_;
    std::unique_ptr<RowBatch> batch_;
    std::size_t at_ = 0;
    Row ring_[Ring];
    std::uint64_t count_ = 0, width_ = 0;
};

} // namespace

KeyedStreams MergeStreamsByKeys(RowStream& file1, RowStream& file2, const std::vector<std::uint64_t>& keys1,
                                const std::vector<std::uint64_t>& keys2, double tolerance, bool oneSided)
{
    KeyedStreams keyed;
    if (oneSided)
        keyed.oneSided = std::make_unique<OneSidedRows>();
    StreamedKeys rows1(file1, keys1, keyed.inOrder), rows2(file2, keys2, keyed.inOrder);
    MergeByKeys(std::ref(rows1), std::ref(rows2), tolerance, [&](RowPair pair) {
        keyed.pairs.add(pair);
        // The walk has just looked at the row: it is still at hand.
        if (keyed.oneSided && keyed.inOrder && !pair.paired())
            keyed.oneSided->add(pair.row2 == NoRow, pair.row2 == NoRow ? pair.row1 : pair.row2,
                                pair.row2 == NoRow ? *rows1(pair.row1) : *rows2(pair.row2));
    });
    if (!keyed.inOrder)
        return keyed;
    rows1.finish();
    rows2.finish();
    keyed.rows1 = rows1.rows();
    keyed.rows2 = rows2.rows();
    keyed.width1 = rows1.width();
    keyed.width2 = rows2.width();
    keyed.failure1 = file1.endFailure();
    keyed.failure2 = file2.endFailure();
    return keyed;
}

} // namespace tallir
