// The strict encoder against glibc's converters, which share no code and no table with it.
#include "core/Cp932.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <iconv.h>

#include <map>
#include <optional>

namespace {

// One of glibc's converters, kept open across the many calls.
class Glibc {
public:
    Glibc(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    ~Glibc()
    {
        if (ok())
            iconv_close(cd_);
    }
    bool ok() const { return cd_ != iconv_t(-1); }
    // The converted bytes, nothing where the input has no form or is incomplete.
    std::optional<QByteArray> operator()(QByteArray in)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char out[16];
        char *inp = in.data();
        char *outp = out;
        size_t inLeft = size_t(in.size());
        size_t outLeft = sizeof out;
        if (iconv(cd_, &inp, &inLeft, &outp, &outLeft) == size_t(-1) || inLeft != 0)
            return std::nullopt;
        return QByteArray(out, outp - out);
    }

private:
    iconv_t cd_;
};

QByteArray utf16(char16_t c)
{
    return QByteArray(reinterpret_cast<const char *>(&c), 2);
}

std::optional<QByteArray> ourForm(char16_t c)
{
    const Cp932::StrictEncoded encoded = Cp932::encodeStrict(QStringView(&c, 1));
    if (encoded.unmappable)
        return std::nullopt;
    return encoded.bytes;
}

QString hex(const std::optional<QByteArray> &bytes)
{
    return bytes ? QString::fromLatin1(bytes->toHex(' ')) : QStringLiteral("none");
}

QString shown(char16_t c, const std::optional<QByteArray> &ours, const std::optional<QByteArray> &theirs)
{
    return QStringLiteral("U+%1 ours %2, glibc %3").arg(int(c), 4, 16, QLatin1Char('0')).arg(hex(ours), hex(theirs));
}

bool isSurrogate(int c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

} // namespace

TEST(Cp932Strict, EveryBmpCharacterHasTheBytesGlibcCp932GivesItSaveTheListedOnes)
{
    Glibc cp932("CP932", "UTF-16LE");
    ASSERT_TRUE(cp932.ok());
    // glibc writes these one way: the bytes read back as another character, in glibc too.
    const std::map<char16_t, QByteArray> refused = {
        {0x00A5, "\x5c"}, // YEN SIGN: 5C is the backslash, so a path would change
        {0x203E, "\x7e"}, // OVERLINE: 7E is the tilde
    };
    QStringList differences;
    for (int u = 0; u < 0x10000; ++u) {
        if (isSurrogate(u) || u == '\n') // '\n' is written as CR LF by design
            continue;
        const auto ours = ourForm(char16_t(u));
        const auto theirs = cp932(utf16(char16_t(u)));
        const auto listed = refused.find(char16_t(u));
        if (listed != refused.end() ? (ours || theirs != listed->second) : ours != theirs)
            differences << shown(char16_t(u), ours, theirs);
    }
    EXPECT_EQ(differences, QStringList());
}

TEST(Cp932Strict, EveryJisCharacterInItsLinuxFormHasItsWindowsBytes)
{
    // Linux tools read JIS X 0208 through these two; each gives every character of the 94 x 94
    // table its own Unicode form, which must be written as that character's code page 932 bytes.
    Glibc fromSjis("UTF-16LE", "SHIFT_JIS");
    Glibc fromEuc("UTF-16LE", "EUC-JP");
    ASSERT_TRUE(fromSjis.ok() && fromEuc.ok());
    QStringList differences;
    int characters = 0;
    for (int row = 1; row <= 94; ++row) {
        for (int cell = 1; cell <= 94; ++cell) {
            const int lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
            const int trail = row % 2 ? cell + (cell <= 63 ? 0x3F : 0x40) : cell + 0x9E;
            const QByteArray sjis = QByteArray(1, char(lead)) + char(trail);
            const QByteArray euc = QByteArray(1, char(0xA0 + row)) + char(0xA0 + cell);
            for (const auto &decoded : {fromSjis(sjis), fromEuc(euc)}) {
                if (!decoded) // a cell JIS leaves empty
                    continue;
                ASSERT_EQ(decoded->size(), 2) << qPrintable(hex(sjis));
                const char16_t c = char16_t(static_cast<unsigned char>((*decoded)[0])
                                            | static_cast<unsigned char>((*decoded)[1]) << 8);
                ++characters;
                const auto ours = ourForm(c);
                if (ours != sjis)
                    differences << shown(c, ours, sjis);
            }
        }
    }
    EXPECT_EQ(characters, 2 * 6879); // the whole of JIS X 0208 through each converter
    EXPECT_EQ(differences, QStringList());
}

TEST(Cp932Strict, ReportsTheFirstCharacterWithoutAFormWholeAndWritesNothing)
{
    struct Case {
        QString text;
        QByteArray bytes;    // when everything has a form
        qsizetype position;  // else where the first character without one starts
        char32_t character;
    };
    const Case cases[] = {
        {QStringLiteral("波〜線−‖\n"), "\x94\x67\x81\x60\x90\xfc\x81\x7c\x81\x61\r\n", -1, 0},
        {QStringLiteral("a한b"), {}, 1, 0xD55C},
        {QStringLiteral("あ😀한"), {}, 1, 0x1F600}, // a pair of surrogates is one character
        {QStringLiteral("x") + QChar(0xDC00) + QStringLiteral("y"), {}, 1, 0xDC00},
        {QStringLiteral("C:¥"), {}, 2, 0xA5},
        {QStringLiteral("\u2060"), {}, 0, 0x2060}, // written as nothing by the platform converter
    };
    for (const Case &c : cases) {
        const Cp932::StrictEncoded got = Cp932::encodeStrict(c.text);
        SCOPED_TRACE(c.text.toStdString());
        if (c.position < 0) {
            EXPECT_FALSE(got.unmappable);
            EXPECT_EQ(got.bytes, c.bytes);
            continue;
        }
        ASSERT_TRUE(got.unmappable);
        EXPECT_EQ(got.unmappable->position, c.position);
        EXPECT_EQ(got.unmappable->character, c.character);
        EXPECT_TRUE(got.bytes.isEmpty());
    }
}
