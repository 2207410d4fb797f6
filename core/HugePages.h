#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>

// Each page a buffer touches for the first time costs a fault, and a line index of millions of
// entries is otherwise touched 4 KB at a time. Buffers of 2 MB or more get whole huge pages,
// which the system backs at one fault each where it can; smaller ones are allocated as usual.
namespace HugePages {

constexpr std::size_t kSize = std::size_t(2) << 20;

// Null when there is no memory; `bytes` at least kSize.
void *allocate(std::size_t bytes);
void release(void *data);

// Asks the system to back the pages a buffer of kSize bytes or more lies on with huge pages,
// for a buffer another allocator made (a string's room): its whole huge pages then fault once
// each. Gives whether the system took the advice; a smaller buffer is left as it is (false).
bool advise(const void *data, std::size_t bytes);

// Room for n items, rounded up to a whole huge page where n fills more than a quarter of one:
// touched at a fault or two instead of a fault every 4 KB, for a megabyte more of address space
// at most.
template <typename T>
std::size_t room(std::size_t n)
{
    constexpr std::size_t kPage = (kSize + sizeof(T) - 1) / sizeof(T);
    return n >= kPage / 4 ? std::max(n, kPage) : n;
}

} // namespace HugePages

template <class T>
struct HugePageAllocator {
    using value_type = T;

    HugePageAllocator() = default;
    template <class U>
    HugePageAllocator(const HugePageAllocator<U> &) noexcept
    {
    }

    T *allocate(std::size_t n)
    {
        if (n * sizeof(T) < HugePages::kSize)
            return std::allocator<T>().allocate(n);
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        if (void *data = HugePages::allocate(n * sizeof(T)))
            return static_cast<T *>(data);
        throw std::bad_alloc();
    }
    void deallocate(T *data, std::size_t n) noexcept
    {
        if (n * sizeof(T) < HugePages::kSize)
            std::allocator<T>().deallocate(data, n);
        else
            HugePages::release(data);
    }

    template <class U>
    bool operator==(const HugePageAllocator<U> &) const noexcept
    {
        return true;
    }
};
