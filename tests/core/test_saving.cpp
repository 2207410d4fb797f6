#include "core/Cp932.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

} // namespace

TEST(Cp932, EncodeReplacingWritesAQuestionMarkPerMissingCharacter)
{
    // Representable text comes out as encode() gives it, line breaks as CR LF.
    const QString plain = QStringLiteral("あ～\n①ｱ\nabc");
    EXPECT_EQ(Cp932::encodeReplacing(plain), Cp932::encode(plain));
    EXPECT_EQ(Cp932::encodeReplacing(plain), QByteArray("\x82\xa0\x81\x60\r\n\x87\x40\xb1\r\nabc"));

    // One '?' for each character the code page lacks, a pair of surrogates being one character;
    // the characters around keep their bytes, the Linux wave dash those of the Windows one.
    const QString mixed = QStringLiteral("xé漢\U0001F600y\u301C") + QChar(0xFFFD) + QChar(0xD800) + QStringLiteral("z");
    EXPECT_EQ(Cp932::encodeReplacing(mixed), QByteArray("x?\x8a\xbf?y\x81\x60??z"));
}

TEST(FileSystem, WriteAtomicallyCreatesAndReplaces)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    FileSystem::WriteResult result = FileSystem::writeFileAtomically(path, "first\r\n");
    EXPECT_TRUE(result.written) << result.error.toStdString();
    EXPECT_EQ(TestFiles::contents(path), "first\r\n");

    // A replaced file keeps its permissions, and a link keeps pointing at the file it names.
    const QFile::Permissions shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    QFile::setPermissions(path, shared);
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(path, link));
    result = FileSystem::writeFileAtomically(link, "second");
    EXPECT_TRUE(result.written);
    EXPECT_EQ(TestFiles::contents(path), "second");
    // The "user" bits describe the caller's access rather than the file's mode.
    const QFile::Permissions modeBits = QFile::Permissions::fromInt(0x7077);
    EXPECT_EQ(QFileInfo(path).permissions() & modeBits, shared);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile::remove(link);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.txt")});
}

TEST(FileSystem, AFailedWriteLeavesTheOldFileAndSaysWhy)
{
    QTemporaryDir dir;
    const QString locked = dir.filePath(QStringLiteral("locked.txt"));
    ASSERT_TRUE(TestFiles::write(locked, "keep"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup);
    FileSystem::WriteResult result = FileSystem::writeFileAtomically(locked, "lost");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.errorCode, EACCES);
    EXPECT_EQ(result.error, QStringLiteral("アクセスが拒否されました。"));
    EXPECT_EQ(TestFiles::contents(locked), "keep");

    const QString folder = dir.filePath(QStringLiteral("folder"));
    QDir().mkpath(folder);
    result = FileSystem::writeFileAtomically(folder, "lost");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.errorCode, EISDIR);
    EXPECT_TRUE(QFileInfo(folder).isDir());

    result = FileSystem::writeFileAtomically(dir.filePath(QStringLiteral("no/such/place.txt")), "lost");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.errorCode, ENOENT);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("locked.txt")});
}
