#pragma once
// Records sorted beyond memory: gathered up to a budget of bytes, each full gathering sorted and
// written to a temporary file as a run, and the runs merged as the records are read back. Within
// the budget nothing touches the disk.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

class ExternalSort {
public:
    // Strict weak order of two records.
    using Less = bool (*)(std::string_view a, std::string_view b);
    // A number per record that orders records with different numbers as less does (those with
    // equal numbers are left to less): sorting then seldom looks at the records themselves.
    using Prefix = std::uint64_t (*)(std::string_view record);
    // what: what is sorted, for the message when the temporary file cannot grow.
    ExternalSort(std::string what, Less less, std::size_t memory, Prefix prefix = nullptr);
    ~ExternalSort();
    ExternalSort(const ExternalSort&) = delete;
    ExternalSort& operator=(const ExternalSort&) = delete;

    void add(std::string_view record);
    // The records in order, after the last add: each valid until the next call; nothing past
    // the last.
    std::optional<std::string_view> next();

private:
    struct Run {
        std::uint64_t at, end; // the part of the file not yet read
        std::string buffer;
        std::size_t used = 0; // bytes of buffer handed over (the record given last included)
        std::string_view record;
    };
    void sortGathered();
    void spill();
    void startMerge();
    bool advance(Run& run);
    // Whether run a's next record comes after run b's (the heap's order: the first on top).
    bool after(std::size_t a, std::size_t b) const { return less_(runs_[b].record, runs_[a].record); }

    std::string what_;
    Less less_;
    std::size_t memory_;
    Prefix prefix_;
    struct Gathered {
        std::uint64_t prefix, at; // at: where the record starts in gathered_
    };
    std::string gathered_;          // records back to back, each after its length
    std::vector<Gathered> order_;
    std::FILE* file_ = nullptr;
    std::vector<Run> runs_;
    std::vector<std::size_t> heap_; // runs by their next record, the first at the front
    std::size_t last_ = SIZE_MAX;   // the run of the record handed over last
    bool reading_ = false;
    std::size_t nextGathered_ = 0;
};

} // namespace tallir
