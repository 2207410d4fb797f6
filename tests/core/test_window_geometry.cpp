#include "core/WindowGeometry.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

TEST(WindowGeometry, ClampsToTheScreen)
{
    EXPECT_EQ(WindowGeometry::clampToScreen(QRect(100, 50, 696, 480), QSize(1280, 800)), QRect(100, 50, 696, 480));
    EXPECT_EQ(WindowGeometry::clampToScreen(QRect(100, 50, 2000, 480), QSize(1280, 800)), QRect(0, 50, 1280, 480));
    EXPECT_EQ(WindowGeometry::clampToScreen(QRect(100, 50, 600, 900), QSize(1280, 800)), QRect(100, 0, 600, 748));
}
