#include "Utf8.h"

namespace tallir {

std::size_t Utf8Sequence(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    unsigned min;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, min = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, min = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, min = 0x10000;
    else
        return 0;
    if (text.size() < length)
        return 0;
    unsigned code = lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace tallir
