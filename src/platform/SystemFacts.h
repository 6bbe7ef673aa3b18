#pragma once
// What the program asks of the system: kernel and distribution, processors, memory.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace platform {

struct MemoryStatus {
    std::uint64_t totalPhysical = 0;
    std::uint64_t availablePhysical = 0;
    std::uint64_t totalPageFile = 0; // swap
    std::uint64_t availablePageFile = 0;
    std::uint64_t totalVirtual = 0;  // physical and swap together
    std::uint64_t availableVirtual = 0;
};

struct SystemFacts {
    QString kernelRelease;    // "6.1.0-13-amd64"
    QString distributionName; // PRETTY_NAME of os-release
    QString architecture;     // "x86_64"
    QString processorModel;   // model name of the first processor
    unsigned processorCount = 0;
    MemoryStatus memory;
};

SystemFacts ReadSystemFacts();

// The figures of a /proc/meminfo text, in bytes.
MemoryStatus ParseMemInfo(const QByteArray& meminfo);

// The keyboard's lock keys as the desktop session has them.
struct KeyboardLocks {
    bool caps = false;
    bool num = false;
};

// From the X server's locked modifiers where the windows show on X; else from the kernel's
// keyboard lights (on when any keyboard's light is).
KeyboardLocks ReadKeyboardLocks();

} // namespace platform
