#include "Navigation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tallir {

double Severity(const Verdict& v)
{
    switch (v.kind) {
    case VerdictKind::Text:
        return -std::numeric_limits<double>::infinity();
    case VerdictKind::Same:
        return std::numeric_limits<double>::infinity();
    case VerdictKind::Digits:
        break;
    }
    return std::isnan(v.agreement) ? -std::numeric_limits<double>::max() : v.agreement;
}

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
    return at < v.size() && v[at].row == row;
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
    const Verdict found = v[at];
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
    const std::uint64_t rows = result.comparedRows;
    if (bands == 0 || rows == 0)
        return worst;
    // Verdicts come in row order: the band moves on when a row reaches the next band's first,
    // the smallest r with r * bands >= (band + 1) * rows, which spares a division per verdict.
    std::size_t band = 0;
    const auto firstRowOf = [&](std::size_t b) { return (std::uint64_t(b) * rows + bands - 1) / bands; };
    std::uint64_t next = firstRowOf(1);
    double severity = 0;
    result.verdicts.forEach([&](const Verdict& verdict) {
        if (beyondOnly && !BeyondTolerance(verdict))
            return;
        if (verdict.row >= next) {
            band = std::size_t(std::min<std::uint64_t>(bands - 1, verdict.row * bands / rows));
            next = band + 1 < bands ? firstRowOf(band + 1) : ~std::uint64_t(0);
        }
        const double s = Severity(verdict);
        if (!worst[band] || s < severity) {
            worst[band] = verdict;
            severity = s;
        }
    });
    return worst;
}

std::vector<std::uint64_t> RowsWithDifferences(const CompareResult& result, bool beyondOnly)
{
    std::vector<std::uint64_t> rows = result.verdicts.rows(beyondOnly);
    if (const auto* alignment = result.options.alignment.get()) {
        const std::size_t verdictRows = rows.size();
        for (std::uint64_t r = 0; r < alignment->pairs.size(); ++r)
            if (!alignment->pairs[r].paired())
                rows.push_back(r);
        std::inplace_merge(rows.begin(), rows.begin() + std::ptrdiff_t(verdictRows), rows.end());
    }
    return rows;
}

WorstWalk::WorstWalk(const CompareResult& result, bool beyondOnly) : result_(&result), beyondOnly_(beyondOnly) {}

void WorstWalk::refill()
{
    constexpr std::size_t BatchSize = 4096;
    batch_.clear();
    at_ = 0;
    // The BatchSize smallest keys after the last one, kept in a heap whose top is the largest.
    std::size_t index = 0;
    for (const Verdict verdict : result_->verdicts) {
        const Key key{Severity(verdict), index++};
        if ((beyondOnly_ && !BeyondTolerance(verdict)) || (last_ && !(*last_ < key)))
            continue;
        if (batch_.size() < BatchSize) {
            batch_.push_back(key);
            std::push_heap(batch_.begin(), batch_.end());
        } else if (key < batch_.front()) {
            std::pop_heap(batch_.begin(), batch_.end());
            batch_.back() = key;
            std::push_heap(batch_.begin(), batch_.end());
        }
    }
    std::sort_heap(batch_.begin(), batch_.end());
}

std::optional<Step> WorstWalk::next()
{
    bool wrapped = false;
    if (at_ == batch_.size()) {
        refill();
        if (batch_.empty() && last_) {
            last_.reset();
            refill();
            wrapped = true;
        }
        if (batch_.empty())
            return std::nullopt;
    }
    last_ = batch_[at_++];
    return Step{last_->second, wrapped};
}

} // namespace tallir
