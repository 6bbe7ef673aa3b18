#pragma once
// A row's key cells as one record of bytes, as they are sorted on disk or sent elsewhere: its
// row, then per key cell whether it is a number, its value and its text after its length.

#include "KeyMerge.h"
#include "RowStream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

void AppendKeyRecord(std::string& record, std::uint64_t row, const RowBatch& batch, std::size_t at, const std::vector<std::uint64_t>& keys);
// One more key cell of a record begun with its row.
void AppendKeyCell(std::string& record, const KeyCell& cell);
std::uint64_t RowOf(std::string_view record);

// The key cells of a record, one after the other.
class KeyReader {
public:
    explicit KeyReader(std::string_view record) : at_(record.data() + sizeof(std::uint64_t)), end_(record.data() + record.size()) {}
    bool done() const { return at_ >= end_; }
    KeyCell next();

private:
    const char* at_;
    const char* end_;
};

// -1, 0 or 1 as a's keys sort before, with or after b's.
int CompareKeyRecords(std::string_view a, std::string_view b);
bool KeyThenRow(std::string_view a, std::string_view b);
bool ByRow(std::string_view a, std::string_view b);
// The order of the first key cell in 64 bits, as records with different numbers sort.
std::uint64_t FirstKeyPrefix(std::string_view record);
// A number the same for records with equal keys (numbers by value, so 5 and 5.0 alike).
std::uint64_t KeyHash(std::string_view record);

} // namespace tallir
