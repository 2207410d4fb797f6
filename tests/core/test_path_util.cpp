#include "core/PathUtil.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

TEST(PathUtil, SplitPathKeepsMultiByteNamesWhole)
{
    const QString path = QStringLiteral("/home/太郎/ソ表能.txt");
    EXPECT_EQ(PathUtil::SplitPath(path, 'F'), "ソ表能.txt");
    EXPECT_EQ(PathUtil::SplitPath(path, 'D'), "/home/太郎/");
    EXPECT_EQ(PathUtil::SplitPath(path, 'X'), path);
    EXPECT_EQ(PathUtil::SplitPath("name", 'D'), "");
    EXPECT_EQ(PathUtil::SplitPath("/dir/", 'F'), "");
}
