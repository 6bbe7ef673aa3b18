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
    recordBytes_ = 0;
}

bool CsvSplitter::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        // The line of c, for saying where a record began: CR, LF and CR LF each end one.
        if (lineEnded_ && !(lastCr_ && c == '\n')) {
            ++line_;
            lineEnded_ = false;
        }
        lastCr_ = c == '\r';
        lineEnded_ = lineEnded_ || c == '\r' || c == '\n';
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n')
                continue;
        }
        if (recordBytes_ == 0)
            recordLine_ = line_;
        // The line end that ends a record is no part of it.
        const bool ending = (c == '\r' || c == '\n') && (!quoted_ || quoteSeen_);
        if (!ending && ++recordBytes_ > limit_) {
            overlongLine_ = quoted_ ? quoteLine_ : recordLine_;
            overlongQuoted_ = quoted_;
            return false;
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
                quoteLine_ = line_;
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
    return true;
}

void CsvSplitter::finish()
{
    quoteSeen_ = false;
    quoted_ = false; // a quote left open at the end closes there
    if (recordStarted_)
        endRecord();
}

} // namespace tallir
