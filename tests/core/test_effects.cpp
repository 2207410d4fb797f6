#include "core/EffectList.h"

#include <QBuffer>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string fx(char kind, const std::string &text)
{
    const QByteArray out = Effects::transform(EffectKind(kind), QByteArray::fromStdString(text));
    return out.toStdString();
}

// Streams through QBuffer devices with the given block size.
std::string streamed(char kind, const std::string &text, qsizetype blockSize)
{
    QByteArray source = QByteArray::fromStdString(text);
    QByteArray sink;
    QBuffer in(&source);
    QBuffer out(&sink);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(Effects::transform(EffectKind(kind), in, out, blockSize));
    return sink.toStdString();
}

// CP932 pairs whose trail byte is '\', '|', '@' or '`', the full-width space and "あ".
const std::string kWide = "\x83\x5C" "\x95\x5C" "\x83\x7C" "\x83\x60" "\x81\x40" "\x82\xA0";

const std::string kMail = "From: a@example.jp\r\nSubject: hi\r\n\r\nBody line\r\n\r\nsecond\r\n";

} // namespace

TEST(Effects, KindsAreTheFiveLetters)
{
    for (char c : std::string("CSTFN"))
        EXPECT_TRUE(Effects::isKind(QChar::fromLatin1(c))) << c;
    for (char c : std::string("csxA <"))
        EXPECT_FALSE(Effects::isKind(QChar::fromLatin1(c))) << c;
    EXPECT_EQ(fx('x', "abc"), "");
}

TEST(Effects, CutBreaksAndSpaces)
{
    EXPECT_EQ(fx('C', "ab\r\ncd\r\n\r\ne\n\r"), "abcde");
    EXPECT_EQ(fx('S', "a b\tc  \r\n d"), "abc\r\nd");
    // The full-width space is kept, a TAB beside it is not.
    EXPECT_EQ(fx('S', "\x81\x40\tx"), "\x81\x40x");
}

TEST(Effects, CutTags)
{
    EXPECT_EQ(fx('T', "a<b>c</b>d"), "acd");
    EXPECT_EQ(fx('T', "x > y"), "x  y");
    EXPECT_EQ(fx('T', "keep<unclosed and the rest\r\nof it"), "keep");
    EXPECT_EQ(fx('T', "a<p\r\nclass=x>b\r\n"), "ab\r\n");
    EXPECT_EQ(fx('T', "<a <b> c"), " c");
    EXPECT_EQ(fx('T', "&amp;<i>&lt;</i>"), "&amp;&lt;");
}

TEST(Effects, CutHeader)
{
    EXPECT_EQ(fx('F', kMail), "Body line\r\n\r\nsecond\r\n");
    EXPECT_EQ(fx('F', "a\r\n\r\nbody"), "body");
    // An empty first line alone does not end the header; the next empty line does.
    EXPECT_EQ(fx('F', "\r\nabc\r\n\r\nbody"), "body");
    EXPECT_EQ(fx('F', "\r\n\r\nbody"), "body");
    EXPECT_EQ(fx('F', "\r\nabc\r\ndef"), "");
    EXPECT_EQ(fx('F', "no\r\nblank\r\nline\r\n"), "");
    // The look-ahead consumes its two bytes: a lone LF among them starts nothing.
    EXPECT_EQ(fx('F', "a\n\nx\nB"), "");
    EXPECT_EQ(fx('F', ""), "");
}

TEST(Effects, NumberLines)
{
    EXPECT_EQ(fx('N', "abc\r\ndef\r\n"), "0001 abc\r\n0002 def\r\n0003 ");
    EXPECT_EQ(fx('N', "abc"), "0001 abc");
    EXPECT_EQ(fx('N', "\r\nx"), "0001 \r\n0002 x");
    EXPECT_EQ(fx('N', ""), "");
}

TEST(Effects, NumberPaddingGrowsPastFourDigits)
{
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += i ? "\r\nL" : "L";
    const QByteArray out = QByteArray::fromStdString(fx('N', text));
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 10000);
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray expected = QByteArray::number(i + 1).rightJustified(4, '0') + " L";
        ASSERT_EQ(lines[i].chopped(i + 1 < lines.size() ? 1 : 0), expected) << i;
    }
    EXPECT_TRUE(lines[998].startsWith("0999 "));
    EXPECT_TRUE(lines[999].startsWith("1000 "));
    EXPECT_TRUE(lines[9999].startsWith("10000 "));
}

TEST(Effects, DoubleByteCharactersPassEveryRule)
{
    EXPECT_EQ(fx('C', kWide + "\r\n" + kWide), kWide + kWide);
    EXPECT_EQ(fx('S', " " + kWide + "\t"), kWide);
    EXPECT_EQ(fx('T', "<b>" + kWide + "</b>" + kWide), kWide + kWide);
    EXPECT_EQ(fx('F', "H: " + kWide + "\r\n\r\n" + kWide), kWide);
    EXPECT_EQ(fx('N', kWide + "\r\n" + kWide), "0001 " + kWide + "\r\n0002 " + kWide);
}

TEST(Effects, BlockBoundariesDoNotChangeTheResult)
{
    const std::string texts[] = {
        kMail,
        "\r\n\r\nbody",
        "\r\nabc\r\n\r\nbody\r\n",
        "x<tag\r\nspan>y >z<unclosed",
        "<b>" + kWide + "</b> \t" + kWide + "\r\n\r\n" + kWide + "\r\n",
        "",
    };
    for (const std::string &text : texts) {
        for (char kind : std::string("CSTFN")) {
            const std::string whole = fx(kind, text);
            for (qsizetype block : {1, 2, 3, 7})
                EXPECT_EQ(streamed(kind, text, block), whole) << kind << " block " << block;
        }
    }
    // The default block size streams a text larger than one block.
    QByteArray big;
    int units = 0;
    for (; big.size() < 200000; ++units)
        big += QByteArray("line <t>") + kWide.c_str() + "</t>\r\n";
    QBuffer in(&big);
    QByteArray sink;
    QBuffer out(&sink);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Effects::transform(EffectKind::NoTags, in, out));
    EXPECT_EQ(sink, Effects::transform(EffectKind::NoTags, big));
    EXPECT_EQ(sink.size(), big.size() - 7 * units);
    EXPECT_FALSE(sink.contains('<'));
}

TEST(Effects, DeviceFailuresAreReported)
{
    QByteArray source("abc\r\n");
    QBuffer in(&source);
    QBuffer closedOut;
    in.open(QIODevice::ReadOnly);
    EXPECT_FALSE(Effects::transform(EffectKind::NoLineBreaks, in, closedOut));

    QBuffer closedIn(&source);
    QByteArray sink;
    QBuffer out(&sink);
    out.open(QIODevice::WriteOnly);
    EXPECT_FALSE(Effects::transform(EffectKind::Numbering, closedIn, out));
    EXPECT_FALSE(Effects::transform(EffectKind('q'), in, out));
    EXPECT_TRUE(sink.isEmpty());
}

// The window and the work-file pass find an effect by its kind and its names, so two entries
// sharing one would make one of them unreachable; a note naming an unlisted effect never shows.
TEST(EffectList, EveryEffectHasItsOwnKindNamesAndRule)
{
    std::set<char> kinds;
    std::set<std::string> names;
    for (const Effect &effect : kEffects) {
        const char kind = char(effect.kind);
        EXPECT_TRUE(kinds.insert(kind).second) << kind;
        for (const char *name : {effect.command, effect.menuEntry, effect.button})
            EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(findEffect(effect.kind), &effect) << kind;
        EXPECT_TRUE(Effects::isKind(QChar::fromLatin1(kind))) << kind;
        ASSERT_NE(effect.rule, nullptr) << kind;
        for (const EffectNote &note : effect.notes) {
            if (!note.text)
                continue;
            EXPECT_NE(note.whileOn, effect.kind) << kind;
            EXPECT_NE(findEffect(note.whileOn), nullptr) << kind;
        }
    }
    EXPECT_EQ(findEffect(EffectKind('x')), nullptr);
}
