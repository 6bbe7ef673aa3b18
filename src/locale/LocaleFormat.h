#pragma once
// Texts that follow the user's regional settings: the "Standard" number format with the
// locale's separators, a file's size and its modification date as the status bars show them.

#include "core/NumberFormat.h"

#include <QDateTime>
#include <QString>

namespace LocaleFormat {

tallir::NumberSeparators Separators();
QString Standard(double value);
// The size in the "Standard" format followed by "Bytes": 1,234.00Bytes.
QString SizeText(qint64 bytes);
// Short date, a blank, long time.
QString DateText(const QDateTime& when);

} // namespace LocaleFormat
