#include "IniText.h"

#include <vector>

namespace IniText {

namespace {

struct Line {
    qsizetype begin; // first byte
    qsizetype end;   // one past the last byte before the line end
    qsizetype next;  // start of the next line
};

// Lines end at CR LF, LF or a lone CR. A leading UTF-8 byte-order mark belongs to no line, so
// it stays in front of the first one.
std::vector<Line> SplitLines(const QByteArray& content)
{
    std::vector<Line> lines;
    qsizetype begin = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (begin < content.size()) {
        qsizetype end = begin;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r')
            ++end;
        qsizetype next = end;
        if (next < content.size())
            next += content[next] == '\r' && next + 1 < content.size() && content[next + 1] == '\n' ? 2 : 1;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView Trimmed(QByteArrayView text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.sliced(b, e - b);
}

bool SameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A parsed line: a section header, an entry, or anything else (kept, never interpreted).
struct Parsed {
    enum Kind { Other, Section, Entry } kind = Other;
    QByteArrayView name;  // section name or key
    QByteArrayView value; // entry value
};

Parsed Parse(QByteArrayView line)
{
    const QByteArrayView text = Trimmed(line);
    if (text.isEmpty() || text[0] == ';' || text[0] == '#')
        return {};
    if (text[0] == '[') {
        const qsizetype close = text.indexOf(']');
        if (close < 0)
            return {};
        return {Parsed::Section, Trimmed(text.sliced(1, close - 1)), {}};
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return {};
    return {Parsed::Entry, Trimmed(text.first(equals)), Trimmed(text.sliced(equals + 1))};
}

// Where a section and a key stand in content.
struct Place {
    qsizetype sectionLine = -1;
    qsizetype keyLine = -1;
    qsizetype lastContentLine = -1; // last non-blank line of the section
};

Place Find(const QByteArray& content, const std::vector<Line>& lines, QByteArrayView section, QByteArrayView key)
{
    Place place;
    bool inSection = false;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const QByteArrayView line(content.constData() + lines[i].begin, lines[i].end - lines[i].begin);
        const Parsed parsed = Parse(line);
        if (parsed.kind == Parsed::Section) {
            if (inSection)
                break;
            inSection = place.sectionLine < 0 && SameName(parsed.name, section);
            if (inSection)
                place.sectionLine = place.lastContentLine = i;
            continue;
        }
        if (!inSection)
            continue;
        if (!Trimmed(line).isEmpty())
            place.lastContentLine = i;
        if (parsed.kind == Parsed::Entry && SameName(parsed.name, key)) {
            place.keyLine = i;
            break;
        }
    }
    return place;
}

// The line end new lines get: the one the file's first line has, else LF.
QByteArray LineEnd(const QByteArray& content, const std::vector<Line>& lines)
{
    for (const Line& line : lines)
        if (line.next > line.end)
            return content.mid(line.end, line.next - line.end);
    return "\n";
}

} // namespace

std::optional<QByteArray> Lookup(const QByteArray& content, QByteArrayView section, QByteArrayView key)
{
    const auto lines = SplitLines(content);
    const Place place = Find(content, lines, section, key);
    if (place.keyLine < 0)
        return std::nullopt;
    const Line& line = lines[place.keyLine];
    return Parse(QByteArrayView(content.constData() + line.begin, line.end - line.begin)).value.toByteArray();
}

QByteArray Replace(const QByteArray& content, QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const auto lines = SplitLines(content);
    const Place place = Find(content, lines, section, key);
    const QByteArray eol = LineEnd(content, lines);
    QByteArray entry = key.toByteArray() + '=' + value.toByteArray();

    QByteArray result;
    result.reserve(content.size() + entry.size() + section.size() + 8);
    if (place.keyLine >= 0) {
        const Line& line = lines[place.keyLine];
        // Keep the key as the file spells it; only the value changes.
        const auto parsed = Parse(QByteArrayView(content.constData() + line.begin, line.end - line.begin));
        entry = parsed.name.toByteArray() + '=' + value.toByteArray();
        result.append(content.constData(), line.begin);
        result.append(entry);
        result.append(content.constData() + line.end, content.size() - line.end);
        return result;
    }
    if (place.sectionLine >= 0) {
        const Line& after = lines[place.lastContentLine];
        result.append(content.constData(), after.next);
        if (after.next == after.end) // the last line of the file had no line end
            result.append(eol);
        result.append(entry).append(eol);
        result.append(content.constData() + after.next, content.size() - after.next);
        return result;
    }
    result = content;
    if (!lines.empty() && lines.back().next == lines.back().end) // the last line had no line end
        result.append(eol);
    result.append('[').append(section.toByteArray()).append(']').append(eol);
    result.append(entry).append(eol);
    return result;
}

bool Writable(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    auto hasBreak = [](QByteArrayView text) { return text.contains('\n') || text.contains('\r'); };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value))
        return false;
    const QByteArrayView name = Trimmed(key);
    if (Trimmed(section).isEmpty() || section.contains(']') || name.isEmpty() || key.contains('='))
        return false;
    return name[0] != '[' && name[0] != ';' && name[0] != '#';
}

} // namespace IniText
