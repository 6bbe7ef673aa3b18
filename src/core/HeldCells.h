#pragma once
// Differing cells of a streamed comparison that wait until the compared width is known, kept in
// the order they came.

#include "StreamCompare.h"
#include "Spool.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace tallir {

// Cells waiting until the compared width is known, in a spool.
class HeldCells {
public:
    bool empty() const { return count_ == 0; }
    // How wide each table must be for every held cell to lie in the compared area.
    std::uint64_t widthNeeded1() const { return need1_; }
    std::uint64_t widthNeeded2() const { return need2_; }

    // counted: whether the cell is in the figures already; partner: File 2's column of it.
    void add(const StreamedCell& cell, bool counted, std::uint64_t partner)
    {
        Header header{cell.verdict.row, cell.verdict.col, cell.verdict.agreement, cell.values, std::uint64_t(cell.text1.size()),
                      std::uint64_t(cell.text2.size()), cell.verdict.kind, counted};
        spool_.put(&header, sizeof header);
        spool_.put(cell.text1.data(), cell.text1.size());
        spool_.put(cell.text2.data(), cell.text2.size());
        need1_ = std::max(need1_, cell.verdict.col + 1);
        need2_ = std::max(need2_, partner + 1);
        ++count_;
    }

    // Hands over, in the order they came, the cells whose column is in the compared area, and
    // forgets them all.
    template <class InArea, class Deliver>
    void release(InArea&& inArea, Deliver&& deliver)
    {
        spool_.rewind();
        std::string texts;
        for (std::uint64_t i = 0; i < count_; ++i) {
            Header header;
            spool_.take(&header, sizeof header);
            texts.resize(header.length1 + header.length2);
            spool_.take(texts.data(), texts.size());
            if (inArea(header.col)) {
                const std::string_view both(texts);
                deliver(StreamedCell{{header.row, header.col, header.agreement, header.kind},
                                     both.substr(0, header.length1), both.substr(header.length1), header.values},
                        header.counted);
            }
        }
        spool_.clear();
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

    Spool spool_{"differing cells waiting for the compared width"};
    std::uint64_t count_ = 0;
    std::uint64_t need1_ = 0, need2_ = 0;
};

} // namespace tallir
