#include "platform/FileOpMessages.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"

#include "tests/TestPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using FileOps::Status;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool supportsUserAttributes(const QString &path)
{
    return ::setxattr(QFile::encodeName(path).constData(), "user.probe", "x", 1, 0) == 0;
}

class FileOperations : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString write(const QString &name, const QByteArray &bytes, const QString &folder = {})
    {
        const QString path = (folder.isEmpty() ? dir.path() : folder) + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString sub(const QString &name)
    {
        QDir(dir.path()).mkdir(name);
        return dir.filePath(name);
    }
};

// A folder on another file system than the temporary folder, when the machine has one.
std::unique_ptr<QTemporaryDir> otherFileSystem(const QString &near)
{
    struct stat here {}, there {};
    if (::stat(QFile::encodeName(near).constData(), &here) != 0 || ::stat("/dev/shm", &there) != 0
        || here.st_dev == there.st_dev || ::access("/dev/shm", W_OK) != 0)
        return nullptr;
    auto dir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/orlimbo-XXXXXX"));
    return dir->isValid() ? std::move(dir) : nullptr;
}

} // namespace

TEST_F(FileOperations, CopyNeverOverwritesAndKeepsPermissionsAndTime)
{
    const QString a = write("a.txt", "new");
    ::chmod(QFile::encodeName(a).constData(), 0751);
    const QDateTime stamp(QDate(2001, 2, 3), QTime(4, 5, 6));
    ASSERT_TRUE(FileOps::setLastWriteTime(a, stamp).ok());
    const QString into = sub("into");
    const QString old = write("a.txt", "old", into);

    const FileOps::Result refused = FileOps::copyFile(a, old);
    EXPECT_EQ(refused.status, Status::TargetExists);
    EXPECT_FALSE(refused.systemText.isEmpty());
    EXPECT_EQ(contents(old), "old");

    const QString copy = into + "/b.txt";
    ASSERT_TRUE(FileOps::copyFile(a, copy).ok());
    EXPECT_EQ(contents(copy), "new");
    EXPECT_EQ(modeOf(copy), 0751u);
    EXPECT_EQ(FileSystem::lastWriteTime(copy), stamp);
    EXPECT_EQ(contents(a), "new");

    EXPECT_EQ(FileOps::copyFile(dir.filePath("gone.txt"), into + "/c.txt").status, Status::NotFound);
    EXPECT_EQ(FileOps::copyFile(a, dir.filePath("no/such/folder/a.txt")).status, Status::NotFound);
    EXPECT_FALSE(QFile::exists(into + "/c.txt"));
}

TEST_F(FileOperations, MoveWithinOneFileSystemNeverOverwrites)
{
    const QString a = write("a.txt", "mine");
    const QString into = sub("into");
    const QString taken = write("a.txt", "theirs", into);
    EXPECT_EQ(FileOps::moveFile(a, taken).status, Status::TargetExists);
    EXPECT_EQ(contents(a), "mine");
    EXPECT_EQ(contents(taken), "theirs");

    ASSERT_TRUE(FileOps::moveFile(a, into + "/b.txt").ok());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(contents(into + "/b.txt"), "mine");
    // Onto its own path: nothing happens, and that is no failure.
    EXPECT_TRUE(FileOps::moveFile(taken, taken).ok());
    EXPECT_EQ(contents(taken), "theirs");
}

TEST_F(FileOperations, MoveByCopyKeepsEverythingAndLosesNothingOnFailure)
{
    const QString a = write("a.txt", QByteArray(300000, 'x'));
    const QDateTime stamp(QDate(2010, 6, 7), QTime(8, 9, 10));
    ASSERT_TRUE(FileOps::setLastWriteTime(a, stamp).ok());
    ::chmod(QFile::encodeName(a).constData(), 0640);
    const QString into = sub("into");
    const QString taken = write("a.txt", "theirs", into);

    EXPECT_EQ(FileOps::moveFile(a, taken, FileOps::Crossing::AlwaysCopy).status, Status::TargetExists);
    EXPECT_EQ(contents(a).size(), 300000);
    EXPECT_EQ(contents(taken), "theirs");
    EXPECT_EQ(FileOps::moveFile(a, into + "/none/a.txt", FileOps::Crossing::AlwaysCopy).status, Status::NotFound);
    EXPECT_EQ(contents(a).size(), 300000);

    const QString moved = into + "/b.txt";
    ASSERT_TRUE(FileOps::moveFile(a, moved, FileOps::Crossing::AlwaysCopy).ok());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(contents(moved), QByteArray(300000, 'x'));
    EXPECT_EQ(modeOf(moved), 0640u);
    EXPECT_EQ(FileSystem::lastWriteTime(moved), stamp);
}

TEST_F(FileOperations, MoveAcrossFileSystemsWhenTheMachineHasTwo)
{
    const std::unique_ptr<QTemporaryDir> other = otherFileSystem(dir.path());
    if (!other)
        GTEST_SKIP() << "no second file system at hand; the copy path is tested with the hook";
    const QString a = write("a.txt", "across");
    const QString taken = write("a.txt", "theirs", other->path());
    EXPECT_EQ(FileOps::moveFile(a, taken).status, Status::TargetExists);
    EXPECT_EQ(contents(a), "across");
    ASSERT_TRUE(FileOps::moveFile(a, other->path() + "/b.txt").ok());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(contents(other->path() + "/b.txt"), "across");
}

TEST_F(FileOperations, RenameOntoAnExistingNameFailsWithBothFilesIntact)
{
    const QString a = write("a.txt", "a");
    const QString b = write("b.txt", "b");
    EXPECT_EQ(FileOps::moveFile(a, b).status, Status::TargetExists);
    EXPECT_EQ(contents(a), "a");
    EXPECT_EQ(contents(b), "b");
}

TEST_F(FileOperations, DeleteRefusesReadOnlyFilesEvenForTheSuperuser)
{
    const QString a = write("a.txt", "keep");
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = true}).ok());
    EXPECT_EQ(FileOps::deleteFile(a).status, Status::ReadOnly);
    EXPECT_TRUE(QFile::exists(a));

    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = false}).ok());
    EXPECT_TRUE(FileOps::deleteFile(a).ok());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(FileOps::deleteFile(a).status, Status::NotFound);
    EXPECT_EQ(FileOps::deleteFile(QString()).status, Status::NotFound);
}

TEST_F(FileOperations, AttributesChangeOnlyReadOnlyAndArchive)
{
    const QString a = write("a.txt", "x");
    ::chmod(QFile::encodeName(a).constData(), 0764);
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = true}).ok());
    EXPECT_EQ(modeOf(a), 0544u); // every write bit goes, the rest stays
    auto read = FileOps::readAttributes(a);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->readOnly);
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = false}).ok());
    EXPECT_EQ(modeOf(a), 0744u); // clearing read-only gives the owner back the write bit

    if (!supportsUserAttributes(a))
        GTEST_SKIP() << "no user attributes on this file system";
    EXPECT_TRUE(FileOps::readAttributes(a)->archiveSupported);
    EXPECT_FALSE(FileOps::readAttributes(a)->archive);
    // Setting the mark on a read-only file works, and leaves it read-only.
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = true}).ok());
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = true, .archive = true}).ok());
    read = FileOps::readAttributes(a);
    EXPECT_TRUE(read->archive);
    EXPECT_TRUE(read->readOnly);
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = false, .archive = false}).ok());
    EXPECT_FALSE(FileOps::readAttributes(a)->archive);
    // Other user attributes are not touched.
    char value[4] = {};
    EXPECT_EQ(::getxattr(QFile::encodeName(a).constData(), "user.probe", value, sizeof value), 1);
}

TEST_F(FileOperations, LastWriteTimeIsSetAndReadBack)
{
    const QString a = write("a.txt", "x");
    const QDateTime stamp(QDate(1999, 12, 31), QTime(23, 59, 58));
    ASSERT_TRUE(FileOps::setLastWriteTime(a, stamp).ok());
    EXPECT_EQ(FileSystem::lastWriteTime(a), stamp);
    EXPECT_EQ(contents(a), "x"); // opened for writing, never truncated
    EXPECT_EQ(FileOps::setLastWriteTime(dir.filePath("gone"), stamp).status, Status::NotFound);
}

TEST(FileOpMessages, EachResultHasItsMessage)
{
    using Op = FileOpMessages::Operation;
    const FileOps::Result exists{Status::TargetExists, "File exists"};
    const FileOps::Result full{Status::NoSpace, "No space left on device"};
    auto m = FileOpMessages::failure(Op::Copy, exists);
    EXPECT_EQ(m.text, "コピー先に同名のファイルが存在するため、コピーできませんでした。\n\n違うファイル名としてコピーしますか？");
    EXPECT_EQ(m.caption, "ファイル名の競合");
    EXPECT_EQ(m.kind, Dialogs::Kind::QuestionAfterFailure);
    m = FileOpMessages::failure(Op::Move, exists);
    EXPECT_EQ(m.text, "移動先に同名のファイルが存在するため、移動できませんでした。\n\nファイル名を変更してコピーしますか？");
    m = FileOpMessages::failure(Op::Copy, full);
    EXPECT_EQ(m.text, "コピーできませんでした。\n\nNo space left on device");
    EXPECT_EQ(m.caption, "コピー");
    EXPECT_EQ(m.kind, Dialogs::Kind::Failure);
    m = FileOpMessages::failure(Op::Delete, full);
    EXPECT_EQ(m.text, "削除に失敗しました。\nファイルの属性などを確認して下さい。\n\nNo space left on device");
    m = FileOpMessages::failure(Op::Time, full);
    EXPECT_EQ(m.text, "タイムスタンプの変更ができませんでした。");
    EXPECT_EQ(m.caption, "報告");
    EXPECT_EQ(m.kind, Dialogs::Kind::Notice);
}
