#include "LineSplitter.h"

#include <cstring>

namespace tallir {

const char* LineSplitter::find(const char* p, const char* end, char c)
{
    const void* hit = std::memchr(p, c, static_cast<std::size_t>(end - p));
    return hit ? static_cast<const char*>(hit) : end;
}

} // namespace tallir
