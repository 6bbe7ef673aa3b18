#pragma once
// Cuts a byte stream, fed in blocks of any size, into lines. A carriage return, a line feed, or
// a carriage return directly followed by a line feed ends one line; a line end at the very end
// of the stream starts no further line. Lines that lie wholly inside one block are handed out
// as views into it; only a line that spans blocks is copied.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tallir {

class LineSplitter {
public:
    // limit: the longest line handed out, in bytes; a longer one stops the splitting.
    explicit LineSplitter(std::size_t limit = SIZE_MAX) : limit_(limit) {}

    // False when a line turned out longer than the limit (overlongLine() tells which): the
    // splitting ends there, and the rest of that line is not held.
    template <class OnLine>
    bool feed(std::string_view block, OnLine&& onLine)
    {
        const char* p = block.data();
        const char* const end = p + block.size();
        if (p != end && skipLineFeed_) {
            skipLineFeed_ = false;
            if (*p == '\n')
                ++p;
        }
        // Next carriage return and line feed at or after p (end when none): each is searched
        // again only once p has passed it, so a block is scanned once per kind of line end.
        const char* nextCr = find(p, end, '\r');
        const char* nextLf = find(p, end, '\n');
        while (p != end) {
            if (nextCr < p)
                nextCr = find(p, end, '\r');
            if (nextLf < p)
                nextLf = find(p, end, '\n');
            const char* eol = nextCr < nextLf ? nextCr : nextLf;
            if (std::size_t(eol - p) > limit_ - carry_.size()) {
                overlong_ = true;
                carry_.clear();
                return false;
            }
            if (eol == end) {
                carry_.append(p, end);
                pending_ = true;
                return true;
            }
            ++lines_;
            if (pending_) {
                carry_.append(p, eol);
                onLine(std::string_view(carry_));
                carry_.clear();
                pending_ = false;
            } else {
                onLine(std::string_view(p, static_cast<std::size_t>(eol - p)));
            }
            p = eol + 1;
            if (*eol == '\r') {
                if (p == end)
                    skipLineFeed_ = true;
                else if (*p == '\n')
                    ++p;
            }
        }
        return true;
    }

    // The stream has ended: hands out a last line that had no line end.
    template <class OnLine>
    void finish(OnLine&& onLine)
    {
        if (pending_)
            onLine(std::string_view(carry_));
        carry_.clear();
        pending_ = false;
        skipLineFeed_ = false;
    }

    // The line (from 1) that was longer than the limit; 0 while none was.
    std::uint64_t overlongLine() const { return overlong_ ? lines_ + 1 : 0; }

    // The first c in [p, end), or end.
    static const char* find(const char* p, const char* end, char c);

private:

    std::size_t limit_;
    std::uint64_t lines_ = 0; // lines handed out
    bool overlong_ = false;

    std::string carry_;
    bool pending_ = false;      // carry_ holds the start of a line (possibly empty so far)
    bool skipLineFeed_ = false; // the previous block ended with a carriage return
};

} // namespace tallir
