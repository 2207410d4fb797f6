#include "core/HugePages.h"

#include <sys/mman.h>

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

} // namespace HugePages
