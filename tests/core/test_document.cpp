#include "core/Cp932.h"
#include "core/Document.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestArchives.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>
#include <limits>
#include <vector>
#include <new>

namespace {

using EncodingDetect::Encoding;

class DocumentTest : public ::testing::Test {
protected:
    QString file(const QByteArray &bytes, const QString &name = QStringLiteral("t.txt"))
    {
        const QString path = dir.filePath(name);
        TestFiles::write(path, bytes);
        return path;
    }
    static Document::LoadControl inPieces(qsizetype bytes)
    {
        Document::LoadControl control;
        control.pieceBytes = bytes;
        return control;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(DocumentTest, ReadInPiecesGivesWhatTheWholeBytesGive)
{
    // Pieces cut through CR LF pairs, double-byte characters and long runs with nowhere to end.
    QByteArray sjis;
    for (int i = 0; i < 40; ++i)
        sjis += QByteArray("\x82\xa0\x8a\xbf\xb1\r\n\x81\x60x\r") + QByteArray(i % 7, '\x88') + "\x9f\n\n";
    const struct {
        const char *name;
        QByteArray bytes;
        std::optional<Encoding> chosen;
    } cases[] = {
        {"cp932", sjis, std::nullopt},
        {"cp932 with invalid bytes", sjis + "\x82\xff\x85", std::nullopt},
        {"cp932 chosen", sjis, Encoding::Sjis},
        {"utf-8", QStringLiteral("一行目\r\n二行目\n").toUtf8().repeated(30), std::nullopt},
        {"utf-8 with mark", "\xEF\xBB\xBF" + QStringLiteral("あ\r\n").toUtf8(), std::nullopt},
        {"euc chosen", QByteArray("\xA4\xA2\r\n\xB4\xC1").repeated(20), Encoding::Euc},
        {"utf-16", QByteArray("\xFF\xFE\x42\x30\r\0\n\0", 8), std::nullopt},
        {"empty", QByteArray(), std::nullopt},
        {"no line feed anywhere", QByteArray("\x82\xa0").repeated(500), std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = file(c.bytes);
        const DocumentEncoding::Loaded whole = DocumentEncoding::load(c.bytes, c.chosen);
        for (const qsizetype piece : {qsizetype(16), qsizetype(17), qsizetype(4) << 20}) {
            const Document::Loaded loaded = Document::load(path, c.chosen, inPieces(piece));
            ASSERT_TRUE(loaded.document);
            const Document &d = *loaded.document;
            EXPECT_EQ(d.text(), whole.text);
            EXPECT_EQ(d.byteLength(), whole.byteLength);
            EXPECT_EQ(d.byteLength(), DocumentEncoding::byteLength(d.text(), d.byteForm()));
            EXPECT_EQ(d.detection().encoding, whole.detection.encoding);
            EXPECT_EQ(d.detection().hasBom, whole.detection.hasBom);
            EXPECT_EQ(d.source().identity.size, c.bytes.size());
            EXPECT_EQ(d.source().path, path);
            EXPECT_FALSE(d.isModified());
            EXPECT_TRUE(d.effects().empty());
        }
    }
}

TEST_F(DocumentTest, ReloadAndAnotherEncodingReadTheFileAnew)
{
    const QString path = file("\xA4\xA2\xA4\xA4");
    const auto first = Document::load(path, std::nullopt).document;
    EXPECT_EQ(first->detection().encoding, Encoding::Euc);
    EXPECT_EQ(first->text(), QStringLiteral("あい"));
    const auto asSjis = Document::load(path, Encoding::Sjis).document;
    EXPECT_EQ(asSjis->text(), Cp932::decode("\xA4\xA2\xA4\xA4"));
    EXPECT_EQ(asSjis->byteForm(), DocumentEncoding::ByteForm::Cp932);
    EXPECT_EQ(first->byteForm(), DocumentEncoding::ByteForm::Utf8);

    file("changed\n");
    const auto reloaded = Document::load(path, std::nullopt).document;
    EXPECT_EQ(reloaded->text(), QStringLiteral("changed\n"));
    EXPECT_TRUE(reloaded->source().identity.sameFile(first->source().identity));
    EXPECT_NE(reloaded->source().identity, first->source().identity);
    EXPECT_EQ(first->text(), QStringLiteral("あい")); // a document loaded before stays as it was

    const Document::Loaded missing = Document::load(dir.filePath(QStringLiteral("none.txt")), std::nullopt);
    EXPECT_EQ(missing.failure, Document::Failure::Unreadable);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_FALSE(missing.document);
}

TEST_F(DocumentTest, EffectsStackFromTheFilesBytesAndComeOffTogether)
{
    // A byte that is no character passes through the effects untouched.
    const QString path = file("a b\r\nc\x85\n");
    Document d = *Document::load(path, Encoding::Sjis).document;
    const QString own = d.text();
    EXPECT_EQ(d.effectInput(), QByteArray("a b\r\nc\x85\r\n"));
    d.applyEffect(EffectKind::NoBlanks, "ab\r\nc\x85\r\n");
    EXPECT_EQ(d.text(), QStringLiteral("ab\nc\uFFFD\n"));
    EXPECT_EQ(d.effectInput(), QByteArray("ab\r\nc\x85\r\n"));
    d.applyEffect(EffectKind::NoLineBreaks, "abc\x85");
    EXPECT_TRUE(d.effects().has(EffectKind::NoBlanks) && d.effects().has(EffectKind::NoLineBreaks));
    EXPECT_FALSE(d.effects().has(EffectKind::Numbering));
    ASSERT_TRUE(d.unprocessedText());
    EXPECT_EQ(*d.unprocessedText(), own);
    EXPECT_EQ(d.text(), QStringLiteral("abc\uFFFD"));

    d.restoreUnprocessed();
    EXPECT_EQ(d.text(), own);
    EXPECT_TRUE(d.effects().empty());
    EXPECT_FALSE(d.unprocessedText());
    EXPECT_EQ(d.saveForm().bytes, QByteArray("a b\r\nc\x85\n"));

    // Forgetting keeps the shown text and the bytes it came from; the next effect starts there.
    d.applyEffect(EffectKind::NoTags, "x\r\n");
    d.forgetUnprocessed();
    EXPECT_EQ(d.text(), QStringLiteral("x\n"));
    EXPECT_TRUE(d.effects().empty());
    EXPECT_FALSE(d.unprocessedText());
    EXPECT_EQ(d.effectInput(), QByteArray("x\r\n"));
    EXPECT_EQ(d.saveForm().bytes, QByteArray("x\r\n"));
}

TEST_F(DocumentTest, SaveAsWritesTheFilesBytesWhileTheyStillMatch)
{
    const QString path = file("\xEF\xBB\xBF" + QStringLiteral("一\n").toUtf8());
    Document d = *Document::load(path, std::nullopt).document;
    EXPECT_EQ(d.saveForm().bytes, TestFiles::contents(path));
    d.applyEffect(EffectKind::Numbering, QStringLiteral("0001 一\r\n").toUtf8());
    EXPECT_EQ(d.saveForm().bytes, "\xEF\xBB\xBF" + QStringLiteral("0001 一\r\n").toUtf8());
    d.restoreUnprocessed();

    // The file changed since: the text is written in the document's encoding.
    file("other");
    EXPECT_EQ(d.saveForm().bytes, "\xEF\xBB\xBF" + QStringLiteral("一\r\n").toUtf8());
    EXPECT_EQ(d.effectInput(), QStringLiteral("一\r\n").toUtf8());

    // Typed into: the typed text, counted characters the encoding lacks.
    Document sjis = *Document::load(file("ab", QStringLiteral("s.txt")), Encoding::Sjis).document;
    sjis.replace(1, 0, QStringLiteral("é"));
    EXPECT_TRUE(sjis.isModified());
    const DocumentEncoding::Saved saved = sjis.saveForm();
    EXPECT_EQ(saved.bytes, QByteArray("a?b"));
    EXPECT_EQ(saved.unwritable, 1);
    EXPECT_EQ(sjis.effectInput(), Cp932::encode(QStringLiteral("aéb")));
}

TEST_F(DocumentTest, ACancelOrAFailedAllocationHalfWayLeavesNoDocument)
{
    const QByteArray bytes = QByteArray("\x82\xa0\x82\xa2\r\n").repeated(1000);
    const QString path = file(bytes);
    std::atomic<bool> cancel{false};
    int lastPercent = -1;
    Document::LoadControl control = inPieces(600);
    control.cancel = &cancel;
    control.progress = [&](int percent) { lastPercent = percent; };
    qint64 readWhenCancelled = -1;
    control.beforePiece = [&](qint64 read) {
        if (read >= 3000 && readWhenCancelled < 0) {
            readWhenCancelled = read;
            cancel = true;
        }
    };
    const Document::Loaded cancelled = Document::load(path, std::nullopt, control);
    EXPECT_EQ(cancelled.failure, Document::Failure::Cancelled);
    EXPECT_FALSE(cancelled.document);
    EXPECT_EQ(readWhenCancelled, 3000);
    EXPECT_EQ(lastPercent, 50);

    cancel = false;
    control.beforePiece = [](qint64 read) {
        if (read > 0)
            throw std::bad_alloc();
    };
    const Document::Loaded failed = Document::load(path, std::nullopt, control);
    EXPECT_EQ(failed.failure, Document::Failure::OutOfMemory);
    EXPECT_FALSE(failed.document);

    control.beforePiece = nullptr;
    const Document::Loaded whole = Document::load(path, std::nullopt, control);
    ASSERT_TRUE(whole.document);
    EXPECT_EQ(whole.document->text().size(), 3000);
    EXPECT_EQ(lastPercent, 100);
}

// The encoding is recognised from pieces read from the file, so a file cut short meanwhile ends
// the reading sooner instead of killing the program, and a cancel is seen between pieces.
TEST_F(DocumentTest, AFileCutShortOrACancelWhileTheEncodingIsRecognised)
{
    // ASCII first, so that the recognition reads many pieces before a decision.
    const QByteArray bytes = QByteArray(300000, 'a') + QByteArray("\r\n\x82\xa0\x82\xa2\r\n").repeated(5000);
    const QString path = file(bytes);
    std::vector<qint64> offsets;
    Document::LoadControl cutting = inPieces(4096);
    cutting.beforeDetectionPiece = [&](qint64 read) {
        offsets.push_back(read);
        if (read > 0 && ::truncate(path.toLocal8Bit().constData(), 1000) != 0)
            ADD_FAILURE() << "truncate failed";
    };
    const Document::Loaded cut = Document::load(path, std::nullopt, cutting);
    ASSERT_TRUE(cut.document);
    EXPECT_EQ(offsets, (std::vector<qint64>{0, 4096})); // the second piece finds the end
    EXPECT_EQ(cut.document->text(), QString(1000, QLatin1Char('a')));

    file(bytes);
    std::atomic<bool> cancel{false};
    Document::LoadControl control = inPieces(4096);
    control.cancel = &cancel;
    offsets.clear();
    control.beforeDetectionPiece = [&](qint64 read) {
        offsets.push_back(read);
        cancel = read >= 8192;
    };
    EXPECT_EQ(Document::load(path, std::nullopt, control).failure, Document::Failure::Cancelled);
    EXPECT_EQ(offsets.back(), 8192);
}

TEST_F(DocumentTest, AFileReadAsShownGivesWhatAFileHeldWholeGives)
{
    QByteArray sjis;
    for (int i = 0; i < 3000; ++i)
        sjis += QByteArray("\x82\xa0\x8a\xbf\xb1 \r\n\x81\x60x\r") + QByteArray(i % 7, '\x88') + "\x9f\n";
    const struct {
        const char *name;
        QByteArray bytes;
        bool lazy;
    } cases[] = {
        {"cp932", sjis, true},
        {"cp932 with invalid bytes", sjis + "\x82\xff\x85", true},
        {"utf-8", QStringLiteral("一行目\r\n").toUtf8().repeated(3000), true},
        {"iso-2022-jp stays held whole", QByteArray("\x1b$B$\"\x1b(B line\r\n").repeated(3000), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = file(c.bytes);
        Document::LoadControl control = inPieces(4096);
        control.readAsShownFrom = std::numeric_limits<qint64>::max();
        const Document::Loaded whole = Document::load(path, std::nullopt, control);
        control.readAsShownFrom = 1000;
        const Document::Loaded shown = Document::load(path, std::nullopt, control);
        ASSERT_TRUE(whole.document && shown.document);
        const Document &a = *whole.document;
        Document &b = *shown.document;
        EXPECT_EQ(b.store().isLazy(), c.lazy);
        EXPECT_EQ(b.text(), a.text());
        EXPECT_EQ(b.byteLength(), a.byteLength());
        EXPECT_EQ(b.detection().encoding, a.detection().encoding);
        EXPECT_EQ(b.saveForm().bytes, a.saveForm().bytes);
        EXPECT_EQ(b.effectInput(), a.effectInput());
        // Typed into, the text is held whole and reads as a text typed into.
        b.replace(2, 3, u"typed");
        EXPECT_FALSE(b.store().isLazy());
        EXPECT_EQ(b.text(), a.text().replace(2, 3, QStringLiteral("typed")));
    }
}

// A book's pictures come from beside its text, or from the same archive, once; a name that
// climbs out of the text's folder or starts anew is never read.
TEST(DocumentPictures, ReadBesideTheTextOnceAndNeverOutside)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/works");
    QDir().mkpath(folder + QStringLiteral("/img"));
    TestFiles::write(dir.path() + QStringLiteral("/outside.png"), "outside");
    TestFiles::write(folder + QStringLiteral("/img/fig.png"), "beside");
    const QString zip = dir.path() + QStringLiteral("/work.zip");
    ASSERT_TRUE(TestArchives::write(zip, {}, {{"work.txt", "text"}, {"fig.png", "member"}}));
    const QByteArray text = "a";

    const auto beside = Document::fromBytes(folder + QStringLiteral("/work.txt"), text, std::nullopt).document;
    ASSERT_TRUE(beside);
    EXPECT_EQ(beside->pictureFile(QStringLiteral("img/fig.png")), "beside");
    QFile::remove(folder + QStringLiteral("/img/fig.png"));
    EXPECT_EQ(beside->pictureFile(QStringLiteral("img/fig.png")), "beside"); // read once
    for (const QString &name : {QStringLiteral("../outside.png"), dir.path() + QStringLiteral("/outside.png"),
                                QStringLiteral("img/../../outside.png"), QStringLiteral("missing.png")})
        EXPECT_TRUE(beside->pictureFile(name).isEmpty()) << name.toStdString();

    const auto member = Document::fromBytes(zip + QStringLiteral("/work.txt"), text, std::nullopt).document;
    ASSERT_TRUE(member);
    EXPECT_EQ(member->pictureFile(QStringLiteral("fig.png")), "member");
    EXPECT_TRUE(member->pictureFile(QStringLiteral("../outside.png")).isEmpty());
}
