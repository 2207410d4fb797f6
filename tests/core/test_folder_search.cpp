#include "core/FolderSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <vector>

namespace {

using FolderSearch::Direction;

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

class FolderSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 0: UTF-8, 1: CP932 whose 表 and ソ end in the byte of '\', 2: UTF-16 LE,
        // 3: CP932 with a real '\', 4: ASCII.
        add("a.txt", QStringLiteral("一行目\nUTF-8 の Alpha と alpha\n").toUtf8());
        add("b.txt", QByteArray("\x95\x5C\x8E\xA6\x83\x5C\x83\x74\x83\x67 Beta\r\n"));
        add("c.txt", utf16le(QStringLiteral("ガンマ gamma\r\n")));
        add("d.txt", QByteArray("C:\\dir \x95\x5C\r\n"));
        add("e.txt", QByteArray("plain alpha\n"));
    }
    void add(const char *name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        TestFiles::write(path, bytes);
        paths.append(path);
    }
    FolderSearch::Request request(const QString &word, qsizetype first, Direction direction, bool matchCase = false)
    {
        FolderSearch::Request r;
        r.sources = paths;
        r.first = first;
        r.direction = direction;
        r.word = word;
        r.matchCase = matchCase;
        return r;
    }

    QTemporaryDir dir;
    QStringList paths;
};

TEST_F(FolderSearchTest, FindsTheNearestSourceInItsOwnEncodingWithWholeCharacters)
{
    struct Case {
        const char *what;
        QString word;
        qsizetype first;
        Direction direction;
        bool matchCase;
        qsizetype found;
        qint64 position;
    };
    const std::vector<Case> cases = {
        {"UTF-8 from the start", QStringLiteral("UTF-8"), 0, Direction::Forward, false, 0, 4},
        {"CP932 kanji with a 5C trail byte", QStringLiteral("表示"), 0, Direction::Forward, false, 1, 0},
        {"CP932 katakana with a 5C trail byte", QStringLiteral("ソフト"), 0, Direction::Forward, false, 1, 2},
        {"UTF-16 with its mark", QStringLiteral("ガンマ"), 0, Direction::Forward, false, 2, 0},
        {"a backslash never matches a trail byte", QStringLiteral("\\"), 0, Direction::Forward, false, 3, 2},
        {"case off finds capitals in small letters", QStringLiteral("GAMMA"), 1, Direction::Forward, false, 2, 4},
        {"case on does not", QStringLiteral("GAMMA"), 1, Direction::Forward, true, -1, -1},
        {"case on finds the exact word", QStringLiteral("Alpha"), 0, Direction::Forward, true, 0, 12},
        {"forward begins at first", QStringLiteral("alpha"), 1, Direction::Forward, false, 4, 6},
        {"backward gives the nearest earlier source", QStringLiteral("表"), 4, Direction::Backward, false, 3, 7},
        {"backward gives the last hit of that source", QStringLiteral("alpha"), 3, Direction::Backward, false, 0, 20},
        {"backward with case on", QStringLiteral("Alpha"), 3, Direction::Backward, true, 0, 12},
        {"none after the last", QStringLiteral("zzz"), 0, Direction::Forward, false, -1, -1},
        {"no wrap-around at the end", QStringLiteral("UTF-8"), 1, Direction::Forward, false, -1, -1},
        {"no wrap-around at the start", QStringLiteral("plain"), 3, Direction::Backward, false, -1, -1},
        {"nothing past the end", QStringLiteral("alpha"), 5, Direction::Forward, false, -1, -1},
        {"nothing before the start", QStringLiteral("alpha"), -1, Direction::Backward, false, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const FolderSearch::Result result = FolderSearch::search(request(c.word, c.first, c.direction, c.matchCase));
        EXPECT_EQ(result.found, c.found);
        EXPECT_EQ(result.position, c.position);
        EXPECT_EQ(result.passedOver, 0);
        EXPECT_FALSE(result.cancelled);
    }
}

TEST_F(FolderSearchTest, TheChosenEncodingReadsEveryFile)
{
    // Read as UTF-8, the CP932 file's bytes are no characters, so its kanji are not there.
    FolderSearch::Request r = request(QStringLiteral("表示"), 0, Direction::Forward);
    r.chosen = EncodingDetect::Encoding::Utf8;
    EXPECT_EQ(FolderSearch::search(r).found, -1);
    r.chosen = EncodingDetect::Encoding::Sjis;
    EXPECT_EQ(FolderSearch::search(r).found, 1);
}

TEST_F(FolderSearchTest, PassesOverWhatCannotBeSearchedAndCountsIt)
{
    const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString large = dir.filePath(QStringLiteral("large.txt"));
    {
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.write("alpha"));
        ASSERT_TRUE(file.resize(FolderSearch::kLargestSearched + 1)); // sparse
    }
    paths = {paths[1], fifo, dir.filePath(QStringLiteral("gone.txt")), folder, large, paths[4]};

    const FolderSearch::Result forward = FolderSearch::search(request(QStringLiteral("alpha"), 1, Direction::Forward));
    EXPECT_EQ(forward.found, 5);
    EXPECT_EQ(forward.passedOver, 4);

    const FolderSearch::Result none = FolderSearch::search(request(QStringLiteral("alpha"), 4, Direction::Backward));
    EXPECT_EQ(none.found, -1);
    EXPECT_EQ(none.passedOver, 4);
}

TEST_F(FolderSearchTest, ReportsProgressAndStopsWhenCancelled)
{
    std::atomic<bool> cancel{false};
    std::vector<std::pair<qsizetype, qsizetype>> steps;
    QStringList read;
    FolderSearch::Control control;
    control.cancel = &cancel;
    control.read = [&read](const QString &name) {
        read.append(name);
        return FolderSearch::readFile(name);
    };
    control.progress = [&](qsizetype done, qsizetype total) {
        steps.emplace_back(done, total);
        if (done == 2)
            cancel = true;
    };
    const FolderSearch::Result stopped = FolderSearch::search(request(QStringLiteral("zzz"), 0, Direction::Forward), control);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.found, -1);
    EXPECT_EQ(read, (QStringList{paths[0], paths[1]}));
    EXPECT_EQ(steps, (std::vector<std::pair<qsizetype, qsizetype>>{{1, 5}, {2, 5}}));

    // A reader of other sources (an archive's members) is asked by name.
    cancel = false;
    steps.clear();
    control.read = [](const QString &name) {
        return FolderSearch::Source{name.endsWith(QLatin1String("m2")) ? QByteArray("x zzz") : QByteArray("x")};
    };
    control.progress = [&](qsizetype done, qsizetype total) { steps.emplace_back(done, total); };
    FolderSearch::Request members = request(QStringLiteral("zzz"), 3, Direction::Backward);
    members.sources = {QStringLiteral("m0"), QStringLiteral("m1"), QStringLiteral("m2"), QStringLiteral("m3")};
    const FolderSearch::Result found = FolderSearch::search(members, control);
    EXPECT_EQ(found.found, 2);
    EXPECT_EQ(found.position, 2);
    EXPECT_EQ(steps, (std::vector<std::pair<qsizetype, qsizetype>>{{1, 4}, {2, 4}}));
}

} // namespace
