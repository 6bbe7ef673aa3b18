#include "KeyRecords.h"

#include <cstring>
#include <functional>

namespace tallir {

void AppendKeyRecord(std::string& record, std::uint64_t row, const RowBatch& batch, std::size_t at, const std::vector<std::uint64_t>& keys)
{
    record.append(reinterpret_cast<const char*>(&row), sizeof row);
    for (const std::uint64_t c : keys)
        AppendKeyCell(record, KeyCell::Of(batch.cell(at, std::size_t(c))));
}

void AppendKeyCell(std::string& record, const KeyCell& cell)
{
    const std::uint32_t length = std::uint32_t(cell.text.size());
    record.push_back(char(cell.numeric));
    record.append(reinterpret_cast<const char*>(&cell.value), sizeof cell.value);
    record.append(reinterpret_cast<const char*>(&length), sizeof length);
    record.append(cell.text);
}

std::uint64_t RowOf(std::string_view record)
{
    std::uint64_t row = 0;
    std::memcpy(&row, record.data(), sizeof row);
    return row;
}

KeyCell KeyReader::next()
{
    KeyCell cell{*at_ != 0, 0, {}};
    std::uint32_t length = 0;
    std::memcpy(&cell.value, at_ + 1, sizeof cell.value);
    std::memcpy(&length, at_ + 1 + sizeof cell.value, sizeof length);
    at_ += 1 + sizeof cell.value + sizeof length;
    cell.text = std::string_view(at_, length);
    at_ += length;
    return cell;
}

int CompareKeyRecords(std::string_view a, std::string_view b)
{
    KeyReader x(a), y(b);
    while (!x.done() && !y.done()) {
        const KeyCell p = x.next(), q = y.next();
        if (p < q)
            return -1;
        if (q < p)
            return 1;
    }
    return 0;
}

bool KeyThenRow(std::string_view a, std::string_view b)
{
    const int order = CompareKeyRecords(a, b);
    return order != 0 ? order < 0 : RowOf(a) < RowOf(b);
}

bool ByRow(std::string_view a, std::string_view b)
{
    return RowOf(a) < RowOf(b);
}

// Numbers first, by value (the bits of a double made to sort as unsigned numbers, the last one
// dropped), then texts by their first seven bytes.
std::uint64_t FirstKeyPrefix(std::string_view record)
{
    KeyReader keys(record);
    if (keys.done())
        return 0;
    const KeyCell cell = keys.next();
    if (!cell.numeric) {
        std::uint64_t bytes = 0;
        for (std::size_t i = 0; i < 7; ++i)
            bytes = bytes << 8 | (i < cell.text.size() ? std::uint8_t(cell.text[i]) : 0);
        return std::uint64_t(1) << 63 | bytes << 7;
    }
    const double value = cell.value == 0 ? 0.0 : cell.value; // -0 and 0 are one value
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    bits = bits >> 63 ? ~bits : bits | std::uint64_t(1) << 63;
    return bits >> 1;
}

std::uint64_t KeyHash(std::string_view record)
{
    std::uint64_t hash = 0x9e3779b97f4a7c15;
    for (KeyReader keys(record); !keys.done();) {
        const KeyCell cell = keys.next();
        std::uint64_t part = 0;
        if (cell.numeric) {
            const double value = cell.value == 0 ? 0.0 : cell.value;
            std::memcpy(&part, &value, sizeof part);
        } else {
            part = std::hash<std::string_view>{}(cell.text) ^ 0x5555;
        }
        // splitmix64's finishing steps
        hash ^= part + 0x9e3779b97f4a7c15 + (hash << 6) + (hash >> 2);
        hash = (hash ^ hash >> 30) * 0xbf58476d1ce4e5b9;
        hash = (hash ^ hash >> 27) * 0x94d049bb133111eb;
        hash ^= hash >> 31;
    }
    return hash;
}

} // namespace tallir
