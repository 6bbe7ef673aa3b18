#include "SystemFacts.h"

#include <QFile>
#include <QList>
#include <sys/utsname.h>
#include <thread>

namespace platform {

namespace {

QByteArray ReadWhole(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The value of "name: value" or "NAME=value" lines.
QByteArray Field(const QByteArray& text, const QByteArray& name, char separator)
{
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype at = line.indexOf(separator);
        if (at > 0 && line.left(at).trimmed() == name)
            return line.mid(at + 1).trimmed();
    }
    return {};
}

} // namespace

MemoryStatus ParseMemInfo(const QByteArray& meminfo)
{
    auto kilobytes = [&](const char* name) {
        return Field(meminfo, name, ':').split(' ').value(0).toULongLong() * 1024;
    };
    MemoryStatus status;
    status.totalPhysical = kilobytes("MemTotal");
    status.availablePhysical = kilobytes("MemAvailable");
    status.totalPageFile = kilobytes("SwapTotal");
    status.availablePageFile = kilobytes("SwapFree");
    status.totalVirtual = status.totalPhysical + status.totalPageFile;
    status.availableVirtual = status.availablePhysical + status.availablePageFile;
    return status;
}

SystemFacts ReadSystemFacts()
{
    SystemFacts facts;
    utsname names{};
    if (uname(&names) == 0) {
        facts.kernelRelease = QString::fromLocal8Bit(names.release);
        facts.architecture = QString::fromLocal8Bit(names.machine);
    }
    QByteArray pretty = Field(ReadWhole("/etc/os-release"), "PRETTY_NAME", '=');
    if (pretty.size() >= 2 && pretty.startsWith('"') && pretty.endsWith('"'))
        pretty = pretty.mid(1, pretty.size() - 2);
    facts.distributionName = QString::fromUtf8(pretty);
    facts.processorModel = QString::fromUtf8(Field(ReadWhole("/proc/cpuinfo"), "model name", ':'));
    facts.processorCount = std::max(1u, std::thread::hardware_concurrency());
    facts.memory = ParseMemInfo(ReadWhole("/proc/meminfo"));
    return facts;
}

} // namespace platform
