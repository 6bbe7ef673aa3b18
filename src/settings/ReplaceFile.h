#pragma once
// Replaces a file's whole content so that a reader sees either the old bytes or the new ones,
// never a mixture or an empty file: the new bytes go to a temporary file beside it, every write
// and the flush to disk are checked (the temporary file is named after it, ".new-" and six
// letters or digits), and only then is it renamed over the old one. Any failure
// (a full disk, a file size limit, no permission) leaves the old file exactly as it was and
// returns false. A link is followed: the file it names is replaced, the link stays.

#include <QByteArray>
#include <QString>

bool ReplaceFile(const QString& path, const QByteArray& bytes);
