#include "core/EncodingDetect.h"

#include "core/Cp932.h"
#include "core/TwoThreads.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

using uchar = unsigned char;

constexpr char32_t kReplacement = 0xFFFD;

// What a decoded character says about the text being Japanese.
enum Class : uint8_t {
    Invalid,
    Ascii,
    Hiragana,
    Katakana,
    Punctuation, // row 1: 、。・ー「」 and the like
    Symbol,      // row 2
    WideAlnum,   // row 3: full-width digits and letters
    Kanji1,      // JIS level 1, the common kanji
    Kanji2,      // JIS level 2
    HalfKana,    // half-width katakana
    Rare,        // Greek, Cyrillic, box drawing, NEC specials, C1 controls
    Extension,   // IBM and NEC-selected extensions, JIS X 0212, user-defined areas
    kClassCount
};

// A decoding of real Japanese text is mostly kana, punctuation and level 1 kanji; the other
// encoding's decoding of the same bytes is mostly half-width katakana, level 2 kanji and
// extension or private-use characters. Half-width kana count a little for the text, since
// texts written entirely in them exist.
constexpr std::array<double, kClassCount> kWeight = {
    0.0,  // Invalid (never counted)
    0.0,  // Ascii
    4.0,  // Hiragana
    3.0,  // Katakana
    3.0,  // Punctuation
    1.0,  // Symbol
    1.5,  // WideAlnum
    2.0,  // Kanji1
    -1.0, // Kanji2
    1.0,  // HalfKana
    -2.0, // Rare
    -4.0, // Extension
};

using Counts = std::array<qint64, kClassCount>;

// Japanese text writes kana and punctuation between its kanji; a decoding that is kanji
// alone, as EUC-JP half-width kana read as CP932 are, gets credit for only a few of them.
double scoreOf(Counts counts)
{
    const qint64 between = counts[Hiragana] + counts[Katakana] + counts[Punctuation];
    counts[Kanji1] = std::min(counts[Kanji1], 2 * between + 2);
    double score = 0;
    for (int c = 0; c < kClassCount; ++c)
        score += kWeight[c] * double(counts[c]);
    return score;
}

// The class of a JIS X 0208 code point by its row (1-94); rows past 84 are extensions.
Class rowClass(int row)
{
    if (row == 1)
        return Punctuation;
    if (row == 2)
        return Symbol;
    if (row == 3)
        return WideAlnum;
    if (row == 4)
        return Hiragana;
    if (row == 5)
        return Katakana;
    if (row <= 15)
        return Rare;
    if (row <= 47)
        return Kanji1;
    if (row <= 84)
        return Kanji2;
    return Extension;
}

// The JIS row of a code page 932 pair (rows past 94 for the user-defined and IBM leads).
int cp932Row(int lead, int trail)
{
    const int base = lead < 0xA0 ? lead - 0x81 : lead - 0xC1;
    return 2 * base + (trail >= 0x9F ? 2 : 1);
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }

// Splits a decoding of entries, each followed by '\n', back into one code point per entry:
// the replacement character where an entry did not decode to exactly one valid character.
std::vector<char32_t> perEntry(const QString &decoded, size_t entries, char16_t substitute)
{
    std::vector<char32_t> out;
    out.reserve(entries);
    qsizetype at = 0;
    while (at < decoded.size() && out.size() < entries) {
        qsizetype end = decoded.indexOf(QLatin1Char('\n'), at);
        if (end < 0)
            end = decoded.size();
        const QStringView got = QStringView(decoded).mid(at, end - at);
        at = end + 1;
        char32_t c = kReplacement;
        if (got.size() == 1 && got[0].unicode() != substitute)
            c = got[0].unicode();
        else if (got.size() == 2 && isHighSurrogate(got[0].unicode()))
            c = QChar::surrogateToUcs4(got[0], got[1]);
        out.push_back(c);
    }
    return out;
}

// Byte sequences to decode, each followed by '\n', in one buffer.
struct Entries {
    QByteArray batch;
    size_t count = 0;

    void clear()
    {
        batch.clear();
        count = 0;
    }
    void add(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            batch += char(b);
        batch += '\n';
        ++count;
    }
};

// Decodes entries through the converter in one call; where the converter resynchronises
// differently than expected, falls back to one call per entry.
std::vector<char32_t> decodeEntries(const char *converter, const Entries &entries, char16_t substitute)
{
    QStringDecoder decoder(converter, QStringDecoder::Flag::Stateless);
    std::vector<char32_t> out = perEntry(decoder.decode(entries.batch), entries.count, substitute);
    if (out.size() == entries.count)
        return out;
    out.clear();
    const QByteArrayView all(entries.batch);
    for (qsizetype at = 0; at < all.size();) {
        const qsizetype next = all.indexOf('\n', at) + 1;
        QStringDecoder one(converter, QStringDecoder::Flag::Stateless);
        const std::vector<char32_t> got = perEntry(one.decode(all.sliced(at, next - at)), 1, substitute);
        out.push_back(got.empty() ? kReplacement : got[0]);
        at = next;
    }
    return out;
}

// The class of every code page 932 byte and pair as the loader's decoder sees them: a pair
// is invalid exactly where Cp932::decode gives U+FFFD.
struct Cp932Classes {
    std::array<bool, 256> isLead{};
    std::array<uint8_t, 256> single{};
    std::vector<uint8_t> pair = std::vector<uint8_t>(256 * 256, Invalid);
};

const Cp932Classes &cp932Classes()
{
    static const Cp932Classes tables = [] {
        Cp932Classes t;
        for (int b = 0; b < 256; ++b) {
            t.isLead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            if (b < 0x80)
                t.single[b] = Ascii;
            else if (t.isLead[b])
                t.single[b] = Invalid;
            else if (Cp932::decodeSingle(uchar(b)) == kReplacement)
                t.single[b] = Invalid;
            else
                t.single[b] = (b >= 0xA1 && b <= 0xDF) ? HalfKana : Rare;
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!t.isLead[lead])
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                if (Cp932::decodePair(uchar(lead), uchar(trail)) != kReplacement)
                    t.pair[size_t(lead) << 8 | size_t(trail)] = rowClass(cp932Row(lead, trail));
        }
        return t;
    }();
    return tables;
}

// EUC-JP as the converter maps it, for detection and for a decoder that settles invalid
// input the way Cp932::decode does: one U+FFFD per bad lead or unassigned character.
constexpr int kCells = 94;
constexpr uchar kFirstCell = 0xA1;
constexpr uchar kSs2 = 0x8E;
constexpr uchar kSs3 = 0x8F;

inline bool isEucCell(uchar b) { return b >= kFirstCell && b <= 0xFE; }

struct EucTables {
    std::array<char32_t, 256> single{};
    std::array<uint8_t, 256> singleClass{};
    std::vector<char32_t> pair = std::vector<char32_t>(kCells * kCells, kReplacement);
    std::vector<uint8_t> pairClass = std::vector<uint8_t>(kCells * kCells, Invalid);
    std::array<char32_t, kCells> ss2{};
    std::array<uint8_t, kCells> ss2Class{};
    std::vector<char32_t> ss3 = std::vector<char32_t>(kCells * kCells, kReplacement);
    std::vector<uint8_t> ss3Class = std::vector<uint8_t>(kCells * kCells, Invalid);
};

const EucTables &eucTables()
{
    static const EucTables tables = [] {
        const char *name = EncodingDetect::converterName(EncodingDetect::Encoding::Euc);
        // The converter gives 0x1A for a byte it cannot map.
        constexpr char16_t substitute = 0x1A;
        EucTables t;
        Entries entries;
        entries.batch.reserve(kCells * kCells * 4);
        std::vector<int> singles;
        for (int b = 0x80; b < 0x100; ++b) {
            if (isEucCell(uchar(b)) || b == kSs2 || b == kSs3)
                continue;
            singles.push_back(b);
            entries.add({b});
        }
        std::vector<char32_t> got = decodeEntries(name, entries, substitute);
        for (int b = 0; b < 0x100; ++b) {
            t.single[b] = b < 0x80 ? char32_t(b) : kReplacement;
            t.singleClass[b] = b < 0x80 ? Ascii : Invalid;
        }
        for (size_t i = 0; i < singles.size(); ++i) {
            t.single[singles[i]] = got[i];
            t.singleClass[singles[i]] = got[i] == kReplacement ? Invalid : Rare;
        }

        entries.clear();
        for (int cell = 0; cell < kCells; ++cell)
            entries.add({kSs2, kFirstCell + cell});
        got = decodeEntries(name, entries, substitute);
        for (int cell = 0; cell < kCells; ++cell) {
            t.ss2[cell] = got[cell];
            const bool kana = got[cell] >= 0xFF61 && got[cell] <= 0xFF9F;
            t.ss2Class[cell] = got[cell] == kReplacement ? Invalid : kana ? HalfKana : Rare;
        }

        for (const bool threeBytes : {false, true}) {
            entries.clear();
            for (int row = 0; row < kCells; ++row) {
                for (int cell = 0; cell < kCells; ++cell) {
                    if (threeBytes)
                        entries.add({kSs3, kFirstCell + row, kFirstCell + cell});
                    else
                        entries.add({kFirstCell + row, kFirstCell + cell});
                }
            }
            got = decodeEntries(name, entries, substitute);
            for (int i = 0; i < kCells * kCells; ++i) {
                const bool valid = got[i] != kReplacement;
                if (threeBytes) {
                    t.ss3[i] = got[i];
                    t.ss3Class[i] = valid ? Extension : Invalid;
                } else {
                    t.pair[i] = got[i];
                    t.pairClass[i] = valid ? rowClass(i / kCells + 1) : Invalid;
                }
            }
        }
        return t;
    }();
    return tables;
}

// A scan of one encoding from pos that stops at the first invalid character or once it has
// passed stop; the classes of the characters it passed are added to counts.
struct Scan {
    qsizetype pos = 0;
    bool failed = false;
};

void scanCp932(const uchar *p, qsizetype n, qsizetype stop, Scan &scan, Counts &counts)
{
    const Cp932Classes &t = cp932Classes();
    qsizetype i = scan.pos;
    while (i < stop) {
        const uchar b = p[i];
        uint8_t c;
        qsizetype width = 1;
        if (!t.isLead[b]) {
            c = t.single[b];
        } else {
            c = i + 1 < n ? t.pair[size_t(b) << 8 | p[i + 1]] : uint8_t(Invalid);
            width = 2;
        }
        if (c == Invalid) {
            scan.failed = true;
            break;
        }
        ++counts[c];
        i += width;
    }
    scan.pos = i;
}

void scanEuc(const uchar *p, qsizetype n, qsizetype stop, Scan &scan, Counts &counts)
{
    const EucTables &t = eucTables();
    qsizetype i = scan.pos;
    while (i < stop) {
        const uchar b = p[i];
        uint8_t c = Invalid;
        qsizetype width = 1;
        if (b < 0x80) {
            c = Ascii;
        } else if (isEucCell(b)) {
            if (i + 1 < n && isEucCell(p[i + 1]))
                c = t.pairClass[(b - kFirstCell) * kCells + (p[i + 1] - kFirstCell)];
            width = 2;
        } else if (b == kSs2) {
            if (i + 1 < n && isEucCell(p[i + 1]))
                c = t.ss2Class[p[i + 1] - kFirstCell];
            width = 2;
        } else if (b == kSs3) {
            if (i + 2 < n && isEucCell(p[i + 1]) && isEucCell(p[i + 2]))
                c = t.ss3Class[(p[i + 1] - kFirstCell) * kCells + (p[i + 2] - kFirstCell)];
            width = 3;
        } else {
            c = t.singleClass[b];
        }
        if (c == Invalid) {
            scan.failed = true;
            break;
        }
        ++counts[c];
        i += width;
    }
    scan.pos = i;
}

constexpr uint64_t kHighBits = 0x8080808080808080ULL;

qsizetype firstHighByte(const uchar *p, qsizetype from, qsizetype n)
{
    qsizetype i = from;
#if defined(__SSE2__)
    for (; i + 64 <= n; i += 64) {
        const auto *v = reinterpret_cast<const __m128i *>(p + i);
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                         _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
        if (_mm_movemask_epi8(any) != 0)
            break;
    }
#endif
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & kHighBits)
            break;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

bool isContinuation(uchar b) { return (b & 0xC0) == 0x80; }

#if defined(__SSE2__)
// Each block of bytes is checked at once: every continuation byte must stand where a lead
// byte before it asks for one and nowhere else, C0, C1 and F5 to FF never occur, and the
// second byte after E0, ED, F0 and F4 keeps out overlong forms, surrogates and code points
// past U+10FFFF. The vector code returns false on an error, else sets resume to where the
// blocks end, at the start of a character, for the byte-wise check of the rest.

// A character that begins in the last block may end after it: back to its start.
qsizetype startOfLastCharacter(const uchar *p, qsizetype from, qsizetype end)
{
    if (end == from)
        return end;
    qsizetype start = end - 1;
    while (start > end - 4 && start > from && (p[start] & 0xC0) == 0x80)
        --start;
    return start;
}

inline __m128i atLeast(__m128i a, __m128i b) { return _mm_cmpeq_epi8(_mm_max_epu8(a, b), a); }
inline __m128i splat(int b) { return _mm_set1_epi8(char(b)); }

bool utf8Blocks(const uchar *p, qsizetype from, qsizetype n, qsizetype &resume)
{
    __m128i prev = _mm_setzero_si128(); // the bytes before from are ASCII
    __m128i highest = _mm_setzero_si128();
    qsizetype i = from;
    for (; i + 16 <= n; i += 16) {
        const __m128i cur = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        if (_mm_movemask_epi8(_mm_or_si128(cur, prev)) == 0) {
            prev = cur;
            continue;
        }
        highest = _mm_max_epu8(highest, cur);
        const __m128i back1 = _mm_or_si128(_mm_slli_si128(cur, 1), _mm_srli_si128(prev, 15));
        const __m128i back2 = _mm_or_si128(_mm_slli_si128(cur, 2), _mm_srli_si128(prev, 14));
        const __m128i back3 = _mm_or_si128(_mm_slli_si128(cur, 3), _mm_srli_si128(prev, 13));
        const __m128i expected = _mm_or_si128(atLeast(back1, splat(0xC0)),
                                              _mm_or_si128(atLeast(back2, splat(0xE0)), atLeast(back3, splat(0xF0))));
        const __m128i continuation = _mm_cmpeq_epi8(_mm_and_si128(cur, splat(0xC0)), splat(0x80));
        __m128i error = _mm_xor_si128(expected, continuation);
        error = _mm_or_si128(error, _mm_cmpeq_epi8(_mm_and_si128(cur, splat(0xFE)), splat(0xC0)));
        const __m128i e0 = _mm_cmpeq_epi8(back1, splat(0xE0));
        const __m128i ed = _mm_cmpeq_epi8(back1, splat(0xED));
        const __m128i f0 = _mm_cmpeq_epi8(back1, splat(0xF0));
        const __m128i f4 = _mm_cmpeq_epi8(back1, splat(0xF4));
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(e0, ed), _mm_or_si128(f0, f4))) != 0) {
            const __m128i fromA0 = atLeast(cur, splat(0xA0));
            const __m128i from90 = atLeast(cur, splat(0x90));
            error = _mm_or_si128(error, _mm_andnot_si128(fromA0, e0));
            error = _mm_or_si128(error, _mm_and_si128(fromA0, ed));
            error = _mm_or_si128(error, _mm_andnot_si128(from90, f0));
            error = _mm_or_si128(error, _mm_and_si128(from90, f4));
        }
        if (_mm_movemask_epi8(error) != 0)
            return false;
        prev = cur;
    }
    if (_mm_movemask_epi8(atLeast(highest, splat(0xF5))) != 0)
        return false;
    resume = startOfLastCharacter(p, from, i);
    return true;
}
#endif

// Strict UTF-8 from pos to the end: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(const uchar *p, qsizetype i, qsizetype n)
{
#if defined(__SSE2__)
    if (!utf8Blocks(p, i, n, i))
        return false;
#endif
    while (i < n) {
        const uchar b = p[i];
        if (b < 0x80) {
            i = firstHighByte(p, i, n);
            continue;
        }
        if (b < 0xC2)
            return false;
        if (b < 0xE0) {
            if (i + 1 >= n || !isContinuation(p[i + 1]))
                return false;
            i += 2;
        } else if (b < 0xF0) {
            if (i + 2 >= n)
                return false;
            const uchar c1 = p[i + 1];
            if (!isContinuation(c1) || !isContinuation(p[i + 2]) || (b == 0xE0 && c1 < 0xA0)
                || (b == 0xED && c1 >= 0xA0))
                return false;
            i += 3;
        } else if (b < 0xF5) {
            if (i + 3 >= n)
                return false;
            const uchar c1 = p[i + 1];
            if (!isContinuation(c1) || !isContinuation(p[i + 2]) || !isContinuation(p[i + 3])
                || (b == 0xF0 && c1 < 0x90) || (b == 0xF4 && c1 >= 0x90))
                return false;
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

// From this length a text is checked in two halves at once, one on each core.
constexpr qsizetype kTwoThreadsFrom = qsizetype(1) << 20;

// The halves meet at the start of a character, so each is valid UTF-8 on its own exactly when
// the whole is: a character cut short before the meeting point fails the first half.
bool isValidUtf8InHalves(const uchar *p, qsizetype from, qsizetype n)
{
    if (n - from < kTwoThreadsFrom)
        return isValidUtf8(p, from, n);
    qsizetype mid = from + (n - from) / 2;
    for (int back = 0; back < 3 && isContinuation(p[mid]); ++back)
        --mid;
    if (isContinuation(p[mid]))
        return false; // four continuation bytes in a row
    bool first = false;
    bool second = false;
    runOnTwoThreads([&] { first = isValidUtf8(p, from, mid); }, [&] { second = isValidUtf8(p, mid, n); });
    return first && second;
}

// An ISO-2022-JP designation of a Japanese set: ESC $ @, ESC $ B, ESC $ ( D, ESC ( J, ESC ( I.
// ESC ( B alone designates ASCII and so says nothing; other escapes are terminal controls.
bool hasJisDesignation(const uchar *p, qsizetype n)
{
    const auto *at = static_cast<const uchar *>(std::memchr(p, 0x1B, size_t(n)));
    while (at) {
        const qsizetype i = at - p;
        const auto next = [&](qsizetype k) { return i + k < n ? p[i + k] : uchar(0); };
        if (next(1) == '$' && (next(2) == '@' || next(2) == 'B' || (next(2) == '(' && next(3) == 'D')))
            return true;
        if (next(1) == '(' && (next(2) == 'J' || next(2) == 'I'))
            return true;
        at = static_cast<const uchar *>(std::memchr(at + 1, 0x1B, size_t(n - i - 1)));
    }
    return false;
}

// Both decodings advance together, a block at a time, so that the one that fails first is
// found after reading little more than the bytes before its failure.
constexpr qsizetype kBlock = 64 * 1024;
// Where both still decode after this many bytes, the score so far decides: no real text stays
// valid in both for that long without being plainly one of them, and reading on would cost
// more than the load itself.
constexpr qsizetype kEnoughToScore = 256 * 1024;

EncodingDetect::Encoding chooseCp932OrEuc(const uchar *p, qsizetype from, qsizetype n)
{
    using EncodingDetect::Encoding;
    Scan cp{from, false};
    Scan euc{from, false};
    Counts cpCounts{};
    Counts eucCounts{};
    qsizetype stop = from;
    const qsizetype end = std::min(n, from + kEnoughToScore);
    while (!cp.failed && !euc.failed && (cp.pos < end || euc.pos < end)) {
        stop = std::min(end, stop + kBlock);
        scanCp932(p, n, stop, cp, cpCounts);
        scanEuc(p, n, stop, euc, eucCounts);
    }
    if (cp.failed && euc.failed)
        return euc.pos > cp.pos ? Encoding::Euc : Encoding::Sjis;
    if (cp.failed)
        return Encoding::Euc;
    if (euc.failed)
        return Encoding::Sjis;
    return scoreOf(eucCounts) > scoreOf(cpCounts) ? Encoding::Euc : Encoding::Sjis;
}

// CR LF and a lone CR become '\n', in place.
void normaliseLineBreaks(QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return;
    QChar *begin = text.data();
    const QChar *end = begin + text.size();
    QChar *w = begin;
    for (const QChar *r = begin; r < end; ++r) {
        if (r->unicode() == u'\r') {
            *w++ = QLatin1Char('\n');
            if (r + 1 < end && r[1].unicode() == u'\n')
                ++r;
        } else {
            *w++ = *r;
        }
    }
    text.truncate(w - begin);
}

// Writes decoded characters into a buffer of as many units as the input has bytes, which is
// always enough: no character takes more units than it had bytes. CR LF and a lone CR are
// written as '\n' on the way.
class TextWriter {
public:
    explicit TextWriter(qsizetype bytes) : text_(bytes, Qt::Uninitialized), out_(reinterpret_cast<char16_t *>(text_.data())) {}

    void put(char32_t c)
    {
        if (c > 0xFFFF) {
            out_[w_++] = QChar::highSurrogate(c);
            out_[w_++] = QChar::lowSurrogate(c);
        } else {
            out_[w_++] = char16_t(c);
        }
    }
    // An ASCII byte at p[i]; returns how many bytes it took (2 for CR LF).
    qsizetype putAscii(const uchar *p, qsizetype i, qsizetype n)
    {
        if (p[i] != '\r') {
            out_[w_++] = p[i];
            return 1;
        }
        out_[w_++] = u'\n';
        return i + 1 < n && p[i + 1] == '\n' ? 2 : 1;
    }
    QString take()
    {
        text_.truncate(w_);
        return std::move(text_);
    }

private:
    QString text_;
    char16_t *out_;
    qsizetype w_ = 0;
};

QString decodeEuc(const QByteArray &bytes)
{
    const EucTables &t = eucTables();
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    TextWriter out(n);
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            i += out.putAscii(p, i, n);
        } else if (isEucCell(b) && i + 1 < n && isEucCell(p[i + 1])) {
            out.put(t.pair[(b - kFirstCell) * kCells + (p[i + 1] - kFirstCell)]);
            i += 2;
        } else if (b == kSs2 && i + 1 < n && isEucCell(p[i + 1])) {
            out.put(t.ss2[p[i + 1] - kFirstCell]);
            i += 2;
        } else if (b == kSs3 && i + 2 < n && isEucCell(p[i + 1]) && isEucCell(p[i + 2])) {
            out.put(t.ss3[(p[i + 1] - kFirstCell) * kCells + (p[i + 2] - kFirstCell)]);
            i += 3;
        } else {
            // A lead without its trail is invalid alone; the next byte starts afresh.
            out.put(t.single[b]);
            ++i;
        }
    }
    return out.take();
}

// ISO-2022-JP as the converter reads it, through the EUC-JP tables (a JIS X 0208 or 0212 code
// is its EUC-JP form without the high bits): ESC ( B ASCII, ESC ( J JIS Roman, ESC ( I
// half-width katakana, ESC $ @ and ESC $ B JIS X 0208, ESC $ ( D JIS X 0212. A line break
// returns to ASCII; an unknown escape and any byte from 0x80 up are invalid.
QString decodeJisFast(const QByteArray &bytes)
{
    enum class Set { Ascii, Roman, Kana, Jis0208, Jis0212 };
    const EucTables &t = eucTables();
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    const auto at = [&](qsizetype k) { return k < n ? p[k] : uchar(0); };
    const auto graphic = [](uchar b) { return b >= 0x21 && b <= 0x7E; };
    TextWriter out(n);
    Set set = Set::Ascii;
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b == 0x1B) {
            const uchar b1 = at(i + 1), b2 = at(i + 2);
            qsizetype length = 3;
            if (b1 == '(' && b2 == 'B')
                set = Set::Ascii;
            else if (b1 == '(' && b2 == 'J')
                set = Set::Roman;
            else if (b1 == '(' && b2 == 'I')
                set = Set::Kana;
            else if (b1 == '$' && (b2 == '@' || b2 == 'B'))
                set = Set::Jis0208;
            else if (b1 == '$' && b2 == '(' && at(i + 3) == 'D') {
                set = Set::Jis0212;
                length = 4;
            } else {
                out.put(kReplacement);
                length = 1;
            }
            i += length;
            continue;
        }
        if (b >= 0x80) {
            out.put(kReplacement);
            ++i;
            continue;
        }
        if (b == '\r' || b == '\n')
            set = Set::Ascii;
        if (!graphic(b) || set == Set::Ascii) {
            i += out.putAscii(p, i, n);
            continue;
        }
        switch (set) {
        case Set::Roman:
            out.put(b == 0x5C ? U'\u00A5' : b == 0x7E ? U'\u203E' : char32_t(b));
            ++i;
            break;
        case Set::Kana:
            out.put(b <= 0x5F ? t.ss2[b + 0x80 - kFirstCell] : kReplacement);
            ++i;
            break;
        default:
            if (!graphic(at(i + 1))) { // half a character
                out.put(kReplacement);
                ++i;
                break;
            }
            {
                const int code = (b - 0x21) * kCells + (p[i + 1] - 0x21);
                out.put(set == Set::Jis0208 ? t.pair[code] : t.ss3[code]);
            }
            i += 2;
            break;
        }
    }
    return out.take();
}

QString decodeUtf16(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    bool bigEndian = false;
    qsizetype skip = 0;
    if (bytes.size() >= 2 && ((p[0] == 0xFE && p[1] == 0xFF) || (p[0] == 0xFF && p[1] == 0xFE))) {
        bigEndian = p[0] == 0xFE;
        skip = 2;
    }
    QStringDecoder decoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString out = decoder.decode(QByteArrayView(bytes).sliced(skip));
    if ((bytes.size() - skip) % 2 != 0 && !out.endsWith(QChar(char16_t(kReplacement))))
        out += QChar(char16_t(kReplacement)); // an odd byte at the end
    // The converter passes unpaired surrogates through; they are invalid units like any other,
    // and no byte form (UTF-8, the effects' work files) could carry them.
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (out[i].isSurrogate())
            out[i] = QChar(char16_t(kReplacement));
    }
    normaliseLineBreaks(out);
    return out;
}

QString decodeUtf8(const QByteArray &bytes)
{
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    QString out = QString::fromUtf8(QByteArrayView(bytes).sliced(bom ? 3 : 0));
    normaliseLineBreaks(out);
    return out;
}

QString decodeJisThroughConverter(const QByteArray &bytes)
{
    // The -1 variant also knows JIS X 0212 (ESC $ ( D). A closing switch to ASCII makes the
    // converter settle a half character left at the end instead of dropping it.
    QStringDecoder decoder("ISO-2022-JP-1");
    QString out = decoder.decode(bytes + "\x1B(B");
    normaliseLineBreaks(out);
    return out;
}

} // namespace

namespace EncodingDetect {


QString panelName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Sjis:
        return QStringLiteral("SJIS");
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf16:
        return QStringLiteral("UTF-16");
    case Encoding::Euc:
        return QStringLiteral("EUC");
    case Encoding::Jis:
        return QStringLiteral("JIS");
    }
    return {};
}

const char *converterName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Sjis:
        return "windows-31j";
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Utf16:
        return "UTF-16";
    case Encoding::Euc:
        return "EUC-JP";
    case Encoding::Jis:
        return "ISO-2022-JP";
    }
    return "windows-31j";
}

Detection detect(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return {Encoding::Utf8, true, false};
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
        return {Encoding::Utf16, true, false};
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
        return {Encoding::Utf16, true, true};
    const qsizetype high = firstHighByte(p, 0, n);
    if (high == n)
        return {hasJisDesignation(p, n) ? Encoding::Jis : Encoding::Sjis, false, false};
    if (isValidUtf8InHalves(p, high, n))
        return {Encoding::Utf8, false, false};
    return {chooseCp932OrEuc(p, high, n), false, false};
}

namespace {
// As far past the first non-ASCII byte as the choice between CP932 and EUC-JP can read: the
// stretch it scores and the rest of a character that starts at its end.
constexpr qsizetype kWindow = kEnoughToScore + 8;

// Whether the first bytes hold a byte-order mark, which decides alone.
bool hasMark(const QByteArray &head)
{
    const auto *h = reinterpret_cast<const uchar *>(head.constData());
    const qsizetype n = head.size();
    return (n >= 3 && h[0] == 0xEF && h[1] == 0xBB && h[2] == 0xBF) || (n >= 2 && h[0] == 0xFF && h[1] == 0xFE)
           || (n >= 2 && h[0] == 0xFE && h[1] == 0xFF);
}

} // namespace

bool PieceDetector::feed(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const uchar *>(data);
    if (head_.size() < 3)
        head_.append(data, std::min<qsizetype>(3 - head_.size(), size));
    if (hasMark(head_))
        return false;
    qsizetype from = 0;
    if (!sawHigh_) {
        const qsizetype high = firstHighByte(p, 0, size);
        if (!jis_) {
            const QByteArray ascii = tail_ + QByteArray::fromRawData(data, high);
            jis_ = hasJisDesignation(reinterpret_cast<const uchar *>(ascii.constData()), ascii.size());
            tail_ = ascii.right(3);
        }
        if (high == size)
            return true; // ASCII so far: an escape further on may still make it JIS
        sawHigh_ = true;
        tail_ = {};
        from = high;
    }
    if (window_.size() < kWindow)
        window_.append(data + from, std::min(kWindow - window_.size(), size - from));
    if (utf8_) {
        // The character carried over ends with the continuation bytes that open this piece;
        // the rest is checked up to the start of its last character, which may go on in the
        // next piece.
        const uchar *b = p + from;
        const qsizetype n = size - from;
        qsizetype k = 0;
        while (k < 4 && k < n && isContinuation(b[k]))
            ++k;
        if (k == n) { // the piece only goes on with the character carried
            carry_.append(data + from, n);
            utf8_ = carry_.size() <= 4;
        } else if (!carry_.isEmpty() || k > 0) {
            const QByteArray joined = carry_ + QByteArray::fromRawData(data + from, k);
            utf8_ = isValidUtf8(reinterpret_cast<const uchar *>(joined.constData()), 0, joined.size());
        }
        qsizetype cut = n;
        for (qsizetype back = 1; back <= 4 && n - back >= k; ++back) {
            if (!isContinuation(b[n - back])) {
                cut = n - back;
                break;
            }
        }
        if (k < n) {
            utf8_ = utf8_ && isValidUtf8(b, k, cut);
            carry_ = QByteArray(data + from + cut, n - cut);
        }
    }
    // Valid UTF-8 must be read to the end; else the window decides once it is full.
    return utf8_ || window_.size() < kWindow;
}

Detection PieceDetector::finish()
{
    if (hasMark(head_))
        return detect(head_);
    if (!sawHigh_)
        return {jis_ ? Encoding::Jis : Encoding::Sjis, false, false};
    if (utf8_ && isValidUtf8(reinterpret_cast<const uchar *>(carry_.constData()), 0, carry_.size()))
        return {Encoding::Utf8, false, false};
    return {chooseCp932OrEuc(reinterpret_cast<const uchar *>(window_.constData()), 0, window_.size()), false, false};
}

QString decode(const QByteArray &bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Sjis:
        return Cp932::decode(bytes);
    case Encoding::Utf8:
        return decodeUtf8(bytes);
    case Encoding::Utf16:
        return decodeUtf16(bytes);
    case Encoding::Euc:
        return decodeEuc(bytes);
    case Encoding::Jis:
        return decodeJisFast(bytes);
    }
    return Cp932::decode(bytes);
}

QString referenceDecode(const QByteArray &bytes, Encoding encoding)
{
    if (encoding == Encoding::Jis)
        return decodeJisThroughConverter(bytes);
    if (encoding == Encoding::Euc) {
        QStringDecoder decoder(converterName(encoding), QStringDecoder::Flag::Stateless);
        QString out = decoder.decode(bytes);
        normaliseLineBreaks(out);
        return out;
    }
    return decode(bytes, encoding);
}

double japaneseScore(const QByteArray &bytes, Encoding encoding)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    Scan scan;
    Counts counts{};
    if (encoding == Encoding::Euc)
        scanEuc(p, n, n, scan, counts);
    else
        scanCp932(p, n, n, scan, counts);
    return scan.failed ? -std::numeric_limits<double>::infinity() : scoreOf(counts);
}

} // namespace EncodingDetect
