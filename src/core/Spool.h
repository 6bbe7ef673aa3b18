#pragma once
// Records written once and read back in order: in memory up to a few megabytes, beyond that in
// an anonymous temporary file (in memory still when none can be made).

#include "TemporaryFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace tallir {

class Spool {
public:
    // what: what is kept, for the message when the temporary file cannot grow.
    explicit Spool(std::string what) : what_(std::move(what)) {}
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;
    ~Spool()
    {
        if (file_)
            std::fclose(file_);
    }

    void put(const void* bytes, std::size_t size)
    {
        memory_.append(static_cast<const char*>(bytes), size);
        if (!file_ && memory_.size() > MemoryLimit)
            file_ = TemporaryFile();
        if (file_ && memory_.size() > MemoryLimit)
            flush();
    }
    // From the first byte put.
    void rewind()
    {
        if (file_) {
            flush();
            std::rewind(file_);
        }
        at_ = 0;
    }
    void take(void* bytes, std::size_t size)
    {
        if (file_) {
            if (size && std::fread(bytes, 1, size, file_) != size)
                throw std::runtime_error("the temporary file of " + what_ + " could not be read");
            return;
        }
        std::memcpy(bytes, memory_.data() + at_, size);
        at_ += size;
    }
    // Forgets every byte.
    void clear()
    {
        memory_.clear();
        at_ = 0;
        if (file_) {
            std::rewind(file_);
            if (::ftruncate(fileno(file_), 0) != 0) {
                std::fclose(file_);
                file_ = nullptr;
            }
        }
    }

private:
    static constexpr std::size_t MemoryLimit = 8 << 20;
    void flush()
    {
        if (std::fwrite(memory_.data(), 1, memory_.size(), file_) != memory_.size() || std::fflush(file_) != 0)
            throw std::runtime_error("the " + what_ + " could not be written to a temporary file in " + TemporaryFolder() + ": "
                                     + std::strerror(errno));
        memory_.clear();
    }

    std::string what_;
    std::string memory_;
    std::FILE* file_ = nullptr;
    std::size_t at_ = 0;
};

} // namespace tallir
