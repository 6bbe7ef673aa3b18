#pragma once
// A table's input opened for reading: a regular file, standard input ("-"), a pipe or a
// character device (/dev/null), read as it is or decompressed on the way when its name ends in
// .gz or .zst. Anything else (a directory, a block device) is no file. After the last read, finish() tells whether the bytes read
// are what the input held.

#include "ByteSource.h"
#include "MappedFile.h"
#include "TableReader.h"

#include <memory>
#include <string>
#include <sys/stat.h>

namespace tallir {

// Whether two paths name one file on disk (one device and inode), as a report path naming an
// input would; false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    ReadFailure open(const std::string& path);
    // Part of a regular file that is not compressed: length bytes from offset on (NoFile for
    // anything else).
    ReadFailure open(const std::string& path, std::uint64_t offset, std::uint64_t length);
    ByteSource& source() { return *source_; }
    // The size of a regular file; 0 for streams.
    std::uint64_t size() const { return size_; }
    bool compressed() const { return compressed_; }
    // A regular file that is not compressed, mapped to be read in place rather than through
    // source(); nothing for any other input, or when it cannot be mapped.
    std::shared_ptr<const MappedFile> map();
    // Read failures, damaged compressed data, or a regular file that was cut short, grown or
    // replaced while it was read; None when the bytes read are the file's.
    ReadFailure finish() const;

private:
    std::string path_;
    int fd_ = -1;
    bool ownFd_ = false;
    bool regular_ = false;
    bool compressed_ = false;
    std::uint64_t size_ = 0;
    std::uint64_t expected_ = 0; // bytes to read of a regular file
    struct stat opened_ {};
    std::unique_ptr<ByteSource> source_;
    std::shared_ptr<const MappedFile> mapping_;
};

} // namespace tallir
