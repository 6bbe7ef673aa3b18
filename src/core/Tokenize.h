#pragma once
// Splitting text into values: separator runs are one boundary, and a double quote protects
// separators up to the next quote (the quotes stay part of the value).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

class SeparatorSet {
public:
    constexpr explicit SeparatorSet(std::string_view separators)
    {
        for (char c : separators)
            member_[static_cast<unsigned char>(c)] = true;
    }
    constexpr bool contains(char c) const { return member_[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> member_{};
};

// Space, TAB and comma: the separators of the input files.
inline constexpr SeparatorSet ValueSeparators{" \t,"};

// Calls emit(std::string_view) for every non-empty token of text, in order. The views point
// into text. This one scan is shared by everything that tokenizes.
template <class Emit>
void ForEachToken(std::string_view text, const SeparatorSet& separators, Emit&& emit)
{
    bool quoted = false;
    std::size_t start = 0;
    const std::size_t n = text.size();
    const char* p = text.data();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && separators.contains(c)) {
            if (i > start)
                emit(std::string_view(p + start, i - start));
            start = i + 1;
        }
    }
    if (n > start)
        emit(std::string_view(p + start, n - start));
}

std::vector<std::string> Tokenize(std::string_view text, std::string_view separators);

// Replaces line by TAB + value1 + TAB + value2 ... and returns the number of values.
std::size_t NormalizeLine(std::string& line);

// text without its leading blanks (character 32 only; a leading TAB stays).
std::string_view LTrimSpaces(std::string_view text);

} // namespace tallir
