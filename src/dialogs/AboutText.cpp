#include "AboutText.h"

#include <QLocale>
#include <cmath>

namespace AboutText {

QString KiloBytes(std::uint64_t bytes)
{
    const auto kilobytes = static_cast<qulonglong>(std::llround(double(bytes) / 1024));
    QString digits = QString::number(kilobytes).rightJustified(4, '0');
    const QString separator = QLocale().groupSeparator();
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, separator);
    return digits + " KB";
}

QString Percent(double fraction)
{
    return QLocale().toString(fraction * 100, 'f', 1) + " %";
}

Bar MemoryBar(std::uint64_t available, std::uint64_t total)
{
    if (total == 0)
        return {0, Percent(0)};
    const float fraction = float(double(available) / double(total));
    if (fraction > 1.0f)
        return {1, "More than " + Percent(1)};
    if (fraction < 0.0f)
        return {0, "Less than " + Percent(0)};
    return {fraction, Percent(fraction)};
}

QString Processor(const platform::SystemFacts& facts)
{
    QString text = QString::number(facts.processorCount) + "x " + (facts.architecture.isEmpty() ? "Unknown architecture" : facts.architecture);
    if (!facts.processorModel.isEmpty())
        text += ' ' + facts.processorModel;
    return text;
}

QString Colors(int planes, int bits)
{
    QString name;
    if (bits == 15 || bits == 16)
        name = QStringLiteral("High Color");
    else if (bits == 24 || bits == 32)
        name = QStringLiteral("True Color");
    else
        name = QString::number(planes * bits) + " Colors";
    return name + " (" + QString::number(planes) + "plane/" + QString::number(bits) + "bit)";
}

QString SystemVersion(const platform::SystemFacts& facts)
{
    const QString name = facts.distributionName.isEmpty() ? QStringLiteral("Linux") : facts.distributionName;
    return name + " (Kernel " + facts.kernelRelease + ")";
}

} // namespace AboutText
