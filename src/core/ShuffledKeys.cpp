#include "ShuffledKeys.h"

#include "KeyRecords.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace tallir {

namespace {

// One table's key records in key order, and its repeated keys found on the way.
class SortedKeys {
public:
    SortedKeys(ExternalSort& sort, RepeatedKeys& repeated) : sort_(sort), repeated_(repeated) { at_ = sort_.next(); }
    const std::optional<std::string_view>& at() const { return at_; }
    void advance()
    {
        previous_.assign(*at_);
        at_ = sort_.next();
        if (at_ && CompareKeyRecords(previous_, *at_) == 0)
            repeated_.add(RowOf(*at_));
    }

private:
    ExternalSort& sort_;
    RepeatedKeys& repeated_;
    std::optional<std::string_view> at_;
    std::string previous_;
};

// Reads a stream to its end, each row's key record sorted; the rows and the widest row counted.
void GatherKeys(RowStream& stream, const std::vector<std::uint64_t>& keys, ExternalSort& sort, std::uint64_t& rows, std::uint64_t& width)
{
    std::string record;
    while (auto batch = stream.next()) {
        for (std::size_t r = 0; r < batch->rows(); ++r) {
            record.clear();
            AppendKeyRecord(record, rows++, *batch, r, keys);
            width = std::max<std::uint64_t>(width, batch->valueCount(r));
            sort.add(record);
        }
        stream.recycle(std::move(batch));
    }
}

} // namespace

KeyPartners::KeyPartners(std::uint64_t rows1, std::uint64_t rows2) : partner1_(rows1, None), partner2_(rows2, None) {}

void KeyPartners::pair(std::uint64_t row1, std::uint64_t row2)
{
    partner1_[row1] = std::uint32_t(row2);
    partner2_[row2] = std::uint32_t(row1);
    ++paired_;
}

void KeyPartners::finish()
{
    std::uint64_t k = 0;
    for (std::uint64_t row = 0; row < partner1_.size(); ++row)
        if (partner1_[row] != None && k++ % Step == 0)
            steps_.push_back(std::uint32_t(row));
}

RowPair KeyPartners::paired(std::uint64_t k) const
{
    std::uint64_t row = steps_[k / Step];
    for (std::uint64_t left = k % Step;; ++row)
        if (partner1_[row] != None && left-- == 0)
            return {row, partner1_[row]};
}

void KeyPartners::Walk::upTo(const KeyPartners& partners, std::uint64_t k, const OneSided& each)
{
    const auto& partner1 = partners.partner1_;
    const auto& partner2 = partners.partner2_;
    for (const std::uint64_t end = std::min<std::uint64_t>(end1_, partner1.size()); row1_ < end; ++row1_) {
        const std::uint32_t row2 = partner1[row1_];
        if (row2 == None) {
            each(true, row1_);
            continue;
        }
        // File 2's rows without a partner come before the first pair after them there.
        if (row2 >= pending2_) {
            for (; pending2_ < row2; ++pending2_)
                if (partner2[pending2_] == None)
                    each(false, pending2_);
            pending2_ = row2 + 1;
        }
        if (given_ == k)
            return;
        ++given_;
    }
    for (; rest_ && pending2_ < partner2.size(); ++pending2_)
        if (partner2[pending2_] == None)
            each(false, pending2_);
}

KeyPartners::Walk KeyPartners::walkFrom(std::uint64_t from, std::uint64_t to, bool rest) const
{
    Walk walk;
    for (std::uint64_t row = 0; row < from && row < partner1_.size(); ++row)
        if (partner1_[row] != None) {
            walk.pending2_ = std::max<std::uint64_t>(walk.pending2_, partner1_[row] + std::uint64_t(1));
            ++walk.given_;
        }
    walk.row1_ = from;
    walk.end1_ = to;
    walk.rest_ = rest;
    return walk;
}

void KeyPartners::combine(const std::function<void(std::vector<std::uint32_t>&)>& across)
{
    across(partner1_);
    across(partner2_);
    paired_ = std::uint64_t(std::count_if(partner1_.begin(), partner1_.end(), [](std::uint32_t p) { return p != None; }));
    finish();
}

void MatchSortedKeys(ExternalSort& sort1, ExternalSort& sort2, RepeatedKeys& repeated1, RepeatedKeys& repeated2,
                     const std::function<void(std::uint64_t row1, std::uint64_t row2)>& pair,
                     const std::function<void(bool file1, std::string_view record)>& oneSided)
{
    // Both tables' keys in order: the rows of a key pair in the order of their rows.
    SortedKeys sorted1(sort1, repeated1), sorted2(sort2, repeated2);
    while (sorted1.at() || sorted2.at()) {
        const auto& a = sorted1.at();
        const auto& b = sorted2.at();
        const int order = !a ? 1 : !b ? -1 : CompareKeyRecords(*a, *b);
        if (order == 0)
            pair(RowOf(*a), RowOf(*b));
        else if (oneSided)
            oneSided(order < 0, order < 0 ? *a : *b);
        if (order <= 0)
            sorted1.advance();
        if (order >= 0)
            sorted2.advance();
    }
}

std::unique_ptr<OneSidedRows> OneSidedInPairOrder(const KeyPartners& partners, ExternalSort& only1, ExternalSort& only2)
{
    // The rows in one file only come out of their sorts in the order the walk asks for them.
    auto rows = std::make_unique<OneSidedRows>();
    std::vector<KeyCell> cells;
    KeyPartners::Walk walk;
    walk.upTo(partners, UINT64_MAX, [&](bool in1, std::uint64_t row) {
        const auto record = (in1 ? only1 : only2).next();
        if (!record || RowOf(*record) != row)
            throw std::logic_error("the rows in one file only out of step");
        cells.clear();
        for (KeyReader keys(*record); !keys.done();)
            cells.push_back(keys.next());
        rows->add(in1, row, cells);
    });
    return rows;
}

ShuffledKeys PairShuffledKeys(RowStream& file1, RowStream& file2, const std::vector<std::uint64_t>& keys1,
                              const std::vector<std::uint64_t>& keys2, bool oneSided, std::size_t memory)
{
    ShuffledKeys shuffled;
    ExternalSort sort1("keys of File 1", KeyThenRow, memory / 2, FirstKeyPrefix), sort2("keys of File 2", KeyThenRow, memory / 2, FirstKeyPrefix);
    GatherKeys(file1, keys1, sort1, shuffled.rows1, shuffled.width1);
    GatherKeys(file2, keys2, sort2, shuffled.rows2, shuffled.width2);
    shuffled.failure1 = file1.endFailure();
    shuffled.failure2 = file2.endFailure();
    if (shuffled.failure1 != ReadFailure::None || shuffled.failure2 != ReadFailure::None || shuffled.rows1 > KeyPartners::MaxRows
        || shuffled.rows2 > KeyPartners::MaxRows)
        return shuffled;

    auto partners = std::make_unique<KeyPartners>(shuffled.rows1, shuffled.rows2);
    std::optional<ExternalSort> only1, only2;
    if (oneSided) { // (a sort's share of the memory decides only when it spills to disk)
        only1.emplace("rows in File 1 only", ByRow, memory / 4, RowOf); // speed only
        only2.emplace("rows in File 2 only", ByRow, memory / 4, RowOf); // speed only
    }
    MatchSortedKeys(
        sort1, sort2, shuffled.repeated1, shuffled.repeated2, [&](std::uint64_t row1, std::uint64_t row2) { partners->pair(row1, row2); },
        [&](bool in1, std::string_view record) {
            if (oneSided)
                (in1 ? *only1 : *only2).add(record);
        });
    partners->finish();
    if (oneSided)
        shuffled.oneSided = OneSidedInPairOrder(*partners, *only1, *only2);
    shuffled.partners = std::move(partners);
    return shuffled;
}

void AppendPartnerRow(std::string& record, std::uint64_t partner, const RowBatch& batch, std::size_t r)
{
    const std::uint32_t count = std::uint32_t(batch.valueCount(r));
    record.assign(reinterpret_cast<const char*>(&partner), sizeof partner);
    record.append(reinterpret_cast<const char*>(&count), sizeof count);
    for (std::size_t c = 0; c < count; ++c) {
        const std::string_view cell = batch.cell(r, c);
        const std::uint32_t length = std::uint32_t(cell.size());
        record.append(reinterpret_cast<const char*>(&length), sizeof length);
        record.append(cell);
    }
}

std::shared_ptr<ExternalSort> SortByPartners(std::size_t memory)
{
    return std::make_shared<ExternalSort>("rows of File 2 in the order of File 1", ByRow, memory, RowOf);
}

std::unique_ptr<RowStream> RowsInPartnerOrder(std::shared_ptr<ExternalSort> sort)
{
    return std::make_unique<RowStream>([sort](RowBatch& batch) {
        while (!batch.full()) {
            const auto record = sort->next();
            if (!record)
                return false;
            const char* at = record->data() + sizeof(std::uint64_t);
            std::uint32_t count = 0;
            std::memcpy(&count, at, sizeof count);
            at += sizeof count;
            for (std::uint32_t c = 0; c < count; ++c) {
                std::uint32_t length = 0;
                std::memcpy(&length, at, sizeof length);
                at += sizeof length;
                const std::size_t start = batch.bytes.size();
                batch.bytes.append(at, length);
                batch.cells.push_back({start, batch.bytes.size()});
                at += length;
            }
            batch.rowEnds.push_back(batch.cells.size());
            batch.maxValues = std::max<std::size_t>(batch.maxValues, count);
        }
        return true;
    });
}

std::unique_ptr<RowStream> InPartnerOrder(RowStream& file2, const KeyPartners& partners, std::size_t memory)
{
    auto sort = SortByPartners(memory);
    std::string record;
    std::uint64_t row = 0;
    while (auto batch = file2.next()) {
        for (std::size_t r = 0; r < batch->rows(); ++r, ++row)
            if (const std::uint64_t partner = partners.partner2(row); partner != KeyPartners::None) {
                AppendPartnerRow(record, partner, *batch, r);
                sort->add(record);
            }
        file2.recycle(std::move(batch));
    }
    file2.endFailure();
    return RowsInPartnerOrder(std::move(sort));
}

} // namespace tallir
