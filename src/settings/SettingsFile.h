#pragma once
// The settings file as bytes on disk: read only when it is a regular file of a sensible size
// (never a device, a FIFO or gigabytes), changed only under a lock so that two copies writing
// at once cannot lose each other's keys.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace modUtil {

// The largest settings file read; a larger one is left alone and the defaults are used.
constexpr qint64 MaxSettingsBytes = qint64(1) << 20;

struct SettingsBytes {
    bool usable = true;  // false: something is there that is no settings file to read or replace
    QByteArray bytes;    // empty when there is no file
};
// Opened without waiting (a FIFO does not hang the reader); anything but a missing file or a
// regular file of at most MaxSettingsBytes is unusable, and said once on standard error.
SettingsBytes ReadSettingsBytes(const QString& path);

// What is wrong with the settings file at path, as its last read found, for a status bar;
// empty when nothing is.
QString SettingsProblem(const QString& path);

// Runs change (the file's bytes in, the new bytes out, nothing for no write) with the file
// locked against other writers (a lock on its folder), and replaces the file atomically.
// Temporary files that an earlier writer killed part way left behind go first. False when the
// file is unusable or could not be written.
bool ChangeSettingsFile(const QString& path, const std::function<std::optional<QByteArray>(const QByteArray&)>& change);

} // namespace modUtil
