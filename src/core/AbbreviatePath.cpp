#include "AbbreviatePath.h"

#include <vector>

namespace tallir {

namespace {

constexpr char Separator = '/';

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

} // namespace

std::string AbbreviatePath(std::string_view path, std::size_t maxLength)
{
    if (maxLength == 0)
        maxLength = 40;
    // Byte offset of every character, so that lengths count characters.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (StartsCharacter(path[i]))
            starts.push_back(i);
    const std::size_t length = starts.size();
    if (length <= maxLength)
        return std::string(path);

    const std::size_t firstSeparator = path.find(Separator);
    const std::string_view head = firstSeparator == std::string_view::npos ? std::string_view() : path.substr(0, firstSeparator + 1);

    // The rest from the first separator after which it fits behind the dots, else from the last
    // separator there is, else the whole path.
    std::size_t restStart = std::string_view::npos;
    for (std::size_t k = 1; k < length; ++k) {
        if (path[starts[k]] != Separator)
            continue;
        restStart = starts[k];
        if (maxLength >= 3 && length - k <= maxLength - 3)
            break;
    }
    if (restStart == std::string_view::npos)
        restStart = 0;
    std::string abbreviated;
    abbreviated.reserve(head.size() + 3 + path.size() - restStart);
    abbreviated.append(head).append("...").append(path.substr(restStart));
    return abbreviated;
}

} // namespace tallir
