#include "core/Document.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

using EncodingDetect::Encoding;

// A text that tries every seam of reading a file block by block: line breaks of every kind, a
// byte-order mark's character right after ASCII, lines far longer than a block with no ASCII in
// them, and, past a megabyte, halves read on two threads.
QString seams(bool beyondBmp)
{
    QString text = QStringLiteral("見出し\r\nASCII line\rlone CR\n\nab\uFEFFcd\n");
    text += QString(40000, QChar(u'漢')) + QStringLiteral("\n");
    for (int i = 0; i < 30000; ++i)
        text += QStringLiteral("%1行目、かなカナ漢字とＡＢＣ。%2\r\n").arg(i).arg(beyondBmp && i % 7 == 0 ? QStringLiteral("😀") : QString());
    return text + QStringLiteral("最後の行");
}

struct Sample {
    const char *name;
    Encoding encoding;
    QByteArray bytes;
};

QByteArray encoded(const char *converter, const QString &text, const QByteArray &mark = {})
{
    QStringEncoder encoder(converter, QStringEncoder::Flag::Stateless);
    return mark + encoder.encode(text);
}

} // namespace

// Read as it is shown, a file of every encoding that can be read so gives exactly what it gives
// read whole: the text, its lines, its byte length, and what a search finds; damaged bytes too.
TEST(LazyEncodings, AFileReadAsShownIsTheSameTextAsReadWhole)
{
    QByteArray utf8 = encoded("UTF-8", seams(true));
    utf8.insert(utf8.size() / 3, '\xFF'); // a stray byte
    QByteArray euc = encoded("EUC-JP", seams(false));
    euc.insert(euc.size() / 3, '\xA4'); // a lead without its trail
    QByteArray le = encoded("UTF-16LE", seams(true));
    le.insert(le.size() / 3 & ~1, QByteArray("\x00\xD8", 2)); // an unpaired surrogate
    const std::vector<Sample> samples{
        {"UTF-8", Encoding::Utf8, utf8},
        {"UTF-8 with its mark", Encoding::Utf8, encoded("UTF-8", seams(true), "\xEF\xBB\xBF")},
        {"EUC-JP", Encoding::Euc, euc},
        {"UTF-16LE without a mark", Encoding::Utf16, le + QByteArray("\x41", 1)}, // and an odd last byte
        {"UTF-16BE with its mark", Encoding::Utf16, encoded("UTF-16BE", seams(true), "\xFE\xFF")},
        {"UTF-16LE with its mark", Encoding::Utf16, encoded("UTF-16LE", seams(true), "\xFF\xFE")},
    };
    QTemporaryDir dir;
    for (const Sample &sample : samples) {
        SCOPED_TRACE(sample.name);
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        TestFiles::write(path, sample.bytes);
        Document::LoadControl wholeControl;
        wholeControl.readAsShownFrom = std::numeric_limits<qint64>::max();
        const Document::Loaded whole = Document::load(path, sample.encoding, wholeControl);
        ASSERT_TRUE(whole.document);
        const TextStore &expected = whole.document->store();
        ASSERT_FALSE(expected.isLazy());
        for (const qsizetype piece : {qsizetype(1000), qsizetype(4) << 20}) {
            SCOPED_TRACE(piece);
            Document::LoadControl lazily;
            lazily.readAsShownFrom = 0;
            lazily.pieceBytes = piece;
            const Document::Loaded read = Document::load(path, sample.encoding, lazily);
            ASSERT_TRUE(read.document);
            const TextStore &text = read.document->store();
            ASSERT_TRUE(text.isLazy());
            EXPECT_EQ(read.document->detection().encoding, sample.encoding);
            EXPECT_EQ(read.document->byteLength(), whole.document->byteLength());
            ASSERT_EQ(text.size(), expected.size());
            EXPECT_TRUE(text.whole() == *expected.held());
            ASSERT_EQ(text.lineCount(), expected.lineCount());
            qsizetype differing = 0;
            for (qint64 line = 0; line < text.lineCount(); ++line)
                differing += text.lineStart(line) != expected.lineStart(line);
            EXPECT_EQ(differing, 0);
            for (const QString &word : {QStringLiteral("最後の行"), QStringLiteral("29999行目"), QStringLiteral("漢\n0行目"),
                                        QStringLiteral("\uFFFD"), QStringLiteral("b\uFEFFc")}) {
                EXPECT_EQ(text.indexOf(word, 1, Qt::CaseSensitive), expected.indexOf(word, 1, Qt::CaseSensitive))
                    << word.toStdString();
                EXPECT_EQ(text.lastIndexOf(word, text.size(), Qt::CaseSensitive),
                          expected.lastIndexOf(word, expected.size(), Qt::CaseSensitive))
                    << word.toStdString();
            }
        }
    }
}

// What is shown of a large file at once: its whole lines within the bytes read, recognised from
// them alone, whatever the cut in the bytes.
TEST(LazyEncodings, TheFirstLinesAreTheWholeLinesWithinTheBytesRead)
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("%1行目、かなカナ漢字。\r\n").arg(i);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    for (const auto &[converter, mark] : {std::pair{"UTF-8", QByteArray()}, {"UTF-16LE", QByteArray("\xFF\xFE")},
                                          {"UTF-16BE", QByteArray("\xFE\xFF")}, {"EUC-JP", QByteArray()}, {"Shift_JIS", QByteArray()}}) {
        SCOPED_TRACE(converter);
        TestFiles::write(path, encoded(converter, text, mark));
        for (const qsizetype bytes : {qsizetype(1001), qsizetype(2048)}) {
            const std::shared_ptr<Document> lines = Document::firstLines(path, std::nullopt, bytes);
            ASSERT_TRUE(lines);
            const QString shown = lines->text();
            EXPECT_GT(shown.size(), bytes / 8);
            EXPECT_TRUE(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).startsWith(shown + u'\n'));
        }
    }
    TestFiles::write(path, QByteArray(5000, 'a'));
    EXPECT_FALSE(Document::firstLines(path, std::nullopt, 1000));
}

// What a followed file adds is taken a whole line at a time, however its bytes arrive, and reads
// as the same bytes read whole do: a line break or a character cut between two writes waits.
TEST(LazyEncodings, AFileGrowingInPiecesReadsAsTheWholeFile)
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("%1行目、かな😀カナ\r\n%2\n").arg(i).arg(i % 3 ? QStringLiteral("ascii") : QString());
    using EncodingDetect::Detection;
    for (const auto &[converter, detection] :
         {std::pair{"UTF-8", Detection{Encoding::Utf8}}, {"UTF-16LE", Detection{Encoding::Utf16}},
          {"UTF-16BE", Detection{Encoding::Utf16, true, true}}, {"EUC-JP", Detection{Encoding::Euc}},
          {"Shift_JIS", Detection{Encoding::Sjis}}}) {
        SCOPED_TRACE(converter);
        const QString shown = detection.encoding == Encoding::Utf8 || detection.encoding == Encoding::Utf16
                                  ? text
                                  : QString(text).remove(QStringLiteral("😀"));
        const QByteArray bytes = encoded(converter, shown);
        QByteArray pending;
        QString read;
        for (qsizetype at = 0; at < bytes.size(); at += 777) {
            pending += bytes.mid(at, 777);
            const qsizetype whole = TextStore::wholeLines(pending, detection);
            read += TextStore::decodePiece(QByteArrayView(pending).first(whole), detection);
            pending.remove(0, whole);
        }
        EXPECT_TRUE(pending.isEmpty());
        EXPECT_EQ(read, QString(shown).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
}

// A file read as it is shown that grows in pieces is indexed in place to exactly what a load of
// the grown file gives: its text, every line start and its byte length. A piece that ends inside
// a character shows nothing of it until the rest arrives.
TEST(LazyEncodings, AnIndexExtendedByAppendsIsTheIndexOfTheWholeFile)
{
    QString text = QStringLiteral("見出し\r\n");
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("%1行目、かなカナ%2\r\nASCII\rlone CR\n\n").arg(i).arg(i % 5 ? QString() : QStringLiteral("😀"));
    text += QStringLiteral("最後の行");
    using EncodingDetect::Detection;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grows.txt"));
    for (const auto &[converter, encoding, mark] :
         {std::tuple{"UTF-8", Encoding::Utf8, QByteArray()}, {"UTF-16LE", Encoding::Utf16, QByteArray("\xFF\xFE")},
          {"UTF-16BE", Encoding::Utf16, QByteArray("\xFE\xFF")}, {"EUC-JP", Encoding::Euc, QByteArray()},
          {"Shift_JIS", Encoding::Sjis, QByteArray()}}) {
        SCOPED_TRACE(converter);
        const QString shown = encoding == Encoding::Utf8 || encoding == Encoding::Utf16
                                  ? text
                                  : QString(text).remove(QStringLiteral("😀"));
        const QByteArray bytes = encoded(converter, shown, mark);
        Document::LoadControl lazily;
        lazily.readAsShownFrom = 0;
        Document::LoadControl wholeControl;
        wholeControl.readAsShownFrom = std::numeric_limits<qint64>::max();
        const QString expected = *Document::load((TestFiles::write(path, bytes), path), encoding, wholeControl)
                                      .document->store()
                                      .held();
        // Loaded cut inside a character, then grown by pieces of an odd length that fall on
        // every seam.
        qsizetype written = bytes.size() / 3 | 1;
        ASSERT_TRUE(TestFiles::write(path, bytes.first(written)));
        const Document::Loaded loaded = Document::load(path, encoding, lazily);
        ASSERT_TRUE(loaded.document);
        Document &document = *loaded.document;
        ASSERT_TRUE(document.store().isLazy());
        qsizetype wrongPrefixes = 0;
        for (const qsizetype piece = 1999; written < bytes.size();) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::Append));
            file.write(bytes.mid(written, piece));
            file.close();
            written = std::min(bytes.size(), written + piece);
            ASSERT_GE(document.grow(), 0);
            const QString now = document.store().whole();
            // The text so far is the grown file's, never a substitute for a cut character.
            wrongPrefixes += !expected.startsWith(now);
        }
        EXPECT_EQ(wrongPrefixes, 0);
        EXPECT_EQ(document.source().identity, document.store().fileIdentity());
        const Document::Loaded whole = Document::load(path, encoding, lazily);
        const TextStore &grown = document.store(), &fresh = whole.document->store();
        EXPECT_TRUE(grown.whole() == expected);
        EXPECT_EQ(document.byteLength(), whole.document->byteLength());
        ASSERT_EQ(grown.lineCount(), fresh.lineCount());
        qsizetype differing = 0;
        for (qint64 line = 0; line < grown.lineCount(); ++line)
            differing += grown.lineStart(line) != fresh.lineStart(line);
        EXPECT_EQ(differing, 0);
        // A file cut shorter does not grow in place.
        ASSERT_TRUE(TestFiles::write(path, bytes.first(100)));
        EXPECT_EQ(document.grow(), -1);
    }
}
