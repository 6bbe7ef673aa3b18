#pragma once
// Rows paired by key where the keys keep no order, beyond memory. The key cells of both tables
// are sorted on disk and merged, which pairs each row of File 1 with the next unused row of
// File 2 with the same key, as pairing the tables held whole does; the pairs keep File 1's
// order, each row of File 2 without a partner just before the first pair after it. What stays
// in memory is each row's partner, four bytes a row of either table. File 2's paired rows are
// then sorted into the order of their partners, so that both tables are compared in step.

#include "ExternalSort.h"
#include "StreamKeys.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tallir {

class KeyPartners final : public StreamedPairs {
public:
    static constexpr std::uint32_t None = UINT32_MAX;
    // The most rows a table may have here.
    static constexpr std::uint64_t MaxRows = None;

    KeyPartners(std::uint64_t rows1, std::uint64_t rows2);
    void pair(std::uint64_t row1, std::uint64_t row2);
    // Once every pair is known.
    void finish();
    // Where each holder knows some of the pairs: across makes each array of partners the same
    // everywhere, the smallest of the holders' elements in each place (None is the largest).
    // Then finished.
    void combine(const std::function<void(std::vector<std::uint32_t>&)>& across);

    RowPair paired(std::uint64_t k) const override;
    std::uint64_t pairedCount() const override { return paired_; }
    std::uint64_t onlyIn1() const override { return partner1_.size() - paired_; }
    std::uint64_t onlyIn2() const override { return partner2_.size() - paired_; }
    void oneSidedUpTo(std::uint64_t k, const OneSided& each) override { walk_.upTo(*this, k, each); }
    // Rows past the tables' ends (a file that grew since) have none.
    bool partnered1(std::uint64_t row) const { return row < partner1_.size() && partner1_[row] != None; }
    // File 1's row paired with a row of File 2, or None.
    std::uint32_t partner2(std::uint64_t row) const { return row < partner2_.size() ? partner2_[row] : None; }

    // A walk through the pairs in order, giving the rows of one file only.
    class Walk {
    public:
        void upTo(const KeyPartners& partners, std::uint64_t k, const OneSided& each);

    private:
        friend class KeyPartners;
        std::uint64_t row1_ = 0, pending2_ = 0, given_ = 0; // given_: paired pairs passed
        std::uint64_t end1_ = UINT64_MAX; // File 1's rows walked end here
        bool rest_ = true;                // past the last pair, File 2's rows left are given
    };
    // The part of the walk through File 1's rows [from, to): rows of File 2 without a partner
    // before its pairs, and (with rest) those after the last pair.
    Walk walkFrom(std::uint64_t from, std::uint64_t to, bool rest) const;

private:
    // Every so many paired pairs, File 1's row of one: where paired(k) starts looking.
    static constexpr std::uint64_t Step = 256;
    std::vector<std::uint32_t> partner1_, partner2_;
    std::vector<std::uint32_t> steps_;
    std::uint64_t paired_ = 0;
    Walk walk_;
};

struct ShuffledKeys : KeyReading {
    std::unique_ptr<KeyPartners> partners; // none when a table has more than MaxRows rows
    RepeatedKeys repeated1, repeated2;
};

// Reads both streams to their ends and pairs their rows by the key columns (numbers by value,
// other texts by text), sorting in at most about memory bytes; with oneSided, the rows in one
// file only are kept with their keys.
ShuffledKeys PairShuffledKeys(RowStream& file1, RowStream& file2, const std::vector<std::uint64_t>& keys1,
                              const std::vector<std::uint64_t>& keys2, bool oneSided, std::size_t memory);

// Pairs the rows of two tables whose key records come sorted by key, then row: each row of
// File 1 with the next unused row of File 2 with the same key. Repeated keys are noted, and
// each record without a partner is handed to oneSided (when given).
void MatchSortedKeys(ExternalSort& sort1, ExternalSort& sort2, RepeatedKeys& repeated1, RepeatedKeys& repeated2,
                     const std::function<void(std::uint64_t row1, std::uint64_t row2)>& pair,
                     const std::function<void(bool file1, std::string_view record)>& oneSided);
// The rows in one file only in the order of the pairs, from their key records sorted by row.
std::unique_ptr<OneSidedRows> OneSidedInPairOrder(const KeyPartners& partners, ExternalSort& only1, ExternalSort& only2);

// File 2's paired rows in the order of their partners in File 1: file2 is read to its end (its
// endFailure tells how that went) and the rows come back through the stream returned.
std::unique_ptr<RowStream> InPartnerOrder(RowStream& file2, const KeyPartners& partners, std::size_t memory);
// The pieces of it: a row as sorted (its partner's row, then its cells), the sort, and the rows
// read back from it.
void AppendPartnerRow(std::string& record, std::uint64_t partner, const RowBatch& batch, std::size_t r);
std::shared_ptr<ExternalSort> SortByPartners(std::size_t memory);
std::unique_ptr<RowStream> RowsInPartnerOrder(std::shared_ptr<ExternalSort> sort);

} // namespace tallir
