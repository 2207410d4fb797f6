#include "core/Cp932.h"
#include "core/DocumentEncoding.h"
#include "core/EffectList.h"

#include <QBuffer>
#include <QStringEncoder>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

using DocumentEncoding::ByteForm;
using EncodingDetect::Encoding;

namespace {

// An effect over the UTF-8 byte form of a text, streamed in blocks of the given size.
QString utf8Effect(char kind, const QString &text, qsizetype blockSize)
{
    QByteArray source = DocumentEncoding::encode(text, ByteForm::Utf8);
    QByteArray sink;
    QBuffer in(&source);
    QBuffer out(&sink);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(Effects::transform(EffectKind(kind), in, out, blockSize));
    return DocumentEncoding::decode(sink, ByteForm::Utf8);
}

QByteArray through(const char *converter, const QString &text)
{
    QStringEncoder encoder(converter);
    return encoder.encode(text);
}

} // namespace

// U+3000 (E3 80 80) is what 81 40 is in code page 932: a blank the blank rules leave alone, and
// a line holding it is no empty line. Characters code page 932 lacks pass every rule.
TEST(DocumentEncodingEffects, TheFullWidthBlankAndWideCharactersSurviveEveryRule)
{
    const QString wide = QStringLiteral("😀　한");
    for (qsizetype block : {1, 2, 3, 7, 65536}) {
        SCOPED_TRACE(block);
        EXPECT_EQ(utf8Effect('S', QStringLiteral("a b\t") + wide + QStringLiteral(" z\n　"), block),
                  QStringLiteral("ab") + wide + QStringLiteral("z\n　"));
        EXPECT_EQ(utf8Effect('C', wide + QStringLiteral("\nx\n"), block), wide + QStringLiteral("x"));
        EXPECT_EQ(utf8Effect('T', QStringLiteral("<b>") + wide + QStringLiteral("</b>"), block), wide);
        // The header ends at the empty line, not at the line of one full-width blank.
        EXPECT_EQ(utf8Effect('F', QStringLiteral("From: 差出人\n　\nstill header\n\n") + wide, block), wide);
        EXPECT_EQ(utf8Effect('N', wide + QStringLiteral("\n　"), block),
                  QStringLiteral("0001 ") + wide + QStringLiteral("\n0002 　"));
    }
    // The same rules leave the code page 932 blank alone, which is what U+3000 follows.
    EXPECT_EQ(Effects::transform(EffectKind::NoBlanks, QByteArray("\x81\x40 x")), QByteArray("\x81\x40x"));
}

TEST(DocumentEncodingForms, TheUtf8FormWritesCrLfAndCountsWhatItWrites)
{
    const QString text = QStringLiteral("a\né😀一\n\n한");
    const QByteArray bytes = DocumentEncoding::encode(text, ByteForm::Utf8);
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    EXPECT_EQ(bytes, crlf.toUtf8());
    EXPECT_EQ(DocumentEncoding::byteLength(text, ByteForm::Utf8), bytes.size());
    EXPECT_EQ(DocumentEncoding::decode(bytes, ByteForm::Utf8), text);
    // A character that starts the text is kept, not taken for a byte-order mark.
    const QString marked = QStringLiteral("\uFEFFx");
    EXPECT_EQ(DocumentEncoding::decode(DocumentEncoding::encode(marked, ByteForm::Utf8), ByteForm::Utf8), marked);
    // An unpaired surrogate is one '?' in the bytes and in the count.
    const QString lone = QStringLiteral("a") + QChar(char16_t(0xD800)) + QStringLiteral("b");
    EXPECT_EQ(DocumentEncoding::encode(lone, ByteForm::Utf8), QByteArray("a?b"));
    EXPECT_EQ(DocumentEncoding::byteLength(lone, ByteForm::Utf8), 3);
    // The code page 932 form is the one it always was.
    EXPECT_EQ(DocumentEncoding::encode(QStringLiteral("一\n"), ByteForm::Cp932), Cp932::encode(QStringLiteral("一\n")));
    EXPECT_EQ(DocumentEncoding::byteLength(QStringLiteral("一\n"), ByteForm::Cp932), 4);
}

TEST(DocumentEncodingLoad, RecognisedOrChosenEncodingGivesTextLengthAndMark)
{
    const QString text = QStringLiteral("日本語の文章です。\n二行目");
    const qint64 utf8Length = DocumentEncoding::byteLength(text, ByteForm::Utf8);

    DocumentEncoding::Loaded bom = DocumentEncoding::load("\xEF\xBB\xBF" + text.toUtf8(), std::nullopt);
    EXPECT_EQ(bom.detection.encoding, Encoding::Utf8);
    EXPECT_TRUE(bom.detection.hasBom);
    EXPECT_EQ(bom.text, text);
    EXPECT_EQ(bom.byteLength, utf8Length);

    const QByteArray euc = through("EUC-JP", text);
    DocumentEncoding::Loaded fromEuc = DocumentEncoding::load(euc, std::nullopt);
    EXPECT_EQ(fromEuc.detection.encoding, Encoding::Euc);
    EXPECT_EQ(fromEuc.text, text);
    EXPECT_EQ(fromEuc.byteLength, utf8Length);

    DocumentEncoding::Loaded sjis = DocumentEncoding::load(Cp932::encode(text), std::nullopt);
    EXPECT_EQ(sjis.detection.encoding, Encoding::Sjis);
    EXPECT_EQ(sjis.text, text);
    EXPECT_EQ(sjis.byteLength, Cp932::byteLength(text));

    // A chosen encoding is used as it is, and a mark of that encoding is still noticed.
    DocumentEncoding::Loaded forced = DocumentEncoding::load(euc, Encoding::Sjis);
    EXPECT_EQ(forced.detection.encoding, Encoding::Sjis);
    EXPECT_EQ(forced.text, Cp932::decode(euc));
    EXPECT_EQ(forced.byteLength, Cp932::byteLength(forced.text));
    DocumentEncoding::Loaded chosenUtf8 = DocumentEncoding::load("\xEF\xBB\xBF" "a", Encoding::Utf8);
    EXPECT_TRUE(chosenUtf8.detection.hasBom);
    EXPECT_EQ(chosenUtf8.text, QStringLiteral("a"));
    EXPECT_FALSE(DocumentEncoding::load("\xEF\xBB\xBF" "a", Encoding::Euc).detection.hasBom);
}

// What a file held comes back byte for byte when its text is saved in its own encoding.
TEST(DocumentEncodingSave, EachEncodingWritesItsOwnBytesAndMark)
{
    const QString text = QStringLiteral("一行目 ｶﾅ\n二行目\n");
    const QByteArray crlfUtf8 = QByteArray("\xE4\xB8\x80\xE8\xA1\x8C\xE7\x9B\xAE \xEF\xBD\xB6\xEF\xBE\x85\r\n"
                                           "\xE4\xBA\x8C\xE8\xA1\x8C\xE7\x9B\xAE\r\n");
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QByteArray bom = "\xEF\xBB\xBF";
    const QByteArray utf16le = "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(crlf.utf16()), crlf.size() * 2);
    QStringEncoder be(QStringConverter::Utf16BE);
    const QByteArray utf16be = "\xFE\xFF" + QByteArray(be.encode(crlf));
    const QByteArray euc = through("EUC-JP", crlf);
    // Mail text in ISO-2022-JP carries no half-width kana.
    const QByteArray jis = through("ISO-2022-JP", QStringLiteral("一行目\r\n二行目 abc\r\n"));

    for (const QByteArray &file : {bom + crlfUtf8, crlfUtf8, utf16le, utf16be, euc, jis, Cp932::encode(text)}) {
        const DocumentEncoding::Loaded loaded = DocumentEncoding::load(file, std::nullopt);
        SCOPED_TRACE(EncodingDetect::panelName(loaded.detection.encoding).toStdString());
        EXPECT_EQ(DocumentEncoding::saveForm(loaded.text, loaded.detection), file);
    }
    // Characters an encoding lacks are no reason to lose the rest.
    const QString emoji = QStringLiteral("あ😀い");
    EXPECT_EQ(DocumentEncoding::saveForm(emoji, {Encoding::Sjis, false, false}), QByteArray("\x82\xA0?\x82\xA2"));
    EXPECT_EQ(DocumentEncoding::saveForm(emoji, {Encoding::Euc, false, false}), QByteArray("\xA4\xA2?\xA4\xA4"));
    EXPECT_EQ(DocumentEncoding::saveForm(emoji + QStringLiteral("한\n"), {Encoding::Jis, false, false}),
              QByteArray("\x1B$B$\"\x1B(B?\x1B$B$$\x1B(B?\r\n"));
    // Half-width kana, which ISO-2022-JP lacks, are written full-width, voicing marks joined.
    EXPECT_EQ(DocumentEncoding::saveForm(QStringLiteral("ｶﾞｲﾄﾞ a"), {Encoding::Jis, false, false}),
              through("ISO-2022-JP", QStringLiteral("ガイド a")));
}

// The first effect starts from the file's own bytes: only line breaks change, so CP932's
// duplicate NEC and IBM codes and bytes that are no character reach the effect unchanged.
TEST(DocumentEncodingSave, TheByteFormOfAFileKeepsItsBytesAndMakesEveryBreakCrLf)
{
    EXPECT_EQ(DocumentEncoding::byteFormOfFile("\xED\x40\x87\x90\r\x80x\n\n\xFF\r\n\r", {Encoding::Sjis, false, false}),
              QByteArray("\xED\x40\x87\x90\r\n\x80x\r\n\r\n\xFF\r\n\r\n"));
}

// Save-as asks before it writes a character as '?': how many there are, and the first one's line.
TEST(DocumentEncodingSave, CharactersTheEncodingLacksAreCountedWithTheFirstOnesLine)
{
    const QChar lone(0xD800);
    struct Case {
        Encoding encoding;
        QString text;
        qint64 unwritable;
        qint64 firstLine;
    } cases[] = {
        {Encoding::Sjis, QStringLiteral("a\nb😀\n한x\uFFFD"), 3, 2},
        {Encoding::Sjis, QStringLiteral("①～\u2225\n"), 0, 0},
        {Encoding::Euc, QStringLiteral("一\n\n二\uFFFD"), 1, 3},
        // Half-width kana are written full-width in ISO-2022-JP, so they are no loss.
        {Encoding::Jis, QStringLiteral("ｶﾞ한\n한"), 2, 1},
        {Encoding::Utf8, QStringLiteral("\uFFFD😀\n") + lone, 1, 2},
        {Encoding::Utf16, QStringLiteral("한\n😀"), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const DocumentEncoding::Saved saved = DocumentEncoding::saveFormCounting(c.text, {c.encoding, false, false});
        EXPECT_EQ(saved.unwritable, c.unwritable);
        EXPECT_EQ(saved.firstLine, c.firstLine);
        EXPECT_EQ(saved.bytes, DocumentEncoding::saveForm(c.text, {c.encoding, false, false}));
    }
}

TEST(DocumentEncodingChoice, AStoredChoiceIsOneOfTheFiveCodesOrAutomatic)
{
    using DocumentEncoding::Choice;
    for (const char *code : {"A", "S", "U", "E", "J"})
        EXPECT_EQ(char(DocumentEncoding::choiceFromStored(QString::fromLatin1(code))), *code);
    for (const char *stored : {"", "X", "u", "UU", "U "})
        EXPECT_EQ(DocumentEncoding::choiceFromStored(QString::fromLatin1(stored)), Choice::Auto) << stored;
    EXPECT_EQ(DocumentEncoding::forcedEncoding(Choice::Auto), std::nullopt);
    EXPECT_EQ(DocumentEncoding::forcedEncoding(Choice::Euc), Encoding::Euc);
    EXPECT_EQ(DocumentEncoding::forcedEncoding(Choice::Jis), Encoding::Jis);
    EXPECT_EQ(DocumentEncoding::forcedEncoding(Choice('?')), std::nullopt);
}
