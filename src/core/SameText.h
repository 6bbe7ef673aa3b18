#pragma once
// Comparing two short texts byte for byte inline, eight bytes at a time: cells are mostly a few
// dozen bytes, where a call into the C library costs more than the comparison itself.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tallir {

// Where two texts of one length first differ; their length when they do not.
inline std::size_t FirstDifference(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (std::uint64_t x, y; i + 8 <= a.size(); i += 8) {
            std::memcpy(&x, a.data() + i, 8);
            std::memcpy(&y, b.data() + i, 8);
            if (x != y)
                return i + std::size_t(std::countr_zero(x ^ y) / 8);
        }
    }
    while (i < a.size() && a[i] == b[i])
        ++i;
    return i;
}

inline bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && FirstDifference(a, b) == a.size();
}

} // namespace tallir
