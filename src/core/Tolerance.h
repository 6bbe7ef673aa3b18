#pragma once
// The tolerances under which two different numbers are regarded as the same ("S"): an absolute
// and a relative one, for all columns or for single columns, and what the relative one is
// measured against.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallir {

// What a relative tolerance is a share of: |x1|, |x2|, the larger or the smaller of both.
enum class RelativeTo { File1, File2, Max, Min };

// A column's own tolerances; where one is not given, the global one holds.
struct ColumnTolerance {
    std::uint64_t column = 0; // value column of File 1, from 0
    std::optional<double> absolute;
    std::optional<double> relative;
    bool operator==(const ColumnTolerance&) const = default;
};

// The tolerances in force in one column.
struct Tolerance {
    std::optional<double> absolute;
    std::optional<double> relative;
};
// (Inline: it is asked for every pair of numbers compared.)
inline Tolerance ToleranceIn(std::uint64_t column, std::optional<double> absolute, std::optional<double> relative,
                             const std::vector<ColumnTolerance>& columns)
{
    Tolerance tolerance{absolute, relative};
    for (const ColumnTolerance& own : columns) {
        if (own.column != column)
            continue;
        if (own.absolute)
            tolerance.absolute = own.absolute;
        if (own.relative)
            tolerance.relative = own.relative;
    }
    return tolerance;
}

// The number a relative tolerance is a share of, for two finite numbers.
double ReferenceOf(double x1, double x2, RelativeTo to);

// Whether |x2 - x1| <= share x ref, also where share x ref or the difference is too large for a double.
bool WithinRelative(double x1, double x2, double share, RelativeTo to);

// "1", "2", "max", "min" (as the command line and the settings write it) and back.
std::optional<RelativeTo> ParseRelativeTo(std::string_view text);
const char* RelativeToName(RelativeTo to);
// "|x1|", "|x2|", "max(|x1|, |x2|)", "min(|x1|, |x2|)".
const char* ReferenceText(RelativeTo to);

// A column's tolerances as people write them, the column still a number (from 1) or a name.
struct ColumnToleranceText {
    std::string column;
    std::optional<double> absolute;
    std::optional<double> relative;
    bool operator==(const ColumnToleranceText&) const = default;
};
// "p: r=1e-3; T: a=0.01, r=1e-6" and back; nothing when malformed (a value must be a finite
// number of 0 or more, every entry a column and at least one value).
std::optional<std::vector<ColumnToleranceText>> ParseColumnTolerances(std::string_view text);
std::string ColumnTolerancesText(const std::vector<ColumnToleranceText>& tolerances);
// A tolerance value as typed: a finite number of 0 or more, nothing else.
std::optional<double> ParseToleranceValue(std::string_view text);

// The column a written column stands for: a number from 1, or one of the names (the first of
// that name); nothing when it is neither.
std::optional<std::uint64_t> ResolveColumn(std::string_view column, const std::vector<std::string>& names);
// Columns' tolerances with their columns resolved; those that name no column go to unknown.
std::vector<ColumnTolerance> ResolveColumnTolerances(const std::vector<ColumnToleranceText>& tolerances,
                                                     const std::vector<std::string>& names, std::vector<std::string>& unknown);

} // namespace tallir
