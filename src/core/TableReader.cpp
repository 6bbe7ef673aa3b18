#include "TableReader.h"

#include "LineSplitter.h"
#include "Tokenize.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace tallir {

namespace {

constexpr std::size_t BlockSize = 1 << 20;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class RowSink {
public:
    explicit RowSink(TableBuilder& builder)
        : builder_(builder)
    {
    }
    void operator()(std::string_view line)
    {
        ForEachToken(line, ValueSeparators, [this](std::string_view value) { builder_.addCell(value); });
        builder_.endRow();
    }

private:
    TableBuilder& builder_;
};

} // namespace

std::string CantOpenMessage(const std::string& path)
{
    return "Can't open " + path;
}

Table ParseTable(std::string_view text)
{
    TableBuilder builder(text.size());
    LineSplitter splitter;
    RowSink sink(builder);
    splitter.feed(text, sink);
    splitter.finish(sink);
    return builder.finish();
}

TableReadResult ReadTable(const std::string& path, const ReadProgress& progress)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return {std::nullopt, ReadFailure::NoFile};
    const std::uintmax_t size = std::filesystem::file_size(path, error);

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return {std::nullopt, ReadFailure::CannotOpen};
    std::setvbuf(file.get(), nullptr, _IONBF, 0);

    TableBuilder builder(error ? 0 : static_cast<std::size_t>(size));
    LineSplitter splitter;
    RowSink sink(builder);
    const auto block = std::make_unique_for_overwrite<char[]>(BlockSize);
    std::uint64_t done = 0;
    for (;;) {
        const std::size_t got = std::fread(block.get(), 1, BlockSize, file.get());
        if (got > 0) {
            splitter.feed(std::string_view(block.get(), got), sink);
            done += got;
            if (progress && !progress(done, size))
                return {std::nullopt, ReadFailure::Cancelled};
        }
        if (got < BlockSize) {
            if (std::ferror(file.get()))
                return {std::nullopt, ReadFailure::CannotRead};
            if (std::feof(file.get()))
                break;
        }
    }
    splitter.finish(sink);
    return {builder.finish(), ReadFailure::None};
}

} // namespace tallir

#include <thread>

namespace tallir {

std::pair<TableReadResult, TableReadResult> ReadTablePair(const std::string& path1, const std::string& path2)
{
    TableReadResult second;
    std::thread reader([&] { second = ReadTable(path2); });
    TableReadResult first = ReadTable(path1);
    reader.join();
    return {std::move(first), std::move(second)};
}

} // namespace tallir
