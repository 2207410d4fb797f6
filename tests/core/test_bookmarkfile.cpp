#include "core/BookmarkFile.h"
#include "core/Cp932.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray sjis(const QString &text)
{
    return Cp932::encode(text);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList namesAndPaths(const QList<Bookmark> &records)
{
    QStringList out;
    for (const Bookmark &b : records)
        out << b.name + QLatin1Char('|') + b.path;
    return out;
}

struct BookmarkFolder : ::testing::Test {
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("BOOKMARK.CSV")); }
};

} // namespace

TEST(BookmarkParse, SkipsCommentsAndKeepsFileOrderOfCp932Records)
{
    const QByteArray bytes = "# Orlimbo - Bookmark File,\r\n" + sjis(QStringLiteral("メモ,/home/u/Memo/\n"))
                             + "#x,/commented\r\n" + sjis(QStringLiteral("日記ソ.txt,/home/u/Memo/日記ソ.txt\n"))
                             + "last,/no/line/end";
    EXPECT_EQ(namesAndPaths(parseBookmarkFile(bytes)),
              QStringList({QStringLiteral("メモ|/home/u/Memo/"), QStringLiteral("日記ソ.txt|/home/u/Memo/日記ソ.txt"), "last|/no/line/end"}));
}

TEST(BookmarkParse, HandWrittenLinesKeepTheFirstTwoFieldsAndLinesWithoutBothGiveNothing)
{
    const QByteArray bytes = "a,/p,extra,more\r\n"
                             ",,,b,,,/q,,\n"
                             "\r\n"
                             "no comma\r\n"
                             "only name,\r\n"
                             ",only path\r\n"
                             ",,,\r\n"
                             " spaced , kept \r\n";
    EXPECT_EQ(namesAndPaths(parseBookmarkFile(bytes)), QStringList({"a|/p", "b|/q", " spaced | kept "}));
}

TEST(BookmarkParse, LongLinesYieldAtMostTheirFirstReadAndTheRemainderNothing)
{
    // The only comma lies beyond the first read: no bookmark from either part.
    const QByteArray commaLate = QByteArray(600, 'n') + ",/late/path\r\n";
    EXPECT_TRUE(parseBookmarkFile(commaLate).isEmpty());

    // A remainder that looks like a record is still no record.
    const QByteArray remainder = "x," + QByteArray(520, 'p') + ",ghost,/ghost/path\r\nafter,/a\r\n";
    const QList<Bookmark> records = parseBookmarkFile(remainder);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].name, "x");
    EXPECT_EQ(records[0].path, QString(kBookmarkPathLimit, u'p'));
    EXPECT_EQ(records[1].path, "/a");
}

TEST(BookmarkParse, OverlongFieldsAreCutOnCharacterBoundaries)
{
    // 253 single bytes then a double-byte character: 255 bytes, cut to 253, not into the character.
    const QString name = QString(253, u'a') + QStringLiteral("あ");
    // 1 + 254 + 1 = 256 bytes: whole; 1 + 256 = 257 bytes: cut to 255.
    const QString path = QStringLiteral("/") + QString(127, u'漢') + QStringLiteral("x");
    const QString longPath = QStringLiteral("/") + QString(128, u'漢');
    const QList<Bookmark> records = parseBookmarkFile(sjis(name) + ",/p\r\nn," + sjis(path) + "\r\nn,"
                                                      + sjis(longPath) + "\r\n");
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0].name, QString(253, u'a'));
    EXPECT_EQ(records[1].path, path);
    EXPECT_EQ(records[2].path, QStringLiteral("/") + QString(127, u'漢'));

    // A lead byte left alone at the end of a field is no character.
    const QList<Bookmark> broken = parseBookmarkFile("n\x82,/p\x83\r\n");
    ASSERT_EQ(broken.size(), 1);
    EXPECT_EQ(broken[0].name, "n");
    EXPECT_EQ(broken[0].path, "/p");
}

TEST_F(BookmarkFolder, MissingOrUnreadableFileHasNoRecords)
{
    EXPECT_TRUE(ReadBookmarkFile(file()).isEmpty());
    EXPECT_TRUE(ReadBookmarkFile(dir.path()).isEmpty()); // a folder
}

TEST_F(BookmarkFolder, WriterPutsTheHeaderAndTidiedRowsWithCrLf)
{
    const QList<Bookmark> rows = {{QStringLiteral(" メモ\t"), QStringLiteral(" /home/u/Memo/ ")},
                                  {"dropped", "  "},
                                  {"", "/home/u/a.txt"},
                                  {"#hidden", "/h"},
                                  {"comma", "/x,y"}};
    const BookmarkWriteResult result = WriteBookmarkFile(file(), rows);
    EXPECT_EQ(result.status, BookmarkWriteResult::Status::Written);
    EXPECT_EQ(result.failedRecords, 0);
    EXPECT_EQ(readBytes(file()), "# Orlimbo - Bookmark File,\r\n" + sjis(QStringLiteral("メモ,/home/u/Memo/\n"))
                                     + "/home/u/a.txt,/home/u/a.txt\r\n#hidden,/h\r\ncomma,/x,y\r\n");
    // Read back, the '#' name is a comment and the comma ends the path.
    EXPECT_EQ(namesAndPaths(ReadBookmarkFile(file())),
              QStringList({QStringLiteral("メモ|/home/u/Memo/"), "/home/u/a.txt|/home/u/a.txt", "comma|/x"}));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).size() == 1); // no temporary file left
}

TEST_F(BookmarkFolder, GreatestFieldsRoundTripWholeAndLongerOnesAreCutOnACharacter)
{
    const Bookmark greatest{QString(127, u'名'), QStringLiteral("/") + QString(255, u'p')}; // 254 and 256 bytes
    const Bookmark longer{QString(253, u'n') + QStringLiteral("名"), QString(255, u'q') + QStringLiteral("名")};
    ASSERT_EQ(WriteBookmarkFile(file(), {greatest, longer}).status, BookmarkWriteResult::Status::Written);
    const QByteArray bytes = readBytes(file());
    EXPECT_TRUE(bytes.endsWith("," + QByteArray(255, 'q') + "\r\n"));
    const QList<Bookmark> back = ReadBookmarkFile(file());
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].name, greatest.name);
    EXPECT_EQ(back[0].path, greatest.path);
    EXPECT_EQ(back[1].name, QString(253, u'n'));
    EXPECT_EQ(back[1].path, QString(255, u'q'));
}

TEST_F(BookmarkFolder, ReadOnlyFileIsNotOpenedAndStaysAsItWas)
{
    writeBytes(file(), "# old\r\nold,/old\r\n");
    QFile::setPermissions(file(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const BookmarkWriteResult result = WriteBookmarkFile(file(), {{"new", "/new"}});
    EXPECT_EQ(result.status, BookmarkWriteResult::Status::OpenFailed);
    EXPECT_EQ(readBytes(file()), "# old\r\nold,/old\r\n");
}

TEST_F(BookmarkFolder, FolderThatCannotHoldTheFileIsAnOpenFailure)
{
    const QString inMissingFolder = dir.filePath(QStringLiteral("gone/BOOKMARK.CSV"));
    EXPECT_EQ(WriteBookmarkFile(inMissingFolder, {{"a", "/a"}}).status, BookmarkWriteResult::Status::OpenFailed);
    EXPECT_FALSE(QFile::exists(inMissingFolder));
}

TEST_F(BookmarkFolder, FailingRecordsKeepTheOldFileUnchanged)
{
    const QByteArray old = "# Orlimbo - Bookmark File,\r\nold,/old\r\n";
    writeBytes(file(), old);
    QList<Bookmark> rows;
    for (int i = 0; i < 20; ++i)
        rows.append({QStringLiteral("name%1").arg(i), QStringLiteral("/") + QString(60, u'x')});

    // A file size limit makes the writes fail part-way, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 300;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const BookmarkWriteResult result = WriteBookmarkFile(file(), rows);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result.status, BookmarkWriteResult::Status::WriteFailed);
    // The header and three 69-byte records fit under the limit; every later record fails.
    EXPECT_EQ(result.failedRecords, 17);
    EXPECT_EQ(readBytes(file()), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"BOOKMARK.CSV"}));
}

TEST(BookmarkLocation, ProgramFolderWhenWritableElseThePerUserDataFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    EXPECT_EQ(BookmarkFilePath(folder), folder + "BOOKMARK.CSV");

    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(BookmarkFilePath(dir.filePath(QStringLiteral("missing/"))), data + "/BOOKMARK.CSV");
    EXPECT_TRUE(QDir(data).exists());
    QStandardPaths::setTestModeEnabled(false);
}
