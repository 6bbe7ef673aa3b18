#pragma once
// An allocator for the large arrays of a table. Blocks of 2 MiB and more are mapped directly
// and, on Linux, marked for transparent huge pages: filling a table of hundreds of megabytes
// then takes a few hundred page faults instead of tens of thousands. Smaller blocks come from
// the ordinary heap. Mapped pages are not touched until written.

#include <cstddef>
#include <new>

namespace tallir {

void* AllocateLarge(std::size_t bytes);
void DeallocateLarge(void* block, std::size_t bytes) noexcept;

template <class T>
struct HugePageAllocator {
    using value_type = T;

    HugePageAllocator() = default;
    template <class U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
    void deallocate(T* block, std::size_t n) noexcept { DeallocateLarge(block, n * sizeof(T)); }

    template <class U>
    bool operator==(const HugePageAllocator<U>&) const noexcept
    {
        return true;
    }
};

} // namespace tallir
