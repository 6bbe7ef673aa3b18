#pragma once
// Where the bytes of a table come from: a file or a stream (standard input, a pipe), read as
// they are or decompressed on the way (gzip, zstd). Each source reads into a caller's buffer
// and tells, at its end, whether it failed or found its compressed data cut short.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tallir {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to size bytes; 0 at the end (or on a failure, which failed() then tells).
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    virtual bool failed() const = 0;
    // Compressed data that ended too soon or is not what its format says.
    virtual bool damaged() const { return false; }
    // Whether the reading failed because the memory ran out (failed() or damaged() may say so too).
    virtual bool outOfMemory() const { return false; }
    // Bytes taken from the file descriptor so far (compressed ones, where compressed).
    virtual std::uint64_t consumed() const = 0;
};

// The bytes of an open file descriptor as they are; the source does not close it.
std::unique_ptr<ByteSource> RawSource(int fd);
// The bytes of an open file descriptor from offset on, length of them at most.
std::unique_ptr<ByteSource> RangeSource(int fd, std::uint64_t offset, std::uint64_t length);
// gzip data read from another source, decompressed.
std::unique_ptr<ByteSource> GzipSource(std::unique_ptr<ByteSource> compressed);
// zstd data read from another source, decompressed.
std::unique_ptr<ByteSource> ZstdSource(std::unique_ptr<ByteSource> compressed);
// Another source read ahead on a thread of its own, a few blocks at most: decompressing and
// splitting the text into cells then run side by side.
std::unique_ptr<ByteSource> ReadAheadSource(std::unique_ptr<ByteSource> inner);

} // namespace tallir
