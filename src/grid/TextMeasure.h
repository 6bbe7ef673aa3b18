#pragma once
// Text widths in one font, in pixels, with the advances of plain ASCII characters kept at
// hand: measuring a column of a million numbers then costs a table look-up per character.

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <array>
#include <string_view>

class TextMeasure {
public:
    explicit TextMeasure(const QFont& font)
        : font_(font)
        , metrics_(font)
    {
        for (int c = 32; c < 127; ++c)
            ascii_[std::size_t(c)] = metrics_.horizontalAdvance(QChar(c));
    }

    // Of a long text, as much as any column can show: the first few thousand bytes.
    double width(std::string_view text) const
    {
        text = text.substr(0, 4096);
        double sum = 0;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 32 || byte >= 127)
                return metrics_.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
            sum += ascii_[byte];
        }
        return sum;
    }
    double width(const QString& text) const { return metrics_.horizontalAdvance(text); }
    double lineHeight() const { return metrics_.lineSpacing(); }
    const QFont& font() const { return font_; }

private:
    QFont font_;
    QFontMetricsF metrics_;
    std::array<double, 128> ascii_{};
};
