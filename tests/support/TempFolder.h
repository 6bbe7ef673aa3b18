#pragma once
// A temporary folder for one test, which also becomes the settings folder while it lives.

#include "core/AbbreviatePath.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();

    QString path(const QString& name = {}) const;
    // Writes a file of the given bytes and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    QString settingsPath() const { return path(QStringLiteral("Tallir.ini")); }

private:
    QTemporaryDir dir_;
    QByteArray previousSettingsDir_;
};

// The caption a window shows for a path: shortened to 40 characters, as a long temporary
// folder makes it.
inline QString CaptionFor(const QString& path)
{
    return QString::fromStdString(tallir::AbbreviatePath(path.toStdString(), 40));
}
