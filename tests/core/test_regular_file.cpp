#include "core/RegularFile.h"
#include "core/SystemErrors.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativeOf(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

// Nothing but a regular file is read, and nothing else makes the caller wait: a FIFO without a
// writer would block a plain open, and /dev/zero would never end.
TEST(RegularFile, RefusesAtOnceWhatIsNoRegularFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(nativeOf(fifo).constData(), 0600), 0);
    const QString dangling = dir.filePath("dangling.txt");
    ASSERT_EQ(::symlink("missing.txt", nativeOf(dangling).constData()), 0);

    struct Case {
        QByteArray native;
        int error;
    } cases[] = {
        {nativeOf(fifo), RegularFile::kNotRegular},
        {"/dev/zero", RegularFile::kNotRegular},
        {"/dev/full", RegularFile::kNotRegular},
        {nativeOf(dir.path()), EISDIR},
        {nativeOf(dangling), ENOENT},
        {QByteArray(), ENOENT},
    };
    for (const Case &c : cases) {
        const RegularFile::Read read = RegularFile::readAll(c.native);
        EXPECT_FALSE(read.bytes) << c.native.constData();
        EXPECT_EQ(read.error, c.error) << c.native.constData();
        EXPECT_FALSE(RegularFile::openForReading(c.native).isOpen()) << c.native.constData();
    }
}

TEST(RegularFile, ReadsWholeOrUpToTheLimitThroughLinks)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.txt");
    const QByteArray bytes(200000, 'x');
    ASSERT_TRUE(TestFiles::write(file, bytes));
    const QString link = dir.filePath("link.txt");
    ASSERT_EQ(::symlink("a.txt", nativeOf(link).constData()), 0);

    const RegularFile::Read whole = RegularFile::readAll(nativeOf(link));
    ASSERT_TRUE(whole.bytes);
    EXPECT_EQ(*whole.bytes, bytes);
    EXPECT_FALSE(whole.truncated);
    EXPECT_EQ(whole.status.st_size, 200000);

    // A read that fails after a good open (this one fails even for the superuser) is no text.
    const RegularFile::Read failed = RegularFile::readAll("/proc/self/mem");
    EXPECT_FALSE(failed.bytes);
    EXPECT_EQ(failed.error, EIO);

    for (const qint64 limit : {qint64(0), qint64(1000), qint64(199999), qint64(200000)}) {
        const RegularFile::Read part = RegularFile::readAll(nativeOf(file), limit);
        ASSERT_TRUE(part.bytes) << limit;
        EXPECT_EQ(part.bytes->size(), limit);
        EXPECT_EQ(part.truncated, limit < 200000) << limit;
    }
}

// The work files' opens: a link under the name is not read through, and whatever holds the
// name already, a link leading nowhere too, is never opened for writing.
TEST(RegularFile, WorkFileOpensNeverGoThroughALink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(TestFiles::write(dir.filePath("target.txt"), "keep"));
    ASSERT_EQ(::symlink("target.txt", nativeOf(dir.filePath("link")).constData()), 0);
    ASSERT_EQ(::symlink("made.txt", nativeOf(dir.filePath("dangling")).constData()), 0);
    EXPECT_EQ(RegularFile::readAll(nativeOf(dir.filePath("link")), 9, RegularFile::Links::Refuse).error, ELOOP);
    for (const char *taken : {"link", "dangling", "target.txt"})
        EXPECT_EQ(RegularFile::createNew(nativeOf(dir.filePath(taken))).error(), EEXIST) << taken;
    EXPECT_FALSE(QFile::exists(dir.filePath("made.txt")));
    EXPECT_EQ(RegularFile::createNew(nativeOf(dir.filePath("fresh"))).status().st_mode & 07777, 0600u);
}

TEST(SystemErrors, NamesTheCauseOrTheErrno)
{
    EXPECT_EQ(SystemErrors::text(ENOSPC), QStringLiteral("ディスクの空き容量が足りません。"));
    EXPECT_EQ(SystemErrors::text(EPERM), SystemErrors::text(EACCES));
    EXPECT_EQ(SystemErrors::text(ESPIPE), QStringLiteral("未知のエラー（ESPIPE）"));
    EXPECT_NE(SystemErrors::text(RegularFile::kNotRegular), SystemErrors::text(EISDIR));
}
