#include "MappedFile.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <mutex>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallir {

namespace {

// What the fault handler may read: plain atomics, no locks, no allocation.
struct Slot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> used{false};
    std::atomic<bool> cut{false};
};
std::array<Slot, 64> Slots;
std::uintptr_t PageSize = 4096;
struct sigaction Previous {};

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : Slots) {
        if (address < slot.begin.load(std::memory_order_acquire) || address >= slot.end.load(std::memory_order_acquire))
            continue;
        void* page = reinterpret_cast<void*>(address & ~(PageSize - 1));
        if (mmap(page, PageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            slot.cut.store(true, std::memory_order_release);
            return; // the read is made again, and finds zeros
        }
        break;
    }
    // Not a page of a mapped table: whatever would have happened without this handler.
    if ((Previous.sa_flags & SA_SIGINFO) && Previous.sa_sigaction) {
        Previous.sa_sigaction(signal, info, context);
    } else if (Previous.sa_handler != SIG_DFL && Previous.sa_handler != SIG_IGN) {
        Previous.sa_handler(signal);
    } else {
        struct sigaction plain {};
        plain.sa_handler = SIG_DFL;
        sigemptyset(&plain.sa_mask);
        sigaction(SIGBUS, &plain, nullptr); // the fault comes again, and ends the process
    }
}

void InstallHandler()
{
    PageSize = std::uintptr_t(sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &Previous);
}

} // namespace

std::shared_ptr<const MappedFile> MappedFile::Map(int fd, std::uint64_t size)
{
    if (size == 0 || size > SIZE_MAX / 2)
        return nullptr;
    static std::once_flag installed;
    std::call_once(installed, InstallHandler);
    int slot = 0;
    for (bool expected = false; slot < int(Slots.size()); ++slot, expected = false)
        if (Slots[std::size_t(slot)].used.compare_exchange_strong(expected, true))
            break;
    if (slot == int(Slots.size()))
        return nullptr;
    Slot& s = Slots[std::size_t(slot)];
    const int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    void* data = own < 0 ? MAP_FAILED : mmap(nullptr, std::size_t(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
        if (own >= 0)
            close(own);
        s.used.store(false);
        return nullptr;
    }
    s.cut.store(false);
    s.begin.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
    s.end.store(reinterpret_cast<std::uintptr_t>(data) + std::uintptr_t(size), std::memory_order_release);
    return std::shared_ptr<const MappedFile>(new MappedFile(static_cast<const char*>(data), size, slot, own));
}

MappedFile::MappedFile(const char* data, std::uint64_t size, int slot, int fd) : data_(data), size_(size), slot_(slot), fd_(fd)
{
    struct stat info {};
    if (fstat(fd_, &info) == 0) {
        seconds_ = info.st_mtim.tv_sec;
        nanoseconds_ = info.st_mtim.tv_nsec;
    }
}

MappedFile::~MappedFile()
{
    close(fd_);
    Slot& s = Slots[std::size_t(slot_)];
    s.begin.store(0, std::memory_order_release);
    s.end.store(0, std::memory_order_release);
    munmap(const_cast<char*>(data_), std::size_t(size_));
    s.used.store(false, std::memory_order_release);
}

void MappedFile::adviseSequential() const
{
    madvise(const_cast<char*>(data_), std::size_t(size_), MADV_SEQUENTIAL);
}

void MappedFile::release(std::uint64_t begin, std::uint64_t end) const
{
    end = std::min(end, size_); // never a page of anything else
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(data_) + begin + PageSize - 1) & ~(PageSize - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(data_) + end) & ~(PageSize - 1);
    if (first < last)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

bool MappedFile::cut() const
{
    return Slots[std::size_t(slot_)].cut.load(std::memory_order_acquire);
}

bool MappedFile::changed() const
{
    struct stat info {};
    return cut() || fstat(fd_, &info) != 0 || std::uint64_t(info.st_size) != size_ || info.st_mtim.tv_sec != seconds_
        || info.st_mtim.tv_nsec != nanoseconds_;
}

} // namespace tallir
