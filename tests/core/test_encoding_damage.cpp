#include "core/Cp932.h"
#include "core/DocumentEncoding.h"
#include "core/EncodingDetect.h"
#include "tests/corpus/JapaneseCorpus.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

using EncodingDetect::Encoding;

namespace {

using JapaneseCorpus::Damage;
using JapaneseCorpus::Sample;

// Damaged copies of texts of every encoding and kind, from 1 KB (below it a text must decode
// without an error) to 1 MB (past which UTF-8 is checked in two halves); UTF-16 with its mark
// and without it, in both byte orders.
std::vector<Sample> damagedSamples()
{
    std::vector<Sample> out;
    const std::vector<Sample> corpus = JapaneseCorpus::generateCorpus(6, 1200, 1100 * 1024, 21);
    quint32 seed = 0;
    for (const Sample &s : corpus) {
        std::vector<Sample> forms{s};
        if (s.encoding == Encoding::Utf16)
            forms.push_back(JapaneseCorpus::withoutMark(s));
        for (const Sample &form : forms) {
            for (int d = 0; d < JapaneseCorpus::kDamages; ++d) {
                const Sample bad = JapaneseCorpus::damaged(form, Damage(d), ++seed);
                if (bad.bytes != form.bytes) // half-width kana alone in CP932 have no character to cut
                    out.push_back(bad);
            }
        }
    }
    return out;
}

std::string what(const Sample &s)
{
    return QStringLiteral("%1%2 %3 of %4 bytes")
        .arg(EncodingDetect::panelName(s.encoding), s.bigEndian ? QStringLiteral(" BE") : QString(),
             JapaneseCorpus::genreName(s.genre))
        .arg(s.bytes.size())
        .toStdString();
}

} // namespace

// Each damaged text is recognised as its encoding and reads as it did but for U+FFFD where the
// damage is: a stray byte costs only itself, not the characters after it.
TEST(EncodingDamage, DamagedTextsAreRecognisedAndReadButForTheDamage)
{
    const std::vector<Sample> samples = damagedSamples();
    ASSERT_GE(samples.size(), 90u);
    for (const Sample &s : samples) {
        const EncodingDetect::Detection detected = EncodingDetect::detect(s.bytes);
        ASSERT_EQ(detected.encoding, s.encoding) << what(s);
        EXPECT_EQ(detected.bigEndian, s.bigEndian) << what(s);
        const QString text = EncodingDetect::decode(s.bytes, detected);
        if (s.encoding == Encoding::Utf8 && s.text.endsWith(QChar(0xFFFD))) {
            // A cut UTF-8 character may give a replacement for each byte left of it.
            const QString kept = s.text.chopped(1);
            ASSERT_TRUE(text.startsWith(kept)) << what(s);
            EXPECT_GE(text.size() - kept.size(), 1) << what(s);
            EXPECT_EQ(text.mid(kept.size()), QString(text.size() - kept.size(), QChar(0xFFFD))) << what(s);
        } else {
            qsizetype d = 0;
            while (d < text.size() && d < s.text.size() && text[d] == s.text[d])
                ++d;
            EXPECT_EQ(text, s.text) << what(s) << ", first difference at " << d;
        }
    }
}

// Read piece by piece, cut anywhere, a damaged text gets detect()'s answer: the counts of
// errors carry over the pieces' ends.
TEST(EncodingDamage, PiecesGiveTheAnswerOfTheWholeDamagedBytes)
{
    for (const Sample &s : damagedSamples()) {
        if (s.bytes.size() > 64 * 1024)
            continue;
        const EncodingDetect::Detection whole = EncodingDetect::detect(s.bytes);
        for (const qsizetype piece : {qsizetype(1), qsizetype(3), qsizetype(7), qsizetype(4096)}) {
            EncodingDetect::PieceDetector detector;
            for (qsizetype at = 0; at < s.bytes.size(); at += piece)
                if (!detector.feed(s.bytes.constData() + at, std::min(piece, s.bytes.size() - at)))
                    break;
            const EncodingDetect::Detection pieces = detector.finish();
            EXPECT_EQ(pieces.encoding, whole.encoding) << what(s) << ", pieces of " << piece;
            EXPECT_EQ(pieces.bigEndian, whole.bigEndian) << what(s) << ", pieces of " << piece;
        }
    }
}

// Damage beyond what a text may carry, and texts that only look damaged, are judged as before.
TEST(EncodingDamage, TheToleranceHasItsBounds)
{
    const QString line = QStringLiteral("吾輩は猫である。名前はまだ無い。\r\n");
    const QByteArray utf8 = line.repeated(50).toUtf8(); // 2,500 bytes, a line every 50
    QByteArray two = utf8;
    two.insert(1500, '\xFF');
    two.insert(500, '\xFF');
    EXPECT_EQ(EncodingDetect::detect(two).encoding, Encoding::Utf8);
    // Three strays in 2.5 KB is more than one in 1,000.
    QByteArray three = utf8;
    three.insert(2000, '\xFF');
    three.insert(1500, '\xFF');
    three.insert(500, '\xFF');
    EXPECT_NE(EncodingDetect::detect(three).encoding, Encoding::Utf8);
    // Strays crowded at the start rule UTF-8 out even where the rest would bring the rate down.
    const QByteArray crowded = QByteArray("\xFF\xFF\xFF") + line.toUtf8() + line.repeated(3000).toUtf8();
    EXPECT_NE(EncodingDetect::detect(crowded).encoding, Encoding::Utf8);
    // Mostly ASCII: a stray byte needs four valid characters beyond ASCII beside it.
    const QByteArray ascii(3000, 'a');
    EXPECT_EQ(EncodingDetect::detect(ascii + "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xFF").encoding,
              Encoding::Utf8);
    EXPECT_NE(EncodingDetect::detect(ascii + "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xFF").encoding, Encoding::Utf8);
    // ISO-2022-JP with a stray byte needs designations to outweigh it.
    const QByteArray jis = QByteArray("\x1B$B$\"\x1B(B text\r\n").repeated(200);
    EXPECT_EQ(EncodingDetect::detect(jis + "\xA4").encoding, Encoding::Jis);
    EXPECT_NE(EncodingDetect::detect(QByteArray(3000, 'a') + "\x1B$B$\"\x1B(B\xA4").encoding, Encoding::Jis);
    // A long line in double-byte mode has one designation but many characters, which count.
    QByteArray line2 = "\x1B$B" + QByteArray("$\"").repeated(1500) + "\x1B(B\r\n";
    line2.insert(2003, '\xA4');
    line2.insert(1003, '\xA4');
    EXPECT_EQ(EncodingDetect::detect(line2).encoding, Encoding::Jis);
    EXPECT_EQ(EncodingDetect::decode(line2, Encoding::Jis),
              QStringLiteral("あ").repeated(500) + QStringLiteral("\uFFFD") + QStringLiteral("あ").repeated(500)
                  + QStringLiteral("\uFFFD") + QStringLiteral("あ").repeated(500) + QStringLiteral("\n"));
    // Zero bytes alone make no UTF-16: a text must read as one in nine of ten units.
    EXPECT_NE(EncodingDetect::detect(QByteArray("\x01\x00\x02\x00\x03\x00", 6).repeated(100)).encoding, Encoding::Utf16);
    EXPECT_EQ(EncodingDetect::detect(QByteArray("a\0b\0", 4)).encoding, Encoding::Utf16);
    EXPECT_TRUE(EncodingDetect::detect(QByteArray("\0a\0b", 4)).bigEndian);
}

// UTF-16 without a mark in either byte order is read in that order, whether recognised or
// chosen, and its byte form for the effects is the text's.
TEST(EncodingDamage, Utf16WithoutAMarkIsReadInItsByteOrder)
{
    const QString text = QStringLiteral("　吾輩は猫である。\n名前はまだ無い。\nABC\n");
    for (const bool bigEndian : {false, true}) {
        const Sample s = JapaneseCorpus::fromText(text, Encoding::Utf16, true, false, bigEndian);
        for (const auto chosen : {std::optional<Encoding>(), std::optional<Encoding>(Encoding::Utf16)}) {
            const DocumentEncoding::Loaded loaded = DocumentEncoding::load(s.bytes, chosen);
            EXPECT_EQ(loaded.detection.encoding, Encoding::Utf16) << bigEndian;
            EXPECT_EQ(loaded.detection.bigEndian, bigEndian);
            EXPECT_FALSE(loaded.detection.hasBom);
            EXPECT_EQ(loaded.text, text) << bigEndian;
        }
        const QByteArray form = DocumentEncoding::byteFormOfFile(s.bytes, EncodingDetect::detect(s.bytes));
        EXPECT_EQ(DocumentEncoding::decode(form, DocumentEncoding::ByteForm::Utf8), text) << bigEndian;
    }
}

// The detector reads a text only as far as the answer needs: CP932 and EUC-JP stop once the
// stretch they are told apart in is read, while damaged UTF-8 must be read to its end.
TEST(EncodingDamage, PiecesAreReadOnlyAsFarAsTheAnswerNeeds)
{
    const QString line = QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたか頓と見当がつかぬ。\r\n");
    const auto piecesRead = [](const QByteArray &bytes) {
        EncodingDetect::PieceDetector detector;
        qsizetype read = 0;
        while (read < bytes.size()) {
            const qsizetype piece = std::min<qsizetype>(64 * 1024, bytes.size() - read);
            read += piece;
            if (!detector.feed(bytes.constData() + read - piece, piece))
                break;
        }
        return std::make_pair(read, detector.finish().encoding);
    };
    const QByteArray cp932 = Cp932::encode(line.repeated(40000)); // about 3 MB
    EXPECT_EQ(piecesRead(cp932), std::make_pair(qsizetype(320 * 1024), Encoding::Sjis));
    // Mostly ASCII with a few characters beyond it: UTF-8 is ruled out all the same.
    const QByteArray mostlyAscii = QByteArray(2 << 20, 'a') + Cp932::encode(line.repeated(12)) + QByteArray(2 << 20, 'a');
    EXPECT_EQ(piecesRead(mostlyAscii), std::make_pair(qsizetype((2 << 20) + 320 * 1024), Encoding::Sjis));
    QByteArray utf8 = line.repeated(40000).toUtf8();
    utf8.insert(utf8.size() / 2, '\xFF');
    EXPECT_EQ(piecesRead(utf8 + "\xE3\x81"), std::make_pair(utf8.size() + 2, Encoding::Utf8));
}
