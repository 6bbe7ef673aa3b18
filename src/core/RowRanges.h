#pragma once
// Splitting a text file among processes at row boundaries, as the readers split lines: a row
// ends at a line feed, a carriage return and line feed, or a carriage return alone, and a last
// line without any still is a row.

#include <cstdint>
#include <optional>
#include <string>

namespace tallir {

class RowRanges {
public:
    // False when the file cannot be opened (see open()'s errno).
    bool open(const std::string& path);
    ~RowRanges();
    std::uint64_t size() const { return size_; }

    // The first row start at or after offset that follows a line feed (0 for 0; the size when
    // none does): where a part beginning near offset begins.
    std::optional<std::uint64_t> rowStartFrom(std::uint64_t offset) const;
    // Rows that begin in [begin, end), where begin is a row start.
    std::optional<std::uint64_t> countRows(std::uint64_t begin, std::uint64_t end) const;
    // Where the row skip rows after the one at begin starts (end when [begin, end) holds no more).
    std::optional<std::uint64_t> rowStartAfter(std::uint64_t begin, std::uint64_t end, std::uint64_t skip) const;

private:
    // Calls each(offset past a break, whether it ends in a line feed) for every row break in
    // [begin, end) until it says stop; false when reading failed.
    template <class Each>
    bool forEachBreak(std::uint64_t begin, std::uint64_t end, Each&& each) const;

    int fd_ = -1;
    std::uint64_t size_ = 0;
};

} // namespace tallir
