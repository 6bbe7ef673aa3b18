// The line splitter gives the same lines however the stream is cut into blocks, and the
// lines with their ends put back are the stream.

#include "core/LineSplitter.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {
std::vector<std::string> Split(std::string_view text, std::size_t blockSize)
{
    tallir::LineSplitter splitter;
    std::vector<std::string> lines;
    auto collect = [&](std::string_view line) { lines.emplace_back(line); };
    for (std::size_t at = 0; at < text.size(); at += blockSize)
        splitter.feed(text.substr(at, blockSize), collect);
    splitter.finish(collect);
    return lines;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto whole = Split(text, text.size() + 1);
    for (std::size_t block : {1u, 2u, 3u, 7u})
        if (Split(text, block) != whole)
            std::abort();
    std::size_t content = 0;
    for (const auto& line : whole) {
        if (line.find_first_of("\r\n") != std::string::npos)
            std::abort();
        content += line.size();
    }
    std::size_t ends = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || text[i] == '\r')
            ends += 1;
    if (content + ends != text.size())
        std::abort();
    return 0;
}
