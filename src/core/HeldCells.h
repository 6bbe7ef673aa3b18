#pragma once
// Differing cells of a streamed comparison that wait until the compared width is known, kept in
// the order they came.

#include "StreamCompare.h"
#include "TemporaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace tallir {

// Cells waiting until the compared width is known: in memory up to a few megabytes, then in an
// anonymous temporary file.
class HeldCells {
public:
    HeldCells() = default;
    HeldCells(const HeldCells&) = delete;
    HeldCells& operator=(const HeldCells&) = delete;
    ~HeldCells()
    {
        if (file_)
            std::fclose(file_);
    }
    bool empty() const { return count_ == 0; }
    // How wide each table must be for every held cell to lie in the compared area.
    std::uint64_t widthNeeded1() const { return need1_; }
    std::uint64_t widthNeeded2() const { return need2_; }

    // counted: whether the cell is in the figures already; partner: File 2's column of it.
    void add(const StreamedCell& cell, bool counted, std::uint64_t partner)
    {
        Header header{cell.verdict.row, cell.verdict.col, cell.verdict.agreement, cell.values, std::uint64_t(cell.text1.size()),
                      std::uint64_t(cell.text2.size()), cell.verdict.kind, counted};
        put(&header, sizeof header);
        put(cell.text1.data(), cell.text1.size());
        put(cell.text2.data(), cell.text2.size());
        need1_ = std::max(need1_, cell.verdict.col + 1);
        need2_ = std::max(need2_, partner + 1);
        ++count_;
    }

    // Hands over, in the order they came, the cells whose column is in the compared area, and
    // forgets them all.
    template <class InArea, class Deliver>
    void release(InArea&& inArea, Deliver&& deliver)
    {
        if (file_) {
            put(nullptr, 0, true);
            std::rewind(file_);
        }
        std::size_t at = 0;
        std::string texts;
        for (std::uint64_t i = 0; i < count_; ++i) {
            Header header;
            take(&header, sizeof header, at);
            texts.resize(header.length1 + header.length2);
            take(texts.data(), texts.size(), at);
            if (inArea(header.col)) {
                const std::string_view both(texts);
                deliver(StreamedCell{{header.row, header.col, header.agreement, header.kind},
                                     both.substr(0, header.length1), both.substr(header.length1), header.values},
                        header.counted);
            }
        }
        memory_.clear();
        if (file_) {
            std::rewind(file_);
            if (::ftruncate(fileno(file_), 0) != 0) {
                std::fclose(file_);
                file_ = nullptr;
            }
        }
        count_ = need1_ = need2_ = 0;
    }

private:
    struct Header {
        std::uint64_t row, col;
        double agreement;
        CellValues values;
        std::uint64_t length1, length2;
        VerdictKind kind;
        bool counted;
    };
    static constexpr std::size_t MemoryLimit = 8 << 20;

    // Bytes to the end of the held ones; flush writes out what memory holds.
    void put(const void* bytes, std::size_t size, bool flush = false)
    {
        memory_.append(static_cast<const char*>(bytes), size);
        if (!file_ && memory_.size() > MemoryLimit)
            file_ = TemporaryFile(); // none: memory it is
        if (file_ && (flush || memory_.size() > MemoryLimit)) {
            if (std::fwrite(memory_.data(), 1, memory_.size(), file_) != memory_.size())
                throw std::runtime_error("the differing cells waiting for the compared width could not be written to a temporary file in "
                                         + TemporaryFolder() + ": " + std::strerror(errno));
            memory_.clear();
            if (flush)
                std::fflush(file_);
        }
    }
    void take(void* bytes, std::size_t size, std::size_t& at)
    {
        if (file_) {
            if (size && std::fread(bytes, 1, size, file_) != size)
                throw std::runtime_error("the temporary file could not be read");
            return;
        }
        std::memcpy(bytes, memory_.data() + at, size);
        at += size;
    }

    std::string memory_;
    std::FILE* file_ = nullptr;
    std::uint64_t count_ = 0;
    std::uint64_t need1_ = 0, need2_ = 0;
};

} // namespace tallir
