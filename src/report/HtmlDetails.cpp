#include "HtmlDetails.h"

#include "core/Navigation.h"

#include <algorithm>

namespace tallir {

namespace {
bool LessBad(const std::pair<std::pair<double, std::uint64_t>, ListedCell>& a,
             const std::pair<std::pair<double, std::uint64_t>, ListedCell>& b)
{
    return a.first < b.first;
}
} // namespace

HtmlDetails DetailsOf(const Report& report, std::size_t cellLimit)
{
    const CompareResult& result = report.result;
    HtmlDetails details{SummarizeColumns(result, report.table1, report.table2), HistogramOf(result), {},
                        report.all ? result.verdicts.size() : result.verdicts.beyondCount()};
    WorstWalk walk(result, !report.all);
    for (std::size_t listed = 0; listed < std::min<std::uint64_t>(cellLimit, details.listable); ++listed) {
        const Verdict verdict = result.verdicts[walk.next()->index];
        const CellFacts facts = FactsOf(report, verdict);
        details.worst.push_back({verdict, std::string(facts.text1), std::string(facts.text2), facts.absolute, facts.relative,
                                 report.keyColumns.empty() ? std::string() : KeyText(report.keys(true, report.rows(verdict.row).row1))});
    }
    return details;
}

void DetailsGatherer::add(const StreamedCell& cell, std::string keys)
{
    const Verdict& verdict = cell.verdict;
    if (verdict.col >= tallies_.size())
        tallies_.resize(verdict.col + 1);
    tallies_[verdict.col].add(verdict, cell.values);
    histogram_.add(verdict);
    if (!all_ && !BeyondTolerance(verdict))
        return;
    const std::pair<double, std::uint64_t> key{Severity(verdict), listable_++};
    if (worst_.size() == limit_ && (limit_ == 0 || !(key < worst_.front().first)))
        return;
    const bool numeric = verdict.kind != VerdictKind::Text;
    worst_.push_back({key, {verdict, std::string(cell.text1), std::string(cell.text2),
                            numeric ? std::optional<double>(cell.values.absolute) : std::nullopt,
                            numeric ? std::optional<double>(cell.values.relative) : std::nullopt, std::move(keys)}});
    std::push_heap(worst_.begin(), worst_.end(), LessBad);
    if (worst_.size() > limit_) {
        std::pop_heap(worst_.begin(), worst_.end(), LessBad);
        worst_.pop_back();
    }
}

std::vector<ListedCell> DetailsGatherer::takeWorst()
{
    std::sort_heap(worst_.begin(), worst_.end(), LessBad);
    std::vector<ListedCell> worst;
    for (auto& [key, cell] : worst_)
        worst.push_back(std::move(cell));
    worst_.clear();
    return worst;
}

} // namespace tallir
