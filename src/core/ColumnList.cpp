#include "ColumnList.h"

#include <algorithm>
#include <charconv>

namespace tallir {

namespace {

constexpr std::uint64_t MaxColumn = 100'000'000;

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::uint64_t> Column(std::string_view text)
{
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 || value > MaxColumn)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::vector<CompareOptions::ColumnRange>> ParseColumnList(std::string_view list)
{
    std::vector<CompareOptions::ColumnRange> ranges;
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto first = Column(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : Column(item.substr(dash + 1));
        if (!first || !last || *last < *first)
            return std::nullopt;
        ranges.push_back({*first - 1, *last - 1});
        if (comma == std::string_view::npos)
            return ranges;
        list.remove_prefix(comma + 1);
    }
}

std::vector<std::uint64_t> ListedColumns(const std::vector<CompareOptions::ColumnRange>& ranges, std::size_t limit)
{
    std::vector<std::uint64_t> columns;
    for (const auto& range : ranges)
        for (std::uint64_t c = range.first; c <= range.last && columns.size() < limit; ++c)
            columns.push_back(c);
    return columns;
}

ColumnSet::ColumnSet(std::vector<CompareOptions::ColumnRange> ranges)
{
    std::sort(ranges.begin(), ranges.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& range : ranges) {
        if (range.first > range.last)
            continue;
        if (!ranges_.empty() && range.first <= ranges_.back().last)
            ranges_.back().last = std::max(ranges_.back().last, range.last);
        else
            ranges_.push_back(range);
    }
}

bool ColumnSet::contains(std::uint64_t col) const
{
    // The last range starting at or before col.
    const auto after = std::upper_bound(ranges_.begin(), ranges_.end(), col, [](std::uint64_t c, const auto& range) { return c < range.first; });
    return after != ranges_.begin() && col <= std::prev(after)->last;
}

std::optional<std::vector<std::uint64_t>> KeyColumns(std::string_view list, const std::vector<std::string>& names)
{
    constexpr std::size_t Limit = 64;
    std::vector<std::uint64_t> columns;
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view item = Trimmed(list.substr(0, comma));
        if (const auto ranges = ParseColumnList(item)) {
            for (const std::uint64_t c : ListedColumns(*ranges, Limit - std::min(Limit, columns.size())))
                columns.push_back(c);
        } else if (const auto named = std::find(names.begin(), names.end(), item); !item.empty() && named != names.end()) {
            if (columns.size() < Limit)
                columns.push_back(std::uint64_t(named - names.begin()));
        } else {
            return std::nullopt;
        }
        if (comma == std::string_view::npos)
            return columns;
        list.remove_prefix(comma + 1);
    }
}

} // namespace tallir
