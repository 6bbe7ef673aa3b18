#include "core/VerdictList.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(got.row, want.row) << index;
    EXPECT_EQ(got.col, want.col) << index;
    EXPECT_EQ(got.agreement, want.agreement) << index;
    EXPECT_EQ(got.kind, want.kind) << index;
}

// Verdicts in reading order: dense runs, rows far apart, columns past any chunk's reach. With
// sameRuns, stretches longer than a chunk hold "S" verdicts only.
std::vector<Verdict> Sample(std::uint64_t cols, std::size_t count, unsigned seed, bool sameRuns = false)
{
    std::mt19937_64 random(seed);
    std::vector<Verdict> verdicts;
    std::uint64_t row = 0, col = 0;
    while (verdicts.size() < count) {
        const auto step = random() % 100;
        if (step < 70 && col + 1 < cols) {
            col += 1 + random() % std::min<std::uint64_t>(3, cols - col - 1);
        } else {
            row += step < 95 ? 1 : 1 + random() % 5'000'000'000ULL;
            col = random() % cols;
        }
        const auto kind = sameRuns && verdicts.size() / 40'000 % 2 == 0 ? VerdictKind::Same : VerdictKind(random() % 3);
        verdicts.push_back({row, col, kind == VerdictKind::Text ? 0 : double(random() % 2000) / 100 - 3, kind});
    }
    return verdicts;
}

} // namespace

TEST(VerdictList, HoldsFindsAndWalksVerdictsOfAnyShape)
{
    struct Case {
        std::uint64_t hint; // the width the list is told, 0 for none
        std::uint64_t cols; // the widest the verdicts reach
        std::size_t count;
        unsigned bands; // lists made apart and joined
        bool sameRuns = false;
    };
    const Case cases[] = {
        {8, 8, 100'000, 1},
        {8, 8, 100'000, 3},
        {0, 300'000, 50'000, 2},         // wider than an unknown width's bits
        {1ULL << 40, 1ULL << 40, 20'000, 1}, // wider than any chunk's bits
        {1, 1, 70'000, 2},
        {8, 8, 0, 2},
        {8, 8, 170'000, 2, true},
        {0, 300'000, 90'000, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cols " << c.cols << " bands " << c.bands);
        const auto want = Sample(c.cols, c.count, unsigned(c.cols + c.bands), c.sameRuns);
        VerdictList list(c.hint);
        for (unsigned b = 0; b < c.bands; ++b) {
            VerdictList band(c.hint);
            for (std::size_t i = want.size() * b / c.bands; i < want.size() * (b + 1) / c.bands; ++i)
                band.push_back(want[i]);
            list.append(std::move(band));
        }
        ASSERT_EQ(list.size(), want.size());
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
        EXPECT_EQ(list.rows(), rows);

        // Those beyond the tolerance (every kind but "S"), against a plain walk.
        std::vector<std::size_t> beyond;
        std::vector<std::uint64_t> beyondRows;
        for (std::size_t k = 0; k < want.size(); ++k)
            if (want[k].kind != VerdictKind::Same) {
                beyond.push_back(k);
                if (beyondRows.empty() || beyondRows.back() != want[k].row)
                    beyondRows.push_back(want[k].row);
            }
        EXPECT_EQ(list.beyondCount(), beyond.size());
        EXPECT_EQ(list.rows(true), beyondRows);
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
        EXPECT_EQ(list.lowerBound(0, 0), 0u);
        EXPECT_EQ(list.lowerBound(UINT64_MAX, 0), list.size());
    }
}
