#pragma once
// Buffered writing to a stream in large blocks.

#include <cstdio>
#include <string>
#include <string_view>

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
        std::fwrite(buffer_.data(), 1, buffer_.size(), stream_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t Block = 1 << 20;
    std::FILE* stream_;
    std::string buffer_;
};
