#include "core/StatusTexts.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

TEST(StatusTexts, SizeTextAddsKilobytesAndMegabytes)
{
    EXPECT_EQ(StatusTexts::sizeText(0), "0 Bytes");
    EXPECT_EQ(StatusTexts::sizeText(1023), "1023 Bytes");
    EXPECT_EQ(StatusTexts::sizeText(1024), "1024 Bytes ( 1 KB)");
    EXPECT_EQ(StatusTexts::sizeText(1536), "1536 Bytes ( 1 KB)");
    EXPECT_EQ(StatusTexts::sizeText(1048575), "1048575 Bytes ( 1023 KB)");
    EXPECT_EQ(StatusTexts::sizeText(1048576), "1048576 Bytes ( 1 MB)");
    EXPECT_EQ(StatusTexts::sizeText(3000000), "3000000 Bytes ( 2 MB)");
}

TEST(StatusTexts, LogicalLinesIgnoreAFinalBreak)
{
    EXPECT_EQ(StatusTexts::logicalLineCount(u""), 0);
    EXPECT_EQ(StatusTexts::logicalLineCount(u"a"), 1);
    EXPECT_EQ(StatusTexts::logicalLineCount(u"a\n"), 1);
    EXPECT_EQ(StatusTexts::logicalLineCount(u"a\n\n"), 2);
    EXPECT_EQ(StatusTexts::logicalLineCount(u"\n"), 1);
    EXPECT_EQ(StatusTexts::lineCountText(12), "全12行");
    EXPECT_EQ(StatusTexts::caretText(1, 1), "現在: 1行 1桁");
}

TEST(StatusTexts, FileDateDropsMidnightAndOddSeconds)
{
    const QDateTime noon(QDate(2024, 3, 5), QTime(9, 7, 31));
    EXPECT_EQ(StatusTexts::fileDateText(noon), "2024/03/05 9:07:30");
    EXPECT_EQ(StatusTexts::fileDateText(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 1))), "2024/03/05");
    EXPECT_EQ(StatusTexts::fileDateText(QDateTime()), "");
    EXPECT_EQ(StatusTexts::fileDateText(QDateTime(QDate(1975, 1, 1), QTime(12, 0))), "");
    EXPECT_EQ(StatusTexts::fileDateText(QDateTime(QDate(2107, 12, 31), QTime(12, 0))), "2107/12/31 12:00:00");
}
