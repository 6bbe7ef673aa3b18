#include "HugePageAllocator.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tallir {

namespace {
constexpr std::size_t LargeBlock = std::size_t(2) << 20;
}

void* AllocateLarge(std::size_t bytes)
{
#if defined(__linux__)
    if (bytes >= LargeBlock) {
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        madvise(block, bytes, MADV_HUGEPAGE);
        return block;
    }
#endif
    return ::operator new(bytes);
}

void DeallocateLarge(void* block, std::size_t bytes) noexcept
{
#if defined(__linux__)
    if (bytes >= LargeBlock) {
        munmap(block, bytes);
        return;
    }
#endif
    ::operator delete(block);
}

} // namespace tallir
