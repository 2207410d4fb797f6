#include "core/PathUtil.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

TEST(PathUtil, SplitPathKeepsMultiByteNamesWhole)
{
    const QString path = QStringLiteral("/home/太郎/ソ表能.txt");
    using PathUtil::PathPart;
    EXPECT_EQ(PathUtil::SplitPath(path, PathPart::FileName), "ソ表能.txt");
    EXPECT_EQ(PathUtil::SplitPath(path, PathPart::Folder), "/home/太郎/");
    EXPECT_EQ(PathUtil::SplitPath(path, PathPart('X')), path);
    EXPECT_EQ(PathUtil::SplitPath("name", PathPart::Folder), "");
    EXPECT_EQ(PathUtil::SplitPath("/dir/", PathPart::FileName), "");
}
