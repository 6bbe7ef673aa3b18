#include "Tokenize.h"

namespace tallir {

std::vector<std::string> Tokenize(std::string_view text, std::string_view separators)
{
    std::vector<std::string> tokens;
    ForEachToken(text, SeparatorSet(separators), [&](std::string_view token) { tokens.emplace_back(token); });
    return tokens;
}

} // namespace tallir
