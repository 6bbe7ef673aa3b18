#include "LocaleFormat.h"

#include <QLocale>

namespace LocaleFormat {

tallir::NumberSeparators Separators()
{
    const QLocale locale;
    return {locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString()};
}

QString Standard(double value)
{
    return QString::fromStdString(tallir::FormatStandard(value, Separators()));
}

QString SizeText(qint64 bytes)
{
    return Standard(static_cast<double>(bytes)) + QStringLiteral("Bytes");
}

QString DateText(const QDateTime& when)
{
    const QLocale locale;
    return locale.toString(when.date(), QLocale::ShortFormat) + ' ' + locale.toString(when.time(), QLocale::LongFormat);
}

} // namespace LocaleFormat
