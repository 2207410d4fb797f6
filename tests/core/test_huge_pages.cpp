#include "core/HugePages.h"

#include <gtest/gtest.h>

// A string in huge pages behaves as any other: it fills its room in place, is shared when
// copied, detaches on a write and frees itself.
TEST(HugePages, StringFillsItsRoomInPlaceAndOwnsIt)
{
    for (const qsizetype capacity : {qsizetype(100), qsizetype(HugePages::kSize), qsizetype(3 * HugePages::kSize / 2)}) {
        SCOPED_TRACE(capacity);
        QString text = HugePages::string(capacity);
        EXPECT_TRUE(text.isEmpty());
        ASSERT_GE(text.capacity(), capacity);
        const QChar *data = text.constData();
        QString expected;
        while (text.size() + 7 <= capacity) {
            text.append(QStringView(u"0123456"));
            expected.append(QStringView(u"0123456"));
        }
        EXPECT_EQ(text.constData(), data);
        EXPECT_EQ(text, expected);
        EXPECT_EQ(text.constData()[text.size()], QChar(0));

        QString copy = text;
        EXPECT_EQ(copy.constData(), text.constData());
        copy[0] = u'x';
        EXPECT_NE(copy.constData(), text.constData());
        EXPECT_EQ(text.front(), u'0');
        // Past its room it moves, as any string would.
        text.append(QString(text.capacity(), u'y'));
        EXPECT_EQ(text.sliced(0, expected.size()), expected);
    }
}
