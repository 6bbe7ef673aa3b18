#include "RowRanges.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tallir {

namespace {

constexpr std::size_t Chunk = 4 << 20;

} // namespace

bool RowRanges::open(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return false;
    size_ = std::uint64_t(info.st_size);
    return true;
}

RowRanges::~RowRanges()
{
    if (fd_ >= 0)
        ::close(fd_);
}

template <class Each>
bool RowRanges::forEachBreak(std::uint64_t begin, std::uint64_t end, Each&& each) const
{
    std::string buffer(Chunk + 1, '\0');
    for (std::uint64_t at = begin; at < end;) {
        // One byte more than the chunk, to see whether a carriage return has a line feed after it.
        const std::size_t wanted = std::size_t(std::min<std::uint64_t>(Chunk + 1, size_ - at));
        std::size_t got = 0;
        while (got < wanted) {
            const ssize_t n = ::pread(fd_, buffer.data() + got, wanted - got, off_t(at + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            got += std::size_t(n);
        }
        const std::size_t scan = std::size_t(std::min<std::uint64_t>({Chunk, end - at, got}));
        const char* data = buffer.data();
        if (!std::memchr(data, '\r', scan)) {
            for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\n', std::size_t(data + scan - p)))); ++p)
                if (!each(at + std::uint64_t(p - data) + 1, true))
                    return true;
        } else {
            for (std::size_t i = 0; i < scan; ++i) {
                if (data[i] == '\n' || (data[i] == '\r' && !(i + 1 < got && data[i + 1] == '\n')))
                    if (!each(at + i + 1, data[i] == '\n'))
                        return true;
            }
        }
        at += scan;
    }
    return true;
}

std::optional<std::uint64_t> RowRanges::rowStartFrom(std::uint64_t offset) const
{
    if (offset == 0 || offset >= size_)
        return std::min(offset, size_);
    std::uint64_t start = size_;
    char before = 0;
    if (::pread(fd_, &before, 1, off_t(offset - 1)) != 1)
        return std::nullopt;
    if (before == '\n')
        return offset;
    const bool read = forEachBreak(offset, size_, [&](std::uint64_t past, bool lineFeed) {
        // A line feed ends a part; a carriage return alone is left to the part it is in.
        if (lineFeed)
            start = past;
        return !lineFeed;
    });
    return read ? std::optional(start) : std::nullopt;
}

std::optional<std::uint64_t> RowRanges::countRows(std::uint64_t begin, std::uint64_t end) const
{
    std::uint64_t rows = 0, lastBreak = begin;
    if (!forEachBreak(begin, end, [&](std::uint64_t past, bool) {
            ++rows;
            lastBreak = past;
            return true;
        }))
        return std::nullopt;
    // A last line without a break.
    return rows + (lastBreak < end ? 1 : 0);
}

std::optional<std::uint64_t> RowRanges::rowStartAfter(std::uint64_t begin, std::uint64_t end, std::uint64_t skip) const
{
    if (skip == 0)
        return begin;
    std::uint64_t start = end, seen = 0;
    if (!forEachBreak(begin, end, [&](std::uint64_t past, bool) {
            if (++seen < skip)
                return true;
            start = past;
            return false;
        }))
        return std::nullopt;
    return start;
}

} // namespace tallir
