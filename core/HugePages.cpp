#include "core/HugePages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace HugePages {

void *allocate(std::size_t bytes)
{
    // Whole huge pages, aligned, so that no part of the buffer falls back to small ones.
    const std::size_t rounded = (bytes + kSize - 1) / kSize * kSize;
    void *data = std::aligned_alloc(kSize, rounded);
    if (data)
        ::madvise(data, rounded, MADV_HUGEPAGE);
    return data;
}

void release(void *data)
{
    std::free(data);
}

bool advise(const void *data, std::size_t bytes)
{
    if (bytes < kSize)
        return false;
    // Whole pages: the advice is taken a page at a time, and it changes no byte of the
    // neighbours a first or last page may hold.
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = std::uintptr_t(data) / page * page;
    const std::uintptr_t to = (std::uintptr_t(data) + bytes + page - 1) / page * page;
    return ::madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE) == 0;
}

} // namespace HugePages
