#include "core/HugePages.h"

#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Whether the mapping that holds an address is advised onto huge pages, as /proc/self/smaps says.
bool advisedAt(const void *address)
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return false;
    static const QRegularExpression range(QStringLiteral("^([0-9a-f]+)-([0-9a-f]+) "));
    const auto at = qulonglong(std::uintptr_t(address));
    bool inside = false;
    for (const QString &line : QString::fromLatin1(smaps.readAll()).split(u'\n')) {
        if (const QRegularExpressionMatch m = range.match(line); m.hasMatch())
            inside = m.captured(1).toULongLong(nullptr, 16) <= at && at < m.captured(2).toULongLong(nullptr, 16);
        else if (inside && line.startsWith(u"VmFlags:"))
            return line.contains(u" hg");
    }
    return false;
}

} // namespace

// A string's room, which starts wherever its allocator put it, is advised on the whole pages it
// lies on; a buffer smaller than a huge page is left alone.
TEST(HugePages, AStringsRoomIsAdvisedOnTheWholePagesItLiesOn)
{
    QString text;
    text.reserve(qsizetype(HugePages::kSize)); // twice a huge page of bytes
    const std::size_t bytes = std::size_t(text.capacity()) * sizeof(char16_t);
    ASSERT_NE(std::uintptr_t(text.constData()) % 4096, 0u);
    ASSERT_TRUE(HugePages::advise(text.constData(), bytes));
    EXPECT_TRUE(advisedAt(text.constData()));
    EXPECT_TRUE(advisedAt(reinterpret_cast<const char *>(text.constData()) + bytes - 1));

    QString small;
    small.reserve(1000);
    EXPECT_FALSE(HugePages::advise(small.constData(), std::size_t(small.capacity()) * sizeof(char16_t)));
}
