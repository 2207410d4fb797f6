#include "core/Bits.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <vector>

// Rows of line flags joined from pieces of every length land bit for bit where they belong.
TEST(BitsTest, RowsAppendedAtEveryOffsetKeepEveryBit)
{
    std::vector<bool> expected;
    Bits joined;
    QRandomGenerator random(3);
    for (const size_t length : {0, 1, 63, 64, 65, 7, 128, 130, 1, 200}) {
        Bits piece;
        for (size_t i = 0; i < length; ++i) {
            const bool on = random.bounded(2) != 0;
            piece.push_back(on);
            expected.push_back(on);
        }
        joined.append(piece);
        ASSERT_EQ(joined.size(), expected.size());
    }
    // Changed after joining, then grown one at a time past the joined words.
    joined.set(64, !expected[64]);
    expected[64] = !expected[64];
    for (int i = 0; i < 70; ++i) {
        joined.push_back(i % 3 == 0);
        expected.push_back(i % 3 == 0);
    }
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(joined[i], bool(expected[i])) << i;
}
