#pragma once
// Texts from the tables are bytes; reports are UTF-8.

#include <cstddef>
#include <string_view>

namespace tallir {

// The replacement character written for bytes that are no valid UTF-8.
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at the start of a non-empty text, or 0.
std::size_t Utf8Sequence(std::string_view text);

} // namespace tallir
