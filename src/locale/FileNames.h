#pragma once
// File names are bytes here, and need not be valid UTF-8. A name travels through the program as
// a QString that keeps every byte: valid UTF-8 decodes as usual, each byte that is not part of
// valid UTF-8 becomes one lone surrogate U+DC80 + byte, and encoding gives the same bytes back.
// Only what is shown to a person replaces those with U+FFFD.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

QString FileNameFromBytes(QByteArrayView bytes);
QByteArray FileNameBytes(const QString& name);
inline std::string FileNameString(const QString& name) { return FileNameBytes(name).toStdString(); }
// The name as a person reads it.
QString ShownFileName(const QString& name);
// The program's arguments (after its name), byte for byte.
QStringList ArgumentsFromBytes(int argc, char** argv);

// What the file system tells of a name; none when nothing is there.
struct FileFacts {
    bool regular; // a file, not a folder or anything else
    qint64 size;
    QDateTime modified;
};
std::optional<FileFacts> StatFile(const QString& name);
