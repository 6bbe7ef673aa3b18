#include "TableReader.h"

#include "CsvSplitter.h"
#include "LineSplitter.h"
#include "Tokenize.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <sys/stat.h>
#include <vector>

namespace tallir {

namespace {

constexpr std::size_t BlockSize = 1 << 20;
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

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

std::string ReadFailureMessage(const std::string& path, ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::Changed:
        return CantOpenMessage(path) + "\nThe file changed while it was read.";
    case ReadFailure::TooLarge:
        return CantOpenMessage(path) + "\nThe file is larger than the memory available.";
    case ReadFailure::OutOfMemory:
        return CantOpenMessage(path) + "\nThe memory ran out while reading it.";
    default:
        return CantOpenMessage(path);
    }
}

std::uint64_t AvailableMemory()
{
    std::unique_ptr<std::FILE, FileCloser> info(std::fopen("/proc/meminfo", "r"));
    if (!info)
        return UINT64_MAX;
    std::uint64_t total = 0;
    bool found = false;
    char line[256];
    while (std::fgets(line, sizeof line, info.get())) {
        unsigned long long kilobytes = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1 || std::sscanf(line, "SwapFree: %llu kB", &kilobytes) == 1) {
            total += std::uint64_t(kilobytes) * 1024;
            found = true;
        }
    }
    return found ? total : UINT64_MAX;
}

Table ParseTable(std::string_view text, TableFormat format)
{
    if (text.starts_with(Utf8ByteOrderMark))
        text.remove_prefix(Utf8ByteOrderMark.size());
    if (format == TableFormat::Csv) {
        TableBuilder builder(text.size());
        CsvSplitter splitter(builder);
        splitter.feed(text);
        splitter.finish();
        return builder.finish();
    }
    TableBuilder builder(text.size());
    LineSplitter splitter;
    RowSink sink(builder);
    splitter.feed(text, sink);
    splitter.finish(sink);
    return builder.finish();
}

TableReadResult ReadTable(const std::string& path, const ReadProgress& progress, TableFormat format)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return {std::nullopt, ReadFailure::NoFile};

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return {std::nullopt, ReadFailure::CannotOpen};
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    struct stat opened {};
    if (fstat(fileno(file.get()), &opened) != 0 || !S_ISREG(opened.st_mode))
        return {std::nullopt, ReadFailure::CannotOpen};
    const auto size = std::uint64_t(opened.st_size);
    // A table holds at least the file's bytes: say so before trying when they cannot fit.
    if (size > AvailableMemory())
        return {std::nullopt, ReadFailure::TooLarge};

    try {
        TableBuilder builder(static_cast<std::size_t>(size));
        LineSplitter splitter;
        RowSink sink(builder);
        CsvSplitter csv(builder);
        const auto block = std::make_unique_for_overwrite<char[]>(BlockSize);
        std::uint64_t done = 0;
        for (;;) {
            const std::size_t got = std::fread(block.get(), 1, BlockSize, file.get());
            if (got > 0) {
                std::string_view bytes(block.get(), got);
                // A byte-order mark says the text is UTF-8; it is not part of the first value.
                if (done == 0 && bytes.starts_with(Utf8ByteOrderMark))
                    bytes.remove_prefix(Utf8ByteOrderMark.size());
                if (format == TableFormat::Csv)
                    csv.feed(bytes);
                else
                    splitter.feed(bytes, sink);
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
        // Cut short, grown, rewritten or replaced while it was read: what was read is no table
        // the file ever held. (Files of the system's own that tell no size read as they come.)
        struct stat now {};
        struct stat named {};
        const bool same = fstat(fileno(file.get()), &now) == 0 && stat(path.c_str(), &named) == 0
            && now.st_size == opened.st_size && now.st_mtim.tv_sec == opened.st_mtim.tv_sec
            && now.st_mtim.tv_nsec == opened.st_mtim.tv_nsec && named.st_ino == opened.st_ino && named.st_dev == opened.st_dev
            && (done == size || size == 0);
        if (!same)
            return {std::nullopt, ReadFailure::Changed};
        if (format == TableFormat::Csv)
            csv.finish();
        else
            splitter.finish(sink);
        return {builder.finish(), ReadFailure::None};
    } catch (const std::bad_alloc&) {
        return {std::nullopt, ReadFailure::OutOfMemory};
    }
}

} // namespace tallir

#include <thread>

namespace tallir {

std::pair<TableReadResult, TableReadResult> ReadTablePair(const std::string& path1, const std::string& path2, TableFormat format)
{
    TableReadResult second;
    std::thread reader([&] { second = ReadTable(path2, {}, format); });
    TableReadResult first = ReadTable(path1, {}, format);
    reader.join();
    return {std::move(first), std::move(second)};
}

} // namespace tallir
