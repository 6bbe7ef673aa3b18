#include "TempFolder.h"

#include <QFile>
#include <filesystem>

TempFolder::TempFolder()
    : previousSettingsDir_(qgetenv("TALLIR_SETTINGS_DIR"))
{
    qputenv("TALLIR_SETTINGS_DIR", dir_.path().toUtf8());
}

TempFolder::~TempFolder()
{
    qputenv("TALLIR_SETTINGS_DIR", previousSettingsDir_);
    // By its bytes: a name that is no UTF-8 would keep the folder from going otherwise.
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString(), ignored);
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
