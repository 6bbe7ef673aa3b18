#include "SettingsFile.h"

#include "ReplaceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace modUtil {

namespace {

QMutex problemMutex;
QHash<QString, QString> problems; // by path, while the file is unusable
QSet<QString> said;

SettingsBytes Unusable(const QString& path, const QString& why)
{
    const QMutexLocker lock(&problemMutex);
    const QString problem = QStringLiteral("The settings file %1 %2: the defaults are used and it is left as it is.").arg(path, why);
    problems.insert(path, problem);
    if (!said.contains(problem)) {
        said.insert(problem);
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
    }
    return {false, {}};
}

SettingsBytes Usable(const QString& path, QByteArray bytes = {})
{
    const QMutexLocker lock(&problemMutex);
    problems.remove(path);
    return {true, std::move(bytes)};
}

// A file descriptor closed when it goes.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Temporary files of the form name.new-XXXXXX beside the settings file: only a writer killed
// between writing and renaming leaves one, and under the lock no writer is at work.
void RemoveLeftovers(const QString& path)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    for (const QFileInfo& entry : folder.entryInfoList({info.fileName() + ".new-??????"}, QDir::Files | QDir::Hidden | QDir::System))
        if (!entry.isSymLink())
            QFile::remove(entry.absoluteFilePath());
}

} // namespace

SettingsBytes ReadSettingsBytes(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? Usable(path) : Unusable(path, QStringLiteral("cannot be read"));
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return Unusable(path, QStringLiteral("is no regular file"));
    if (info.st_size > MaxSettingsBytes)
        return Unusable(path, QStringLiteral("is larger than 1 MB"));
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Unusable(path, QStringLiteral("cannot be read"));
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return Usable(path, std::move(bytes));
}

QString SettingsProblem(const QString& path)
{
    const QMutexLocker lock(&problemMutex);
    return problems.value(path);
}

bool ChangeSettingsFile(const QString& path, const std::function<std::optional<QByteArray>(const QByteArray&)>& change)
{
    const QString folder = QFileInfo(path).absolutePath();
    QDir().mkpath(folder);
    // The lock is on the folder itself, so that nothing is left beside the file; it is held
    // until the descriptor closes, and a writer that dies lets go of it.
    const Descriptor lock{::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (lock.fd >= 0)
        while (::flock(lock.fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    const SettingsBytes current = ReadSettingsBytes(path);
    if (!current.usable)
        return false;
    const auto replaced = change(current.bytes);
    if (!replaced)
        return false;
    if (lock.fd >= 0)
        RemoveLeftovers(path);
    return ReplaceFile(path, *replaced);
}

} // namespace modUtil
