#pragma once

#include <QString>

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

// An empty string with room for `capacity` units: from kSize bytes on in whole huge pages, so
// that appends within the room fault once a huge page. It owns its buffer like any string (Qt
// frees a string's block with free(), which takes these too); below kSize an ordinary reserve.
QString string(qsizetype capacity);

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
