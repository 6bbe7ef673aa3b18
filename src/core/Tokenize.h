#pragma once
// Splitting text into values: separator runs are one boundary, and a double quote protects
// separators up to the next quote (the quotes stay part of the value).

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

class SeparatorSet {
public:
    constexpr explicit SeparatorSet(std::string_view separators)
    {
        for (char c : separators) {
            if (member_[static_cast<unsigned char>(c)])
                continue;
            member_[static_cast<unsigned char>(c)] = true;
            if (wordCount_ < broadcast_.size())
                broadcast_[wordCount_] = Broadcast(c);
            ++wordCount_;
        }
    }
    constexpr bool contains(char c) const { return member_[static_cast<unsigned char>(c)]; }

    // For eight bytes read as one word: a mask whose lowest set bit is the high bit of the
    // first byte that is a separator or a quote (quoteOnly: a quote), 0 when none is.
    std::uint64_t stops(std::uint64_t word, bool quoteOnly) const
    {
        std::uint64_t hits = ZeroBytes(word ^ Broadcast('"'));
        if (quoteOnly)
            return hits;
        if (wordCount_ > broadcast_.size())
            return High; // too many separators to test at once: byte by byte
        for (std::size_t k = 0; k < wordCount_; ++k)
            hits |= ZeroBytes(word ^ broadcast_[k]);
        return hits;
    }
    // Whether separatorBytes can answer: no more separators than it tests at once.
    bool wordwise() const { return wordCount_ <= broadcast_.size(); }
    // For eight bytes read as one word: the high bit of every byte that is a separator.
    std::uint64_t separatorBytes(std::uint64_t word) const
    {
        std::uint64_t hits = 0;
        for (std::size_t k = 0; k < wordCount_; ++k) {
            const std::uint64_t v = word ^ broadcast_[k];
            hits |= ~(((v & ~High) + ~High) | v) & High; // exact for every zero byte
        }
        return hits;
    }

private:
    static constexpr std::uint64_t Low = 0x0101010101010101ULL;
    static constexpr std::uint64_t High = 0x8080808080808080ULL;
    static constexpr std::uint64_t Broadcast(char c) { return Low * static_cast<unsigned char>(c); }
    // Exact for the lowest zero byte; bytes above it may be flagged falsely.
    static constexpr std::uint64_t ZeroBytes(std::uint64_t v) { return (v - Low) & ~v & High; }

    std::array<bool, 256> member_{};
    std::array<std::uint64_t, 4> broadcast_{};
    std::size_t wordCount_ = 0;
};

// Space, TAB and comma: the separators of the input files.
inline constexpr SeparatorSet ValueSeparators{" \t,"};

// Eight bytes from p as one word, the first byte lowest whatever the machine.
inline std::uint64_t LoadWord(const char* p)
{
    static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return std::endian::native == std::endian::big ? __builtin_bswap64(word) : word;
}

// Calls emit(std::string_view) for every non-empty token of text, in order. The views point
// into text. This one scan is shared by everything that tokenizes.
template <class Emit>
void ForEachToken(std::string_view text, const SeparatorSet& separators, Emit&& emit)
{
    bool quoted = false;
    std::size_t start = 0;
    const std::size_t n = text.size();
    const char* p = text.data();
    std::size_t i = 0;
    while (i < n) {
        // Runs of ordinary bytes go eight at a time.
        while (i + 8 <= n) {
            const std::uint64_t hits = separators.stops(LoadWord(p + i), quoted);
            if (hits == 0) {
                i += 8;
                continue;
            }
            i += static_cast<std::size_t>(std::countr_zero(hits)) / 8;
            break;
        }
        if (i == n)
            break;
        const char c = p[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && separators.contains(c)) {
            if (i > start)
                emit(std::string_view(p + start, i - start));
            start = i + 1;
        }
        ++i;
    }
    if (n > start)
        emit(std::string_view(p + start, n - start));
}

// How many tokens ForEachToken finds in text, without cutting them out: where no quote is,
// eight bytes at a time, by the bytes that follow a separator (or the start) and are none.
inline std::size_t CountTokens(std::string_view text, const SeparatorSet& separators)
{
    std::size_t count = 0;
    if (!separators.wordwise() || text.find('"') != std::string_view::npos) {
        ForEachToken(text, separators, [&](std::string_view) { ++count; });
        return count;
    }
    constexpr std::uint64_t High = 0x8080808080808080ULL;
    std::uint64_t afterSeparator = 0x80; // the start counts as a separator before the first byte
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        const std::uint64_t separator = separators.separatorBytes(LoadWord(text.data() + i));
        // One bit a byte at most: their sum by a multiplication (no population count instruction
        // is assumed of the processor).
        const std::uint64_t starts = ~separator & High & (separator << 8 | afterSeparator);
        count += std::size_t(((starts >> 7) * 0x0101010101010101ULL) >> 56);
        afterSeparator = separator >> 56;
    }
    for (bool previous = afterSeparator != 0; i < text.size(); ++i) {
        const bool separator = separators.contains(text[i]);
        count += previous && !separator;
        previous = separator;
    }
    return count;
}

// The next token of a line that runs on in text (to a carriage return or line feed, or text's
// end) as ForEachToken cuts it: from a token's boundary (at the line's start or a token's end),
// the following token, and text moved past it. Empty once the line holds no more.
inline std::string_view NextTokenOfLine(std::string_view& text, const SeparatorSet& separators)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && separators.contains(text[i]))
        ++i;
    const std::size_t start = i;
    for (bool quoted = false; i < n; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n')
            break;
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && separators.contains(c))
            break;
    }
    const std::string_view token = text.substr(start, i - start);
    text.remove_prefix(i);
    return token;
}

std::vector<std::string> Tokenize(std::string_view text, std::string_view separators);

} // namespace tallir
