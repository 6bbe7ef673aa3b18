// Tokenize against its own definition: tokens are non-empty, hold no unquoted separator,
// come out in order, and put back together they are the text less its unquoted separators.

#include "core/Tokenize.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the separator set.
    const std::string_view sets[] = {" \t,", " ", ",", "\"", ""};
    const std::string_view separators = sets[data[0] % 5];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string expected;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == '"' || quoted || separators.find(c) == std::string_view::npos)
            expected += c;
    }
    std::string joined;
    for (const auto& token : tallir::Tokenize(text, separators)) {
        if (token.empty())
            std::abort();
        joined += token;
    }
    if (joined != expected)
        std::abort();
    return 0;
}
