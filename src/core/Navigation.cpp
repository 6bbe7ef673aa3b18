#include "Navigation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tallir {

std::optional<Step> NextDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col, bool beyondOnly)
{
    const auto& v = result.verdicts;
    // The first verdict that is not at or before (row, col).
    const std::size_t after = v.lowerBound(row, col + 1);
    const auto first = [&](std::size_t from) { return beyondOnly ? v.nextBeyond(from) : from; };
    if (const std::size_t at = first(after); at < v.size())
        return Step{at, false};
    if (const std::size_t at = first(0); at < after)
        return Step{at, true};
    return std::nullopt;
}

std::optional<Step> PreviousDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col, bool beyondOnly)
{
    const auto& v = result.verdicts;
    const std::size_t before = v.lowerBound(row, col);
    // The last verdict before end; size() when none.
    const auto last = [&](std::size_t end) { return beyondOnly ? v.previousBeyond(end) : end == 0 ? v.size() : end - 1; };
    if (const std::size_t at = last(before); at < v.size())
        return Step{at, false};
    if (const std::size_t at = last(v.size()); at < v.size() && at >= before)
        return Step{at, true};
    return std::nullopt;
}

bool RowHasDifference(const CompareResult& result, std::uint64_t row, bool beyondOnly)
{
    const auto& v = result.verdicts;
    const std::size_t first = v.lowerBound(row, 0);
    const std::size_t at = beyondOnly ? v.nextBeyond(first) : first;
    return at < v.size() && v.cellOf(at).row == row;
}

std::size_t DifferenceNumber(const CompareResult& result, std::size_t index, bool beyondOnly)
{
    return beyondOnly ? result.verdicts.beyondBefore(index) + 1 : index + 1;
}

std::size_t DifferenceCount(const CompareResult& result, bool beyondOnly)
{
    return beyondOnly ? result.verdicts.beyondCount() : result.verdicts.size();
}

std::optional<std::size_t> FindDifference(const CompareResult& result, std::uint64_t row, std::uint64_t col)
{
    const auto& v = result.verdicts;
    const std::size_t at = v.lowerBound(row, col);
    if (at == v.size())
        return std::nullopt;
    const Verdict found = v.cellOf(at);
    if (found.row != row || found.col != col)
        return std::nullopt;
    return at;
}

std::optional<Stop> NextStop(const CompareResult& result, std::optional<std::pair<std::uint64_t, std::uint64_t>> from,
                             int direction, bool beyondOnly)
{
    const bool forward = direction > 0;
    std::optional<Stop> byVerdict;
    const auto& v = result.verdicts;
    if (from) {
        const auto step = forward ? NextDifference(result, from->first, from->second, beyondOnly)
                                  : PreviousDifference(result, from->first, from->second, beyondOnly);
        if (step)
            byVerdict = Stop{step->index, v[step->index].row, step->wrapped};
    } else {
        const std::size_t at = forward ? (beyondOnly ? v.nextBeyond(0) : 0)
                                       : (beyondOnly ? v.previousBeyond(v.size()) : v.size() - 1);
        if (at < v.size())
            byVerdict = Stop{at, v[at].row, false};
    }
    if (!result.options.alignment)
        return byVerdict;

    // One-sided rows stand at column 0 of their row, where no verdict can be.
    const auto& pairs = result.options.alignment->pairs;
    std::optional<Stop> byRow;
    auto consider = [&](std::uint64_t r, bool wrapped) {
        if (!byRow || (wrapped == byRow->wrapped && forward != (r > byRow->row)) || (!wrapped && byRow->wrapped))
            byRow = Stop{std::nullopt, r, wrapped};
    };
    for (std::uint64_t r = 0; r < pairs.size(); ++r) {
        if (pairs[r].paired())
            continue;
        const bool beyond = !from || (forward ? std::pair(r, std::uint64_t(0)) > *from : std::pair(r, std::uint64_t(0)) < *from);
        consider(r, !beyond);
    }
    if (!byRow)
        return byVerdict;
    if (!byVerdict)
        return byRow;
    // The nearer of the two: not wrapped before wrapped, then in the direction of travel.
    if (byRow->wrapped != byVerdict->wrapped)
        return byRow->wrapped ? byVerdict : byRow;
    const auto verdictAt = std::pair(byVerdict->row, v[*byVerdict->verdict].col);
    const auto rowAt = std::pair(byRow->row, std::uint64_t(0));
    return (forward ? rowAt < verdictAt : rowAt > verdictAt) ? byRow : byVerdict;
}

std::vector<std::optional<Verdict>> WorstPerBand(const CompareResult& result, std::size_t bands, bool beyondOnly)
{
    std::vector<std::optional<Verdict>> worst(bands);
    std::vector<double> severity(bands);
    const std::uint64_t rows = result.comparedRows;
    if (bands == 0 || rows == 0)
        return worst;
    const auto bandOf = [&](std::uint64_t row) { return std::size_t(std::min<std::uint64_t>(bands - 1, row * bands / rows)); };
    const auto take = [&](std::size_t band, const Verdict& verdict) {
        const double s = Severity(verdict);
        if (!worst[band] || s < severity[band]) {
            worst[band] = verdict;
            severity[band] = s;
        }
    };
    // A block within one band gives its worst; one across bands gives the worst of each part. A
    // worst is "S" only when all of it is.
    result.verdicts.forEachBlock([&](const VerdictList::Block& block) {
        const Verdict blockWorst = block.worst();
        if (beyondOnly && !BeyondTolerance(blockWorst))
            return;
        if (const std::size_t band = bandOf(block.firstRow()); band == bandOf(block.lastRow())) {
            take(band, blockWorst);
            return;
        }
        std::size_t from = 0, partBand = bandOf(block.firstRow());
        const auto part = [&](std::size_t end) {
            const Verdict partWorst = block.at(block.worstIn(from, end));
            if (!beyondOnly || BeyondTolerance(partWorst))
                take(partBand, partWorst);
        };
        block.forEachPosition([&](std::size_t i, const Verdict& at) {
            if (const std::size_t band = bandOf(at.row); band != partBand) {
                part(i);
                from = i;
                partBand = band;
            }
        });
        part(block.count());
    });
    return worst;
}

RowSet RowsWithDifferences(const CompareResult& result, bool beyondOnly)
{
    RowSet rows = result.verdicts.rows(beyondOnly);
    if (const auto* alignment = result.options.alignment.get()) {
        RowSet oneSided;
        for (std::uint64_t r = 0; r < alignment->pairs.size(); ++r)
            if (!alignment->pairs[r].paired())
                oneSided.add(r, 1);
        rows = RowSet::Union(rows, oneSided);
    }
    return rows;
}

WorstWalk::WorstWalk(const CompareResult& result, bool beyondOnly) : result_(&result), beyondOnly_(beyondOnly) {}

namespace {

// For a heap whose top is the least key.
constexpr auto Later = [](const auto& a, const auto& b) { return b.key < a.key; };

} // namespace

WorstWalk::Key WorstWalk::keyOf(std::uint32_t block, std::uint32_t at) const
{
    const VerdictList::Block& b = blocks_[block];
    const std::size_t offset = order_[block][at];
    return {Severity(b.at(offset)), b.firstIndex() + offset};
}

void WorstWalk::begin()
{
    if (!started_) {
        result_->verdicts.forEachBlock([&](const VerdictList::Block& block) {
            if (!beyondOnly_ || BeyondTolerance(block.worst())) // speed only: a block whose worst is "S" holds only "S"
                blocks_.push_back(block);
        });
        order_.resize(blocks_.size());
        started_ = true;
    }
    // Every block by its worst, which comes first in its order.
    heap_.clear();
    for (std::uint32_t b = 0; b < blocks_.size(); ++b)
        heap_.push_back({Key{Severity(blocks_[b].worst()), blocks_[b].worstIndex()}, b, 0});
    std::make_heap(heap_.begin(), heap_.end(), Later);
}

std::optional<Step> WorstWalk::next()
{
    bool wrapped = false;
    if (!started_ || heap_.empty()) {
        wrapped = started_;
        begin();
        if (heap_.empty())
            return std::nullopt;
    }
    std::pop_heap(heap_.begin(), heap_.end(), Later);
    Cursor cursor = heap_.back();
    heap_.pop_back();
    const VerdictList::Block& block = blocks_[cursor.block];
    std::vector<std::uint16_t>& order = order_[cursor.block];
    if (order.empty()) {
        // The block's order, its worst first: it comes to be asked for only once its worst is
        // the worst left.
        order.resize(block.count());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = std::uint16_t(i);
        std::vector<double> severity(block.count());
        block.forEach([&](std::size_t index, const Verdict& verdict) { severity[index - block.firstIndex()] = Severity(verdict); });
        std::stable_sort(order.begin(), order.end(), [&](std::uint16_t a, std::uint16_t b) { return severity[a] < severity[b]; });
    }
    const Step step{cursor.key.second, wrapped};
    if (++cursor.at < order.size() && (!beyondOnly_ || BeyondTolerance(block.at(order[cursor.at])))) {
        cursor.key = keyOf(cursor.block, cursor.at);
        heap_.push_back(cursor);
        std::push_heap(heap_.begin(), heap_.end(), Later);
    }
    return step;
}

} // namespace tallir
