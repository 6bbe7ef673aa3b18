#pragma once
// Comma-separated values as people write them: only commas separate; a field may be enclosed in
// double quotes, inside which a doubled quote is one quote and commas and line breaks are text;
// the enclosing quotes are not part of the value; an empty field is an empty cell that keeps
// the later ones in their columns. Records end at CR LF, LF or a lone CR outside quotes; an
// empty line is a row without values. Bytes are fed in blocks cut anywhere.

#include "Table.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tallir {

class CsvSplitter {
public:
    // limit: the longest record, in bytes; a longer one stops the splitting.
    explicit CsvSplitter(CellSink& builder, std::size_t limit = SIZE_MAX)
        : builder_(builder)
        , limit_(limit)
    {
    }

    // False when a record turned out longer than the limit: the splitting ends there.
    bool feed(std::string_view bytes);
    // The last record, when the bytes did not end with a line end.
    void finish();

    // Where the record longer than the limit began (line from 1; 0 while none was), and whether
    // it was a quote left open there that made it so long.
    std::uint64_t overlongLine() const { return overlongLine_; }
    bool overlongQuoted() const { return overlongQuoted_; }

private:
    void endField();
    void endRecord();

    CellSink& builder_;
    std::string field_;
    bool quoted_ = false;       // inside an enclosing pair of quotes
    bool quoteSeen_ = false;    // a quote inside quotes: the end, or the first of a doubled one
    bool afterCr_ = false;      // a CR ended the last record: an LF next belongs to it
    bool recordStarted_ = false; // something of the current record has been seen
    bool fieldStarted_ = false;  // something of the current field has been seen
    std::size_t limit_;
    std::size_t recordBytes_ = 0;
    std::uint64_t line_ = 1;       // the line read now, from 1
    std::uint64_t recordLine_ = 1; // where the current record began
    std::uint64_t quoteLine_ = 1;  // where the open quote was
    bool lastCr_ = false;          // the last byte was a CR: an LF next ends no further line
    bool lineEnded_ = false;       // the last byte ended a line
    std::uint64_t overlongLine_ = 0;
    bool overlongQuoted_ = false;
};

} // namespace tallir
