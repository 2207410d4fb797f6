#include "platform/FileSystem.h"

#include <QFile>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

class FileSystemTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString write(const char *name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(QLatin1String(name));
        TestFiles::write(path, bytes);
        return path;
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
