#include "core/ColorText.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

TEST(ColorText, NamesAndHexRoundTrip)
{
    for (std::uint32_t value : {0x000000u, 0xFF0000u, 0xF0CAA6u, ColorText::clWindow, ColorText::clWindowText,
                                ColorText::kSystemColorBase + 30, ColorText::clNone, ColorText::clDefault,
                                0x123456u, 0x80000019u}) {
        std::uint32_t back = 0xDEADBEEF;
        ASSERT_TRUE(ColorText::fromText(ColorText::toText(value), back)) << value;
        EXPECT_EQ(back, value);
    }
    EXPECT_EQ(ColorText::toText(0xFF0000), "clBlue");
    EXPECT_EQ(ColorText::toText(ColorText::clWindow), "clWindow");
    EXPECT_EQ(ColorText::toText(0x123456), "$00123456");
    EXPECT_EQ(ColorText::toText(0x80000019), "$80000019"); // system colour 25 has no name
}

TEST(ColorText, ReadsAnyCaseDecimalAndRejectsOtherText)
{
    std::uint32_t color = 7;
    EXPECT_TRUE(ColorText::fromText("CLRED", color));
    EXPECT_EQ(color, 0x0000FFu);
    EXPECT_TRUE(ColorText::fromText("255", color));
    EXPECT_EQ(color, 255u);
    EXPECT_TRUE(ColorText::fromText("-2147483643", color)); // clWindow written as a signed number
    EXPECT_EQ(color, ColorText::clWindow);
    EXPECT_FALSE(ColorText::fromText("purple-ish", color));
    EXPECT_EQ(color, ColorText::clWindow);
}
