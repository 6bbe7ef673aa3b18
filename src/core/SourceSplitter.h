#pragma once
// Cuts the bytes of a source into rows of cells, block by block, in either table format: the
// one loop behind reading a whole table and reading one in batches.

#include "ByteSource.h"
#include "CsvSplitter.h"
#include "LineSplitter.h"
#include "TableReader.h"
#include "Tokenize.h"

#include <algorithm>
#include <memory>
#include <string_view>

namespace tallir {

constexpr std::size_t SourceBlockSize = 1 << 20;
// A byte-order mark says the text is UTF-8; it is not part of the first value.
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// One line of the plain format: its values, then the row's end; a sink that takes lines whole
// cuts them itself.
template <class Sink>
void AddLine(std::string_view line, Sink& sink)
{
    if constexpr (requires { sink.addLine(line); }) {
        sink.addLine(line);
    } else {
        ForEachToken(line, ValueSeparators, [&sink](std::string_view value) { sink.addCell(value); });
        sink.endRow();
    }
}

// The loop behind both below: nextBlock() gives the bytes block by block, nothing at the end;
// complete() says at the end whether the bytes were all there (a last line without its end is
// a line only then).
template <class Sink, class NextBlock, class AfterBlock, class Complete>
bool SplitBlocks(NextBlock&& nextBlock, TableFormat format, Sink& sink, AfterBlock&& afterBlock, Complete&& complete,
                 LineFault& fault)
{
    const std::size_t limit = std::size_t(std::min<std::uint64_t>(fault.limit, SIZE_MAX));
    LineSplitter lines(limit);
    const auto onLine = [&sink](std::string_view line) { AddLine(line, sink); };
    CsvSplitter csv(sink, limit);
    bool first = true;
    for (std::string_view bytes; !(bytes = nextBlock()).empty();) {
        if (first && bytes.starts_with(Utf8ByteOrderMark))
            bytes.remove_prefix(Utf8ByteOrderMark.size());
        first = false;
        if (!(format == TableFormat::Csv ? csv.feed(bytes) : lines.feed(bytes, onLine))) {
            fault.line = format == TableFormat::Csv ? csv.overlongLine() : lines.overlongLine();
            fault.unclosedQuote = format == TableFormat::Csv && csv.overlongQuoted();
            return false;
        }
        if (!afterBlock())
            return false;
    }
    if (complete()) {
        if (format == TableFormat::Csv)
            csv.finish();
        else
            lines.finish(onLine);
    }
    return true;
}

// Sink: a CellSink; its calls are direct where its type is final. afterBlock() is asked after
// each block whether to go on. False when it stopped the reading, or a line longer than
// fault.limit did: fault then says where.
template <class Sink, class AfterBlock>
bool SplitSource(ByteSource& source, TableFormat format, Sink& sink, AfterBlock&& afterBlock, LineFault& fault)
{
    const auto block = std::make_unique_for_overwrite<char[]>(SourceBlockSize);
    bool first = true;
    const auto next = [&] {
        std::size_t got = source.read(block.get(), SourceBlockSize);
        // A pipe may hand the mark over in pieces: read on until it is whole or cannot be.
        while (first && got > 0 && got < Utf8ByteOrderMark.size() && Utf8ByteOrderMark.starts_with(std::string_view(block.get(), got))) {
            const std::size_t more = source.read(block.get() + got, SourceBlockSize - got);
            if (more == 0)
                break;
            got += more;
        }
        first = false;
        return std::string_view(block.get(), got);
    };
    // The last line, when the bytes did not end with a line end; only once the source read to
    // its end without fault.
    return SplitBlocks(next, format, sink, afterBlock, [&] { return !source.failed() && !source.damaged(); }, fault);
}

// The same for bytes at hand (a mapped file), handed over a block at a time.
template <class Sink, class AfterBlock>
bool SplitBytes(std::string_view bytes, TableFormat format, Sink& sink, AfterBlock&& afterBlock, LineFault& fault)
{
    const auto next = [&] {
        const std::string_view block = bytes.substr(0, SourceBlockSize);
        bytes.remove_prefix(block.size());
        return block;
    };
    return SplitBlocks(next, format, sink, afterBlock, [] { return true; }, fault);
}

} // namespace tallir
