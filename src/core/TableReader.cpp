#include "TableReader.h"

#include "ByteSource.h"
#include "CsvSplitter.h"
#include "LineSplitter.h"
#include "Tokenize.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
    case ReadFailure::Damaged:
        return "Can't read " + path + ": the compressed data is cut short or damaged.";
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

Table ParseTable(std::string_view text, TableFormat format, bool names)
{
    if (text.starts_with(Utf8ByteOrderMark))
        text.remove_prefix(Utf8ByteOrderMark.size());
    if (format == TableFormat::Csv) {
        TableBuilder builder(text.size());
        if (names)
            builder.expectNamesLine();
        CsvSplitter splitter(builder);
        splitter.feed(text);
        splitter.finish();
        return builder.finish();
    }
    TableBuilder builder(text.size());
    if (names)
        builder.expectNamesLine();
    LineSplitter splitter;
    RowSink sink(builder);
    splitter.feed(text, sink);
    splitter.finish(sink);
    return builder.finish();
}

namespace {

struct FdCloser {
    int fd;
    bool own;
    ~FdCloser()
    {
        if (own && fd >= 0)
            ::close(fd);
    }
};

bool EndsWith(const std::string& text, std::string_view end)
{
    return text.size() >= end.size() && std::string_view(text).substr(text.size() - end.size()) == end;
}

} // namespace

TableReadResult ReadTable(const std::string& path, const ReadProgress& progress, TableFormat format, bool names)
{
    // "-" is standard input; a pipe (process substitution among them) is read as a stream;
    // anything else that is not a regular file is no file.
    const bool standardInput = path == "-";
    struct stat named {};
    if (path.empty() || (!standardInput && (::stat(path.c_str(), &named) != 0 || !(S_ISREG(named.st_mode) || S_ISFIFO(named.st_mode)))))
        return {std::nullopt, ReadFailure::NoFile};
    const FdCloser file{standardInput ? 0 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC), !standardInput};
    if (file.fd < 0)
        return {std::nullopt, ReadFailure::CannotOpen};
    struct stat opened {};
    if (fstat(file.fd, &opened) != 0 || !(S_ISREG(opened.st_mode) || S_ISFIFO(opened.st_mode)))
        return {std::nullopt, ReadFailure::CannotOpen};
    const bool regular = S_ISREG(opened.st_mode);
    const bool gzip = EndsWith(path, ".gz");
    const bool zstd = EndsWith(path, ".zst");
    const auto size = regular ? std::uint64_t(opened.st_size) : 0;
    // A table holds at least the file's bytes: say so before trying when they cannot fit.
    if (size > AvailableMemory() && !gzip && !zstd)
        return {std::nullopt, ReadFailure::TooLarge};

    std::unique_ptr<ByteSource> source = RawSource(file.fd);
    if (gzip)
        source = ReadAheadSource(GzipSource(std::move(source)));
    else if (zstd)
        source = ReadAheadSource(ZstdSource(std::move(source)));

    try {
        TableBuilder builder(gzip || zstd ? 0 : static_cast<std::size_t>(size));
        if (names)
            builder.expectNamesLine();
        LineSplitter splitter;
        RowSink sink(builder);
        CsvSplitter csv(builder);
        const auto block = std::make_unique_for_overwrite<char[]>(BlockSize);
        bool first = true;
        for (;;) {
            const std::size_t got = source->read(block.get(), BlockSize);
            if (got == 0)
                break;
            std::string_view bytes(block.get(), got);
            // A byte-order mark says the text is UTF-8; it is not part of the first value.
            if (first && bytes.starts_with(Utf8ByteOrderMark))
                bytes.remove_prefix(Utf8ByteOrderMark.size());
            first = false;
            if (format == TableFormat::Csv)
                csv.feed(bytes);
            else
                splitter.feed(bytes, sink);
            if (progress && !progress(source->consumed(), size))
                return {std::nullopt, ReadFailure::Cancelled};
        }
        if (source->failed())
            return {std::nullopt, ReadFailure::CannotRead};
        if (source->damaged())
            return {std::nullopt, ReadFailure::Damaged};
        // Cut short, grown, rewritten or replaced while it was read: what was read is no table
        // the file ever held. (Files of the system's own that tell no size read as they come.)
        if (regular && !standardInput) {
            struct stat now {};
            struct stat again {};
            const std::uint64_t done = source->consumed();
            const bool same = fstat(file.fd, &now) == 0 && ::stat(path.c_str(), &again) == 0
                && now.st_size == opened.st_size && now.st_mtim.tv_sec == opened.st_mtim.tv_sec
                && now.st_mtim.tv_nsec == opened.st_mtim.tv_nsec && again.st_ino == opened.st_ino
                && again.st_dev == opened.st_dev && (done == size || size == 0);
            if (!same)
                return {std::nullopt, ReadFailure::Changed};
        }
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

std::pair<TableReadResult, TableReadResult> ReadTablePair(const std::string& path1, const std::string& path2, TableFormat format,
                                                          bool names)
{
    TableReadResult second;
    std::thread reader([&] { second = ReadTable(path2, {}, format, names); });
    TableReadResult first = ReadTable(path1, {}, format, names);
    reader.join();
    return {std::move(first), std::move(second)};
}

} // namespace tallir
