#include "CsvSplitter.h"

namespace tallir {

void CsvSplitter::endField()
{
    builder_.addCell(field_);
    field_.clear();
    fieldStarted_ = false;
}

void CsvSplitter::endRecord()
{
    if (recordStarted_)
        endField();
    builder_.endRow();
    recordStarted_ = false;
}

void CsvSplitter::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n')
                continue;
        }
        if (quoteSeen_) {
            quoteSeen_ = false;
            if (c == '"') { // a doubled quote is one quote of the text
                field_ += '"';
                continue;
            }
            quoted_ = false; // the closing quote; c is read as outside quotes
        }
        if (quoted_) {
            if (c == '"')
                quoteSeen_ = true;
            else
                field_ += c;
            continue;
        }
        switch (c) {
        case ',':
            recordStarted_ = true;
            endField();
            break;
        case '\r':
            afterCr_ = true;
            [[fallthrough]];
        case '\n':
            endRecord();
            break;
        case '"':
            // Quotes open a field only at its start; elsewhere they are text.
            if (!fieldStarted_) {
                quoted_ = true;
                recordStarted_ = fieldStarted_ = true;
                break;
            }
            [[fallthrough]];
        default:
            recordStarted_ = fieldStarted_ = true;
            field_ += c;
            break;
        }
    }
}

void CsvSplitter::finish()
{
    quoteSeen_ = false;
    quoted_ = false; // a quote left open at the end closes there
    if (recordStarted_)
        endRecord();
}

} // namespace tallir
