#include "Tokenize.h"

namespace tallir {

std::vector<std::string> Tokenize(std::string_view text, std::string_view separators)
{
    std::vector<std::string> tokens;
    ForEachToken(text, SeparatorSet(separators), [&](std::string_view token) { tokens.emplace_back(token); });
    return tokens;
}

std::size_t NormalizeLine(std::string& line)
{
    std::string normalized;
    normalized.reserve(line.size() + 1);
    std::size_t count = 0;
    ForEachToken(line, ValueSeparators, [&](std::string_view token) {
        normalized += '\t';
        normalized += token;
        ++count;
    });
    line = std::move(normalized);
    return count;
}

std::string_view LTrimSpaces(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

} // namespace tallir
