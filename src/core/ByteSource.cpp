#include "ByteSource.h"

#include <algorithm>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>
#include <zstd.h>

namespace tallir {

namespace {

constexpr std::size_t InputBlock = 1 << 18;

// A file descriptor's bytes as they come, or (ranged) length bytes from offset on.
class Raw : public ByteSource {
public:
    explicit Raw(int fd) : fd_(fd) {}
    Raw(int fd, std::uint64_t offset, std::uint64_t length) : fd_(fd), ranged_(true), at_(offset), left_(length) {}

    std::size_t read(char* buffer, std::size_t size) override
    {
        size = std::size_t(std::min<std::uint64_t>(size, left_));
        for (;;) {
            const ssize_t got = ranged_ ? ::pread(fd_, buffer, size, off_t(at_)) : ::read(fd_, buffer, size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                failed_ = true;
                return 0;
            }
            at_ += std::uint64_t(got);
            left_ -= std::uint64_t(got);
            consumed_ += std::uint64_t(got);
            return std::size_t(got);
        }
    }
    bool failed() const override { return failed_; }
    std::uint64_t consumed() const override { return consumed_; }

private:
    int fd_;
    bool ranged_ = false;
    std::uint64_t at_ = 0, left_ = UINT64_MAX;
    bool failed_ = false;
    std::uint64_t consumed_ = 0;
};

class Gzip : public ByteSource {
public:
    explicit Gzip(std::unique_ptr<ByteSource> compressed)
        : compressed_(std::move(compressed))
        , input_(InputBlock)
    {
        // 16 + MAX_WBITS: gzip framing; several members one after the other are one stream.
        const int status = inflateInit2(&stream_, 16 + MAX_WBITS);
        ok_ = status == Z_OK;
        memoryRanOut_ = status == Z_MEM_ERROR;
    }
    ~Gzip() override { inflateEnd(&stream_); }

    std::size_t read(char* buffer, std::size_t size) override
    {
        if (!ok_ || done_)
            return 0;
        stream_.next_out = reinterpret_cast<Bytef*>(buffer);
        stream_.avail_out = uInt(size);
        while (stream_.avail_out == size) {
            if (stream_.avail_in == 0) {
                const std::size_t got = compressed_->read(input_.data(), input_.size());
                if (got == 0) {
                    // The end of the input: fine between members, cut short within one.
                    done_ = true;
                    damaged_ = inMember_ || compressed_->failed();
                    break;
                }
                stream_.next_in = reinterpret_cast<Bytef*>(input_.data());
                stream_.avail_in = uInt(got);
            }
            inMember_ = true;
            const int status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                inMember_ = false;
                inflateReset(&stream_); // another member may follow
            } else if (status != Z_OK && status != Z_BUF_ERROR) {
                memoryRanOut_ = status == Z_MEM_ERROR;
                damaged_ = true;
                done_ = true;
                return 0;
            }
        }
        return size - stream_.avail_out;
    }
    bool failed() const override { return compressed_->failed(); }
    bool damaged() const override { return damaged_ || !ok_; }
    bool outOfMemory() const override { return memoryRanOut_ || compressed_->outOfMemory(); }
    std::uint64_t consumed() const override { return compressed_->consumed(); }

private:
    std::unique_ptr<ByteSource> compressed_;
    std::vector<char> input_;
    z_stream stream_{};
    bool ok_ = false;
    bool memoryRanOut_ = false;
    bool done_ = false;
    bool damaged_ = false;
    bool inMember_ = false;
};

class Zstd : public ByteSource {
public:
    explicit Zstd(std::unique_ptr<ByteSource> compressed)
        : compressed_(std::move(compressed))
        , input_(InputBlock)
        , stream_(ZSTD_createDStream())
    {
    }
    ~Zstd() override { ZSTD_freeDStream(stream_); }

    std::size_t read(char* buffer, std::size_t size) override
    {
        if (done_ || !stream_)
            return 0;
        ZSTD_outBuffer out{buffer, size, 0};
        while (out.pos == 0) {
            if (in_.pos == in_.size) {
                const std::size_t got = compressed_->read(input_.data(), input_.size());
                if (got == 0) {
                    done_ = true;
                    damaged_ = lastHint_ != 0 || compressed_->failed(); // a frame left unfinished
                    break;
                }
                in_ = ZSTD_inBuffer{input_.data(), got, 0};
            }
            lastHint_ = ZSTD_decompressStream(stream_, &out, &in_);
            if (ZSTD_isError(lastHint_)) {
                damaged_ = true;
                done_ = true;
                return 0;
            }
        }
        return out.pos;
    }
    bool failed() const override { return compressed_->failed(); }
    bool damaged() const override { return damaged_; }
    bool outOfMemory() const override { return !stream_ || compressed_->outOfMemory(); }
    std::uint64_t consumed() const override { return compressed_->consumed(); }

private:
    std::unique_ptr<ByteSource> compressed_;
    std::vector<char> input_;
    ZSTD_DStream* stream_;
    ZSTD_inBuffer in_{nullptr, 0, 0};
    std::size_t lastHint_ = 0;
    bool done_ = false;
    bool damaged_ = false;
};

class ReadAhead : public ByteSource {
public:
    explicit ReadAhead(std::unique_ptr<ByteSource> inner)
        : inner_(std::move(inner))
        , worker_([this] { produce(); })
    {
    }
    ~ReadAhead() override
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !blocks_.empty() || finished_; });
        if (blocks_.empty())
            return 0;
        std::vector<char>& front = blocks_.front();
        const std::size_t n = std::min(size, front.size() - offset_);
        std::memcpy(buffer, front.data() + offset_, n);
        offset_ += n;
        if (offset_ == front.size()) {
            blocks_.pop_front();
            offset_ = 0;
            changed_.notify_all();
        }
        return n;
    }
    bool failed() const override
    {
        const std::lock_guard lock(mutex_);
        return finished_ && (outOfMemory_ || inner_->failed());
    }
    bool damaged() const override
    {
        const std::lock_guard lock(mutex_);
        return finished_ && inner_->damaged();
    }
    bool outOfMemory() const override
    {
        const std::lock_guard lock(mutex_);
        return finished_ && (outOfMemory_ || inner_->outOfMemory());
    }
    std::uint64_t consumed() const override { return consumed_; }

private:
    static constexpr std::size_t Block = 1 << 20;
    static constexpr std::size_t Ahead = 4;

    void produce()
    {
        try {
            for (;;) {
                std::vector<char> block(Block);
                const std::size_t got = inner_->read(block.data(), block.size());
                consumed_ = inner_->consumed();
                std::unique_lock lock(mutex_);
                if (got == 0 || stop_) {
                    finished_ = true;
                    changed_.notify_all();
                    return;
                }
                block.resize(got);
                changed_.wait(lock, [this] { return blocks_.size() < Ahead || stop_; });
                blocks_.push_back(std::move(block));
                changed_.notify_all();
            }
        } catch (const std::bad_alloc&) {
            // No room for the next block: the reading fails, it does not end the program.
            const std::lock_guard lock(mutex_);
            outOfMemory_ = true;
            finished_ = true;
            changed_.notify_all();
        }
    }

    std::unique_ptr<ByteSource> inner_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> blocks_;
    std::size_t offset_ = 0;
    bool finished_ = false;
    bool outOfMemory_ = false;
    bool stop_ = false;
    std::atomic<std::uint64_t> consumed_{0};
    std::thread worker_; // last: it starts once everything else is in place
};

} // namespace

std::unique_ptr<ByteSource> ReadAheadSource(std::unique_ptr<ByteSource> inner)
{
    return std::make_unique<ReadAhead>(std::move(inner));
}

std::unique_ptr<ByteSource> RawSource(int fd)
{
    return std::make_unique<Raw>(fd);
}

std::unique_ptr<ByteSource> RangeSource(int fd, std::uint64_t offset, std::uint64_t length)
{
    return std::make_unique<Raw>(fd, offset, length);
}

std::unique_ptr<ByteSource> GzipSource(std::unique_ptr<ByteSource> compressed)
{
    return std::make_unique<Gzip>(std::move(compressed));
}

std::unique_ptr<ByteSource> ZstdSource(std::unique_ptr<ByteSource> compressed)
{
    return std::make_unique<Zstd>(std::move(compressed));
}

} // namespace tallir
