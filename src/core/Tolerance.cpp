#include "Tolerance.h"

#include "Compare.h"
#include "NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tallir {

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Pieces of a text between separators, each trimmed.
std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        pieces.push_back(Trimmed(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)));
        if (end == std::string_view::npos)
            return pieces;
        start = end + 1;
    }
}

} // namespace

double ReferenceOf(double x1, double x2, RelativeTo to)
{
    switch (to) {
    case RelativeTo::File1:
        break;
    case RelativeTo::File2:
        return std::fabs(x2);
    case RelativeTo::Max:
        return std::max(std::fabs(x1), std::fabs(x2));
    case RelativeTo::Min:
        return std::min(std::fabs(x1), std::fabs(x2));
    }
    return std::fabs(x1);
}

bool WithinRelative(double x1, double x2, double share, RelativeTo to)
{
    const double reference = ReferenceOf(x1, x2, to);
    const double difference = std::fabs(x2 - x1);
    if (std::isfinite(difference))
        return difference <= share * reference; // an overflowing product is rightly above any finite difference
    // Both near the largest doubles with opposite signs: compare in halves.
    return std::fabs(x2 / 2 - x1 / 2) <= share * (reference / 2);
}

namespace {
// Each reference with its name on the command line and in the settings, and as the rule says it.
struct ReferenceWords {
    RelativeTo to;
    const char* name;
    const char* text;
};
constexpr ReferenceWords References[] = {{RelativeTo::File1, "1", "|x1|"},
                                         {RelativeTo::File2, "2", "|x2|"},
                                         {RelativeTo::Max, "max", "max(|x1|, |x2|)"},
                                         {RelativeTo::Min, "min", "min(|x1|, |x2|)"}};

const ReferenceWords& WordsOf(RelativeTo to)
{
    for (const ReferenceWords& words : References)
        if (words.to == to)
            return words;
    return References[0];
}
} // namespace

std::optional<RelativeTo> ParseRelativeTo(std::string_view text)
{
    for (const ReferenceWords& words : References)
        if (text == words.name)
            return words.to;
    return std::nullopt;
}

const char* RelativeToName(RelativeTo to)
{
    return WordsOf(to).name;
}

const char* ReferenceText(RelativeTo to)
{
    return WordsOf(to).text;
}

std::optional<double> ParseToleranceValue(std::string_view text)
{
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || !(value >= 0))
        return std::nullopt;
    return value;
}

std::optional<std::vector<ColumnToleranceText>> ParseColumnTolerances(std::string_view text)
{
    std::vector<ColumnToleranceText> tolerances;
    if (Trimmed(text).empty())
        return tolerances;
    for (const std::string_view entry : Split(text, ';')) {
        if (entry.empty())
            continue; // a trailing ";"
        const auto colon = entry.rfind(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        ColumnToleranceText tolerance{std::string(Trimmed(entry.substr(0, colon))), {}, {}};
        if (tolerance.column.empty())
            return std::nullopt;
        for (const std::string_view setting : Split(entry.substr(colon + 1), ',')) {
            const auto equals = setting.find('=');
            const std::string_view kind = equals == std::string_view::npos ? setting : Trimmed(setting.substr(0, equals));
            const auto value = equals == std::string_view::npos ? std::nullopt : ParseToleranceValue(setting.substr(equals + 1));
            if (!value || (kind != "a" && kind != "r"))
                return std::nullopt;
            (kind == "a" ? tolerance.absolute : tolerance.relative) = value;
        }
        tolerances.push_back(std::move(tolerance));
    }
    return tolerances;
}

std::string ColumnTolerancesText(const std::vector<ColumnToleranceText>& tolerances)
{
    std::string text;
    for (const ColumnToleranceText& tolerance : tolerances) {
        if (!text.empty())
            text += "; ";
        text += tolerance.column + ":";
        if (tolerance.absolute)
            text += " a=" + ScriptNumber(*tolerance.absolute);
        if (tolerance.relative)
            text += std::string(tolerance.absolute ? "," : "") + " r=" + ScriptNumber(*tolerance.relative);
    }
    return text;
}

std::optional<std::uint64_t> ResolveColumn(std::string_view column, const std::vector<std::string>& names)
{
    const auto named = std::find(names.begin(), names.end(), column);
    if (named != names.end())
        return std::uint64_t(named - names.begin());
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(column.data(), column.data() + column.size(), number);
    if (column.empty() || error != std::errc() || end != column.data() + column.size() || number == 0)
        return std::nullopt;
    return number - 1;
}

std::vector<ColumnTolerance> ResolveColumnTolerances(const std::vector<ColumnToleranceText>& tolerances,
                                                     const std::vector<std::string>& names, std::vector<std::string>& unknown)
{
    std::vector<ColumnTolerance> resolved;
    for (const ColumnToleranceText& tolerance : tolerances) {
        if (const auto column = ResolveColumn(tolerance.column, names))
            resolved.push_back({*column, tolerance.absolute, tolerance.relative});
        else
            unknown.push_back(tolerance.column);
    }
    return resolved;
}

std::string DescribeTolerance(const CompareOptions& options, const std::vector<std::string>& names)
{
    const std::string reference = ReferenceText(options.relativeTo);
    // Each column's rule whole: the precision rule holds everywhere, the tolerances where no
    // column's own replaces them.
    auto clause = [&](const Tolerance& tolerance) {
        std::string text;
        if (options.precisionSame)
            text = "more than " + ScriptNumber(options.precisionLog) + " digits agree";
        if (tolerance.absolute)
            text += (text.empty() ? "" : " or ") + std::string("|x2 − x1| ≤ ") + ScriptNumber(*tolerance.absolute);
        if (tolerance.relative)
            text += (text.empty() ? "" : " or ") + std::string(tolerance.absolute ? "≤ " : "|x2 − x1| ≤ ")
                + ScriptNumber(*tolerance.relative) + " × " + reference;
        return text;
    };
    const std::string global = clause({options.absoluteTolerance, options.relativeTolerance});
    std::string rule = global.empty() ? "" : "S when " + global;
    std::vector<std::uint64_t> columns;
    for (const ColumnTolerance& own : options.columnTolerances)
        if (std::find(columns.begin(), columns.end(), own.column) == columns.end())
            columns.push_back(own.column);
    std::sort(columns.begin(), columns.end());
    for (const std::uint64_t column : columns) {
        const std::string name = column < names.size() && !names[column].empty() ? names[column] : "C" + std::to_string(column + 1);
        const std::string own =
            clause(ToleranceIn(column, options.absoluteTolerance, options.relativeTolerance, options.columnTolerances));
        rule += (rule.empty() ? "S in " : "; in ") + name + (own.empty() ? " never" : " when " + own);
    }
    return rule;
}

} // namespace tallir
