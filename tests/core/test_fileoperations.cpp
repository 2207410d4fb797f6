#include "platform/FileOpMessages.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using FileOps::Status;

namespace {

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
        TestFiles::write(path, bytes);
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
    EXPECT_EQ(refused.error, EEXIST);
    EXPECT_EQ(TestFiles::contents(old), "old");

    const QString copy = into + "/b.txt";
    ASSERT_TRUE(FileOps::copyFile(a, copy).ok());
    EXPECT_EQ(TestFiles::contents(copy), "new");
    EXPECT_EQ(modeOf(copy), 0751u);
    EXPECT_EQ(FileSystem::lastWriteTime(copy), stamp);
    EXPECT_EQ(TestFiles::contents(a), "new");

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
    EXPECT_EQ(TestFiles::contents(a), "mine");
    EXPECT_EQ(TestFiles::contents(taken), "theirs");

    ASSERT_TRUE(FileOps::moveFile(a, into + "/b.txt").ok());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(TestFiles::contents(into + "/b.txt"), "mine");
    // Onto its own path: nothing happens, and that is no failure.
    EXPECT_TRUE(FileOps::moveFile(taken, taken).ok());
    EXPECT_EQ(TestFiles::contents(taken), "theirs");
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
    EXPECT_EQ(TestFiles::contents(a).size(), 300000);
    EXPECT_EQ(TestFiles::contents(taken), "theirs");
    EXPECT_EQ(FileOps::moveFile(a, into + "/none/a.txt", FileOps::Crossing::AlwaysCopy).status, Status::NotFound);
    EXPECT_EQ(TestFiles::contents(a).size(), 300000);

    const QString moved = into + "/b.txt";
    ASSERT_TRUE(FileOps::moveFile(a, moved, FileOps::Crossing::AlwaysCopy).ok());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(TestFiles::contents(moved), QByteArray(300000, 'x'));
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
    EXPECT_EQ(TestFiles::contents(a), "across");
    ASSERT_TRUE(FileOps::moveFile(a, other->path() + "/b.txt").ok());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(TestFiles::contents(other->path() + "/b.txt"), "across");
}

TEST_F(FileOperations, RenameOntoAnExistingNameFailsWithBothFilesIntact)
{
    const QString a = write("a.txt", "a");
    const QString b = write("b.txt", "b");
    EXPECT_EQ(FileOps::moveFile(a, b).status, Status::TargetExists);
    EXPECT_EQ(TestFiles::contents(a), "a");
    EXPECT_EQ(TestFiles::contents(b), "b");
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
    EXPECT_EQ(TestFiles::contents(a), "x"); // opened for writing, never truncated
    EXPECT_EQ(FileOps::setLastWriteTime(dir.filePath("gone"), stamp).status, Status::NotFound);
}

TEST(FileOpMessages, EachResultHasItsMessage)
{
    using Op = FileOpMessages::Operation;
    const FileOps::Result exists{Status::TargetExists, EEXIST};
    const FileOps::Result full{Status::NoSpace, ENOSPC};
    auto m = FileOpMessages::failure(Op::Copy, exists);
    EXPECT_EQ(m.text, "コピー先に同名のファイルが存在するため、コピーできませんでした。\n\n違うファイル名としてコピーしますか？");
    EXPECT_EQ(m.caption, "ファイル名の競合");
    EXPECT_EQ(m.kind, Dialogs::Kind::QuestionAfterFailure);
    m = FileOpMessages::failure(Op::Move, exists);
    EXPECT_EQ(m.text, "移動先に同名のファイルが存在するため、移動できませんでした。\n\nファイル名を変更してコピーしますか？");
    m = FileOpMessages::failure(Op::Copy, full);
    EXPECT_EQ(m.text, "コピーできませんでした。\n\nディスクの空き容量が足りません。");
    EXPECT_EQ(m.caption, "コピー");
    EXPECT_EQ(m.kind, Dialogs::Kind::Failure);
    m = FileOpMessages::failure(Op::Delete, full);
    EXPECT_EQ(m.text, "削除に失敗しました。\nファイルの属性などを確認して下さい。\n\nディスクの空き容量が足りません。");
    m = FileOpMessages::failure(Op::Time, full);
    EXPECT_EQ(m.text, "タイムスタンプの変更ができませんでした。\n\nディスクの空き容量が足りません。");
    EXPECT_EQ(m.caption, "報告");
    EXPECT_EQ(m.kind, Dialogs::Kind::Notice);
}

// The cause comes from the one table, after the operation's own first sentence.
TEST(FileOpMessages, TheCauseIsNamedInJapanese)
{
    using Op = FileOpMessages::Operation;
    const std::tuple<Op, int, const char *> cases[] = {
        {Op::Move, EACCES, "移動できませんでした。\n\nアクセスが拒否されました。"},
        {Op::Copy, EFBIG, "コピーできませんでした。\n\nファイルが大きすぎます。"},
        {Op::Move, ESPIPE, "移動できませんでした。\n\n未知のエラー（ESPIPE）"},
        {Op::Copy, RegularFile::kOtherFile, "コピーできませんでした。\n\n表示していたファイルが別のファイルに置き換えられています。"},
        {Op::Attributes, EPERM, "ファイル属性の変更ができませんでした。\n\nアクセスが拒否されました。"},
        {Op::Delete, 0, "削除に失敗しました。\nファイルの属性などを確認して下さい。"}, // our own read-only rule
    };
    for (const auto &[operation, error, text] : cases)
        EXPECT_EQ(FileOpMessages::failure(operation, {Status::Other, error}).text, QString::fromUtf8(text)) << error;
}

namespace {

RegularFile::Identity identityOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return RegularFile::identityOf(st);
}

// Copy and the two ways of moving, each told which file it is meant to take.
using Operation =
    std::function<FileOps::Result(const QString &, const QString &, std::optional<RegularFile::Identity>)>;
const std::pair<const char *, Operation> kOperations[] = {
    {"copy", [](auto &from, auto &to, auto expected) { return FileOps::copyFile(from, to, expected); }},
    {"rename", [](auto &from, auto &to, auto expected) { return FileOps::moveFile(from, to, {}, expected); }},
    {"move by copy",
     [](auto &from, auto &to, auto expected) {
         return FileOps::moveFile(from, to, FileOps::Crossing::AlwaysCopy, expected);
     }},
};

} // namespace

// Nothing but a regular file is copied or moved, and nothing else makes the window wait.
TEST_F(FileOperations, SourcesThatAreNoRegularFileAreRefusedAtOnce)
{
    const QString fifo = dir.filePath("fifo.txt"), dangling = dir.filePath("dangling.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::symlink("missing.txt", QFile::encodeName(dangling).constData()), 0);
    const std::pair<QString, int> sources[] = {
        {fifo, RegularFile::kNotRegular}, {"/dev/full", RegularFile::kNotRegular}, {dangling, ENOENT}};
    for (const auto &[source, error] : sources) {
        for (const auto &[name, operation] : kOperations) {
            EXPECT_EQ(operation(source, dir.filePath("t.txt"), std::nullopt).error, error)
                << name << source.toStdString();
            EXPECT_FALSE(QFileInfo::exists(dir.filePath("t.txt"))) << name << source.toStdString();
        }
    }
}

// The shown file's path may lead elsewhere by the time the user copies or moves it.
TEST_F(FileOperations, ASourceThatIsNoLongerTheShownFileIsRefusedAndNothingIsTouched)
{
    const QString into = sub("into"), a = dir.filePath("a.txt"), target = into + "/a.txt";
    for (const auto &[name, operation] : kOperations) {
        // Saved over as editors save: a new file, with an inode of its own, renamed into place.
        write("a.txt", "shown");
        RegularFile::Identity shown = identityOf(a);
        ::rename(QFile::encodeName(write("new.txt", "other")).constData(), QFile::encodeName(a).constData());
        EXPECT_EQ(operation(a, target, shown).error, RegularFile::kOtherFile) << name;
        EXPECT_EQ(TestFiles::contents(a), "other") << name;
        shown = identityOf(a);
        QFile::remove(a);
        QDir().mkdir(a);
        EXPECT_EQ(operation(a, target, shown).status, Status::SourceChanged) << name;
        EXPECT_TRUE(QFileInfo(a).isDir()) << name;
        EXPECT_FALSE(QFileInfo::exists(target)) << name;
        QDir().rmdir(a);

        // Written to since it was shown, it is still that file; a move ends with the source gone.
        write("a.txt", "shown");
        shown = identityOf(a);
        write("a.txt", QByteArray(100000, 'y'));
        ASSERT_TRUE(operation(a, target, shown).ok()) << name;
        EXPECT_EQ(TestFiles::contents(target), QByteArray(100000, 'y')) << name;
        EXPECT_EQ(QFileInfo::exists(a), std::string(name) == "copy") << name;
        QFile::remove(target);
        QFile::remove(a);
    }
}

namespace {

// What a copy and a move of `source` into `target` met in a child process, or why they could
// not be tried there.
struct ChildReport {
    int copyError = 0, moveError = 0;
    bool targetLeft = false, sourceKept = false, reported = false;
    char skipped[200] = {};
};

// Runs `prepare` in a forked child (limits and mounts stay there), then the copy and the move.
ChildReport copyAndMoveInChild(const QString &source, const QString &target,
                               const std::function<const char *()> &prepare)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const qint64 size = QFileInfo(source).size();
    if (::fork() == 0) {
        ChildReport r;
        if (const char *why = prepare())
            std::snprintf(r.skipped, sizeof r.skipped, "%s: %s", why, std::strerror(errno));
        else
            r = {FileOps::copyFile(source, target).error,
                 FileOps::moveFile(source, target, FileOps::Crossing::AlwaysCopy).error, QFileInfo::exists(target),
                 QFileInfo(source).size() == size};
        r.reported = true;
        ::_exit(::write(fds[1], &r, sizeof r) == sizeof r ? 0 : 1);
    }
    ::close(fds[1]);
    ChildReport report; // a child killed by a signal reports nothing
    if (::read(fds[0], &report, sizeof report) != sizeof report)
        report.reported = false;
    ::close(fds[0]);
    ::wait(nullptr);
    return report;
}

void expectRefusedWithNothingLeft(const ChildReport &report, int error)
{
    ASSERT_TRUE(report.reported) << "the child ended without a report";
    EXPECT_EQ(report.copyError, error);
    EXPECT_EQ(report.moveError, error);
    EXPECT_FALSE(report.targetLeft);
    EXPECT_TRUE(report.sourceKept);
}

} // namespace

// Past the file-size limit the write fails instead of the signal ending the program.
TEST_F(FileOperations, APastTheSizeLimitWriteFailsWithEfbigAndLeavesNoTarget)
{
    const QString big = write("big.txt", QByteArray(1 << 20, 'x'));
    expectRefusedWithNothingLeft(copyAndMoveInChild(big, sub("into") + "/big.txt",
                                                    []() -> const char * {
                                                        FileOps::ignoreFileSizeSignal();
                                                        const struct rlimit limit {65536, 65536};
                                                        ::setrlimit(RLIMIT_FSIZE, &limit);
                                                        return nullptr;
                                                    }),
                                 EFBIG);
}

// A real full disk: a small file system mounted for the test, where the test may mount one
// (as the superuser, or in a user namespace of its own).
TEST_F(FileOperations, AFullDiskIsNamedAndLeavesNoPartialTarget)
{
    const QString big = write("big.txt", QByteArray(1 << 20, 'x'));
    const QByteArray small = QFile::encodeName(sub("small"));
    const ChildReport report = copyAndMoveInChild(big, small + "/big.txt", [&]() -> const char * {
        const QByteArray ids = "0 " + QByteArray::number(::geteuid()) + " 1";
        const QByteArray group = "0 " + QByteArray::number(::getegid()) + " 1";
        const auto put = [](const char *file, const QByteArray &text) {
            QFile f(file);
            return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
        };
        if (::unshare(CLONE_NEWNS) != 0
            && (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !put("/proc/self/setgroups", "deny")
                || !put("/proc/self/uid_map", ids) || !put("/proc/self/gid_map", group)))
            return "no mount namespace of our own";
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("orlimbo-test", small.constData(), "tmpfs", 0, "size=64k") != 0)
            return "no tmpfs may be mounted";
        return nullptr;
    });
    if (report.skipped[0])
        GTEST_SKIP() << report.skipped;
    expectRefusedWithNothingLeft(report, ENOSPC);
    EXPECT_EQ(FileOpMessages::failure(FileOpMessages::Operation::Copy, {Status::NoSpace, report.copyError}).text,
              "コピーできませんでした。\n\nディスクの空き容量が足りません。");
}

// Permissions the superuser passes: only the unprivileged run of these tests makes them real.
TEST_F(FileOperations, AUserWithoutPermissionIsRefusedWithTheCause)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser passes every permission check; the unprivileged run makes these real";
    const QString a = write("a.txt", "mine"), closed = sub("closed"), hidden = sub("hidden");
    const QString kept = write("kept.txt", "kept", closed), unreadable = write("b.txt", "hidden", hidden);
    ::chmod(QFile::encodeName(closed).constData(), 0555);
    ::chmod(QFile::encodeName(hidden).constData(), 0);
    using Op = FileOpMessages::Operation;
    const std::tuple<Op, FileOps::Result> cases[] = {
        {Op::Copy, FileOps::copyFile(a, closed + "/a.txt")},
        {Op::Move, FileOps::moveFile(a, closed + "/a.txt")},
        {Op::Copy, FileOps::copyFile(unreadable, dir.filePath("b.txt"))},
        {Op::Move, FileOps::moveFile(unreadable, dir.filePath("b.txt"))},
        {Op::Delete, FileOps::deleteFile(kept)},
    };
    for (const auto &[operation, result] : cases) {
        EXPECT_EQ(result.error, EACCES);
        EXPECT_TRUE(FileOpMessages::failure(operation, result).text.endsWith("\n\nアクセスが拒否されました。"));
    }
    ::chmod(QFile::encodeName(closed).constData(), 0755);
    ::chmod(QFile::encodeName(hidden).constData(), 0755);
    EXPECT_EQ(QDir(closed).entryList(QDir::Files), QStringList{"kept.txt"});
    EXPECT_EQ(TestFiles::contents(a) + TestFiles::contents(unreadable), "minehidden");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("b.txt")));
}
