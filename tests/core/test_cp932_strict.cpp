// The strict encoder against glibc's converters, which share no code and no table with it.
#include "core/Cp932.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <iconv.h>

#include <map>
#include <optional>

namespace {

// glibc's conversion of `in`; nothing where it has no form.
std::optional<QByteArray> glibc(iconv_t cd, QByteArray in)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char *inp = in.data();
    char *outp = out;
    size_t inLeft = size_t(in.size());
    size_t outLeft = sizeof out;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1))
        return std::nullopt;
    return QByteArray(out, outp - out);
}

std::optional<QByteArray> ours(char16_t c)
{
    const Cp932::StrictEncoded encoded = Cp932::encodeStrict(QStringView(&c, 1));
    return encoded.unmappable ? std::nullopt : std::optional(encoded.bytes);
}

QString difference(char16_t c, const std::optional<QByteArray> &theirs)
{
    const auto hex = [](const std::optional<QByteArray> &b) { return b ? b->toHex(' ') : QByteArray("none"); };
    return QStringLiteral("U+%1 ours %2, glibc %3").arg(int(c), 4, 16, QLatin1Char('0')).arg(hex(ours(c)), hex(theirs));
}

} // namespace

TEST(Cp932Strict, EveryBmpCharacterHasTheBytesGlibcCp932GivesItSaveTheListedOnes)
{
    const iconv_t cd = iconv_open("CP932", "UTF-16LE");
    ASSERT_NE(cd, iconv_t(-1));
    // glibc writes these one way, as bytes that read back as another character: we refuse them.
    const std::map<char16_t, QByteArray> refused = {
        {0x00A5, "\x5c"}, // YEN SIGN: 5C is the backslash, so a path would change
        {0x203E, "\x7e"}, // OVERLINE: 7E is the tilde
    };
    QStringList differences;
    for (int u = 0; u < 0x10000; ++u) {
        if ((u >= 0xD800 && u <= 0xDFFF) || u == '\n') // '\n' is written as CR LF by design
            continue;
        const auto theirs = glibc(cd, QByteArray(1, char(u & 0xFF)) + char(u >> 8));
        const auto listed = refused.find(char16_t(u));
        if (listed != refused.end() ? ours(char16_t(u)) || theirs != listed->second : ours(char16_t(u)) != theirs)
            differences << difference(char16_t(u), theirs);
    }
    iconv_close(cd);
    EXPECT_EQ(differences, QStringList());
}

TEST(Cp932Strict, EveryJisCharacterInItsLinuxFormHasItsWindowsBytes)
{
    // Linux tools read JIS X 0208 through these two, each with its own Unicode forms; every
    // character of the 94 x 94 table must be written as its code page 932 bytes.
    QStringList differences;
    int characters = 0;
    for (const char *from : {"SHIFT_JIS", "EUC-JP"}) {
        const iconv_t cd = iconv_open("UTF-16LE", from);
        ASSERT_NE(cd, iconv_t(-1)) << from;
        for (int row = 1; row <= 94; ++row) {
            for (int cell = 1; cell <= 94; ++cell) {
                const int lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
                const int trail = row % 2 ? cell + (cell <= 63 ? 0x3F : 0x40) : cell + 0x9E;
                const QByteArray sjis = QByteArray(1, char(lead)) + char(trail);
                const QByteArray euc = QByteArray(1, char(0xA0 + row)) + char(0xA0 + cell);
                const auto decoded = glibc(cd, from[0] == 'S' ? sjis : euc);
                if (!decoded) // a cell JIS leaves empty
                    continue;
                ++characters;
                const auto c = char16_t(uchar(decoded->at(0)) | uchar(decoded->at(1)) << 8);
                if (ours(c) != sjis)
                    differences << difference(c, sjis);
            }
        }
        iconv_close(cd);
    }
    EXPECT_EQ(characters, 2 * 6879);
    EXPECT_EQ(differences, QStringList());
}

TEST(Cp932Strict, ReportsTheFirstCharacterWithoutAFormWholeAndWritesNothing)
{
    EXPECT_EQ(Cp932::encodeStrict(QStringLiteral("〜−‖\n")).bytes, "\x81\x60\x81\x7c\x81\x61\r\n");
    const std::pair<QString, Cp932::Unmappable> cases[] = {
        {QStringLiteral("a한b"), {1, 0xD55C}},
        {QStringLiteral("あ😀한"), {1, 0x1F600}}, // a pair of surrogates is one character
        {QStringLiteral("x") + QChar(0xDC00), {1, 0xDC00}},
        {QStringLiteral("C:¥"), {2, 0xA5}},
    };
    for (const auto &[text, first] : cases) {
        const Cp932::StrictEncoded got = Cp932::encodeStrict(text);
        ASSERT_TRUE(got.unmappable) << text.toStdString();
        EXPECT_EQ(got.unmappable->position, first.position) << text.toStdString();
        EXPECT_EQ(got.unmappable->character, first.character) << text.toStdString();
        EXPECT_TRUE(got.bytes.isEmpty());
    }
}
