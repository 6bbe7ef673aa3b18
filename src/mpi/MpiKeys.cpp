#include "MpiKeys.h"

#include "Ranks.h"

#include "core/ExternalSort.h"
#include "core/KeyRecords.h"
#include "core/ShuffledKeys.h"
#include "core/TemporaryFile.h"
#include "locale/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

using tallir::ReadFailure;
using tallir::RowBatch;
using tallir::RowStream;

// What travels between processes: records, each after its length.
void AppendFrame(std::string& bytes, std::string_view record)
{
    const std::uint32_t length = std::uint32_t(record.size());
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes.append(record);
}

// The whole records in bytes, handed to each; what is left of a record cut short is returned.
template <class Each>
std::string_view EachFrame(std::string_view bytes, Each&& each)
{
    for (;;) {
        std::uint32_t length = 0;
        if (bytes.size() < sizeof length)
            return bytes;
        std::memcpy(&length, bytes.data(), sizeof length);
        if (bytes.size() < sizeof length + length)
            return bytes;
        each(bytes.substr(sizeof length, length));
        bytes.remove_prefix(sizeof length + length);
    }
}

// Records gathered at rank 0 from every process's file, in rank order.
template <class Each>
void GatherFrames(std::FILE* file, Each&& each)
{
    std::string pending;
    ranks::GatherFiles(file, [&](std::string_view piece) {
        pending += piece;
        pending.erase(0, pending.size() - EachFrame(pending, each).size());
    });
}

std::unique_ptr<RowStream> Open(const DiffOptions& options, const std::string& path, std::uint64_t begin, std::uint64_t end)
{
    return std::make_unique<RowStream>(path, begin, end - begin, tallir::TableFormat::Plain, options.maxLine);
}

// The rows of a stream one by one across calls: each(batch, r, row) until it declines a row
// (which is offered again at the next call) or the rows end. True while rows are left.
class RowFeed {
public:
    RowFeed(std::unique_ptr<RowStream> stream, std::uint64_t firstRow) : stream_(std::move(stream)), row_(firstRow) {}
    template <class Each>
    bool feed(Each&& each)
    {
        for (;;) {
            if (!batch_ || at_ == batch_->rows()) {
                if (batch_)
                    stream_->recycle(std::move(batch_));
                if (done_ || !(batch_ = stream_->next())) {
                    done_ = true;
                    return false;
                }
                at_ = 0;
            }
            if (!each(*batch_, at_, row_))
                return true;
            ++at_;
            ++row_;
        }
    }
    ReadFailure failure()
    {
        return stream_->openFailure() != ReadFailure::None ? stream_->openFailure() : done_ ? stream_->endFailure() : ReadFailure::None;
    }

private:
    std::unique_ptr<RowStream> stream_;
    std::unique_ptr<RowBatch> batch_;
    std::size_t at_ = 0;
    std::uint64_t row_;
    bool done_ = false;
};

// What this process sends in a round: each process's records, up to a limit of bytes in all (a
// sixteenth of the sorting memory, within what MPI takes).
class Outgoing {
public:
    explicit Outgoing(const DiffOptions& options)
        : bytes_(std::size_t(ranks::Count())), limit_(std::min(ranks::RoundBytes(), std::max<std::size_t>(options.sortMemory / 16, 64)))
    {
    }
    // A record for process to, unless the round is full (the first record always goes).
    bool add(std::size_t to, std::string_view record)
    {
        if (total_ > 0 && total_ + record.size() > limit_)
            return false;
        AppendFrame(bytes_[to], record);
        total_ += sizeof(std::uint32_t) + record.size();
        return true;
    }
    // Sent, and each record sent to this process handed to receive.
    void exchange(const std::function<void(std::string_view)>& receive)
    {
        ranks::Exchange(bytes_, [&](std::string_view bytes) { EachFrame(bytes, receive); });
        total_ = 0;
    }

private:
    std::vector<std::string> bytes_;
    std::size_t limit_, total_ = 0;
};

// Rounds of exchanges until every process has sent all: produce adds records to outgoing and
// says whether it has more; receive gets each record sent to this one.
void Rounds(const DiffOptions& options, const std::function<bool(Outgoing& outgoing)>& produce,
            const std::function<void(std::string_view)>& receive)
{
    Outgoing outgoing(options);
    for (bool more = true; more;) {
        const bool left = produce(outgoing);
        outgoing.exchange(receive);
        more = ranks::AnyOf(left);
    }
}

// The sum of the values of the processes before this one.
std::uint64_t SumOfEarlier(std::uint64_t value)
{
    const std::vector<std::uint64_t> all = ranks::AllGather(value);
    std::uint64_t sum = 0;
    for (std::size_t r = 0; r < std::size_t(ranks::Rank()); ++r)
        sum += all[r];
    return sum;
}

// Texts (any bytes) packed into one and back.
std::string Packed(const std::vector<std::string>& texts)
{
    std::string packed;
    for (const std::string& text : texts)
        AppendFrame(packed, text);
    return packed;
}
std::vector<std::string> Unpacked(std::string_view packed)
{
    std::vector<std::string> texts;
    EachFrame(packed, [&](std::string_view text) { texts.emplace_back(text); });
    return texts;
}

// What the first reading of a part found: whether its keys rise strictly, its first and last
// key records, its widest row, and how its reading ended.
struct Scan {
    bool inOrder = true;
    std::string first, last;
    std::uint64_t width = 0;
    ReadFailure failure = ReadFailure::None;
};

Scan ScanPart(const DiffOptions& options, const std::string& path, const Part& part, const std::vector<std::uint64_t>& keys,
              const std::function<void(std::string_view record)>& each)
{
    Scan scan;
    RowFeed feed(Open(options, path, part.begin, part.end), part.firstRow);
    std::string record;
    feed.feed([&](const RowBatch& batch, std::size_t r, std::uint64_t row) {
        record.clear();
        tallir::AppendKeyRecord(record, row, batch, r, keys);
        scan.width = std::max<std::uint64_t>(scan.width, batch.valueCount(r));
        if (scan.first.empty())
            scan.first = record;
        else if (tallir::CompareKeyRecords(scan.last, record) >= 0)
            scan.inOrder = false;
        if (each)
            each(record);
        scan.last.swap(record);
        return true;
    });
    scan.failure = feed.failure();
    return scan;
}

// Whether the parts, each in order, follow each other in order: their first and last keys in
// rank order.
bool PartsInOrder(const Scan& scan)
{
    std::string last;
    for (const std::string& packed : ranks::AllGatherTexts(Packed({scan.first, scan.last}))) {
        const std::vector<std::string> ends = Unpacked(packed);
        if (ends[0].empty())
            continue;
        if (!last.empty() && tallir::CompareKeyRecords(last, ends[0]) >= 0)
            return false;
        last = ends[1];
    }
    return true;
}

// The rows in one file only with their keys, in a temporary file until rank 0 gathers them: a
// record each, whether in File 1 then its key record. Trouble is said in errors.
class OneSidedSpool {
public:
    explicit OneSidedSpool(std::vector<std::string>& errors) : errors_(errors), file_(SpoolFile(errors)) {}
    ~OneSidedSpool()
    {
        if (file_)
            std::fclose(file_);
    }
    OneSidedSpool(const OneSidedSpool&) = delete;
    OneSidedSpool& operator=(const OneSidedSpool&) = delete;
    bool made() const { return file_ != nullptr; }
    void add(bool in1, std::string_view record)
    {
        const std::uint32_t length = std::uint32_t(1 + record.size());
        bytes_.append(reinterpret_cast<const char*>(&length), sizeof length).append(1, char(in1)).append(record);
        if (bytes_.size() > ranks::RoundBytes())
            write();
    }
    // Every process's records, in rank order, handed to each(in1, record) at rank 0.
    template <class Each>
    void gather(Each&& each)
    {
        write();
        if (std::fflush(file_) != 0 || std::ferror(file_))
            errors_.push_back("tallir-diff: the rows in one file only could not be written to a temporary file in " + tallir::TemporaryFolder()
                              + ": " + std::strerror(errno));
        GatherFrames(file_, [&](std::string_view frame) { each(frame[0] != 0, frame.substr(1)); });
    }

private:
    void write()
    {
        std::fwrite(bytes_.data(), 1, bytes_.size(), file_);
        bytes_.clear();
    }
    std::vector<std::string>& errors_;
    std::FILE* file_;
    std::string bytes_;
};

// Both files' keys in order: File 2 split where the keys of File 1's parts begin, each process
// pairing its part of File 1 with its part of File 2 in one merge walk.
void InOrder(KeyedShare& share, const DiffOptions& options, const tallir::RowRanges& ranges2, const Parts& parts,
             const std::vector<std::uint64_t>& keys1, const std::vector<std::uint64_t>& keys2, std::vector<std::uint64_t> segments,
             bool oneSided)
{
    const std::size_t count = std::size_t(ranks::Count()), rank = std::size_t(ranks::Rank());
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    ranks::AllSum(segments);
    std::vector<std::uint64_t> firstRows2(count + 1, 0), starts(count + 1, 0);
    for (std::size_t r = 0; r < count; ++r)
        firstRows2[r + 1] = firstRows2[r] + segments[r];
    // Where each part of File 2 begins: found by the process holding that row.
    const Part& held = parts.part2;
    bool failed = false;
    for (std::size_t r = 0; r < count; ++r)
        if (firstRows2[r] >= parts.rows2)
            starts[r] = ranges2.size();
        else if (firstRows2[r] >= held.firstRow && firstRows2[r] < held.firstRow + held.rows) {
            const auto start = ranges2.rowStartAfter(held.begin, held.end, firstRows2[r] - held.firstRow);
            failed = failed || !start;
            starts[r] = start.value_or(0);
        }
    ranks::AllMax(starts);
    starts[count] = ranges2.size();
    if (failed)
        share.errors.push_back("tallir-diff: " + path2 + " could not be read");

    const std::uint64_t first1 = parts.part1.firstRow, first2 = firstRows2[rank];
    auto stream1 = Open(options, path1, parts.part1.begin, parts.part1.end), stream2 = Open(options, path2, starts[rank], starts[rank + 1]);
    tallir::KeyedStreams keyed = tallir::MergeStreamsByKeys(*stream1, *stream2, keys1, keys2, 0, oneSided);
    share.failure1 = keyed.failure1;
    share.failure2 = keyed.failure2;
    if (!keyed.inOrder)
        share.errors.push_back("tallir-diff: " + path1 + " or " + path2 + " changed while it was read");
    auto runs = std::make_shared<tallir::PairRuns>(std::move(keyed.pairs));
    std::vector<std::uint64_t> counts{runs->pairedCount(), runs->onlyIn1(), runs->onlyIn2()};
    share.pairedBefore = SumOfEarlier(runs->pairedCount());
    ranks::AllSum(counts);
    share.pairedCount = counts[0];
    share.onlyIn1 = counts[1];
    share.onlyIn2 = counts[2];

    if (oneSided) {
        // The rows in one file only, each process's in turn, are in the order of the pairs.
        OneSidedSpool spool(share.errors);
        if (ranks::AnyOf(!spool.made()))
            return;
        std::string record;
        keyed.oneSided->forEach([&](bool in1, std::uint64_t row, const std::vector<std::string_view>& texts) {
            const std::uint64_t global = row + (in1 ? first1 : first2);
            record.assign(reinterpret_cast<const char*>(&global), sizeof global);
            for (const std::string_view text : texts)
                tallir::AppendKeyCell(record, tallir::KeyCell::Of(text));
            spool.add(in1, record);
        });
        if (ranks::Rank() == 0)
            share.oneSided = std::make_unique<tallir::OneSidedRows>();
        std::vector<tallir::KeyCell> cells;
        spool.gather([&](bool in1, std::string_view record) {
            cells.clear();
            for (tallir::KeyReader reader(record); !reader.done();)
                cells.push_back(reader.next());
            share.oneSided->add(in1, tallir::RowOf(record), cells);
        });
    }

    stream1 = Open(options, path1, parts.part1.begin, parts.part1.end);
    stream2 = Open(options, path2, starts[rank], starts[rank + 1]);
    stream1->keepOnly(tallir::PairRuns::Partnered(*runs, true));
    stream2->keepOnly(tallir::PairRuns::Partnered(*runs, false));
    share.stream1 = std::move(stream1);
    share.stream2 = std::move(stream2);
    share.paired = [runs, first1, first2](std::uint64_t k) {
        const tallir::RowPair pair = runs->paired(k);
        return tallir::RowPair{pair.row1 + first1, pair.row2 + first2};
    };
    share.oneSidedUpTo = [runs, first1, first2](std::uint64_t k, const tallir::StreamedPairs::OneSided& each) {
        runs->oneSidedUpTo(k, [&](bool in1, std::uint64_t row) { each(in1, row + (in1 ? first1 : first2)); });
    };
}

// Keys in any other order: paired where their hashes send them, the pairs then known everywhere.
void Shuffled(KeyedShare& share, const DiffOptions& options, const Parts& parts, const std::vector<std::uint64_t>& keys1,
              const std::vector<std::uint64_t>& keys2, bool oneSided)
{
    const std::size_t count = std::size_t(ranks::Count()), rank = std::size_t(ranks::Rank());
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    const std::uint64_t rows1 = parts.firstRows1.back(), rows2 = parts.rows2;
    if (rows1 > tallir::KeyPartners::MaxRows || rows2 > tallir::KeyPartners::MaxRows) {
        share.errors.push_back("tallir-diff-mpi: keys out of order in tables of more than " + std::to_string(tallir::KeyPartners::MaxRows)
                               + " rows are not paired by processes together: use tallir-diff");
        return;
    }
    const std::size_t memory = options.sortMemory;

    // Each row's keys to the process its keys' hash names, sorted there by key.
    tallir::ExternalSort sort1("keys of File 1", tallir::KeyThenRow, memory / 2, tallir::FirstKeyPrefix),
        sort2("keys of File 2", tallir::KeyThenRow, memory / 2, tallir::FirstKeyPrefix);
    {
        RowFeed feed1(Open(options, path1, parts.part1.begin, parts.part1.end), parts.part1.firstRow),
            feed2(Open(options, path2, parts.part2.begin, parts.part2.end), parts.part2.firstRow);
        std::string record;
        bool more1 = true;
        Rounds(
            options,
            [&](Outgoing& outgoing) {
                const auto send = [&](bool in1) {
                    return [&, in1](const RowBatch& batch, std::size_t r, std::uint64_t row) {
                        record.assign(1, char(in1));
                        tallir::AppendKeyRecord(record, row, batch, r, in1 ? keys1 : keys2);
                        return outgoing.add(tallir::KeyHash(std::string_view(record).substr(1)) % count, record);
                    };
                };
                if (more1 && (more1 = feed1.feed(send(true))))
                    return true;
                return feed2.feed(send(false));
            },
            [&](std::string_view frame) { (frame[0] ? sort1 : sort2).add(frame.substr(1)); });
        share.failure1 = feed1.failure();
        share.failure2 = feed2.failure();
    }
    if (ranks::AnyOf(share.failure1 != ReadFailure::None || share.failure2 != ReadFailure::None))
        return;

    auto partners = std::make_shared<tallir::KeyPartners>(rows1, rows2);
    std::optional<OneSidedSpool> spool;
    if (oneSided)
        spool.emplace(share.errors);
    if (ranks::AnyOf(!share.errors.empty()))
        return;
    tallir::MatchSortedKeys(
        sort1, sort2, share.repeated1, share.repeated2, [&](std::uint64_t row1, std::uint64_t row2) { partners->pair(row1, row2); },
        [&](bool in1, std::string_view record) {
            if (spool)
                spool->add(in1, record);
        });
    partners->combine([](std::vector<std::uint32_t>& each) { ranks::AllMin(each); });

    // The repeated keys of all, at rank 0: how many, and the first rows of each file.
    std::string repeats;
    for (const tallir::RepeatedKeys* repeated : {&share.repeated1, &share.repeated2}) {
        std::vector<std::uint64_t> numbers{repeated->count};
        numbers.insert(numbers.end(), repeated->rows.begin(), repeated->rows.end());
        AppendFrame(repeats, std::string_view(reinterpret_cast<const char*>(numbers.data()), numbers.size() * sizeof(std::uint64_t)));
    }
    const std::vector<std::string> allRepeats = ranks::GatherTexts(repeats);
    share.repeated1 = share.repeated2 = {};
    for (const std::string& packed : allRepeats) {
        const std::vector<std::string> files = Unpacked(packed);
        for (std::size_t f = 0; f < 2; ++f) {
            tallir::RepeatedKeys& repeated = f == 0 ? share.repeated1 : share.repeated2;
            std::vector<std::uint64_t> numbers(files[f].size() / sizeof(std::uint64_t));
            std::memcpy(numbers.data(), files[f].data(), files[f].size());
            const std::uint64_t before = repeated.count;
            for (std::size_t i = 1; i < numbers.size(); ++i)
                repeated.add(numbers[i]);
            repeated.count = before + numbers[0];
        }
    }

    if (spool) {
        std::optional<tallir::ExternalSort> only1, only2;
        if (rank == 0) {
            only1.emplace("rows in File 1 only", tallir::ByRow, memory / 4, tallir::RowOf);
            only2.emplace("rows in File 2 only", tallir::ByRow, memory / 4, tallir::RowOf);
        }
        spool->gather([&](bool in1, std::string_view record) { (in1 ? *only1 : *only2).add(record); });
        if (rank == 0)
            share.oneSided = tallir::OneSidedInPairOrder(*partners, *only1, *only2);
    }

    // File 2's paired rows to the processes holding their partners, sorted there into their order.
    auto sorted = tallir::SortByPartners(memory);
    {
        RowFeed feed2(Open(options, path2, parts.part2.begin, parts.part2.end), parts.part2.firstRow);
        std::string record;
        Rounds(
            options,
            [&](Outgoing& outgoing) {
                return feed2.feed([&](const RowBatch& batch, std::size_t r, std::uint64_t row) {
                    const std::uint32_t partner = partners->partner2(row);
                    if (partner == tallir::KeyPartners::None)
                        return true;
                    tallir::AppendPartnerRow(record, partner, batch, r);
                    const auto holder = std::upper_bound(parts.firstRows1.begin(), parts.firstRows1.end() - 1, std::uint64_t(partner));
                    return outgoing.add(std::size_t(holder - parts.firstRows1.begin()) - 1, record);
                });
            },
            [&](std::string_view frame) { sorted->add(frame); });
        share.failure2 = feed2.failure();
    }

    const std::uint64_t first1 = parts.part1.firstRow;
    std::uint64_t paired = 0;
    for (std::uint64_t row = first1; row < first1 + parts.part1.rows; ++row)
        paired += partners->partnered1(row);
    share.pairedBefore = SumOfEarlier(paired);
    share.pairedCount = partners->pairedCount();
    share.onlyIn1 = partners->onlyIn1();
    share.onlyIn2 = partners->onlyIn2();

    share.stream1 = Open(options, path1, parts.part1.begin, parts.part1.end);
    share.stream1->keepOnly([partners, first1](std::uint64_t row) { return partners->partnered1(row + first1); });
    share.stream2 = tallir::RowsInPartnerOrder(std::move(sorted));
    share.paired = [partners, before = share.pairedBefore](std::uint64_t k) { return partners->paired(k + before); };
    auto walk = std::make_shared<tallir::KeyPartners::Walk>(partners->walkFrom(first1, first1 + parts.part1.rows, rank + 1 == count));
    share.oneSidedUpTo = [partners, walk, before = share.pairedBefore](std::uint64_t k, const tallir::StreamedPairs::OneSided& each) {
        walk->upTo(*partners, k == UINT64_MAX ? k : k + before, each);
    };
}

} // namespace

std::FILE* SpoolFile(std::vector<std::string>& errors)
{
    std::FILE* file = tallir::TemporaryFile();
    if (!file)
        errors.push_back("tallir-diff: no temporary file could be made in " + tallir::TemporaryFolder() + ": " + std::strerror(errno));
    return file;
}

KeyedShare ShareByKeys(const DiffOptions& options, const tallir::RowRanges& ranges2, const Parts& parts,
                       const std::vector<std::uint64_t>& keys1, const std::vector<std::uint64_t>& keys2, bool oneSided)
{
    const std::size_t count = std::size_t(ranks::Count());
    const std::string path1 = FileNameString(options.path1), path2 = FileNameString(options.path2);
    KeyedShare share;
    // The first keys of the parts of File 1: with keys in order, the rows of File 2 below the
    // first key of a part go to the processes before it.
    std::string firstKey;
    {
        RowStream stream(path1, parts.part1.begin, parts.part1.end - parts.part1.begin, tallir::TableFormat::Plain, options.maxLine);
        if (auto batch = stream.next(); batch && batch->rows() > 0)
            tallir::AppendKeyRecord(firstKey, parts.part1.firstRow, *batch, 0, keys1);
    }
    std::vector<std::string> bounds = ranks::AllGatherTexts(firstKey); // an empty part: the next one's (none: past all)
    for (std::size_t r = count - 1; r-- > 1;)
        if (bounds[r].empty())
            bounds[r] = bounds[r + 1];
    // The part of a row of File 2: how many parts after the first begin at or before its key.
    const auto segment = [&](std::string_view record) {
        std::size_t low = 1, high = count;
        while (low < high) {
            const std::size_t middle = (low + high) / 2;
            if (!bounds[middle].empty() && tallir::CompareKeyRecords(bounds[middle], record) <= 0)
                low = middle + 1;
            else
                high = middle;
        }
        return low - 1;
    };
    std::vector<std::uint64_t> segments(count, 0);
    const Scan scan1 = ScanPart(options, path1, parts.part1, keys1, {});
    const Scan scan2 = ScanPart(options, path2, parts.part2, keys2, [&](std::string_view record) { ++segments[segment(record)]; });
    share.failure1 = scan1.failure;
    share.failure2 = scan2.failure;
    if (ranks::AnyOf(share.failure1 != ReadFailure::None || share.failure2 != ReadFailure::None))
        return share;
    std::vector<std::uint64_t> widths{scan1.width, scan2.width};
    ranks::AllMax(widths);
    share.width1 = widths[0];
    share.width2 = widths[1];

    const bool inOrder = !ranks::AnyOf(!scan1.inOrder || !scan2.inOrder) && PartsInOrder(scan1) && PartsInOrder(scan2) && options.keyTolerance == 0;
    if (inOrder)
        InOrder(share, options, ranges2, parts, keys1, keys2, std::move(segments), oneSided);
    else
        Shuffled(share, options, parts, keys1, keys2, oneSided);
    return share;
}
