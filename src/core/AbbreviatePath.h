#pragma once
// Shortens a path for a window caption: the first folder, "...", and as much of the path's end
// as fits, cut at a folder separator. Lengths count characters of UTF-8 text.

#include <cstddef>
#include <string>
#include <string_view>

namespace tallir {

// maxLength 0 stands for 40.
std::string AbbreviatePath(std::string_view path, std::size_t maxLength = 0);

} // namespace tallir
