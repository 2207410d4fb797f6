#include "core/HugePages.h"

#include <sys/mman.h>

#include <algorithm>
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

QString string(qsizetype capacity)
{
    using Data = QTypedArrayData<char16_t>;
    // Where Qt itself puts a string's units after its header.
    constexpr std::size_t offset = (sizeof(QArrayData) + alignof(Data::AlignmentDummy) - 1)
        / alignof(Data::AlignmentDummy) * alignof(Data::AlignmentDummy);
    const std::size_t bytes = offset + (std::size_t(std::max<qsizetype>(capacity, 0)) + 1) * sizeof(char16_t);
    void *block = bytes >= kSize ? allocate(bytes) : nullptr;
    if (!block) {
        QString small;
        small.reserve(capacity);
        return small;
    }
    auto *header = static_cast<Data *>(block);
    header->ref_.storeRelaxed(1);
    header->flags = QArrayData::CapacityReserved;
    // The room keeps one unit for the terminating null.
    header->alloc = qsizetype((kSize * ((bytes + kSize - 1) / kSize) - offset) / sizeof(char16_t)) - 1;
    auto *units = reinterpret_cast<char16_t *>(static_cast<char *>(block) + offset);
    units[0] = u'\0';
    return QString(QString::DataPointer(header, units, 0));
}

} // namespace HugePages
