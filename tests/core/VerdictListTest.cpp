#include "RowList.h"
#include "core/Navigation.h"
#include "core/VerdictList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

using tallir::Verdict;
using tallir::VerdictKind;
using tallir::VerdictList;

namespace {

bool Before(const Verdict& a, const Verdict& b)
{
    return a.row < b.row || (a.row == b.row && a.col < b.col);
}

void ExpectSame(const Verdict& got, const Verdict& want, std::size_t index)
{
    EXPECT_EQ(std::tuple(got.row, got.col, got.agreement, got.kind), std::tuple(want.row, want.col, want.agreement, want.kind)) << index;
}

// Verdicts in reading order: dense runs, rows far apart, columns past any chunk's reach. With
// sameRuns, stretches longer than a chunk hold "S" verdicts only; with everyRow, each row holds
// one or more; with everyCell, stretches longer than a chunk lie at most cells.
std::vector<Verdict> Sample(std::uint64_t cols, std::size_t count, unsigned seed, bool sameRuns = false, bool everyRow = false,
                            bool everyCell = false)
{
    std::mt19937_64 random(seed);
    std::vector<Verdict> verdicts;
    std::uint64_t row = 0, col = 0;
    while (verdicts.size() < count) {
        const auto step = random() % 100;
        if (everyCell && verdicts.size() / 70'000 % 2 == 1 && !verdicts.empty()) {
            for (auto cells = step < 25 ? 2 : 1; cells > 0; --cells) { // most cells, some skipped
                row += col + 1 == cols;
                col = (col + 1) % cols;
            }
        } else if (step < 70 && col + 1 < cols) {
            col += 1 + random() % std::min<std::uint64_t>(3, cols - col - 1);
        } else {
            row += step < 95 || everyRow ? 1 : 1 + random() % 5'000'000'000ULL;
            col = random() % cols;
        }
        const auto kind = sameRuns && verdicts.size() / 40'000 % 2 == 0 ? VerdictKind::Same : VerdictKind(random() % 3);
        // Agreements from below -2 digits to past the 19 that two doubles can tell apart.
        verdicts.push_back({row, col, kind == VerdictKind::Text ? 0 : double(random() % 2600) / 100 - 3, kind});
    }
    return verdicts;
}

// The agreements of the verdicts a list keeps by kind only, looked up where the sample put them.
class SampleAgreements final : public tallir::AgreementSource {
public:
    explicit SampleAgreements(const std::vector<Verdict>& verdicts)
    {
        for (const Verdict& v : verdicts)
            agreements_[{v.row, v.col}] = v.agreement;
    }
    double agreement(std::uint64_t row, std::uint64_t col) const override { return agreements_.at({row, col}); }

private:
    std::map<std::pair<std::uint64_t, std::uint64_t>, double> agreements_;
};

} // namespace

TEST(VerdictList, HoldsFindsAndWalksVerdictsOfAnyShape)
{
    struct Case {
        std::uint64_t hint; // the width the list is told, 0 for none
        std::uint64_t cols; // the widest the verdicts reach
        std::size_t count;
        unsigned bands; // lists made apart and joined
        bool sameRuns = false;
        bool everyRow = false;
        bool everyCell = false; // and kept by cell where most cells differ, agreements looked up
    };
    const Case cases[] = {
        {8, 8, 100'000, 1}, {8, 8, 100'000, 3},
        {0, 300'000, 50'000, 2},         // wider than an unknown width's bits
        {1ULL << 40, 1ULL << 40, 20'000, 1}, // wider than any chunk's bits
        {1, 1, 70'000, 2}, {8, 8, 0, 2}, {8, 8, 170'000, 2, true}, {0, 300'000, 90'000, 1, true},
        {8, 8, 200'000, 3, true, true}, {8, 8, 100'000, 1, false, true}, {8, 8, 3'000, 2},
        {8, 8, 300'000, 3, false, true, true}, {5, 5, 150'000, 1, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cols " << c.cols << " bands " << c.bands << " every cell " << c.everyCell);
        const auto want = Sample(c.cols, c.count, unsigned(c.cols + c.bands), c.sameRuns, c.everyRow, c.everyCell);
        const auto source = c.everyCell ? std::make_shared<SampleAgreements>(want) : nullptr;
        VerdictList list(c.hint, source);
        for (unsigned b = 0; b < c.bands; ++b) {
            VerdictList band(c.hint, source);
            for (std::size_t i = want.size() * b / c.bands; i < want.size() * (b + 1) / c.bands; ++i)
                band.push_back(want[i]);
            list.append(std::move(band));
        }
        ASSERT_EQ(list.size(), want.size());
        list.shrink();
        EXPECT_EQ(list.keepsKindsOnly(), c.everyCell);
        std::size_t i = 0;
        for (const Verdict v : list)
            ExpectSame(v, want[i], i), ++i;
        EXPECT_EQ(i, want.size());
        i = want.size();
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            --i, ExpectSame(*it, want[i], i);
        std::mt19937 random(7);
        for (int probe = 0; probe < 2000 && !want.empty(); ++probe) {
            const std::size_t at = random() % want.size();
            ExpectSame(list[at], want[at], at);
            ExpectSame(*(list.begin() + std::ptrdiff_t(at)), want[at], at);
            // Each cell, and the places just before and after it.
            for (const Verdict& key : {want[at], Verdict{want[at].row, want[at].col + 1, 0, {}},
                                        Verdict{want[at].row + 1, 0, 0, {}}, Verdict{want[at].row, 0, 0, {}}}) {
                const auto expected = std::lower_bound(want.begin(), want.end(), key, Before) - want.begin();
                ASSERT_EQ(list.lowerBound(key.row, key.col), std::size_t(expected)) << key.row << " " << key.col;
            }
        }
        std::vector<std::uint64_t> rows;
        for (const Verdict& v : want)
            if (rows.empty() || rows.back() != v.row)
                rows.push_back(v.row);
        EXPECT_EQ(RowList(list.rows()), rows);

        // Those beyond the tolerance (every kind but "S"), against a plain walk.
        std::vector<std::size_t> beyond;
        std::vector<std::uint64_t> beyondRows;
        for (std::size_t k = 0; k < want.size(); ++k)
            if (want[k].kind != VerdictKind::Same) {
                beyond.push_back(k);
                if (beyondRows.empty() || beyondRows.back() != want[k].row)
                    beyondRows.push_back(want[k].row);
            }
        EXPECT_EQ(std::tuple(list.beyondCount(), RowList(list.rows(true))), std::tuple(beyond.size(), beyondRows));
        std::vector<std::size_t> probes = {0, want.size(), want.size() + 1};
        for (int probe = 0; probe < 3000 && !want.empty(); ++probe)
            probes.push_back(random() % want.size());
        for (const std::size_t k : beyond) // on them and next to them
            if (k % 97 == 0)
                probes.insert(probes.end(), {k, k + 1});
        for (const std::size_t at : probes) {
            const auto next = std::lower_bound(beyond.begin(), beyond.end(), at);
            ASSERT_EQ(list.nextBeyond(at), next == beyond.end() ? want.size() : *next) << at;
            ASSERT_EQ(list.beyondBefore(at), std::size_t(next - beyond.begin())) << at;
            ASSERT_EQ(list.previousBeyond(at), next == beyond.begin() ? want.size() : *(next - 1)) << at;
        }
        EXPECT_EQ(std::tuple(list.lowerBound(0, 0), list.lowerBound(UINT64_MAX, 0)), std::tuple(0u, list.size()));

        // The first of the worst of any part of a block, against a plain walk: "D" first, then by
        // agreement, "S" last.
        const auto rank = [](const Verdict& v) { return v.kind == VerdictKind::Text ? -1e300 : v.kind == VerdictKind::Same ? 1e300 : v.agreement; };
        std::size_t blockCount = 0;
        list.forEachBlock([&](const VerdictList::Block& block) {
            if (blockCount++ % 7 != 0)
                return;
            const std::size_t from = random() % block.count(), end = from + 1 + random() % (block.count() - from);
            std::size_t worst = from;
            for (std::size_t k = from; k < end; ++k)
                if (rank(want[block.firstIndex() + k]) < rank(want[block.firstIndex() + worst]))
                    worst = k;
            ASSERT_EQ(block.worstIn(from, end), worst) << block.firstIndex() << " " << from << " " << end;
        });

        // The worst of each band of rows and the worst-first walk, against a plain walk and a sort
        // (ties in reading order).
        tallir::CompareResult result;
        result.verdicts = list;
        result.comparedRows = want.empty() ? 0 : want.back().row + 1;
        for (const bool beyondOnly : {false, true}) {
            for (const std::size_t bands : {1u, 777u}) {
                std::vector<std::optional<Verdict>> worst(bands);
                for (const Verdict& v : want)
                    if (auto& band = worst[std::min<std::uint64_t>(bands - 1, v.row * bands / result.comparedRows)];
                        (!beyondOnly || v.kind != VerdictKind::Same) && (!band || rank(v) < rank(*band)))
                        band = v;
                const auto got = tallir::WorstPerBand(result, bands, beyondOnly);
                for (std::size_t b = 0; b < bands; ++b) {
                    ASSERT_EQ(got[b].has_value(), worst[b].has_value()) << b;
                    if (worst[b]) {
                        ASSERT_EQ(std::pair(got[b]->row, got[b]->col), std::pair(worst[b]->row, worst[b]->col)) << bands << " bands, band " << b;
                    }
                }
            }
            std::vector<std::size_t> order;
            for (std::size_t k = 0; k < want.size(); ++k)
                if (!beyondOnly || want[k].kind != VerdictKind::Same)
                    order.push_back(k);
            std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank(want[a]) < rank(want[b]); });
            // Round and round: the worst again after the last, said to have wrapped (twice round
            // where there are few).
            tallir::WorstWalk walk(result, beyondOnly);
            for (std::size_t k = 0; k < (order.size() < 9000 ? 2 * order.size() + 1 : 9000); ++k) {
                const auto step = walk.next();
                ASSERT_EQ(step.has_value(), !order.empty());
                if (step)
                    ASSERT_EQ(std::pair(step->index, step->wrapped), std::pair(order[k % order.size()], k > 0 && k % order.size() == 0)) << k;
            }
        }
    }
}

TEST(RowSet, RunsAnswerAsTheRowsTheyHold)
{
    std::mt19937_64 random(5);
    const auto make = [&](std::vector<bool>& held) {
        tallir::RowSet set;
        std::uint64_t first = 0;
        for (int run = 0; run < 300; ++run) {
            first += random() % 4 == 0 ? random() % 3 : random() % 40; // the same start, overlapping, touching or apart
            const std::uint64_t count = random() % 6;
            set.add(first, count);
            for (std::uint64_t r = first; r < first + count; ++r)
                held.resize(std::max<std::size_t>(held.size(), r + 1)), held[r] = true;
        }
        return set;
    };
    std::vector<bool> heldA, heldB;
    const tallir::RowSet a = make(heldA), b = make(heldB);
    const tallir::RowSet both = tallir::RowSet::Union(a, b);
    heldA.resize(std::max(heldA.size(), heldB.size()) + 2), heldB.resize(heldA.size());
    std::vector<bool> heldBoth(heldA.size());
    for (std::size_t r = 0; r < heldA.size(); ++r)
        heldBoth[r] = heldA[r] || heldB[r];
    for (const auto& [set, held] : {std::pair{&a, &heldA}, {&b, &heldB}, {&both, &heldBoth}}) {
        std::vector<std::uint64_t> rows;
        for (std::uint64_t r = 0; r < held->size(); ++r) {
            ASSERT_EQ(set->rank(r), rows.size()) << r;
            ASSERT_EQ(set->contains(r), (*held)[r]) << r;
            if ((*held)[r])
                rows.push_back(r);
        }
        ASSERT_EQ(RowList(*set), rows);
    }
    EXPECT_TRUE(tallir::RowSet().empty());
    EXPECT_EQ(tallir::RowSet().rank(7), 0u);
}
