#include "core/Cp932.h"
#include "core/EncodingDetect.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using EncodingDetect::Encoding;

namespace {

QByteArray bytes(const char *text) { return QByteArray(text); }

QByteArray encoded(const QString &text, const char *converter)
{
    QStringEncoder encoder(converter);
    const QByteArray out = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError()) << converter;
    return out;
}

Encoding detected(const QByteArray &b) { return EncodingDetect::detect(b).encoding; }

const QString kJapanese = QStringLiteral("吾輩は猫である。名前はまだ無い。「どこで生れたか」とんと見当がつかぬ。");

} // namespace

TEST(EncodingDetect, EmptyAndPureAsciiAreCp932)
{
    EXPECT_EQ(detected(QByteArray()), Encoding::Sjis);
    EXPECT_EQ(detected(bytes("plain ASCII text\r\nwith two lines\n")), Encoding::Sjis);
    EXPECT_FALSE(EncodingDetect::detect(bytes("abc")).hasBom);
}

TEST(EncodingDetect, AByteOrderMarkDecides)
{
    // The rest is CP932 "あい", which would be taken for CP932 without the mark.
    const EncodingDetect::Detection utf8 = EncodingDetect::detect(bytes("\xEF\xBB\xBF\x82\xA0\x82\xA2"));
    EXPECT_EQ(utf8.encoding, Encoding::Utf8);
    EXPECT_TRUE(utf8.hasBom);

    const EncodingDetect::Detection le = EncodingDetect::detect(bytes("\xFF\xFE\x42\x30"));
    EXPECT_EQ(le.encoding, Encoding::Utf16);
    EXPECT_TRUE(le.hasBom);
    EXPECT_FALSE(le.bigEndian);

    const EncodingDetect::Detection be = EncodingDetect::detect(bytes("\xFE\xFF\x30\x42"));
    EXPECT_EQ(be.encoding, Encoding::Utf16);
    EXPECT_TRUE(be.bigEndian);

    // Only the mark itself: still that encoding, an empty text.
    EXPECT_EQ(detected(bytes("\xEF\xBB\xBF")), Encoding::Utf8);
    EXPECT_EQ(detected(bytes("\xFF\xFE")), Encoding::Utf16);
    EXPECT_EQ(EncodingDetect::decode(bytes("\xEF\xBB\xBF"), Encoding::Utf8), QString());
}

TEST(EncodingDetect, SevenBitBytesWithJapaneseDesignationsAreIso2022Jp)
{
    EXPECT_EQ(detected(encoded(kJapanese, "ISO-2022-JP")), Encoding::Jis);
    EXPECT_EQ(detected(bytes("Subject: x\r\n\r\n\x1B$@$\"\x1B(B\r\n")), Encoding::Jis);
    EXPECT_EQ(detected(bytes("\x1B(Jyen\x1B(B")), Encoding::Jis);
    EXPECT_EQ(detected(bytes("\x1B(I12\x1B(B")), Encoding::Jis);
    EXPECT_EQ(detected(bytes("\x1B$(DB!\x1B(B")), Encoding::Jis);
    // A switch back to ASCII alone and terminal colours are no ISO-2022-JP.
    EXPECT_EQ(detected(bytes("a\x1B(Bb")), Encoding::Sjis);
    EXPECT_EQ(detected(bytes("\x1B[31mred\x1B[0m")), Encoding::Sjis);
    // An escape at the very end must not be read past.
    EXPECT_EQ(detected(bytes("abc\x1B$")), Encoding::Sjis);
    // Not 7-bit: the escape sequence does not make CP932 "あ" JIS.
    EXPECT_EQ(detected(bytes("\x1B$B\x82\xA0")), Encoding::Sjis);
}

TEST(EncodingDetect, ValidUtf8WithAMultiByteSequenceIsUtf8)
{
    EXPECT_EQ(detected(encoded(kJapanese, "UTF-8")), Encoding::Utf8);
    EXPECT_EQ(detected(encoded(QStringLiteral("x😀y"), "UTF-8")), Encoding::Utf8);
    // "あい" in UTF-8 also decodes as CP932 without an error; UTF-8 comes first.
    const QByteArray both = encoded(QStringLiteral("あい"), "UTF-8");
    ASSERT_FALSE(Cp932::decode(both).contains(QChar(0xFFFD)));
    EXPECT_EQ(detected(both), Encoding::Utf8);
}

TEST(EncodingDetect, InvalidUtf8IsNotUtf8)
{
    EXPECT_NE(detected(bytes("\xC0\xAF")), Encoding::Utf8);         // overlong '/'
    EXPECT_NE(detected(bytes("\xE0\x80\xAF")), Encoding::Utf8);     // overlong
    EXPECT_NE(detected(bytes("\xED\xA0\x80")), Encoding::Utf8);     // a surrogate
    EXPECT_NE(detected(bytes("\xF4\x90\x80\x80")), Encoding::Utf8); // past U+10FFFF
    EXPECT_NE(detected(bytes("\xE3\x81")), Encoding::Utf8);         // cut short at the end
    EXPECT_NE(detected(bytes("\xF5\x80\x80\x80")), Encoding::Utf8);
}

// The blocks of 16 checked together and the bytes after them: a fault anywhere is found.
TEST(EncodingDetect, Utf8FaultsAreFoundAtEveryPosition)
{
    QString text;
    for (int i = 0; i < 40; ++i)
        text += i % 7 == 0 ? QStringLiteral("ab") : QStringLiteral("あ漢");
    const QByteArray good = encoded(text, "UTF-8");
    ASSERT_EQ(detected(good), Encoding::Utf8);
    for (qsizetype at = 0; at < good.size(); ++at) {
        QByteArray bad = good;
        const auto b = uchar(bad[at]);
        // A continuation byte made ASCII, or a lead or ASCII byte made a stray continuation.
        bad[at] = (b & 0xC0) == 0x80 ? 'x' : char(0x80);
        EXPECT_NE(detected(bad), Encoding::Utf8) << "fault at " << at;
        EXPECT_NE(detected(good.left(at) + char(0xE3)), Encoding::Utf8) << "cut at " << at;
    }
}

// A long text is checked in two halves that meet at the start of a character near its middle:
// every way a character can lie across the middle is taken, and a fault at each byte near it
// is found. The text is ASCII but for three characters, so that one fault is more than the
// damage a text may carry and a fault the halves missed would show as UTF-8.
TEST(EncodingDetect, LongUtf8IsJudgedAlikeWhereverItsMiddleFalls)
{
    for (const QString &unit : {QStringLiteral("あ"), QStringLiteral("😀"), QStringLiteral("é")}) {
        const QByteArray plain(1 << 20, 'a');
        const QByteArray body = encoded(unit, "UTF-8") + plain + encoded(unit + unit, "UTF-8") + plain;
        // ASCII after the characters moves the middle through every byte of one of them.
        for (int ascii = 0; ascii < 8; ++ascii) {
            const QByteArray good = body + QByteArray(ascii, 'a');
            ASSERT_EQ(detected(good), Encoding::Utf8) << ascii << " ASCII bytes after";
            const qsizetype mid = good.size() / 2;
            for (qsizetype at = mid - 5; at <= mid + 5; ++at) {
                QByteArray bad = good;
                bad[at] = (uchar(bad[at]) & 0xC0) == 0x80 ? 'x' : char(0x80);
                EXPECT_NE(detected(bad), Encoding::Utf8) << "fault at " << at << ", middle " << mid;
            }
        }
    }
}

// The fast 16-byte block check agrees with Qt's UTF-8 decoder on what is valid.
TEST(Utf8Validity, AgreesWithTheConverter)
{
    std::mt19937 rng(16);
    const uchar pieces[] = {'a', '\n', 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xDF,
                            0xE0, 0xE3, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    int valid = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray b;
        const int length = std::uniform_int_distribution<int>(1, 60)(rng);
        for (int i = 0; i < length; ++i) {
            // Mostly well-formed three-byte characters, so that valid strings are common.
            if (rng() % 3 != 0) {
                b += encoded(QString(QChar(char16_t(0x3041 + rng() % 0x5000))), "UTF-8");
                continue;
            }
            b += char(pieces[rng() % sizeof pieces]);
        }
        // Valid UTF-8 comes back unchanged; anything invalid becomes U+FFFD on the way.
        const bool converterValid = QString::fromUtf8(b).toUtf8() == b;
        const bool multiByte = std::any_of(b.begin(), b.end(), [](char c) { return uchar(c) >= 0x80; });
        valid += converterValid && multiByte;
        EXPECT_EQ(detected(b) == Encoding::Utf8, converterValid && multiByte) << b.toHex().constData();
    }
    EXPECT_GT(valid, 500);
}

TEST(EncodingDetect, Cp932AndEucJpByWhichDecodes)
{
    EXPECT_EQ(detected(encoded(kJapanese, "windows-31j")), Encoding::Sjis);
    EXPECT_EQ(detected(encoded(kJapanese, "EUC-JP")), Encoding::Euc);
    // NEC special characters exist only in CP932.
    EXPECT_EQ(detected(bytes("\x87\x40\x87\x41")), Encoding::Sjis);
    // EUC-JP "ある": 0xEB begins no CP932 character.
    const QByteArray aru = bytes("\xA4\xA2\xA4\xEB");
    EXPECT_TRUE(std::isinf(EncodingDetect::japaneseScore(aru, Encoding::Sjis)));
    EXPECT_EQ(detected(aru), Encoding::Euc);
}

TEST(EncodingDetect, WhereBothFailTheOneThatFailsLaterWins)
{
    QByteArray euc = encoded(kJapanese + kJapanese, "EUC-JP");
    euc.insert(euc.size() - 4, '\xFF'); // a stray byte near the end
    EXPECT_EQ(detected(euc), Encoding::Euc);
    QByteArray cp = encoded(kJapanese + kJapanese, "windows-31j");
    cp.insert(cp.size() - 4, '\xFF');
    EXPECT_EQ(detected(cp), Encoding::Sjis);
}

TEST(EncodingDetect, TwoKanaDecideByTheScore)
{
    // EUC-JP "あい" is also four CP932 half-width kana "､｢､､".
    const QByteArray euc = encoded(QStringLiteral("あい"), "EUC-JP");
    ASSERT_FALSE(std::isinf(EncodingDetect::japaneseScore(euc, Encoding::Sjis)));
    EXPECT_GT(EncodingDetect::japaneseScore(euc, Encoding::Euc), EncodingDetect::japaneseScore(euc, Encoding::Sjis));
    EXPECT_EQ(detected(euc), Encoding::Euc);
    // CP932 "あい" is no EUC-JP at all.
    const QByteArray cp = encoded(QStringLiteral("あい"), "windows-31j");
    EXPECT_TRUE(std::isinf(EncodingDetect::japaneseScore(cp, Encoding::Euc)));
    EXPECT_EQ(detected(cp), Encoding::Sjis);
    EXPECT_EQ(detected(encoded(QStringLiteral("カナ"), "EUC-JP")), Encoding::Euc);
}

TEST(EncodingDetect, HalfWidthKanaLines)
{
    // In CP932 this line is also valid EUC-JP: four level 1 kanji with no kana between them.
    const QString line = QStringLiteral("ﾃﾞｰﾀ ｿｳｼﾝ");
    const QByteArray cp = encoded(line, "windows-31j");
    ASSERT_FALSE(std::isinf(EncodingDetect::japaneseScore(cp, Encoding::Euc)));
    EXPECT_EQ(detected(cp), Encoding::Sjis);
    EXPECT_EQ(detected(encoded(QStringLiteral("ｺﾝﾆﾁﾊ ｹﾞﾝｷﾃﾞｽｶ"), "windows-31j")), Encoding::Sjis);
    // In EUC-JP every half-width kana is SS2 and a byte, which CP932 reads as kanji of one row.
    const QByteArray euc = encoded(line + QStringLiteral(" ｺﾝﾆﾁﾊ"), "EUC-JP");
    ASSERT_FALSE(std::isinf(EncodingDetect::japaneseScore(euc, Encoding::Sjis)));
    EXPECT_EQ(detected(euc), Encoding::Euc);
}

TEST(EncodingDetect, PanelAndConverterNames)
{
    EXPECT_EQ(EncodingDetect::panelName(Encoding::Sjis), QStringLiteral("SJIS"));
    EXPECT_EQ(EncodingDetect::panelName(Encoding::Utf8), QStringLiteral("UTF-8"));
    EXPECT_EQ(EncodingDetect::panelName(Encoding::Utf16), QStringLiteral("UTF-16"));
    EXPECT_EQ(EncodingDetect::panelName(Encoding::Euc), QStringLiteral("EUC"));
    EXPECT_EQ(EncodingDetect::panelName(Encoding::Jis), QStringLiteral("JIS"));
    for (Encoding e : {Encoding::Sjis, Encoding::Utf8, Encoding::Utf16, Encoding::Euc, Encoding::Jis}) {
        EXPECT_TRUE(QStringDecoder(EncodingDetect::converterName(e)).isValid()) << EncodingDetect::converterName(e);
        EXPECT_TRUE(QStringEncoder(EncodingDetect::converterName(e)).isValid()) << EncodingDetect::converterName(e);
    }
}

TEST(EncodingDetect, DecodingGivesOneLineBreakForEachKind)
{
    const QString text = QStringLiteral("あ\r\nｱ\r漢字😀\nend");
    const QString expected = QStringLiteral("あ\nｱ\n漢字😀\nend");
    EXPECT_EQ(EncodingDetect::decode(encoded(text, "UTF-8"), Encoding::Utf8), expected);
    EXPECT_EQ(EncodingDetect::decode("\xEF\xBB\xBF" + encoded(text, "UTF-8"), Encoding::Utf8), expected);
    EXPECT_EQ(EncodingDetect::decode("\xFF\xFE" + encoded(text, "UTF-16LE"), Encoding::Utf16), expected);
    EXPECT_EQ(EncodingDetect::decode("\xFE\xFF" + encoded(text, "UTF-16BE"), Encoding::Utf16), expected);
    EXPECT_EQ(EncodingDetect::decode(encoded(text, "UTF-16LE"), Encoding::Utf16), expected); // no mark: LE
    const QString noEmoji = QStringLiteral("あ\r\nｱ\r漢字①\nend");
    const QString noEmojiExpected = QStringLiteral("あ\nｱ\n漢字①\nend");
    EXPECT_EQ(EncodingDetect::decode(encoded(noEmoji, "windows-31j"), Encoding::Sjis), noEmojiExpected);
    EXPECT_EQ(EncodingDetect::decode(encoded(noEmoji, "EUC-JP"), Encoding::Euc), noEmojiExpected);
    // ISO-2022-JP has no half-width kana.
    EXPECT_EQ(EncodingDetect::decode(bytes("\x1B$B$\"\x1B(B\r\n\x1B$B4A;z-!\x1B(B\rend\n"), Encoding::Jis),
              QStringLiteral("あ\n漢字①\nend\n"));
}

TEST(EncodingDetect, EucJpDecodingOfEveryKindOfByte)
{
    // SS2 half-width kana, SS3 JIS X 0212, the control codes that the CP932 converter swaps.
    EXPECT_EQ(EncodingDetect::decode(bytes("\x8E\xB1\x8F\xB0\xA1\x1A\x1C\x7F"), Encoding::Euc),
              QStringLiteral("ｱ丂\x1A\x1C\x7F"));
    // A lead without a trail, an unassigned cell, a byte no character begins with.
    const QString bad = EncodingDetect::decode(bytes("\xA4" "a" "\xA9\xA1" "\xFF" "\xA4\xA2" "\xA4"), Encoding::Euc);
    EXPECT_EQ(bad, QStringLiteral("\uFFFDa\uFFFD\uFFFDあ\uFFFD"));
}

TEST(EncodingDetect, BrokenEndsBecomeReplacementCharacters)
{
    EXPECT_EQ(EncodingDetect::decode(bytes("\xFF\xFE\x42\x30\x42"), Encoding::Utf16), QStringLiteral("あ\uFFFD"));
    // Unpaired surrogates, high then low, around a pair (U+1F600) that stays.
    EXPECT_EQ(EncodingDetect::decode(QByteArray("\xFF\xFE\x00\xD8\x61\x00\x3D\xD8\x00\xDE\x00\xDC", 12), Encoding::Utf16),
              QStringLiteral("\uFFFDa😀\uFFFD"));
    EXPECT_EQ(EncodingDetect::decode(bytes("\x1B$B$\"$"), Encoding::Jis), QStringLiteral("あ\uFFFD"));
    const QString cut = EncodingDetect::decode(bytes("a\xE3\x81"), Encoding::Utf8);
    ASSERT_GT(cut.size(), 1);
    EXPECT_EQ(cut.mid(1), QString(cut.size() - 1, QChar(0xFFFD)));
}

// The table decoder of ISO-2022-JP reads every designation as the converter does.
TEST(EncodingDetect, Iso2022JpDecodingAgreesWithTheConverter)
{
    const char *const cases[] = {
        "\x1B$B$\"$$\x1B(B ascii \x1B(J\\~\x1B(B\\~",       // JIS X 0208, JIS Roman's yen and overline
        "\x1B$@4A;z\x1B(B",                                   // the older JIS C 6226 designation
        "\x1B(I12_\x1B(B",                                    // half-width katakana
        "\x1B$(DB!\x1B(B",                                    // JIS X 0212
        "\x1B$B$\"\r\n$\"\x1B(B",                              // a line break returns to ASCII
        "\x1B$B-!-\"\x1B(B\x1A\x1C\x7F",                        // NEC specials; control codes kept
    };
    for (const char *c : cases)
        EXPECT_EQ(EncodingDetect::decode(bytes(c), Encoding::Jis), EncodingDetect::referenceDecode(bytes(c), Encoding::Jis))
            << c;
    // Half a character at the end and a byte from 0x80 up are invalid.
    EXPECT_EQ(EncodingDetect::decode(bytes("\x1B$B$\"$"), Encoding::Jis), QStringLiteral("あ\uFFFD"));
    EXPECT_EQ(EncodingDetect::decode(bytes("a\xA4z"), Encoding::Jis), QStringLiteral("a\uFFFDz"));
}

// Fed piece by piece, cut anywhere (through marks, escapes, UTF-8 and double-byte characters,
// and far past the stretch the CP932/EUC-JP choice scores), the answer is detect()'s.
TEST(EncodingDetect, PiecesGiveTheAnswerOfTheWholeBytes)
{
    const QByteArray longEuc = encoded(kJapanese.repeated(6000), "EUC-JP");
    const QByteArray cases[] = {
        QByteArray(),
        bytes("\xEF\xBB\xBF\x82\xA0\x82\xA2"),
        bytes("\xFF\xFE\x42\x30"),
        bytes("\xFE\xFF"),
        bytes("\xEF\xBB"),
        QByteArray(3000, 'a') + bytes("\x1B$B$\"\x1B(B"),
        QByteArray(3000, 'a') + bytes("abc\x1B$"),
        bytes("\x1B$B") + encoded(kJapanese, "windows-31j"),
        encoded(QStringLiteral("x😀y").repeated(700), "UTF-8"),
        encoded(QStringLiteral("é😀あ").repeated(700), "UTF-8") + bytes("\xE3\x81"),
        encoded(kJapanese.repeated(40), "UTF-8") + bytes("\xFF") + encoded(kJapanese, "UTF-8"),
        QByteArray(5000, 'a') + encoded(kJapanese.repeated(9000), "windows-31j"),
        longEuc,
        longEuc.left(300 * 1024) + bytes("\xFF\xFF") + longEuc, // fails past the scored stretch
        encoded(QStringLiteral("あい"), "EUC-JP"),
    };
    for (const QByteArray &b : cases) {
        const EncodingDetect::Detection whole = EncodingDetect::detect(b);
        for (const qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(7), qsizetype(4096), qsizetype(1) << 20}) {
            EncodingDetect::PieceDetector detector;
            for (qsizetype at = 0; at < b.size(); at += piece)
                if (!detector.feed(b.constData() + at, std::min(piece, b.size() - at)))
                    break;
            const EncodingDetect::Detection pieces = detector.finish();
            EXPECT_EQ(pieces.encoding, whole.encoding) << b.left(16).toHex().toStdString() << " size " << b.size() << " piece " << piece;
            EXPECT_EQ(pieces.hasBom, whole.hasBom);
            EXPECT_EQ(pieces.bigEndian, whole.bigEndian);
        }
    }
}
