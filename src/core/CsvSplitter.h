#pragma once
// Comma-separated values as people write them: only commas separate; a field may be enclosed in
// double quotes, inside which a doubled quote is one quote and commas and line breaks are text;
// the enclosing quotes are not part of the value; an empty field is an empty cell that keeps
// the later ones in their columns. Records end at CR LF, LF or a lone CR outside quotes; an
// empty line is a row without values. Bytes are fed in blocks cut anywhere.

#include "Table.h"

#include <string>
#include <string_view>

namespace tallir {

class CsvSplitter {
public:
    explicit CsvSplitter(CellSink& builder)
        : builder_(builder)
    {
    }

    void feed(std::string_view bytes);
    // The last record, when the bytes did not end with a line end.
    void finish();

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
};

} // namespace tallir
