#include "core/Cp932.h"
#include "core/TextStore.h"

#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class TextStoreTest : public ::testing::Test {
protected:
    // The file's text indexed from reads of at most `piece` bytes.
    TextStore indexed(const QByteArray &bytes, qsizetype piece, qint64 *byteLength = nullptr)
    {
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        TestFiles::write(path, bytes);
        RegularFile::Handle file = RegularFile::openForReading(path.toLocal8Bit());
        EXPECT_TRUE(file.isOpen());
        const int fd = file.fd();
        return TextStore::indexCp932(std::move(file), [fd](char *into, qsizetype room) {
            return qsizetype(::read(fd, into, size_t(room)));
        }, piece, byteLength);
    }
    QString path() const { return dir.filePath(QStringLiteral("t.txt")); }

    QTemporaryDir dir;
};

QByteArray repeatedTo(const QByteArray &unit, qsizetype size)
{
    QByteArray out;
    while (out.size() < size)
        out += unit;
    return out;
}

// Lines of `unit` each ended by its number, so that no two stretches of the text are alike.
QByteArray numberedLines(const QByteArray &unit, qsizetype size)
{
    QByteArray out;
    for (int i = 0; out.size() < size; ++i)
        out += unit + QByteArray::number(i) + "\r\n";
    return out;
}

} // namespace

TEST_F(TextStoreTest, AFileReadLazilyEqualsTheTextDecodedWhole)
{
    const QByteArray mixed("\x82\xa0\x8a\xbf\xb1\r\n\x81\x60word\rx\n\n\x88\x9f\t");
    // 4096 bytes of 'a' put the CR LF or the double-byte character right across a piece end.
    const QByteArray before(4095, 'a');
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"one line without a break", "abc"},
        {"breaks of every kind", "a\r\nb\rc\nd\r\n\r\n"},
        {"mixed", mixed.repeated(50)},
        {"invalid bytes", mixed + "\x82\xff\x85\r\n\xa0\x80" + mixed + "\x81"},
        {"CR LF across pieces", before + "\r\nafter\r\n"},
        {"double-byte across pieces", before + "\x82\xa0\x82\xa2\r\n"},
        {"no byte to end a block on", QByteArray(9000, '\x88') + "\r\n" + mixed},
        {"words across blocks", QByteArray("ab cd ef gh\r\n").repeated(3)},
        {"many blocks, indexed on two threads", numberedLines(mixed + "\x82\xcd\x82\xa2 ", 1200 << 10)},
        {"a CR that ends the text", "ab\r\ncd\r"},
        {"lines longer than a read, and than a line read alone",
         "x\r\n" + QByteArray(300 << 10, '\x88') + "\n\r" + QByteArray((1 << 20) + 5, 'b') + "\r\nend"},
    };
    for (const auto &c : cases) {
        for (qsizetype piece : {qsizetype(7), qsizetype(4096), qsizetype(4) << 20}) {
            SCOPED_TRACE(testing::Message() << c.name << ", pieces of " << piece);
            qint64 byteLength = -1;
            const TextStore lazy = indexed(c.bytes, piece, &byteLength);
            const Cp932::Decoded expected = Cp932::decodeCounting(c.bytes);
            const TextStore plain(expected.text);
            EXPECT_TRUE(lazy.isLazy());
            EXPECT_EQ(byteLength, expected.byteLength);
            ASSERT_EQ(lazy.size(), expected.text.size());
            EXPECT_EQ(lazy.whole(), expected.text);
            ASSERT_EQ(lazy.lineCount(), plain.lineCount());
            for (qint64 line = 0; line < plain.lineCount(); line += 1 + line / 3) {
                EXPECT_EQ(lazy.lineStart(line), plain.lineStart(line));
                EXPECT_EQ(lazy.line(line), plain.line(line));
            }
            // Lines read forward one by one, a few apart, and far apart.
            for (const qint64 step : {qint64(1), qint64(7), qint64(1000)}) {
                TextStore::LineReader reader(lazy);
                for (qint64 line = step / 2; line < plain.lineCount(); line += step)
                    ASSERT_EQ(reader.line(line), plain.line(line)) << line << " by " << step;
                EXPECT_FALSE(reader.lost()) << step;
            }
            const qint64 n = lazy.size();
            for (qint64 at : {qint64(0), n / 3, n / 2, n - 5, qint64(4090), qint64(65530), qint64(65536)}) {
                if (at < 0 || at >= n)
                    continue;
                EXPECT_EQ(lazy.at(at), expected.text.at(at));
                EXPECT_EQ(lazy.lineOf(at), plain.lineOf(at));
                // Across lines and block ends.
                EXPECT_EQ(lazy.mid(at, 70000), expected.text.mid(at, 70000));
            }
            for (const QString word : {QStringLiteral("WORD"), QStringLiteral("\nafter"), QStringLiteral("あい"),
                                       QStringLiteral("は"), QStringLiteral("D E")}) {
                for (qint64 from : {qint64(0), n / 2}) {
                    EXPECT_EQ(lazy.indexOf(word, from, Qt::CaseInsensitive), expected.text.indexOf(word, from, Qt::CaseInsensitive));
                    EXPECT_EQ(lazy.indexOf(word, from, Qt::CaseSensitive), expected.text.indexOf(word, from, Qt::CaseSensitive));
                }
                for (qint64 from : {n - 1, n / 2, std::min<qint64>(n - 1, 65540)})
                    EXPECT_EQ(lazy.lastIndexOf(word, from, Qt::CaseInsensitive),
                              expected.text.lastIndexOf(word, from, Qt::CaseInsensitive));
            }
        }
    }
}

TEST_F(TextStoreTest, ABlockIsDecodedOnceWhileItIsKept)
{
    const TextStore lazy = indexed(repeatedTo("\x82\xa0\x82\xa2\r\n", 1 << 20), 4 << 20);
    const qint64 last = lazy.lineCount() - 2;
    EXPECT_EQ(lazy.line(0), QStringLiteral("あい"));
    EXPECT_EQ(lazy.line(last), QStringLiteral("あい"));
    const qint64 decoded = lazy.blocksDecoded();
    EXPECT_EQ(decoded, 2);
    lazy.line(1);
    lazy.mid(lazy.lineStart(last), 2);
    EXPECT_EQ(lazy.blocksDecoded(), decoded);
}

TEST_F(TextStoreTest, AFileChangedAfterIndexingKeepsItsLengthAndShowsWhatCanBeRead)
{
    const QByteArray line("\x82\xa0\x82\xa2 abc\r\n");
    const QByteArray bytes = repeatedTo(line, 200 << 10);
    const TextStore lazy = indexed(bytes, 4 << 20);
    const QString before = Cp932::decode(bytes);
    EXPECT_EQ(lazy.mid(0, 40000), before.left(40000)); // read before the change
    EXPECT_FALSE(lazy.fileChanged());
    ASSERT_EQ(::truncate(path().toLocal8Bit().constData(), 100 << 10), 0);
    EXPECT_TRUE(lazy.fileChanged());
    EXPECT_EQ(lazy.size(), before.size());
    const QString after = lazy.whole();
    ASSERT_EQ(after.size(), before.size());
    // What was read before reads as it did; nothing more is read from the changed file, which
    // holds other bytes than the text shown: the rest is blank.
    EXPECT_EQ(after.left(40000), before.left(40000));
    EXPECT_EQ(after.right(100), QString(100, QLatin1Char(' ')));
    // Read line by line, the bytes are found not to fit the index and the lines read the same.
    TextStore::LineReader lines(lazy);
    for (qint64 i = 0; i < lazy.lineCount(); i += 3)
        ASSERT_EQ(lines.line(i), lazy.line(i)) << i;
    EXPECT_TRUE(lines.lost());

    // Rewritten with other bytes: still no more and no less than the indexed length.
    const TextStore again = indexed(bytes, 4 << 20);
    TestFiles::write(path(), repeatedTo("\x82\xa0", 300 << 10));
    EXPECT_TRUE(again.fileChanged());
    EXPECT_EQ(again.whole().size(), before.size());
    EXPECT_EQ(again.line(3).size(), 6);
    TextStore::LineReader lines2(again);
    EXPECT_EQ(lines2.line(3), again.line(3));
}
