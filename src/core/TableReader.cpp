#include "TableReader.h"

#include "CsvSplitter.h"
#include "InputFile.h"
#include "LineSplitter.h"
#include "SourceSplitter.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace tallir {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// A mapped file's lines, with LineSplitter's line ends and limit, each a view into the file;
// progress after every SourceBlockSize bytes or so, and at the end.
TableReadResult ReadInPlace(InputFile& input, std::shared_ptr<const MappedFile> file, const ReadProgress& progress, bool names,
                            std::uint64_t lineLimit)
{
    const std::uint64_t size = file->size();
    std::string_view text = file->bytes();
    if (text.starts_with(Utf8ByteOrderMark))
        text.remove_prefix(Utf8ByteOrderMark.size());
    InPlaceTableBuilder builder(std::move(file));
    if (names)
        builder.expectNamesLine();
    const char* p = text.data();
    const char* const end = p + text.size();
    // Line ends are looked for a block ahead at a time (a file of one endless line is given up
    // at the limit, not searched to its end), each kind again only once p has passed the last
    // one found.
    const auto find = [end](const char* from, char c) {
        return LineSplitter::find(from, std::size_t(end - from) > SourceBlockSize ? from + SourceBlockSize : end, c);
    };
    const char* nextCr = find(p, '\r');
    const char* nextLf = find(p, '\n');
    const char* report = p;
    const auto goOn = [&](std::uint64_t done) { return !progress || progress(done, size); };
    for (std::uint64_t line = 1; p != end; ++line) {
        if (nextCr < p)
            nextCr = find(p, '\r');
        if (nextLf < p)
            nextLf = find(p, '\n');
        const char* eol = std::min(nextCr, nextLf);
        while (eol != end && *eol != '\r' && *eol != '\n' && std::uint64_t(eol - p) <= lineLimit) {
            // The end of a block looked through: the line goes on past it.
            if (nextCr == eol)
                nextCr = find(eol, '\r');
            if (nextLf == eol)
                nextLf = find(eol, '\n');
            eol = std::min(nextCr, nextLf);
        }
        if (std::uint64_t(eol - p) > lineLimit)
            return {std::nullopt, ReadFailure::LineTooLong, {line, false, lineLimit}};
        builder.addLine(std::string_view(p, std::size_t(eol - p)));
        if (eol == end)
            break;
        p = eol + 1;
        if (*eol == '\r' && p != end && *p == '\n')
            ++p;
        if (std::size_t(p - report) >= SourceBlockSize) {
            report = p;
            if (!goOn(size - std::uint64_t(end - p)))
                return {std::nullopt, ReadFailure::Cancelled};
        }
    }
    if (!goOn(size))
        return {std::nullopt, ReadFailure::Cancelled};
    if (const ReadFailure failure = input.finish(); failure != ReadFailure::None)
        return {std::nullopt, failure};
    return {builder.finish(), ReadFailure::None};
}

} // namespace

std::string CantOpenMessage(const std::string& path)
{
    return "Can't open " + path;
}

std::string SizeText(std::uint64_t bytes)
{
    const char* units[] = {"GB", "MB", "KB"};
    for (int shift = 30, u = 0; shift >= 10; shift -= 10, ++u)
        if (bytes != 0 && bytes % (std::uint64_t(1) << shift) == 0)
            return std::to_string(bytes >> shift) + " " + units[u];
    return std::to_string(bytes) + " bytes";
}

std::string ReadFailureMessage(const std::string& path, ReadFailure failure, const LineFault& fault)
{
    switch (failure) {
    case ReadFailure::LineTooLong:
        if (fault.unclosedQuote)
            return "Can't read " + path + ": an unclosed quote from line " + std::to_string(fault.line) + " runs on past "
                + SizeText(fault.limit) + ".";
        return "Can't read " + path + ": line " + std::to_string(fault.line) + " is longer than " + SizeText(fault.limit) + ".";
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
    const auto onLine = [&builder](std::string_view line) { AddLine(line, builder); };
    splitter.feed(text, onLine);
    splitter.finish(onLine);
    return builder.finish();
}

TableReadResult ReadTable(const std::string& path, const ReadProgress& progress, TableFormat format, bool names,
                          std::uint64_t lineLimit)
{
    InputFile input;
    if (const ReadFailure failure = input.open(path); failure != ReadFailure::None)
        return {std::nullopt, failure};
    const std::uint64_t size = input.size();
    try {
        // A regular file of the plain format is read in place: the table holds where its
        // lines start, not their bytes.
        if (format == TableFormat::Plain)
            if (auto file = input.map())
                return ReadInPlace(input, std::move(file), progress, names, lineLimit);
        // Otherwise a table holds at least the file's bytes: say so before trying when they
        // cannot fit.
        if (size > AvailableMemory() && !input.compressed())
            return {std::nullopt, ReadFailure::TooLarge};
        TableBuilder builder(input.compressed() ? 0 : static_cast<std::size_t>(size));
        if (names)
            builder.expectNamesLine();
        ByteSource& source = input.source();
        LineFault fault{0, false, lineLimit};
        if (!SplitSource(source, format, builder, [&] { return !progress || progress(source.consumed(), size); }, fault))
            return {std::nullopt, fault.line ? ReadFailure::LineTooLong : ReadFailure::Cancelled, fault};
        if (const ReadFailure failure = input.finish(); failure != ReadFailure::None)
            return {std::nullopt, failure};
        return {builder.finish(), ReadFailure::None};
    } catch (const std::bad_alloc&) {
        return {std::nullopt, ReadFailure::OutOfMemory};
    }
}

} // namespace tallir

#include <thread>

namespace tallir {

std::pair<TableReadResult, TableReadResult> ReadTablePair(const std::string& path1, const std::string& path2, TableFormat format,
                                                          bool names, std::uint64_t lineLimit)
{
    TableReadResult second;
    std::thread reader([&] { second = ReadTable(path2, {}, format, names, lineLimit); });
    TableReadResult first = ReadTable(path1, {}, format, names, lineLimit);
    reader.join();
    return {std::move(first), std::move(second)};
}

} // namespace tallir
