#pragma once
// Rows paired by key while two tables are read, for keys that increase strictly in each: the
// pairs kept as runs (so the memory grows with the rows in one file only, not with the table),
// and the tables' row counts and widths. A key out of order in either file ends the walk: such
// tables are paired whole.

#include "KeyMerge.h"
#include "RowStream.h"
#include "Spool.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

// Rows paired by key as a streamed comparison reads them.
class StreamedPairs {
public:
    virtual ~StreamedPairs() = default;
    // The rows of the k-th paired pair (k counts paired pairs only).
    virtual RowPair paired(std::uint64_t k) const = 0;
    virtual std::uint64_t pairedCount() const = 0;
    virtual std::uint64_t onlyIn1() const = 0;
    virtual std::uint64_t onlyIn2() const = 0;
    // Each row of one file only that comes before the k-th paired pair and was not given yet,
    // for rising k; with k past the last, the rest.
    using OneSided = std::function<void(bool file1, std::uint64_t row)>;
    virtual void oneSidedUpTo(std::uint64_t k, const OneSided& each) = 0;
};

class PairRuns final : public StreamedPairs {
public:
    void add(RowPair pair);
    RowPair paired(std::uint64_t k) const override;
    std::uint64_t pairedCount() const override { return paired_; }
    std::uint64_t onlyIn1() const override { return only1_; }
    std::uint64_t onlyIn2() const override { return only2_; }
    void oneSidedUpTo(std::uint64_t k, const OneSided& each) override;

    // Walks the pairs in order: each row of one file only before the k-th paired pair, given
    // rising k, then (with k past the last) the rest.
    class Cursor {
    public:
        explicit Cursor(const PairRuns& runs) : runs_(runs) {}
        template <class OneSided>
        void upTo(std::uint64_t k, OneSided&& oneSided)
        {
            for (; run_ < runs_.runs_.size(); ++run_, at_ = 0) {
                const Run& run = runs_.runs_[run_];
                if (run.kind == Kind::Paired) {
                    if (run.paired + run.count > k)
                        return;
                    continue;
                }
                for (; at_ < run.count; ++at_)
                    oneSided(run.kind == Kind::Only1, (run.kind == Kind::Only1 ? run.row1 : run.row2) + at_);
            }
        }

    private:
        const PairRuns& runs_;
        std::size_t run_ = 0;
        std::uint64_t at_ = 0;
    };
    // Whether each row of a file, asked in rising order, has a partner.
    class Partnered {
    public:
        Partnered(const PairRuns& runs, bool file1) : runs_(runs), file1_(file1) {}
        bool operator()(std::uint64_t row);

    private:
        const PairRuns& runs_;
        bool file1_;
        std::size_t run_ = 0;
    };

private:
    enum class Kind : std::uint8_t { Paired, Only1, Only2 };
    struct Run {
        Kind kind;
        std::uint64_t row1, row2; // the first row of each file at the run (the next one for a file not in it)
        std::uint64_t paired;     // paired pairs before the run
        std::uint64_t count;
    };
    std::vector<Run> runs_;
    std::vector<std::size_t> pairedRuns_; // the runs of paired rows
    std::optional<Cursor> cursor_;         // of oneSidedUpTo
    std::uint64_t rows1_ = 0, rows2_ = 0, paired_ = 0, only1_ = 0, only2_ = 0;
};

// The rows in one file only with their keys, in the order of the pairs, spooled.
class OneSidedRows {
public:
    void add(bool file1, std::uint64_t row, KeyRow keys);
    // each(file1, row, keys) for every row in order; the keys are valid during the call.
    template <class Each>
    void forEach(Each&& each)
    {
        spool_.rewind();
        std::vector<std::string> keys;
        std::vector<std::string_view> views;
        for (std::uint64_t i = 0; i < count_; ++i) {
            Header header;
            spool_.take(&header, sizeof header);
            keys.resize(header.keys);
            views.clear();
            for (std::string& key : keys) {
                std::uint64_t length = 0;
                spool_.take(&length, sizeof length);
                key.resize(length);
                spool_.take(key.data(), length);
                views.push_back(key);
            }
            each(header.file1, header.row, views);
        }
    }

private:
    struct Header {
        std::uint64_t row;
        std::uint32_t keys;
        bool file1;
    };
    Spool spool_{"rows in one file only"};
    std::uint64_t count_ = 0;
};

// What reading both tables' keys found besides the pairs.
struct KeyReading {
    std::uint64_t rows1 = 0, rows2 = 0;
    std::uint64_t width1 = 0, width2 = 0; // values of each table's widest row
    ReadFailure failure1 = ReadFailure::None, failure2 = ReadFailure::None;
    std::unique_ptr<OneSidedRows> oneSided; // when asked for, in the order of the pairs
};

struct KeyedStreams : KeyReading {
    bool inOrder = true; // false: a key equal to or before the one above it, in either file
    PairRuns pairs;
};

// Reads both streams to their ends (or to the first key out of order); with oneSided, the rows
// in one file only are kept with their keys.
KeyedStreams MergeStreamsByKeys(RowStream& file1, RowStream& file2, const std::vector<std::uint64_t>& keys1,
                                const std::vector<std::uint64_t>& keys2, double tolerance, bool oneSided = false);

} // namespace tallir
