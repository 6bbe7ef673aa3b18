#include "TempFolder.h"

#include <QFile>

TempFolder::TempFolder()
    : previousSettingsDir_(qgetenv("TALLIR_SETTINGS_DIR"))
{
    qputenv("TALLIR_SETTINGS_DIR", dir_.path().toUtf8());
}

TempFolder::~TempFolder()
{
    qputenv("TALLIR_SETTINGS_DIR", previousSettingsDir_);
}

QString TempFolder::path(const QString& name) const
{
    return name.isEmpty() ? dir_.path() : dir_.filePath(name);
}

QString TempFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile file(path(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

QByteArray TempFolder::read(const QString& name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
