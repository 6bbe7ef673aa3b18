#include "RowAlignment.h"

#include "KeyMerge.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <functional>
#include <string_view>
#include <unordered_map>

namespace tallir {

void RepeatedKeys::add(std::uint64_t row)
{
    ++count;
    // The first few in the file's order: the smallest rows kept, in order.
    rows.insert(std::upper_bound(rows.begin(), rows.end(), row), row);
    if (rows.size() > RepeatedRowsListed)
        rows.pop_back();
}

namespace {

// Thrown out of a pairing when it is cancelled; caught where the pairing began.
struct Stopped {};

void StopIfCancelled(const std::atomic<bool>* cancel)
{
    if (cancel && cancel->load(std::memory_order_relaxed))
        throw Stopped{};
}

RowAlignment Cancelled()
{
    RowAlignment alignment;
    alignment.cancelled = true;
    return alignment;
}

// The key cells of every row, width to a row.
struct Keys {
    std::vector<KeyCell> cells;
    std::size_t width;

    Keys(const Table& table, const std::vector<std::uint64_t>& columns, const std::atomic<bool>* cancel) : width(columns.size())
    {
        cells.reserve(table.rowCount() * width);
        for (std::size_t r = 0; r < table.rowCount(); ++r) {
            if (r % 4096 == 0) // how often: speed only
                StopIfCancelled(cancel);
            for (const std::uint64_t c : columns)
                cells.push_back(KeyCell::Of(table.cell(r, std::size_t(c))));
        }
    }
    std::size_t rows() const { return width ? cells.size() / width : 0; }
    KeyRow row(std::size_t r) const { return KeyRow(cells.data() + r * width, width); }
    int compare(std::size_t row, const Keys& other, std::size_t otherRow) const { return CompareKeys(this->row(row), other.row(otherRow)); }
    std::optional<double> distance(std::size_t row, const Keys& other, std::size_t otherRow, double tolerance) const
    {
        return KeyDistance(this->row(row), other.row(otherRow), tolerance);
    }
    bool increasing() const
    {
        for (std::size_t r = 1; r < rows(); ++r)
            if (compare(r - 1, *this, r) >= 0)
                return false;
        return true;
    }
    // The rows as the merge walk asks for them.
    KeySource source(std::size_t rowCount) const
    {
        return [this, rowCount](std::uint64_t r) { return r < rowCount ? std::optional<KeyRow>(row(r)) : std::nullopt; };
    }
};

// The rows of a table in key order (equal keys in their order), and its repeated keys.
std::vector<std::uint64_t> SortedByKey(const Keys& keys, std::uint64_t rows, const std::atomic<bool>* cancel, RepeatedKeys& repeated)
{
    std::vector<std::uint64_t> sorted(rows);
    for (std::size_t j = 0; j < rows; ++j)
        sorted[j] = j;
    std::uint64_t comparisons = 0;
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::uint64_t a, std::uint64_t b) {
        if (++comparisons % 65536 == 0)
            StopIfCancelled(cancel);
        return keys.compare(a, keys, b) < 0;
    });
    for (std::size_t k = 1; k < sorted.size(); ++k)
        if (keys.compare(sorted[k - 1], keys, sorted[k]) == 0)
            repeated.add(sorted[k]);
    return sorted;
}

void Count(RowAlignment& alignment)
{
    for (const RowPair& pair : alignment.pairs) {
        alignment.onlyIn1 += pair.row2 == NoRow;
        alignment.onlyIn2 += pair.row1 == NoRow;
    }
}

} // namespace

RowAlignment AlignByKeys(const Table& file1, const Table& file2, const std::vector<std::uint64_t>& keyColumns)
{
    return AlignByKeys(file1, file2, keyColumns, keyColumns);
}

RowAlignment AlignByKeys(const Table& file1, const Table& file2, const std::vector<std::uint64_t>& keyColumns1,
                         const std::vector<std::uint64_t>& keyColumns2, const std::atomic<bool>* cancel, double keyTolerance)
try {
    const Keys keys1(file1, keyColumns1, cancel), keys2(file2, keyColumns2, cancel);
    const std::size_t rows1 = file1.rowCount(), rows2 = file2.rowCount();
    RowAlignment alignment;
    alignment.pairs.reserve(std::max(rows1, rows2));
    auto& pairs = alignment.pairs;

    if (keys1.increasing() && keys2.increasing()) {
        // Sorted keys, time steps and indices: one walk in step, no search.
        alignment.merged = true;
        MergeByKeys(keys1.source(rows1), keys2.source(rows2), keyTolerance, [&](RowPair pair) { pairs.push_back(pair); });
        Count(alignment);
        return alignment;
    }

    // File 2's rows by key, equal keys in their order; each File 1 row takes the next unused
    // row of its key. File 1's are sorted only to find its repeated keys.
    SortedByKey(keys1, rows1, cancel, alignment.repeated1);
    const std::vector<std::uint64_t> sorted = SortedByKey(keys2, rows2, cancel, alignment.repeated2);
    std::vector<std::uint64_t> next(rows2); // per run of equal keys, at its start: the next unused
    std::vector<std::uint64_t> partner1(rows1, NoRow);
    std::vector<bool> taken2(rows2, false);
    for (std::size_t i = 0; i < rows1; ++i) {
        if (i % 4096 == 0)
            StopIfCancelled(cancel);
        if (keyTolerance > 0) { // (with no key columns every row pairs in the walk above)
            // The rows of File 2 whose first key cell is in reach lie together in key order;
            // the nearest unused one of them whose other cells are in reach too.
            const KeyCell& lead = keys1.cells[i * keys1.width];
            const auto inReach = [&](std::uint64_t j, bool below) {
                const KeyCell& cell = keys2.cells[j * keys2.width];
                if (!lead.numeric || !cell.numeric)
                    return below ? cell < lead : !(lead < cell);
                return below ? cell.value < lead.value - keyTolerance : cell.value <= lead.value + keyTolerance;
            };
            const auto from = std::partition_point(sorted.begin(), sorted.end(), [&](std::uint64_t j) { return inReach(j, true); });
            const auto to = std::partition_point(from, sorted.end(), [&](std::uint64_t j) { return inReach(j, false); });
            std::optional<double> nearest;
            for (auto at = from; at != to; ++at) {
                const auto apart = taken2[*at] ? std::nullopt : keys1.distance(i, keys2, *at, keyTolerance);
                if (apart && (!nearest || *apart < *nearest || (*apart == *nearest && *at < partner1[i]))) {
                    nearest = apart;
                    partner1[i] = *at;
                }
            }
            if (nearest)
                taken2[partner1[i]] = true;
            continue;
        }
        const auto first = std::partition_point(sorted.begin(), sorted.end(),
                                                [&](std::uint64_t j) { return keys2.compare(j, keys1, i) < 0; });
        if (first == sorted.end())
            continue;
        const std::size_t start = std::size_t(first - sorted.begin());
        const std::size_t at = start + next[start];
        if (at < rows2 && keys2.compare(sorted[at], keys1, i) == 0) {
            partner1[i] = sorted[at];
            taken2[sorted[at]] = true;
            ++next[start];
        }
    }
    // File 1's order; the unpaired rows of File 2 before the pair that follows them there.
    std::size_t pending2 = 0;
    for (std::size_t i = 0; i < rows1; ++i) {
        const std::uint64_t j = partner1[i];
        if (j != NoRow && j >= pending2) {
            for (; pending2 < j; ++pending2)
                if (!taken2[pending2])
                    pairs.push_back({NoRow, pending2});
            pending2 = j + 1;
        }
        pairs.push_back({i, j});
    }
    // Every row of File 2 taken lies before pending2 now.
    for (; pending2 < rows2; ++pending2)
        pairs.push_back({NoRow, pending2});
    Count(alignment);
    return alignment;
} catch (const Stopped&) {
    return Cancelled();
}

namespace {

class IdenticalRows {
public:
    IdenticalRows(const Table& file1, const Table& file2, const std::atomic<bool>* cancel)
        : file1_(file1), file2_(file2), cancel_(cancel)
    {
        hashes1_ = Hashes(file1);
        hashes2_ = Hashes(file2);
    }

    RowAlignment align()
    {
        RowAlignment alignment;
        pairs_ = &alignment.pairs;
        pairs_->reserve(std::max(hashes1_.size(), hashes2_.size()));
        align(0, hashes1_.size(), 0, hashes2_.size(), 0);
        Count(alignment);
        return alignment;
    }

private:
    // Past this many cells of a dynamic-programming table, a stretch without unique identical
    // rows pairs by position.
    static constexpr std::size_t LcsCells = 4'000'000;
    static constexpr int MaxDepth = 64;

    std::vector<std::uint64_t> Hashes(const Table& table) const
    {
        std::vector<std::uint64_t> hashes(table.rowCount());
        for (std::size_t r = 0; r < hashes.size(); ++r) {
            if (r % 4096 == 0) // how often: speed only
                StopIfCancelled(cancel_);
            Table::RowCursor row(table, r);
            std::uint64_t hash = 1469598103934665603ULL ^ row.count();
            for (std::size_t c = 0; c < row.count(); ++c) {
                hash = (hash ^ std::hash<std::string_view>{}(row.cell(c))) * 1099511628211ULL;
                hash ^= hash >> 29;
            }
            hashes[r] = hash;
        }
        return hashes;
    }

    bool same(std::size_t i, std::size_t j) const
    {
        if (hashes1_[i] != hashes2_[j] || file1_.valueCount(i) != file2_.valueCount(j))
            return false;
        Table::RowCursor a(file1_, i), b(file2_, j);
        for (std::size_t c = 0; c < a.count(); ++c)
            if (a.cell(c) != b.cell(c))
                return false;
        return true;
    }

    void align(std::size_t a1, std::size_t b1, std::size_t a2, std::size_t b2, int depth)
    {
        StopIfCancelled(cancel_);
        while (a1 < b1 && a2 < b2 && same(a1, a2))
            pairs_->push_back({a1++, a2++});
        std::size_t tail = 0;
        while (b1 - tail > a1 && b2 - tail > a2 && same(b1 - tail - 1, b2 - tail - 1))
            ++tail;
        b1 -= tail;
        b2 -= tail;

        std::vector<RowPair> anchors;
        if (a1 < b1 && a2 < b2 && depth < MaxDepth) {
            anchors = uniqueAnchors(a1, b1, a2, b2);
            if (anchors.empty() && (b1 - a1) * (b2 - a2) <= LcsCells)
                anchors = commonAnchors(a1, b1, a2, b2);
        }
        std::size_t from1 = a1, from2 = a2;
        for (const RowPair& anchor : anchors) {
            align(from1, anchor.row1, from2, anchor.row2, depth + 1);
            pairs_->push_back(anchor);
            from1 = anchor.row1 + 1;
            from2 = anchor.row2 + 1;
        }
        if (anchors.empty())
            byPosition(a1, b1, a2, b2);
        else
            align(from1, b1, from2, b2, depth + 1);
        for (std::size_t k = 0; k < tail; ++k)
            pairs_->push_back({b1 + k, b2 + k});
    }

    void byPosition(std::size_t a1, std::size_t b1, std::size_t a2, std::size_t b2)
    {
        for (; a1 < b1 && a2 < b2; ++a1, ++a2)
            pairs_->push_back({a1, a2});
        for (; a1 < b1; ++a1)
            pairs_->push_back({a1, NoRow});
        for (; a2 < b2; ++a2)
            pairs_->push_back({NoRow, a2});
    }

    // Rows found once in each stretch, identical, in their longest run increasing in both.
    std::vector<RowPair> uniqueAnchors(std::size_t a1, std::size_t b1, std::size_t a2, std::size_t b2) const
    {
        struct Seen {
            std::uint32_t count1 = 0, count2 = 0;
            std::uint64_t row1 = 0, row2 = 0;
        };
        std::unordered_map<std::uint64_t, Seen> seen;
        seen.reserve((b1 - a1) + (b2 - a2));
        for (std::size_t i = a1; i < b1; ++i) {
            if (i % 4096 == 0)
                StopIfCancelled(cancel_);
            Seen& s = seen[hashes1_[i]];
            ++s.count1;
            s.row1 = i;
        }
        for (std::size_t j = a2; j < b2; ++j) {
            if (j % 4096 == 0)
                StopIfCancelled(cancel_);
            Seen& s = seen[hashes2_[j]];
            ++s.count2;
            s.row2 = j;
        }
        std::vector<RowPair> candidates;
        for (std::size_t i = a1; i < b1; ++i) {
            if (i % 4096 == 0)
                StopIfCancelled(cancel_);
            const Seen& s = seen[hashes1_[i]];
            if (s.count1 == 1 && s.count2 == 1 && same(i, s.row2))
                candidates.push_back({i, s.row2});
        }
        // The longest run increasing in File 2 (patience sorting, keeping each pile's link).
        std::vector<std::size_t> tops;                      // candidate index on top of each pile
        std::vector<std::size_t> below(candidates.size());  // the top of the previous pile when placed
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            const auto pile = std::partition_point(tops.begin(), tops.end(), [&](std::size_t t) {
                return candidates[t].row2 < candidates[k].row2;
            });
            below[k] = pile == tops.begin() ? SIZE_MAX : *(pile - 1);
            if (pile == tops.end())
                tops.push_back(k);
            else
                *pile = k;
        }
        std::vector<RowPair> anchors;
        for (std::size_t k = tops.empty() ? SIZE_MAX : tops.back(); k != SIZE_MAX; k = below[k])
            anchors.push_back(candidates[k]);
        std::reverse(anchors.begin(), anchors.end());
        return anchors;
    }

    // The longest common run of identical rows, for stretches small enough for the table.
    std::vector<RowPair> commonAnchors(std::size_t a1, std::size_t b1, std::size_t a2, std::size_t b2) const
    {
        const std::size_t n = b1 - a1, m = b2 - a2;
        std::vector<std::uint32_t> length((n + 1) * (m + 1), 0); // from (i, j) to the ends
        auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return length[i * (m + 1) + j]; };
        for (std::size_t i = n; i-- > 0;) {
            StopIfCancelled(cancel_);
            for (std::size_t j = m; j-- > 0;)
                at(i, j) = same(a1 + i, a2 + j) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        }
        std::vector<RowPair> anchors;
        for (std::size_t i = 0, j = 0; i < n && j < m;) {
            if (same(a1 + i, a2 + j) && at(i, j) == at(i + 1, j + 1) + 1) {
                anchors.push_back({a1 + i, a2 + j});
                ++i, ++j;
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ++i;
            } else {
                ++j;
            }
        }
        return anchors;
    }

    const Table& file1_;
    const Table& file2_;
    const std::atomic<bool>* cancel_;
    std::vector<std::uint64_t> hashes1_, hashes2_;
    std::vector<RowPair>* pairs_ = nullptr;
};

} // namespace

RowAlignment AlignByIdenticalRows(const Table& file1, const Table& file2, const std::atomic<bool>* cancel)
try {
    return IdenticalRows(file1, file2, cancel).align();
} catch (const Stopped&) {
    return Cancelled();
}

std::vector<std::string> RepeatWarnings(const RowAlignment* alignment, const std::vector<std::string>& names1,
                                        const std::vector<std::string>& names2, std::uint64_t lineOffset)
{
    std::vector<std::string> warnings;
    for (const int file : {1, 2}) {
        const RepeatedKeys* repeated = alignment ? (file == 1 ? &alignment->repeated1 : &alignment->repeated2) : nullptr;
        if (!repeated || repeated->count == 0)
            continue;
        std::string line = "repeated keys in File " + std::to_string(file) + ": " + std::to_string(repeated->count)
            + (repeated->count == 1 ? " row, line " : " rows, lines ");
        for (std::size_t k = 0; k < repeated->rows.size(); ++k)
            line += (k ? ", " : "") + std::to_string(repeated->rows[k] + 1 + lineOffset);
        warnings.push_back(line + (repeated->count > repeated->rows.size() ? ", …" : ""));
    }
    for (const int file : {1, 2}) {
        const auto& names = file == 1 ? names1 : names2;
        // Each repeated name once, in the order of its second appearance.
        std::vector<std::string> repeated;
        std::unordered_map<std::string_view, bool> listed; // every name seen: whether it is in repeated
        listed.reserve(names.size());
        for (const std::string& name : names) {
            if (name.empty())
                continue;
            const auto [seen, first] = listed.try_emplace(name, false);
            if (!first && !seen->second) {
                seen->second = true;
                repeated.push_back(name);
            }
        }
        if (repeated.empty())
            continue;
        std::string line = "repeated column names in File " + std::to_string(file) + ":";
        for (std::size_t k = 0; k < repeated.size(); ++k)
            line += (k ? ", " : " ") + repeated[k];
        warnings.push_back(line);
    }
    return warnings;
}

} // namespace tallir
