#pragma once
// The settings file's format, on its bytes: "[section]" lines and "key=value" entries, names
// matched without regard to ASCII letter case, the value taken after the first "=" with
// surrounding blanks removed. A write replaces one entry in place (or adds it, and its
// section, where missing) and leaves every other line byte for byte as it was.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace IniText {

// The value of key in section, or nothing when either is missing. The first section and the
// first entry of a name count.
std::optional<QByteArray> Lookup(const QByteArray& content, QByteArrayView section, QByteArrayView key);

// content with key of section set to value.
QByteArray Replace(const QByteArray& content, QByteArrayView section, QByteArrayView key, QByteArrayView value);

// Whether section, key and value can be written without changing the file's structure: no
// line breaks anywhere, no "]" in a section name, no "=" in a key, and a key that does not
// start like a section or a comment.
bool Writable(QByteArrayView section, QByteArrayView key, QByteArrayView value);

} // namespace IniText
