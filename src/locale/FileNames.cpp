#include "FileNames.h"

#include <sys/stat.h>

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at text[at], or 0 when there is none.
int SequenceLength(QByteArrayView text, qsizetype at, char32_t& code)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString FileNameFromBytes(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = SequenceLength(bytes, at, code);
        if (length == 0) {
            name += QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        name += QString::fromUcs4(&code, 1);
        at += length;
    }
    return name;
}

QByteArray FileNameBytes(const QString& name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        const bool escaped = unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF;
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        if (escaped) {
            bytes += char(unit - EscapeBase);
        } else if (pair) {
            bytes += name.mid(i, 2).toUtf8();
            ++i;
        } else {
            bytes += QString(QChar(unit)).toUtf8();
        }
    }
    return bytes;
}

QString ShownFileName(const QString& name)
{
    QString shown = name;
    for (QChar& c : shown)
        if (c.unicode() >= EscapeBase + 0x80 && c.unicode() <= EscapeBase + 0xFF)
            c = QChar(0xFFFD);
    return shown;
}

QStringList ArgumentsFromBytes(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << FileNameFromBytes(QByteArrayView(argv[i]));
    return arguments;
}

std::optional<FileFacts> StatFile(const QString& name)
{
    struct stat facts {};
    if (::stat(FileNameBytes(name).constData(), &facts) != 0)
        return std::nullopt;
    const qint64 milliseconds = qint64(facts.st_mtim.tv_sec) * 1000 + facts.st_mtim.tv_nsec / 1'000'000;
    return FileFacts{S_ISREG(facts.st_mode), qint64(facts.st_size), QDateTime::fromMSecsSinceEpoch(milliseconds)};
}
