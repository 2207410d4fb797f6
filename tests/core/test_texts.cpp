#include "core/ColorText.h"
#include "core/Cp932.h"
#include "core/PathUtil.h"
#include "core/StatusTexts.h"
#include "core/WindowGeometry.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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

TEST(WindowGeometry, ClampsToTheScreen)
{
    EXPECT_EQ(WindowGeometry::clampToScreen(QRect(100, 50, 696, 480), QSize(1280, 800)), QRect(100, 50, 696, 480));
    EXPECT_EQ(WindowGeometry::clampToScreen(QRect(100, 50, 2000, 480), QSize(1280, 800)), QRect(0, 50, 1280, 480));
    EXPECT_EQ(WindowGeometry::clampToScreen(QRect(100, 50, 600, 900), QSize(1280, 800)), QRect(100, 0, 600, 748));
}

class FileSystemTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString write(const char *name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << name;
        f.write(bytes);
        return f.fileName();
    }
};

TEST_F(FileSystemTest, BinaryMeansAControlByteOtherThanNulCrLf)
{
    EXPECT_TRUE(FileSystem::IsBinaryFile(write("tab", QByteArray("a\tb"))));
    EXPECT_TRUE(FileSystem::IsBinaryFile(write("esc", QByteArray("a\x1b"))));
    EXPECT_FALSE(FileSystem::IsBinaryFile(write("text", QByteArray("a\0\r\n\x7f\x81\x40", 7))));
    EXPECT_FALSE(FileSystem::IsBinaryFile(dir.filePath("missing")));
    // A control byte far beyond the first block is still found.
    EXPECT_TRUE(FileSystem::IsBinaryFile(write("late", QByteArray(200000, 'x') + '\x01')));
}

TEST_F(FileSystemTest, ReadOnlyAndExistence)
{
    const QString path = write("f.txt", {});
    EXPECT_TRUE(FileSystem::fileExists(path));
    EXPECT_FALSE(FileSystem::fileExists(dir.path()));
    EXPECT_TRUE(FileSystem::folderExists(dir.path()));
    EXPECT_FALSE(FileSystem::IsReadOnlyFile(path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    EXPECT_TRUE(FileSystem::IsReadOnlyFile(path));
    EXPECT_FALSE(FileSystem::IsReadOnlyFile(QString()));
    EXPECT_FALSE(FileSystem::IsReadOnlyFile(dir.filePath("missing")));
    const FileSystem::ReadResult missing = FileSystem::readWholeFile(dir.filePath("missing"));
    EXPECT_FALSE(missing.bytes.has_value());
    EXPECT_FALSE(missing.error.isEmpty());
}

TEST(ProgramFolder, WorkFilesMoveToTheCacheWhenTheFolderCannotBeWritten)
{
    QTemporaryDir dir;
    SetProgramFolderOverride(dir.path());
    EXPECT_EQ(WorkFolder(), dir.path() + QLatin1Char('/'));
    SetProgramFolderOverride(dir.filePath(QStringLiteral("missing/folder")));
    const QString fallback = WorkFolder();
    EXPECT_FALSE(fallback.startsWith(dir.path()));
    EXPECT_TRUE(fallback.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(fallback).isWritable());
    SetProgramFolderOverride(QString());
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
