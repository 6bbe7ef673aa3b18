#pragma once
// Buffered writing to a stream in large blocks. A write that fails (a full disk, a closed
// pipe) is remembered, so the program can say so and end with an error status.

#include <cstdio>
#include <string>
#include <string_view>

namespace tallir {

class Output {
public:
    explicit Output(std::FILE* stream)
        : stream_(stream)
    {
        buffer_.reserve(Block * 2);
    }
    ~Output() { flush(); }

    Output& operator<<(std::string_view text)
    {
        buffer_.append(text);
        if (buffer_.size() >= Block)
            flush();
        return *this;
    }
    Output& operator<<(char c)
    {
        buffer_.push_back(c);
        return *this;
    }
    std::string& buffer() { return buffer_; }
    void flush()
    {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size())
            failed_ = true;
        buffer_.clear();
    }
    // Writes what is left and flushes the stream: whether everything reached it.
    bool finish()
    {
        flush();
        if (std::fflush(stream_) != 0 || std::ferror(stream_))
            failed_ = true;
        return !failed_;
    }

private:
    static constexpr std::size_t Block = 1 << 20;
    std::FILE* stream_;
    std::string buffer_;
    bool failed_ = false;
};

} // namespace tallir
