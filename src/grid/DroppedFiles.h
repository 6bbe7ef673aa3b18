#pragma once

#include <QMimeData>
#include <QStringList>
#include <QUrl>

// The local files of a drop, in their order; anything else dropped is passed over.
inline QStringList DroppedFiles(const QMimeData* data)
{
    QStringList files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}
