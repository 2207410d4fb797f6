#include "platform/FileOpMessages.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"

#include "tests/TestPrinters.h"

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
    EXPECT_EQ(refused.error, EEXIST);
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

// The cause comes from the one table, after the operation's own caption and first sentence.
TEST(FileOpMessages, TheCauseIsNamedInJapanese)
{
    using Op = FileOpMessages::Operation;
    struct Case {
        Op operation;
        int error;
        const char *text;
        const char *caption;
    };
    const Case cases[] = {
        {Op::Copy, ENOSPC, "コピーできませんでした。\n\nディスクの空き容量が足りません。", "コピー"},
        {Op::Move, EACCES, "移動できませんでした。\n\nアクセスが拒否されました。", "移動"},
        {Op::Copy, EFBIG, "コピーできませんでした。\n\nファイルが大きすぎます。", "コピー"},
        {Op::Move, ESPIPE, "移動できませんでした。\n\n未知のエラー（ESPIPE）", "移動"},
        {Op::Copy, RegularFile::kOtherFile,
         "コピーできませんでした。\n\n表示していたファイルが別のファイルに置き換えられています。", "コピー"},
        {Op::Attributes, EPERM, "ファイル属性の変更ができませんでした。\n\nアクセスが拒否されました。", "報告"},
        {Op::Rename, EROFS,
         "ファイル名の変更に失敗しました。\n\n既に存在するファイル名を指定していないか確認して下さい。\n\n"
         "読み取り専用のファイルシステムです。",
         "何らかのエラー"},
        // Refused by a rule of our own, or a time that is no date: no system error to name.
        {Op::Delete, 0, "削除に失敗しました。\nファイルの属性などを確認して下さい。", "削除失敗"},
        {Op::Time, 0, "タイムスタンプの変更ができませんでした。", "報告"},
    };
    for (const Case &c : cases) {
        const FileOpMessages::Message m = FileOpMessages::failure(c.operation, {Status::Other, c.error});
        EXPECT_EQ(m.text, QString::fromUtf8(c.text)) << c.error;
        EXPECT_EQ(m.caption, QString::fromUtf8(c.caption)) << c.error;
    }
}

namespace {

RegularFile::Identity identityOf(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return RegularFile::identityOf(st);
}

// Copy and the two ways of moving, each told which file it is meant to take.
using Operation = std::function<FileOps::Result(const QString &, const QString &,
                                                const std::optional<RegularFile::Identity> &)>;
const std::pair<const char *, Operation> kOperations[] = {
    {"copy", [](auto &from, auto &to, auto &expected) { return FileOps::copyFile(from, to, expected); }},
    {"rename", [](auto &from, auto &to, auto &expected) {
         return FileOps::moveFile(from, to, FileOps::Crossing::WhenNeeded, expected);
     }},
    {"move by copy", [](auto &from, auto &to, auto &expected) {
         return FileOps::moveFile(from, to, FileOps::Crossing::AlwaysCopy, expected);
     }},
};

} // namespace

// Nothing but a regular file is copied or moved, and nothing else makes the window wait.
TEST_F(FileOperations, SourcesThatAreNoRegularFileAreRefusedAtOnce)
{
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString dangling = dir.filePath("dangling.txt");
    ASSERT_EQ(::symlink("missing.txt", QFile::encodeName(dangling).constData()), 0);
    const std::pair<QString, int> sources[] = {
        {fifo, RegularFile::kNotRegular},
        {QStringLiteral("/dev/full"), RegularFile::kNotRegular},
        {dangling, ENOENT},
        {sub("folder"), EISDIR},
    };
    const QString target = dir.filePath("target.txt");
    for (const auto &[source, error] : sources) {
        for (const auto &[name, operation] : kOperations) {
            EXPECT_EQ(operation(source, target, std::nullopt).error, error) << name << " " << source.toStdString();
            EXPECT_FALSE(QFileInfo::exists(target)) << name << " " << source.toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && QFileInfo(dir.filePath("folder")).isDir());
}

// The shown file's path may lead elsewhere by the time the user copies or moves it.
TEST_F(FileOperations, ASourceThatIsNoLongerTheShownFileIsRefusedAndNothingIsTouched)
{
    const QString into = sub("into");
    struct Replacement {
        const char *what;
        std::function<void(const QString &)> replace;
        int error;
    };
    const Replacement replacements[] = {
        {"folder",
         [](const QString &path) {
             QFile::remove(path);
             QDir().mkdir(path);
         },
         EISDIR},
        // Written beside it and renamed over it, as editors save: the new file has an inode of
        // its own (one freed just before could be given again).
        {"other file",
         [this](const QString &path) {
             ::rename(QFile::encodeName(write("other.txt", "other")).constData(), QFile::encodeName(path).constData());
         },
         RegularFile::kOtherFile},
    };
    for (const Replacement &r : replacements) {
        for (const auto &[name, operation] : kOperations) {
            const QString a = write("a.txt", "shown");
            const RegularFile::Identity shown = identityOf(a);
            r.replace(a);
            const FileOps::Result result = operation(a, into + "/a.txt", shown);
            EXPECT_EQ(result.status, Status::SourceChanged) << name << " of " << r.what;
            EXPECT_EQ(result.error, r.error) << name << " of " << r.what;
            EXPECT_FALSE(QFileInfo::exists(into + "/a.txt")) << name << " of " << r.what;
            if (r.error == EISDIR)
                EXPECT_TRUE(QFileInfo(a).isDir()) << name;
            else
                EXPECT_EQ(contents(a), "other") << name;
            QDir().rmdir(a);
            QFile::remove(a);
        }
    }
    // Written to since it was shown, it is still that file; moving by copy still ends with the
    // source gone and the target complete.
    for (const auto &[name, operation] : kOperations) {
        const QString a = write("a.txt", "shown");
        const RegularFile::Identity shown = identityOf(a);
        QFile file(a);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray(100000, 'y'));
        file.close();
        ASSERT_TRUE(operation(a, into + "/a.txt", shown).ok()) << name;
        EXPECT_EQ(contents(into + "/a.txt"), "shown" + QByteArray(100000, 'y')) << name;
        EXPECT_EQ(QFileInfo::exists(a), std::string(name) == "copy") << name;
        QFile::remove(into + "/a.txt");
        QFile::remove(a);
    }
}

namespace {

// What a test run in a child process sends back: a failed operation, or why it could not run.
struct ChildReport {
    int copyError = 0;
    int moveError = 0;
    bool targetLeft = false;
    bool sourceKept = false;
    char skipped[200] = {};
};

// Runs `work` in a forked child, for limits and mounts that must not reach the test process.
// A child that ends without a report (killed by a signal) gives nothing.
std::optional<ChildReport> inChild(const std::function<ChildReport()> &work, int &signal)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const ChildReport report = work();
        const ssize_t written = ::write(fds[1], &report, sizeof report);
        ::_exit(written == sizeof report ? 0 : 1);
    }
    ::close(fds[1]);
    ChildReport report;
    const ssize_t got = ::read(fds[0], &report, sizeof report);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return got == ssize_t(sizeof report) ? std::optional(report) : std::nullopt;
}

// A mount namespace of the child's own: as the superuser, or in a user namespace of its own.
bool enterMountNamespace()
{
    if (::unshare(CLONE_NEWNS) == 0)
        return true;
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    const auto put = [](const char *file, const QByteArray &text) {
        const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
        if (fd >= 0)
            ::close(fd);
        return ok;
    };
    return put("/proc/self/setgroups", "deny") && put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
           && put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1");
}

} // namespace

// Past the file-size limit the write fails instead of the signal ending the program, and the
// partial target goes.
TEST_F(FileOperations, APastTheSizeLimitWriteFailsWithEfbigAndLeavesNoTarget)
{
    const QString big = write("big.txt", QByteArray(1 << 20, 'x'));
    const QString target = sub("into") + "/big.txt";
    int signal = 0;
    const std::optional<ChildReport> report = inChild(
        [&] {
            FileOps::ignoreFileSizeSignal();
            const struct rlimit limit {64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ChildReport r;
            r.copyError = FileOps::copyFile(big, target).error;
            r.moveError = FileOps::moveFile(big, target, FileOps::Crossing::AlwaysCopy).error;
            r.targetLeft = QFileInfo::exists(target);
            r.sourceKept = QFileInfo(big).size() == 1 << 20;
            return r;
        },
        signal);
    ASSERT_TRUE(report) << "the child ended without a report, signal " << signal;
    EXPECT_EQ(report->copyError, EFBIG);
    EXPECT_EQ(report->moveError, EFBIG);
    EXPECT_FALSE(report->targetLeft);
    EXPECT_TRUE(report->sourceKept);
}

// A real full disk: a small file system mounted for the test, where the test may mount one.
TEST_F(FileOperations, AFullDiskIsNamedAndLeavesNoPartialTarget)
{
    const QString big = write("big.txt", QByteArray(1 << 20, 'x'));
    const QString small = sub("small");
    int signal = 0;
    const std::optional<ChildReport> report = inChild(
        [&] {
            ChildReport r;
            const auto skip = [&r](const char *what) {
                std::snprintf(r.skipped, sizeof r.skipped, "%s: %s", what, std::strerror(errno));
                return r;
            };
            if (!enterMountNamespace())
                return skip("no mount namespace of our own");
            // Private, so the mount stays inside this child's namespace.
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return skip("mounts cannot be made private");
            if (::mount("orlimbo-test", QFile::encodeName(small).constData(), "tmpfs", 0, "size=64k") != 0)
                return skip("no tmpfs may be mounted");
            r.copyError = FileOps::copyFile(big, small + "/big.txt").error;
            r.moveError = FileOps::moveFile(big, small + "/big.txt").error;
            r.targetLeft = QFileInfo::exists(small + "/big.txt");
            r.sourceKept = QFileInfo(big).size() == 1 << 20;
            return r;
        },
        signal);
    ASSERT_TRUE(report) << "the child ended without a report, signal " << signal;
    if (report->skipped[0])
        GTEST_SKIP() << report->skipped;
    EXPECT_EQ(report->copyError, ENOSPC);
    EXPECT_EQ(report->moveError, ENOSPC);
    EXPECT_FALSE(report->targetLeft);
    EXPECT_TRUE(report->sourceKept);
    EXPECT_EQ(FileOpMessages::failure(FileOpMessages::Operation::Copy, {Status::NoSpace, report->copyError}).text,
              "コピーできませんでした。\n\nディスクの空き容量が足りません。");
}

// Permissions the superuser passes: only the unprivileged run of these tests makes them real.
TEST_F(FileOperations, AUserWithoutPermissionIsRefusedWithTheCause)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser passes every permission check; the unprivileged run makes these real";
    using Op = FileOpMessages::Operation;
    const QString a = write("a.txt", "mine");
    const QString closed = sub("closed");
    const QString kept = write("kept.txt", "kept", closed);
    const QString hidden = sub("hidden");
    const QString unreadable = write("b.txt", "hidden", hidden);
    ASSERT_EQ(::chmod(QFile::encodeName(closed).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(hidden).constData(), 0), 0);
    struct Case {
        Op operation;
        QString source, target;
        const char *text;
    };
    const Case cases[] = {
        {Op::Copy, a, closed + "/a.txt", "コピーできませんでした。\n\nアクセスが拒否されました。"},
        {Op::Move, a, closed + "/a.txt", "移動できませんでした。\n\nアクセスが拒否されました。"},
        {Op::Copy, unreadable, dir.filePath("b.txt"), "コピーできませんでした。\n\nアクセスが拒否されました。"},
        {Op::Move, unreadable, dir.filePath("b.txt"), "移動できませんでした。\n\nアクセスが拒否されました。"},
        {Op::Delete, kept, {}, "削除に失敗しました。\nファイルの属性などを確認して下さい。\n\nアクセスが拒否されました。"},
    };
    for (const Case &c : cases) {
        const FileOps::Result result = c.operation == Op::Copy   ? FileOps::copyFile(c.source, c.target)
                                       : c.operation == Op::Move ? FileOps::moveFile(c.source, c.target)
                                                                 : FileOps::deleteFile(c.source);
        EXPECT_EQ(result.error, EACCES) << c.source.toStdString();
        EXPECT_EQ(FileOpMessages::failure(c.operation, result).text, QString::fromUtf8(c.text));
        EXPECT_FALSE(!c.target.isEmpty() && QFileInfo::exists(c.target)) << c.target.toStdString();
    }
    EXPECT_EQ(contents(a), "mine");
    EXPECT_EQ(contents(kept), "kept");
    ::chmod(QFile::encodeName(closed).constData(), 0755);
    ::chmod(QFile::encodeName(hidden).constData(), 0755);
    EXPECT_EQ(contents(unreadable), "hidden");
}
