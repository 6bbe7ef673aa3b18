#include "modUtil.h"

#include "IniText.h"
#include "SettingsFile.h"
#include "core/NumberFormat.h"
#include "core/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cmath>
#include <limits>
#include <optional>

namespace modUtil {

namespace {

constexpr qsizetype MaxStringLength = 254;

std::optional<QByteArray> Lookup(const QString& section, const QString& key, const QString& path)
{
    const SettingsBytes file = ReadSettingsBytes(path);
    if (!file.usable)
        return std::nullopt;
    return IniText::Lookup(file.bytes, section.toUtf8(), key.toUtf8());
}

std::optional<double> TextToNumber(const QString& text)
{
    bool ok = false;
    double value = QLocale().toDouble(text, &ok);
    if (!ok) // a file written under another locale, or by hand
        value = QLocale::c().toDouble(text, &ok);
    // "inf" and "nan" are no setting of this program: they read as the default.
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

QString SettingsFileName()
{
    return QString::fromUtf8(tallir::ProgramTitle.data(), qsizetype(tallir::ProgramTitle.size())) + ".ini";
}

} // namespace

QString PathJoin(const QString& folder, const QString& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QString SettingsPath()
{
    const QString chosen = qEnvironmentVariable("TALLIR_SETTINGS_DIR");
    if (!chosen.isEmpty())
        return PathJoin(chosen, SettingsFileName());
    return SettingsPathFor(QCoreApplication::applicationDirPath());
}

QString InstalledManual(const QString& executableFolder)
{
    const QString manual = PathJoin(executableFolder, "../share/doc/tallir/") + QString::fromUtf8(tallir::ProgramTitle.data()) + ".html";
    return QFileInfo::exists(manual) ? QDir::cleanPath(manual) : QString();
}

QString SettingsPathFor(const QString& executableFolder)
{
    // A copy run from its build folder, or one marked portable by a settings file beside it,
    // keeps its settings there; any other, installed or not, whoever runs it, in the user's
    // configuration folder.
    const QString beside = PathJoin(executableFolder, SettingsFileName());
    const bool buildFolder = QFileInfo::exists(PathJoin(executableFolder, "../CMakeCache.txt")) && InstalledManual(executableFolder).isEmpty()
        && QFileInfo(executableFolder).isWritable();
    if (!executableFolder.isEmpty() && (buildFolder || QFileInfo(beside).isFile()))
        return beside;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return PathJoin(PathJoin(config, QString::fromUtf8(tallir::ProgramTitle.data())), SettingsFileName());
}

qint16 ReadInteger(const QString& section, const QString& key, qint16 defaultValue)
{
    return ReadIntegerFrom(section, key, defaultValue, SettingsPath());
}

qint16 ReadIntegerFrom(const QString& section, const QString& key, qint16 defaultValue, const QString& path)
{
    const auto found = Lookup(section, key, path);
    if (!found || found->isEmpty())
        return defaultValue;
    // The leading whole number: "12abc" gives 12, a value that starts otherwise gives 0.
    const QByteArray& text = *found;
    qsizetype i = 0;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+')
        ++i;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<qint16>::max() + 1)
            return defaultValue;
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return defaultValue;
    return static_cast<qint16>(value);
}

float ReadSingle(const QString& section, const QString& key, float defaultValue)
{
    return ReadSingleFrom(section, key, defaultValue, SettingsPath());
}

float ReadSingleFrom(const QString& section, const QString& key, float defaultValue, const QString& path)
{
    const QString defaultText = SingleToText(defaultValue);
    const auto value = TextToNumber(ReadStringFrom(section, key, defaultText, path));
    if (!value || std::fabs(*value) > std::numeric_limits<float>::max())
        return TextToNumber(defaultText).value_or(defaultValue);
    return static_cast<float>(*value);
}

double ReadDouble(const QString& section, const QString& key, double defaultValue)
{
    return ReadDoubleFrom(section, key, defaultValue, SettingsPath());
}

double ReadDoubleFrom(const QString& section, const QString& key, double defaultValue, const QString& path)
{
    const QString defaultText = DoubleToText(defaultValue);
    const auto value = TextToNumber(ReadStringFrom(section, key, defaultText, path));
    return value ? *value : TextToNumber(defaultText).value_or(defaultValue);
}

QString ReadString(const QString& section, const QString& key, const QString& defaultValue)
{
    return ReadStringFrom(section, key, defaultValue, SettingsPath());
}

QString ReadStringFrom(const QString& section, const QString& key, const QString& defaultValue, const QString& path)
{
    const auto found = Lookup(section, key, path);
    if (!found)
        return defaultValue;
    QByteArray text = *found;
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text.truncate(nul);
    QString value = QString::fromUtf8(text);
    // At most 254 characters come back, never half a character.
    if (value.size() > MaxStringLength) {
        qsizetype cut = 0;
        for (qsizetype characters = 0; cut < value.size() && characters < MaxStringLength; ++characters)
            cut += value[cut].isHighSurrogate() && cut + 1 < value.size() ? 2 : 1;
        value.truncate(cut);
    }
    return value;
}

bool WriteString(const QString& section, const QString& key, const QString& value)
{
    return WriteStringTo(section, key, value, SettingsPath());
}

bool WriteStringTo(const QString& section, const QString& key, const QString& value, const QString& path)
{
    const QByteArray s = section.toUtf8();
    const QByteArray k = key.toUtf8();
    const QByteArray v = value.toUtf8();
    if (!IniText::Writable(s, k, v))
        return false;
    return ChangeSettingsFile(path, [&](const QByteArray& content) { return IniText::Replace(content, s, k, v); });
}

QString SingleToText(float value)
{
    return QString::fromStdString(tallir::NumberToText(value, 7, QLocale().decimalPoint().toStdString()));
}

bool TextIsNumber(const QString& text)
{
    return TextToNumber(text).has_value();
}

namespace {
std::optional<double> ReadTolerance(const QString& key)
{
    return ToleranceValue(ReadString("Option", key, QString()));
}
} // namespace

std::optional<double> ReadAbsoluteTolerance()
{
    return ReadTolerance("AbsoluteTolerance");
}

std::optional<double> ReadRelativeTolerance()
{
    return ReadTolerance("RelativeTolerance");
}

tallir::RelativeTo ReadRelativeTo()
{
    return tallir::ParseRelativeTo(ReadString("Option", "RelativeTo", "1").trimmed().toStdString()).value_or(tallir::RelativeTo::File1);
}

std::vector<tallir::ColumnToleranceText> ReadColumnTolerances()
{
    return tallir::ParseColumnTolerances(ReadString("Option", "ColumnTolerances", QString()).toStdString()).value_or(
        std::vector<tallir::ColumnToleranceText>());
}

tallir::CompareOptions ReadCompareSettings()
{
    tallir::CompareOptions options;
    options.precisionSame = ReadInteger("Option", "PrecisionSame", 0) == 1;
    options.precisionLog = ReadDouble("Option", "PrecisionLog", 10);
    options.absoluteTolerance = ReadAbsoluteTolerance();
    options.relativeTolerance = ReadRelativeTolerance();
    options.relativeTo = ReadRelativeTo();
    options.grammar = {ReadInteger("Option", "NanInf", 0) == 1, ReadInteger("Option", "ExponentD", 0) == 1};
    return options;
}


bool ToleranceTextAccepted(const QString& text)
{
    return text.trimmed().isEmpty() || ToleranceValue(text);
}

std::optional<double> ToleranceValue(const QString& text)
{
    const auto value = TextToNumber(text.trimmed());
    return value && *value >= 0 ? value : std::nullopt;
}

QString DoubleToText(double value)
{
    return QString::fromStdString(tallir::NumberToText(value, 15, QLocale().decimalPoint().toStdString()));
}

QString ReadSystemIni(const QString&, const QString&, const QString& defaultValue)
{
    return defaultValue;
}

QString ReadRegistryString(const QString&, const QString&, const QString&)
{
    return {};
}

QString WindowsVersion(const QString& kernelRelease)
{
    const QStringList parts = kernelRelease.split('.');
    auto leadingNumber = [](const QString& text) {
        qsizetype digits = 0;
        while (digits < text.size() && text[digits].isDigit())
            ++digits;
        return text.left(digits).toInt();
    };
    const int major = parts.isEmpty() ? 0 : leadingNumber(parts[0]);
    const int minor = parts.size() < 2 ? 0 : leadingNumber(parts[1]);
    return QString::number(major + minor / 100.0, 'f', 2);
}

} // namespace modUtil
