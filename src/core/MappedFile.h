#pragma once
// A regular file mapped read-only, so that a table can find its cells in place instead of in a
// copy. Should the file be cut short while it is mapped, reading a page past its new end would
// end the process (SIGBUS): such a page is replaced by zeros instead, and the mapping says that
// it was cut. Whoever reads through it asks changed() once done and throws away what it read
// then. (A file replaced by another under its name leaves this one as it was.)

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace tallir {

class MappedFile {
public:
    // The first size bytes of an open file; nothing when it cannot be mapped (or too many
    // mappings are open at once).
    static std::shared_ptr<const MappedFile> Map(int fd, std::uint64_t size);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const char* data() const { return data_; }
    std::uint64_t size() const { return size_; }
    std::string_view bytes() const { return {data_, std::size_t(size_)}; }
    // The bytes will be read from start to end (the kernel reads ahead).
    void adviseSequential() const;
    // The bytes from begin to end will not be read again: the whole pages among them are let go
    // of (the file's own pages stay in the page cache).
    void release(std::uint64_t begin, std::uint64_t end) const;
    // A page was found missing (the file is shorter than when it was mapped).
    bool cut() const;
    // The file's bytes are no longer those mapped: cut, or written to since (its size or
    // modification time is another).
    bool changed() const;

private:
    MappedFile(const char* data, std::uint64_t size, int slot, int fd);

    const char* data_;
    std::uint64_t size_;
    int slot_; // in the table the fault handler reads
    int fd_;   // the file's own, for its size and time
    std::int64_t seconds_ = 0, nanoseconds_ = 0;
};

} // namespace tallir
