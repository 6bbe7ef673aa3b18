#include "ExternalSort.h"

#include "TemporaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace tallir {

namespace {

using Length = std::uint32_t;

std::string_view RecordAt(const std::string& bytes, std::size_t at)
{
    Length length = 0;
    std::memcpy(&length, bytes.data() + at, sizeof length);
    return std::string_view(bytes.data() + at + sizeof length, length);
}

// Bytes read from a run at a time, at least.
constexpr std::size_t MinimumChunk = 64 << 10; // speed only

} // namespace

ExternalSort::ExternalSort(std::string what, Less less, std::size_t memory, Prefix prefix)
    : what_(std::move(what)), less_(less), memory_(memory), prefix_(prefix)
{
    // The memory taken at once (pages are touched only as records come), so that gathering
    // never grows past it by doubling: three quarters for the records, the rest for their order.
    gathered_.reserve(memory_ / 4 * 3);
    order_.reserve(std::max<std::size_t>(1, memory_ / 4 / sizeof(Gathered)));
}

ExternalSort::~ExternalSort()
{
    if (file_)
        std::fclose(file_);
}

void ExternalSort::add(std::string_view record)
{
    if (record.size() > UINT32_MAX)
        throw std::length_error("a record of " + what_ + " too long to sort");
    const Length length = Length(record.size());
    // A record that does not fit goes after the others are written out (one larger than the
    // memory alone still goes in).
    if (!order_.empty() && (gathered_.size() + sizeof length + record.size() > gathered_.capacity() || order_.size() == order_.capacity()))
        spill();
    order_.push_back({prefix_ ? prefix_(record) : 0, gathered_.size()});
    gathered_.append(reinterpret_cast<const char*>(&length), sizeof length);
    gathered_.append(record);
}

void ExternalSort::sortGathered()
{
    std::sort(order_.begin(), order_.end(), [this](const Gathered& a, const Gathered& b) {
        return a.prefix != b.prefix ? a.prefix < b.prefix : less_(RecordAt(gathered_, a.at), RecordAt(gathered_, b.at));
    });
}

void ExternalSort::spill()
{
    const auto failed = [this] {
        return std::runtime_error("the " + what_ + " could not be written to a temporary file in " + TemporaryFolder() + ": "
                                  + std::strerror(errno));
    };
    if (!file_ && !(file_ = TemporaryFile()))
        throw failed();
    sortGathered();
    std::string out;
    const auto flush = [&] {
        if (std::fwrite(out.data(), 1, out.size(), file_) != out.size())
            throw failed();
        out.clear();
    };
    const std::uint64_t start = runs_.empty() ? 0 : runs_.back().end;
    std::uint64_t end = start;
    for (const Gathered& each : order_) {
        const std::string_view record = RecordAt(gathered_, each.at);
        out.append(gathered_, each.at, sizeof(Length) + record.size());
        end += sizeof(Length) + record.size();
        if (out.size() >= (1 << 20))
            flush();
    }
    flush();
    if (std::fflush(file_) != 0)
        throw failed();
    runs_.push_back({start, end, {}, 0, {}});
    gathered_.clear();
    order_.clear();
}

bool ExternalSort::advance(Run& run)
{
    const auto has = [&](std::size_t bytes) { return run.buffer.size() - run.used >= bytes; };
    const auto load = [&](std::size_t needed) {
        if (has(needed) || run.at == run.end)
            return;
        // What is left moves to the front, and more is read after it.
        run.buffer.erase(0, run.used);
        run.used = 0;
        const std::size_t chunk = std::max({needed, MinimumChunk, memory_ / std::max<std::size_t>(runs_.size(), 1) / 2});
        while (!has(needed) && run.at < run.end) {
            const std::size_t old = run.buffer.size();
            const std::size_t wanted = std::size_t(std::min<std::uint64_t>(chunk, run.end - run.at));
            run.buffer.resize(old + wanted);
            const ssize_t got = ::pread(fileno(file_), run.buffer.data() + old, wanted, off_t(run.at));
            if (got <= 0)
                throw std::runtime_error("the temporary file of " + what_ + " could not be read: "
                                         + (got < 0 ? std::strerror(errno) : "it ended too soon"));
            run.buffer.resize(old + std::size_t(got));
            run.at += std::uint64_t(got);
        }
    };
    load(sizeof(Length));
    if (!has(sizeof(Length)))
        return false;
    Length length = 0;
    std::memcpy(&length, run.buffer.data() + run.used, sizeof length);
    load(sizeof(Length) + length);
    if (!has(sizeof(Length) + length))
        throw std::runtime_error("the temporary file of " + what_ + " ended too soon");
    run.record = std::string_view(run.buffer.data() + run.used + sizeof length, length);
    run.used += sizeof length + length;
    return true;
}

void ExternalSort::startMerge()
{
    reading_ = true;
    if (runs_.empty()) { // all in memory
        sortGathered();
        return;
    }
    if (!order_.empty())
        spill();
    gathered_.shrink_to_fit();
    order_.shrink_to_fit();
    for (std::size_t r = 0; r < runs_.size(); ++r)
        if (advance(runs_[r]))
            heap_.push_back(r);
    std::make_heap(heap_.begin(), heap_.end(), [this](std::size_t a, std::size_t b) { return after(a, b); });
}

std::optional<std::string_view> ExternalSort::next()
{
    if (!reading_)
        startMerge();
    if (runs_.empty()) {
        if (nextGathered_ == order_.size())
            return std::nullopt;
        // The records lie scattered: the ones a few places on are fetched meanwhile.
        if (nextGathered_ + 16 < order_.size())
            __builtin_prefetch(gathered_.data() + order_[nextGathered_ + 16].at);
        return RecordAt(gathered_, order_[nextGathered_++].at);
    }
    const auto later = [this](std::size_t a, std::size_t b) { return after(a, b); };
    if (last_ != SIZE_MAX && advance(runs_[last_])) {
        heap_.push_back(last_);
        std::push_heap(heap_.begin(), heap_.end(), later);
    }
    last_ = SIZE_MAX;
    if (heap_.empty())
        return std::nullopt;
    std::pop_heap(heap_.begin(), heap_.end(), later);
    last_ = heap_.back();
    heap_.pop_back();
    return runs_[last_].record;
}

} // namespace tallir
