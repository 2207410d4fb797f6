#include "core/Cp932.h"
#include "core/TwoThreads.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

TEST(Cp932, DecodesTheMicrosoftMappingAndEveryLineBreak)
{
    const QByteArray bytes("\x81\x60\x87\x40\x83\x5c\r\na\rb\nc", 13);
    EXPECT_EQ(Cp932::decode(bytes), QStringLiteral("～①ソ\na\nb\nc"));
    // Invalid bytes become U+FFFD while a genuine 0x1A stays itself.
    EXPECT_EQ(Cp932::decode(QByteArray("a\xff\x1a\x80z", 5)), QStringLiteral("a\uFFFD\x1A\uFFFDz"));
}

TEST(Cp932, EncodesWithCrLfAndCountsTheSameLength)
{
    const QString text = QStringLiteral("～①ｱ\nabc\n");
    const QByteArray bytes = Cp932::encode(text);
    EXPECT_EQ(bytes, QByteArray("\x81\x60\x87\x40\xb1\r\nabc\r\n"));
    EXPECT_EQ(Cp932::byteLength(text), bytes.size());
    const QString odd = QStringLiteral("\uFFFD😀é");
    EXPECT_EQ(Cp932::byteLength(odd), Cp932::encode(odd).size());
    EXPECT_EQ(Cp932::decode(bytes), text);
    // Control codes keep their values both ways (the platform converter would swap three of them).
    const QByteArray controls("\x1a\x1c\x7f\x01", 4);
    EXPECT_EQ(Cp932::decode(controls), QStringLiteral("\x1a\x1c\x7f\x01"));
    EXPECT_EQ(Cp932::encode(Cp932::decode(controls)), controls);
}

// Every unit alone counts as many bytes as it is written in, and a text as its units do,
// counted on two threads at once as the halves of a file are.
TEST(Cp932, EveryUnitCountsAsItIsWrittenOnTwoThreadsAtOnce)
{
    QString units;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (!QChar::isSurrogate(char16_t(c)))
            units += QChar(char16_t(c));
    }
    qint64 first = 0, second = 0;
    runOnTwoThreads([&] { first = Cp932::byteLength(units); }, [&] { second = Cp932::byteLength(units); });
    EXPECT_EQ(first, Cp932::encode(units).size());
    EXPECT_EQ(second, first);
    QStringList wrong;
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QStringView unit = QStringView(units).sliced(i, 1);
        if (Cp932::byteLength(unit) != Cp932::encode(unit).size())
            wrong << QString::number(unit[0].unicode(), 16);
    }
    EXPECT_EQ(wrong.size(), 0) << wrong.first(std::min<qsizetype>(wrong.size(), 20)).join(u' ').toStdString();
}

TEST(Cp932, TheTableDecoderGivesWhatTheConverterGives)
{
    // Every single byte and every two-byte sequence, then random bytes full of invalid input.
    QByteArray all;
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            all += char(a);
            all += char(b);
            all += ' ';
        }
    }
    EXPECT_EQ(Cp932::decode(all), Cp932::referenceDecode(all));
    quint32 seed = 12345;
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        for (int i = 0; i < 300; ++i) {
            seed = seed * 1664525u + 1013904223u;
            bytes += char(seed >> 24);
        }
        ASSERT_EQ(Cp932::decode(bytes), Cp932::referenceDecode(bytes)) << round;
        EXPECT_EQ(Cp932::decodeCounting(bytes).byteLength, Cp932::byteLength(Cp932::decode(bytes)));
    }
}

TEST(Cp932, ALargeTextDecodedInPartsIsTheSameAsInOne)
{
    // Lines of random bytes with every kind of line break, lead bytes just before a line feed
    // and invalid bytes, enough for two threads and many blocks.
    QByteArray bytes;
    bytes.reserve(10 << 20);
    quint32 seed = 99;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 24; };
    while (bytes.size() < (9 << 20)) {
        const quint32 length = next() % 200;
        // The control codes the converter swaps are left out: the reference decodes around
        // each of them on its own, which would make it slow (the small test has them).
        for (quint32 i = 0; i < length; ++i) {
            const quint32 b = next() % 4 == 0 ? 0x81 + next() % 30 : next();
            bytes += char(b == 0x1A || b == 0x1C || b == 0x7F ? 0x20 : b);
        }
        static const char *const breaks[] = {"\r\n", "\n", "\r", "\x82\n", "\x82\r\n"};
        bytes += breaks[next() % 5];
    }
    const Cp932::Decoded decoded = Cp932::decodeCounting(bytes);
    const QString reference = Cp932::referenceDecode(bytes);
    ASSERT_EQ(decoded.text.size(), reference.size());
    EXPECT_TRUE(decoded.text == reference);
    EXPECT_EQ(decoded.byteLength, Cp932::byteLength(reference));
    // Valid text: the byte length comes from the counts of the parts.
    QByteArray valid;
    while (valid.size() < (9 << 19))
        valid += next() % 2 ? QByteArray("\x88\x9f\x82\xa0 text\r\n") : QByteArray("lone\n\x83\x41\r");
    EXPECT_EQ(Cp932::decodeCounting(valid).byteLength, Cp932::byteLength(Cp932::referenceDecode(valid)));
}
