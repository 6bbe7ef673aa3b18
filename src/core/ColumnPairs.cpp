#include "ColumnPairs.h"

#include <map>

namespace tallir {

namespace {
// Names that stand once on a names line: name -> column, -1 when repeated.
std::map<std::string, std::int64_t> Once(const std::vector<std::string>& names)
{
    std::map<std::string, std::int64_t> once;
    for (std::size_t c = 0; c < names.size(); ++c) {
        if (names[c].empty())
            continue;
        const auto [it, fresh] = once.emplace(names[c], std::int64_t(c));
        if (!fresh)
            it->second = -1;
    }
    return once;
}
} // namespace

ColumnPairs::ColumnPairs(const std::vector<std::string>& names1, const std::vector<std::string>& names2)
    : names2_(names2.size())
{
    const auto once1 = Once(names1), once2 = Once(names2);
    constexpr std::uint64_t None = ~std::uint64_t(0);
    named_.assign(names1.size(), None);
    std::vector<bool> taken2(names2.size(), false);
    for (std::size_t c = 0; c < names1.size(); ++c) {
        const auto in1 = once1.find(names1[c]);
        if (in1 == once1.end() || in1->second < 0)
            continue;
        const auto in2 = once2.find(names1[c]);
        if (in2 == once2.end() || in2->second < 0)
            continue;
        named_[c] = std::uint64_t(in2->second);
        taken2[std::size_t(in2->second)] = true;
    }
    for (std::size_t c = 0; c < names2.size(); ++c)
        if (!taken2[c])
            left2_.push_back(c);
    for (std::size_t c = 0; c < names1.size(); ++c)
        if (named_[c] == None) {
            left1_.push_back(c);
            named_[c] = rest2(left1_.size() - 1);
        }
    inverse2_.assign(names2.size(), None);
    for (std::size_t c = 0; c < names1.size(); ++c)
        if (named_[c] < names2.size())
            inverse2_[named_[c]] = c;
    for (std::size_t i = left1_.size(); i < left2_.size(); ++i)
        inverse2_[left2_[i]] = names1.size() + (i - left1_.size());
}

std::uint64_t ColumnPairs::rest2(std::uint64_t i) const
{
    return i < left2_.size() ? left2_[i] : names2_ + (i - left2_.size());
}

std::uint64_t ColumnPairs::partner(std::uint64_t col1) const
{
    if (col1 < named_.size())
        return named_[col1];
    // Beyond File 1's names line: the next of the columns left over, in turn.
    return rest2(left1_.size() + (col1 - named_.size()));
}

std::uint64_t ColumnPairs::partnerOf2(std::uint64_t col2) const
{
    if (col2 < inverse2_.size())
        return inverse2_[col2];
    // Beyond File 2's names line: the next of the columns left over, in turn.
    const std::uint64_t rest = left2_.size() + (col2 - names2_);
    return rest < left1_.size() ? left1_[rest] : named_.size() + (rest - left1_.size());
}

} // namespace tallir
