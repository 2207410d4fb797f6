#include "core/BookmarkFile.h"
#include "core/Cp932.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/resource.h>

namespace {

QByteArray sjis(const QString &text)
{
    return Cp932::encode(text);
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
              QStringList({QStringLiteral("メモ|/home/u/Memo/"), QStringLiteral("日記ソ.txt|/home/u/Memo/日記ソ.txt"),
                           "last|/no/line/end"}));
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

TEST(BookmarkParse, LongLinesAreReadWholeAndTheirExtraFieldsIgnored)
{
    const QByteArray commaLate = QByteArray(600, 'n') + ",/late/path\r\n";
    const QList<Bookmark> late = parseBookmarkFile(commaLate);
    ASSERT_EQ(late.size(), 1);
    EXPECT_EQ(late[0].name, QString(kBookmarkNameLimit, u'n'));
    EXPECT_EQ(late[0].path, "/late/path");

    const QByteArray third = "x," + QByteArray(5000, 'p') + ",ghost,/ghost/path\r\nafter,/a\r\n";
    const QList<Bookmark> records = parseBookmarkFile(third);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].name, "x");
    EXPECT_EQ(records[0].path, QString(5000, u'p'));
    EXPECT_EQ(records[1].path, "/a");
}

TEST(BookmarkParse, CrLfAndCrAndLfEachEndALine)
{
    const QByteArray bytes = "# header,\ra,/a\rb,/b\r\n\r\nc,/c\n\nd,/x\ry\n\r#e,/e\rf,/f";
    EXPECT_EQ(namesAndPaths(parseBookmarkFile(bytes)), QStringList({"a|/a", "b|/b", "c|/c", "d|/x", "f|/f"}));
}

TEST(BookmarkParse, OverlongNamesAreCutOnCharacterBoundariesAndPathsReadWhole)
{
    // 253 single bytes then a double-byte character: 255 bytes, cut to 253, not into the character.
    const QString name = QString(253, u'a') + QStringLiteral("あ");
    // Paths are never cut: 256 and 2,049 bytes.
    const QString path = QStringLiteral("/") + QString(127, u'漢') + QStringLiteral("x");
    const QString longPath = QStringLiteral("/") + QString(1024, u'漢');
    const QList<Bookmark> records = parseBookmarkFile(sjis(name) + ",/p\r\nn," + sjis(path) + "\r\nn,"
                                                      + sjis(longPath) + "\r\n");
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0].name, QString(253, u'a'));
    EXPECT_EQ(records[1].path, path);
    EXPECT_EQ(records[2].path, longPath);

    // A lead byte left alone at the end of a name is no character; a path is read whole, so
    // its bytes can still lead to a file named so.
    const QList<Bookmark> broken = parseBookmarkFile("n\x82,/p\x83\r\n");
    ASSERT_EQ(broken.size(), 1);
    EXPECT_EQ(broken[0].name, "n");
    EXPECT_EQ(broken[0].path, QStringLiteral("/p\uFFFD"));
}

TEST_F(BookmarkFolder, MissingOrUnreadableFileHasNoRecords)
{
    EXPECT_TRUE(ReadBookmarkFile(file()).isEmpty());
    EXPECT_TRUE(ReadBookmarkFile(dir.path()).isEmpty()); // a folder
}

TEST_F(BookmarkFolder, AnythingButARegularFileReadsAsNoBookmarksAtOnce)
{
    // Opened the ordinary way, a FIFO would block until a writer came, /dev/zero would fill
    // the memory and /dev/full never end.
    ASSERT_EQ(::mkfifo(QFile::encodeName(file()).constData(), 0600), 0);
    EXPECT_TRUE(ReadBookmarkFile(file()).isEmpty());
    for (const char *target : {"/dev/zero", "/dev/full", "/nowhere/BOOKMARK.CSV"}) {
        QFile::remove(file());
        ASSERT_TRUE(QFile::link(QString::fromLatin1(target), file()));
        EXPECT_TRUE(ReadBookmarkFile(file()).isEmpty()) << target;
    }
}

TEST_F(BookmarkFolder, NoMoreThan16MegabytesAreReadAndACutRecordIsNone)
{
    QByteArray bytes = "a,/a\r\n#";
    bytes += QByteArray(kBookmarkFileLimit - bytes.size() - 8, 'x');
    bytes += "\r\nb,/cut\r\nc,/c\r\n"; // "b,/c" lies within the limit, "ut" beyond it
    TestFiles::write(file(), bytes);
    EXPECT_EQ(namesAndPaths(ReadBookmarkFile(file())), QStringList({"a|/a"}));
}

TEST_F(BookmarkFolder, ARowTheFileCannotRecordRefusesTheWholeWritingAndLeavesTheFile)
{
    const QByteArray old = "# Orlimbo - Bookmark File,\r\nold,/old\r\n";
    using Kind = BookmarkFault::Kind;
    using Field = BookmarkFault::Field;
    const std::tuple<Bookmark, Kind, Field, char32_t> cases[] = {
        {{QStringLiteral("한글"), "/k"}, Kind::Unrecordable, Field::Name, U'한'},
        {{QString(), QStringLiteral("/k/한글")}, Kind::Unrecordable, Field::Name, U'한'}, // the name is the path
        {{QStringLiteral("k"), QStringLiteral("/k/x😀")}, Kind::Unrecordable, Field::Path, U'😀'},
        {{QStringLiteral("a\nb"), "/k"}, Kind::Unrecordable, Field::Name, U'\n'},
        {{QStringLiteral("k"), PathForm::fromNative("/\x82\xa0\n")}, Kind::Unrecordable, Field::Path, U'\n'},
        {{QStringLiteral("a,b"), QStringLiteral("/x,y")}, Kind::Comma, Field::Name, U','},
        {{QStringLiteral("ab"), QStringLiteral("/x,한")}, Kind::Comma, Field::Path, U','},
    };
    for (const auto &[row, kind, field, character] : cases) {
        SCOPED_TRACE((row.name + "|" + row.path).toStdString());
        TestFiles::write(file(), old);
        const BookmarkWriteResult result = WriteBookmarkFile(file(), {{"fine", "/fine"}, {"", ""}, row, {"x", "/x"}});
        EXPECT_EQ(result.status, BookmarkWriteResult::Status::Refused);
        EXPECT_EQ(result.refusedRow, 2);
        EXPECT_EQ(result.fault.kind, kind);
        EXPECT_EQ(result.fault.field, field);
        EXPECT_EQ(result.fault.character, character);
        EXPECT_EQ(TestFiles::contents(file()), old);
    }
}

TEST_F(BookmarkFolder, WriterPutsTheHeaderAndTidiedRowsWithCrLf)
{
    const QList<Bookmark> rows = {{QStringLiteral(" メモ\t"), QStringLiteral(" /home/u/Memo/ ")},
                                  {"dropped", "  "},
                                  {"", "/home/u/a.txt"},
                                  {"#hidden", "/h"}};
    const BookmarkWriteResult result = WriteBookmarkFile(file(), rows);
    EXPECT_EQ(result.status, BookmarkWriteResult::Status::Written);
    EXPECT_EQ(result.failedRecords, 0);
    EXPECT_EQ(TestFiles::contents(file()), "# Orlimbo - Bookmark File,\r\n" + sjis(QStringLiteral("メモ,/home/u/Memo/\n"))
                                               + "/home/u/a.txt,/home/u/a.txt\r\n#hidden,/h\r\n");
    // Read back, the '#' name is a comment.
    EXPECT_EQ(namesAndPaths(ReadBookmarkFile(file())),
              QStringList({QStringLiteral("メモ|/home/u/Memo/"), "/home/u/a.txt|/home/u/a.txt"}));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).size() == 1); // no temporary file left
}

TEST_F(BookmarkFolder, NamesAreCutOnACharacterAndPathsOfAnyLengthRoundTripWhole)
{
    const QByteArray native = QFile::encodeName(dir.path()) + "/\x83\x81\x83\x82"; // "メモ" in CP932
    ASSERT_EQ(::mkdir(native.constData(), 0700), 0);
    const QList<Bookmark> rows = {
        {QString(127, u'名'), QStringLiteral("/") + QString(100, u'長') + QString(99, u'p')}, // 254 and 300 bytes
        {QString(253, u'n') + QStringLiteral("名"),
         QStringLiteral("/") + QString(1000, u'長') + QStringLiteral("/") + QString(1998, u'q')}, // 4,000 bytes
        {QStringLiteral("窓"), PathForm::fromNative(native)}, // not UTF-8: written as its own bytes
        {QString(), QStringLiteral("/w/波\u301C線")},          // the Linux wave dash, in the name too
    };
    ASSERT_EQ(WriteBookmarkFile(file(), rows).status, BookmarkWriteResult::Status::Written);
    const QByteArray bytes = TestFiles::contents(file());
    const QByteArray path300 = sjis(rows[0].path);
    const QByteArray path4000 = sjis(rows[1].path);
    ASSERT_EQ(path300.size(), 300);
    ASSERT_EQ(path4000.size(), 4000);
    EXPECT_TRUE(bytes.contains("\r\n" + sjis(rows[0].name) + "," + path300 + "\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n" + QByteArray(253, 'n') + "," + path4000 + "\r\n"));
    EXPECT_TRUE(bytes.contains("," + native + "\r\n"));
    EXPECT_TRUE(bytes.endsWith("/w/\x94\x67\x81\x60\x90\xfc,/w/\x94\x67\x81\x60\x90\xfc\r\n"));

    const auto exists = [](const QByteArray &path) { return ::access(path.constData(), F_OK) == 0; };
    const QList<Bookmark> back = ReadBookmarkFile(file(), exists);
    ASSERT_EQ(back.size(), 4);
    EXPECT_EQ(back[0].name, rows[0].name);
    EXPECT_EQ(back[0].path, rows[0].path);
    EXPECT_EQ(back[1].name, QString(253, u'n'));
    EXPECT_EQ(back[1].path, rows[1].path);
    EXPECT_EQ(PathForm::toNative(back[2].path), native);
    // Read as the Windows form; where a folder of the Linux form exists, the path leads there.
    EXPECT_EQ(back[3].name, QStringLiteral("/w/波\uFF5E線"));
    EXPECT_EQ(back[3].path, QStringLiteral("/w/波\uFF5E線"));
    // Edited elsewhere to end its lines with a lone CR, the file reads the same.
    TestFiles::write(file(), QByteArray(bytes).replace("\r\n", "\r"));
    EXPECT_EQ(namesAndPaths(ReadBookmarkFile(file(), exists)), namesAndPaths(back));
}

TEST_F(BookmarkFolder, ReadOnlyFileIsNotOpenedAndStaysAsItWas)
{
    TestFiles::write(file(), "# old\r\nold,/old\r\n");
    QFile::setPermissions(file(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const BookmarkWriteResult result = WriteBookmarkFile(file(), {{"new", "/new"}});
    EXPECT_EQ(result.status, BookmarkWriteResult::Status::OpenFailed);
    EXPECT_EQ(TestFiles::contents(file()), "# old\r\nold,/old\r\n");
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
    TestFiles::write(file(), old);
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
    EXPECT_EQ(TestFiles::contents(file()), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"BOOKMARK.CSV"}));
}

TEST(BookmarkLocation, ProgramFolderWhenWritableElseThePerUserDataFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    EXPECT_EQ(BookmarkFilePath(folder, true), folder + "BOOKMARK.CSV");

    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(BookmarkFilePath(folder, false), data + "/BOOKMARK.CSV");
    EXPECT_TRUE(QDir(data).exists());
    QStandardPaths::setTestModeEnabled(false);
}

namespace {

struct BookmarkPlace : ::testing::Test {
    QTemporaryDir program;
    QTemporaryDir data;
    QString beside() const { return program.filePath(QStringLiteral("BOOKMARK.CSV")); }
    QString inData() const { return data.filePath(QStringLiteral("BOOKMARK.CSV")); }
    BookmarkPlaces places(bool writable) const
    {
        return BookmarkFilePlaces(program.path() + QLatin1Char('/'), writable, data.path());
    }
    // A folder left read-only could not be removed.
    void TearDown() override
    {
        QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

} // namespace

TEST_F(BookmarkPlace, SavesGoWhereTheProgramMayWriteAndReadingFallsBackToTheOtherPlace)
{
    // The program's folder is writable; a file stands beside the program; one in the data folder;
    // the file is read from beside the program.
    const bool cases[][4] = {
        {true, false, true, false}, {true, true, true, true}, {false, true, false, true}, {false, true, true, false},
    };
    for (const auto &[writable, fileBeside, fileInData, readsBeside] : cases) {
        SCOPED_TRACE(testing::Message() << writable << fileBeside << fileInData);
        QFile::remove(beside());
        QFile::remove(inData());
        if (fileBeside)
            TestFiles::write(beside(), "b,/b\r\n");
        if (fileInData)
            TestFiles::write(inData(), "d,/d\r\n");
        const BookmarkPlaces p = places(writable);
        EXPECT_EQ(p.saveTo, writable ? beside() : inData());
        EXPECT_EQ(p.readFrom, readsBeside ? beside() : inData());
    }
}

TEST_F(BookmarkPlace, AnInstalledProgramKeepsTheBookmarksBesideItUntilItsFirstSave)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into a folder of mode 0555; the unprivileged run checks this";
    TestFiles::write(beside(), "# Orlimbo - Bookmark File,\r\nold,/old\r\n");
    const QByteArray before = TestFiles::contents(beside());
    ASSERT_TRUE(QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                          | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                                          | QFileDevice::ReadOther | QFileDevice::ExeOther));
    SetProgramFolderOverride(program.path());
    const bool writable = ProgramFolderWritable();
    SetProgramFolderOverride(QString());
    ASSERT_FALSE(writable);

    const BookmarkPlaces first = places(writable);
    EXPECT_EQ(namesAndPaths(ReadBookmarkFile(first.readFrom)), QStringList({"old|/old"}));
    ASSERT_EQ(WriteBookmarkFile(first.saveTo, {{"old", "/old"}, {"new", "/new"}}).status,
              BookmarkWriteResult::Status::Written);
    EXPECT_EQ(TestFiles::contents(beside()), before);
    // Really refused beside the program, not merely not tried.
    EXPECT_EQ(WriteBookmarkFile(beside(), {{"x", "/x"}}).status, BookmarkWriteResult::Status::OpenFailed);
    EXPECT_EQ(namesAndPaths(ReadBookmarkFile(places(writable).readFrom)), QStringList({"old|/old", "new|/new"}));
}
