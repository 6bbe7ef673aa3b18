#include "InputFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace tallir {

namespace {

bool EndsWith(const std::string& text, std::string_view end)
{
    return text.size() >= end.size() && std::string_view(text).substr(text.size() - end.size()) == end;
}

// Files, pipes, and devices such as /dev/null (an empty table).
bool Readable(const struct stat& info)
{
    return S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode);
}

} // namespace

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat infoA, infoB;
    return ::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0 && infoA.st_dev == infoB.st_dev
        && infoA.st_ino == infoB.st_ino;
}

InputFile::~InputFile()
{
    source_.reset(); // a read-ahead thread stops before its descriptor goes
    if (ownFd_ && fd_ >= 0)
        ::close(fd_);
}

ReadFailure InputFile::open(const std::string& path)
{
    path_ = path;
    const bool standardInput = path == "-";
    struct stat named {};
    if (path.empty() || (!standardInput && (::stat(path.c_str(), &named) != 0 || !Readable(named))))
        return ReadFailure::NoFile;
    fd_ = standardInput ? 0 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ownFd_ = !standardInput;
    if (fd_ < 0 || fstat(fd_, &opened_) != 0 || !Readable(opened_))
        return ReadFailure::CannotOpen;
    regular_ = S_ISREG(opened_.st_mode) && !standardInput;
    size_ = S_ISREG(opened_.st_mode) ? std::uint64_t(opened_.st_size) : 0;
    expected_ = size_;
    const bool gzip = EndsWith(path, ".gz");
    const bool zstd = EndsWith(path, ".zst");
    compressed_ = gzip || zstd;
    source_ = RawSource(fd_);
    // Decompressing runs on a thread of its own, beside whatever splits the text.
    if (gzip)
        source_ = ReadAheadSource(GzipSource(std::move(source_)));
    else if (zstd)
        source_ = ReadAheadSource(ZstdSource(std::move(source_)));
    return ReadFailure::None;
}

ReadFailure InputFile::open(const std::string& path, std::uint64_t offset, std::uint64_t length)
{
    const ReadFailure failure = open(path);
    if (failure != ReadFailure::None)
        return failure;
    if (!regular_ || compressed_ || offset > size_ || length > size_ - offset)
        return ReadFailure::NoFile;
    source_ = RangeSource(fd_, offset, length);
    expected_ = length;
    return ReadFailure::None;
}

std::shared_ptr<const MappedFile> InputFile::map()
{
    if (regular_ && !compressed_ && expected_ == size_)
        mapping_ = MappedFile::Map(fd_, size_);
    return mapping_;
}

ReadFailure InputFile::finish() const
{
    if (source_->outOfMemory())
        return ReadFailure::OutOfMemory;
    if (source_->failed())
        return ReadFailure::CannotRead;
    if (source_->damaged())
        return ReadFailure::Damaged;
    // Cut short, grown, rewritten or replaced while it was read: what was read is no table
    // the file ever held. (Files of the system's own that tell no size read as they come.)
    if (mapping_ && mapping_->cut())
        return ReadFailure::Changed;
    if (regular_) {
        struct stat now {};
        struct stat again {};
        const std::uint64_t done = source_->consumed();
        const bool same = fstat(fd_, &now) == 0 && ::stat(path_.c_str(), &again) == 0 && now.st_size == opened_.st_size
            && now.st_mtim.tv_sec == opened_.st_mtim.tv_sec && now.st_mtim.tv_nsec == opened_.st_mtim.tv_nsec
            && again.st_ino == opened_.st_ino && again.st_dev == opened_.st_dev && (done == expected_ || size_ == 0 || mapping_);
        if (!same)
            return ReadFailure::Changed;
    }
    return ReadFailure::None;
}

} // namespace tallir
