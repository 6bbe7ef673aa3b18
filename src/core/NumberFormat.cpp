#include "NumberFormat.h"

#include <charconv>
#include <cmath>

namespace tallir {

std::string FormatStandard(double value, const NumberSeparators& separators)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, 2);
    const std::string_view digits(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t point = digits.find('.');
    const std::string_view integer = digits.substr(0, point);
    const std::string_view fraction = digits.substr(point + 1);

    std::string text;
    text.reserve(digits.size() + digits.size() / 3 * separators.thousands.size() + 2);
    if (value < 0) // a negative number keeps its sign even where it rounds to zero
        text += '-';
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0)
            text += separators.thousands;
        text += integer[i];
    }
    text += separators.decimal;
    text += fraction;
    return text;
}

std::string DimensionText(std::uint64_t rows, std::uint64_t cols)
{
    std::string text = "R";
    text.append(std::to_string(rows)).append(" x C").append(std::to_string(cols));
    return text;
}

std::string NumberToText(double value, int significantDigits, std::string_view decimal)
{
    if (!std::isfinite(value))
        return FormatStandard(value);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significantDigits);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    if (const auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, decimal);
    return text;
}

std::string ScriptNumber(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

} // namespace tallir
