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

// Damage is told from a wrong encoding by how often decoding fails. A real text with stray
// bytes fails about once in 1,000 bytes at most; another encoding's text fails every few
// characters, or, where it is mostly ASCII, about as often as it has characters beyond ASCII.
constexpr qsizetype kRateFrom = 1024;   // below this a text must decode without an error
constexpr qint64 kBytesPerError = 1000; // the share of damage a text may carry
constexpr qint64 kGoodPerError = 4;     // valid characters beyond ASCII needed per error
// Ruled out early: more errors than two plus one in 512 bytes read, or than two plus a
// quarter of the valid characters met. Damage at its highest rate stays well below both.
constexpr qint64 kSlack = 2;
constexpr qint64 kDropBytesPerError = 512;

using EncodingDetect::Tally;

void addError(Tally &t, qint64 at)
{
    ++t.errors;
    if (t.errors > kSlack + std::min(at / kDropBytesPerError, t.good / kGoodPerError))
        t.dropped = true;
}

// Whether the encoding stays the answer for `bytes` bytes read with these errors; a character
// cut by the end counts as an error only where the text is too short for a rate.
bool tolerated(const Tally &t, qint64 bytes, bool cut)
{
    if (t.dropped || t.good == 0)
        return false;
    if (t.errors == 0 && !cut)
        return true;
    return bytes >= kRateFrom && t.errors * kBytesPerError <= bytes && t.errors * kGoodPerError <= t.good;
}

// A scan of one encoding from pos that counts invalid characters, stops once it has passed
// stop or the encoding is ruled out, and notes a character cut by the end of the bytes.
struct Scan {
    qsizetype pos = 0;
    Tally tally;
    bool cut = false;
};

// An invalid lead is skipped alone, as Cp932::decode does, so that what follows is read afresh.
void scanCp932(const uchar *p, qsizetype n, qsizetype stop, qint64 base, Scan &scan, Counts &counts)
{
    const Cp932Classes &t = cp932Classes();
    qsizetype i = scan.pos;
    while (i < stop && !scan.tally.dropped) {
        const uchar b = p[i];
        if (!t.isLead[b]) {
            const uint8_t c = t.single[b];
            if (c == Invalid)
                addError(scan.tally, base + i);
            else
                ++counts[c];
            scan.tally.good += c > Ascii;
            ++i;
            continue;
        }
        if (i + 1 >= n) {
            scan.cut = true;
            i = n;
            break;
        }
        const uint8_t c = t.pair[size_t(b) << 8 | p[i + 1]];
        if (c == Invalid) {
            addError(scan.tally, base + i);
            ++i;
            continue;
        }
        ++counts[c];
        ++scan.tally.good;
        i += 2;
    }
    scan.pos = i;
}

// Steps over invalid input as decodeEuc does.
void scanEuc(const uchar *p, qsizetype n, qsizetype stop, qint64 base, Scan &scan, Counts &counts)
{
    const EucTables &t = eucTables();
    qsizetype i = scan.pos;
    while (i < stop && !scan.tally.dropped) {
        const uchar b = p[i];
        uint8_t c = Invalid;
        qsizetype width = 1;
        if (b < 0x80) {
            c = Ascii;
        } else if (isEucCell(b) || b == kSs2 || b == kSs3) {
            const qsizetype need = b == kSs3 ? 3 : 2;
            qsizetype cells = 1;
            while (cells < need && i + cells < n && isEucCell(p[i + cells]))
                ++cells;
            if (cells < need && i + cells >= n) { // cut by the end
                scan.cut = true;
                i = n;
                break;
            }
            if (cells == need) {
                width = need;
                if (b == kSs2)
                    c = t.ss2Class[p[i + 1] - kFirstCell];
                else if (b == kSs3)
                    c = t.ss3Class[(p[i + 1] - kFirstCell) * kCells + (p[i + 2] - kFirstCell)];
                else
                    c = t.pairClass[(b - kFirstCell) * kCells + (p[i + 1] - kFirstCell)];
            }
        } else {
            c = t.singleClass[b];
        }
        if (c == Invalid) {
            addError(scan.tally, base + i);
        } else {
            ++counts[c];
            scan.tally.good += c > Ascii;
        }
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

// The length of the UTF-8 character at p[i], strict as isValidUtf8; 0 where it is invalid,
// with `prefix` set to the bytes of its valid beginning (at least 1), which count as one
// error as a decoder gives one U+FFFD for them; -1 where the end cuts a valid beginning.
int utf8Length(const uchar *p, qsizetype i, qsizetype end, int &prefix)
{
    const uchar b = p[i];
    if (b < 0x80)
        return 1;
    int need = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (b >= 0xC2 && b < 0xE0) {
        need = 1;
    } else if (b >= 0xE0 && b < 0xF0) {
        need = 2;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b < 0xF5) {
        need = 3;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        prefix = 1;
        return 0;
    }
    for (int k = 1; k <= need; ++k) {
        if (i + k >= end)
            return -1;
        const uchar c = p[i + k];
        if (c < low || c > high) {
            prefix = k;
            return 0;
        }
        low = 0x80;
        high = 0xBF;
    }
    return need + 1;
}

// How many bytes from 0xC0 up, each of which begins a multi-byte character in valid UTF-8.
qint64 leadBytes(const uchar *p, qsizetype i, qsizetype end)
{
    qint64 leads = 0;
#if defined(__SSE2__)
    for (; i + 16 <= end; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        leads += __builtin_popcount(unsigned(_mm_movemask_epi8(atLeast(v, splat(0xC0)))));
    }
#endif
    for (; i < end; ++i)
        leads += p[i] >= 0xC0;
    return leads;
}

// UTF-8 from i on, counting multi-byte characters and invalid sequences, until i has passed
// stop or UTF-8 is ruled out; p[0] is byte `base` of the file. A character that starts before
// stop may run on to end. Returns where the scan ended: before stop only where the bytes from
// there to end are the valid beginning of a character that end cuts. Valid stretches are
// checked a chunk at a time by the fast check and only counted.
qsizetype scanUtf8(const uchar *p, qsizetype i, qsizetype stop, qsizetype end, qint64 base, Tally &t)
{
    constexpr qsizetype kChunk = 4096;
    while (i < stop && !t.dropped) {
        // A chunk that ends at the start of a character holds whole characters alone.
        qsizetype chunk = std::min(stop, i + kChunk);
        for (int back = 0; back < 3 && chunk < end && chunk > i && isContinuation(p[chunk]); ++back)
            --chunk;
        if (chunk > i && (chunk == end || !isContinuation(p[chunk])) && isValidUtf8(p, i, chunk)) {
            t.good += leadBytes(p, i, chunk);
            i = chunk;
            continue;
        }
        // Character by character through the chunk that holds an error.
        const qsizetype to = std::max(chunk, i + 1);
        while (i < to && !t.dropped) {
            int prefix = 0;
            const int length = utf8Length(p, i, end, prefix);
            if (length < 0)
                return i;
            if (length == 0) {
                addError(t, base + i);
                i += prefix;
                continue;
            }
            t.good += length > 1;
            i += length;
        }
    }
    return i;
}

// UTF-8 over a piece, with the character cut by the end of the one before carried into it.
void feedUtf8(const uchar *p, qsizetype n, qint64 base, Tally &t, QByteArray &carry)
{
    qsizetype i = 0;
    if (!carry.isEmpty()) {
        // The carried bytes and enough of the piece for the character they begin.
        QByteArray joined = carry + QByteArray::fromRawData(reinterpret_cast<const char *>(p), std::min<qsizetype>(n, 8));
        const auto *j = reinterpret_cast<const uchar *>(joined.constData());
        const qsizetype held = carry.size();
        const qsizetype at = scanUtf8(j, 0, held, joined.size(), base - held, t);
        if (at < held) { // the piece is too short to end the character
            carry = joined.mid(at);
            return;
        }
        carry.clear();
        i = at - held;
    }
    const qsizetype at = scanUtf8(p, i, n, n, base, t);
    if (!t.dropped && at < n)
        carry = QByteArray(reinterpret_cast<const char *>(p + at), n - at);
}

// ISO-2022-JP's evidence, a state machine so that an escape sequence may lie across pieces:
// its good characters are the designations of a Japanese set (ESC $ @, ESC $ B, ESC $ ( D,
// ESC ( J, ESC ( I) and the pairs of bytes after a double-byte one up to the next escape, its
// errors the bytes from 0x80 up. ESC ( B alone designates ASCII and so says nothing; other
// escapes are terminal controls.
enum JisState { kPlain, kEsc, kEscDollar, kEscParen, kEscDollarParen };

// Counts the pairs of a double-byte run that began at wideFrom (-1: none) and ends at `at`.
void endWideRun(Tally &t, qint64 &wideFrom, qint64 at)
{
    if (wideFrom >= 0)
        t.good += (at - wideFrom) / 2;
    wideFrom = -1;
}

void feedJis(const uchar *p, qsizetype n, qint64 base, Tally &t, int &state, qint64 &wideFrom)
{
    qsizetype i = 0;
    qsizetype high = -1; // the next byte from 0x80 up, once looked for
    while (i < n && !t.dropped) {
        if (state == kPlain) {
            if (high < i)
                high = firstHighByte(p, i, n);
            const auto *esc = static_cast<const uchar *>(std::memchr(p + i, 0x1B, size_t(high - i)));
            if (!esc) {
                if (high < n) {
                    // A stray byte inside a double-byte run: the run goes on after it.
                    const bool wide = wideFrom >= 0;
                    endWideRun(t, wideFrom, base + high);
                    addError(t, base + high);
                    if (wide)
                        wideFrom = base + high + 1;
                }
                i = high + 1;
                continue;
            }
            endWideRun(t, wideFrom, base + (esc - p));
            state = kEsc;
            i = esc - p + 1;
            continue;
        }
        const uchar b = p[i];
        int next = kPlain;
        bool designation = false;
        bool wide = false;
        if (state == kEsc) {
            next = b == '$' ? kEscDollar : b == '(' ? kEscParen : kPlain;
        } else if (state == kEscDollar) {
            designation = wide = b == '@' || b == 'B';
            next = b == '(' ? kEscDollarParen : kPlain;
        } else if (state == kEscParen) {
            designation = b == 'J' || b == 'I';
        } else {
            designation = wide = b == 'D';
        }
        t.good += designation;
        if (wide)
            wideFrom = base + i + 1;
        state = next;
        if (b == 0x1B)
            state = kEsc;
        else if (b >= 0x80)
            addError(t, base + i);
        ++i;
    }
}

// The first bytes of UTF-16 without a mark, enough to tell it and its byte order.
constexpr qsizetype kUtf16Probe = 16 * 1024;

// Whether a UTF-16 unit can stand in text: not a control other than the line and tab ones,
// not unassigned, private or a half of a pair (pairs are taken together).
bool textUnit(char16_t u)
{
    if (u < 0x20)
        return u == '\t' || u == '\n' || u == '\r' || u == '\f';
    switch (QChar::category(char32_t(u))) {
    case QChar::Other_Control:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
        return false;
    default:
        return true;
    }
}

// How many units of the bytes read in one byte order can stand in text.
qsizetype textUnits(const uchar *p, qsizetype units, bool bigEndian)
{
    qsizetype good = 0;
    for (qsizetype k = 0; k < units; ++k) {
        const char16_t u = bigEndian ? char16_t(p[2 * k] << 8 | p[2 * k + 1]) : char16_t(p[2 * k + 1] << 8 | p[2 * k]);
        if (QChar::isHighSurrogate(u) && k + 1 < units) {
            const char16_t v = bigEndian ? char16_t(p[2 * k + 2] << 8 | p[2 * k + 3]) : char16_t(p[2 * k + 3] << 8 | p[2 * k + 2]);
            if (QChar::isLowSurrogate(v)) {
                good += 2;
                ++k;
            }
            continue;
        }
        good += !QChar::isSurrogate(u) && textUnit(u);
    }
    return good;
}

// UTF-16 without a mark in the first bytes: zero bytes, the byte order whose high bytes look
// like those of Japanese text, and nine in ten units in that order that read as text (damage
// stays far below a tenth).
// 0 where they are no UTF-16, 1 for little-endian, 2 for big-endian.
int utf16WithoutMark(const uchar *p, qsizetype n)
{
    n = std::min(n, kUtf16Probe) & ~qsizetype(1);
    if (n == 0 || !std::memchr(p, 0, size_t(n)))
        return 0;
    // The high byte of a unit of Japanese text is mostly 0x00 (ASCII) or 0x30 (kana and
    // punctuation); its low byte seldom.
    qsizetype highs[2] = {0, 0};
    for (qsizetype k = 0; k < n; ++k)
        highs[k & 1] += p[k] == 0 || p[k] == 0x30;
    const bool bigEndian = highs[0] > highs[1];
    if (textUnits(p, n / 2, bigEndian) * 10 < n / 2 * 9)
        return 0;
    return bigEndian ? 2 : 1;
}

// Both decodings advance together, a block at a time, so that the one that is ruled out first
// is found after reading little more than the bytes before that.
constexpr qsizetype kBlock = 64 * 1024;
// Where both still decode after this many bytes, the errors and the score so far decide: no
// real text stays valid in both for that long without being plainly one of them, and reading
// on would cost more than the load itself.
constexpr qsizetype kEnoughToScore = 256 * 1024;
// What an error takes off a decoding's score: as much as two kana add.
constexpr double kErrorWeight = 8.0;

// From p[from] on, where p[0] is byte `base` of the file and n the end of the bytes held.
EncodingDetect::Encoding chooseCp932OrEuc(const uchar *p, qsizetype from, qsizetype n, qint64 base)
{
    using EncodingDetect::Encoding;
    Scan cp{from, {}, false};
    Scan euc{from, {}, false};
    Counts cpCounts{};
    Counts eucCounts{};
    qsizetype stop = from;
    const qsizetype end = std::min(n, from + kEnoughToScore);
    while (!cp.tally.dropped && !euc.tally.dropped && (cp.pos < end || euc.pos < end)) {
        stop = std::min(end, stop + kBlock);
        scanCp932(p, n, stop, base, cp, cpCounts);
        scanEuc(p, n, stop, base, euc, eucCounts);
    }
    if (cp.tally.dropped && euc.tally.dropped)
        return euc.pos > cp.pos ? Encoding::Euc : Encoding::Sjis;
    if (cp.tally.dropped)
        return Encoding::Euc;
    if (euc.tally.dropped)
        return Encoding::Sjis;
    // Where both may carry their errors as damage, the score decides, each error costing as
    // much as two kana; else the one that may, or the one with fewer errors.
    const bool cpTolerated = tolerated(cp.tally, base + cp.pos, cp.cut);
    const bool eucTolerated = tolerated(euc.tally, base + euc.pos, euc.cut);
    if (cpTolerated != eucTolerated)
        return eucTolerated ? Encoding::Euc : Encoding::Sjis;
    const qint64 cpErrors = cp.tally.errors + cp.cut;
    const qint64 eucErrors = euc.tally.errors + euc.cut;
    if (!cpTolerated && cpErrors != eucErrors)
        return eucErrors < cpErrors ? Encoding::Euc : Encoding::Sjis;
    const double cpScore = scoreOf(cpCounts) - kErrorWeight * double(cpErrors);
    const double eucScore = scoreOf(eucCounts) - kErrorWeight * double(eucErrors);
    return eucScore > cpScore ? Encoding::Euc : Encoding::Sjis;
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

// Without a mark, in the byte order given.
QString decodeUtf16(const QByteArray &bytes, bool bigEndian = false)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
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
    // One mark is dropped; a U+FEFF after it is a character, as where the text is read in pieces
    // (fromUtf8 would drop that one too).
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString out = decoder.decode(QByteArrayView(bytes).sliced(bom ? 3 : 0));
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
    if (const int utf16 = utf16WithoutMark(p, n))
        return {Encoding::Utf16, false, utf16 == 2};
    const qsizetype high = firstHighByte(p, 0, n);
    Tally jis;
    int state = kPlain;
    qint64 wideFrom = -1;
    if (high == n) {
        // 7-bit bytes: the first designation decides, and nothing after it need be read.
        for (qsizetype at = 0; at < n && jis.good == 0; at += kBlock)
            feedJis(p + at, std::min(kBlock, n - at), at, jis, state, wideFrom);
        return {jis.good > 0 ? Encoding::Jis : Encoding::Sjis, false, false};
    }
    feedJis(p, n, 0, jis, state, wideFrom);
    endWideRun(jis, wideFrom, n);
    // Valid UTF-8 is checked fast, on two cores where it is long; the count of errors is
    // needed only where it is not.
    if (isValidUtf8InHalves(p, high, n))
        return {Encoding::Utf8, false, false};
    if (tolerated(jis, n, false))
        return {Encoding::Jis, false, false};
    Tally utf8;
    const qsizetype reached = scanUtf8(p, high, n, n, 0, utf8);
    if (tolerated(utf8, n, !utf8.dropped && reached < n))
        return {Encoding::Utf8, false, false};
    return {chooseCp932OrEuc(p, high, n, 0), false, false};
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

int utf16InHead(const QByteArray &head)
{
    return utf16WithoutMark(reinterpret_cast<const uchar *>(head.constData()), head.size());
}

} // namespace

bool PieceDetector::feed(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const uchar *>(data);
    const qint64 offset = fed_;
    fed_ += size;
    if (head_.size() < kUtf16Probe)
        head_.append(data, std::min(kUtf16Probe - head_.size(), size));
    if (hasMark(head_))
        return false;
    if (head_.size() == kUtf16Probe && utf16InHead(head_) != 0)
        return false;
    if (!jis_.dropped)
        feedJis(p, size, offset, jis_, jisState_, jisWideFrom_);
    qsizetype from = 0;
    if (windowAt_ < 0) {
        from = firstHighByte(p, 0, size);
        if (from == size)
            return true; // ASCII so far: an escape further on may still make it JIS
        windowAt_ = offset + from;
    }
    if (window_.size() < kWindow)
        window_.append(data + from, std::min(kWindow - window_.size(), size - from));
    if (!utf8_.dropped)
        feedUtf8(p + from, size - from, offset + from, utf8_, carry_);
    // UTF-8 and ISO-2022-JP must be read to the end while they may be the answer; the choice
    // between the others decides once the window is full.
    return !utf8_.dropped || !jis_.dropped || window_.size() < kWindow || head_.size() < kUtf16Probe;
}

Detection PieceDetector::finish()
{
    if (hasMark(head_))
        return detect(head_);
    if (const int utf16 = utf16InHead(head_))
        return {Encoding::Utf16, false, utf16 == 2};
    endWideRun(jis_, jisWideFrom_, fed_);
    if (windowAt_ < 0)
        return {jis_.good > 0 ? Encoding::Jis : Encoding::Sjis, false, false};
    const bool cut = !carry_.isEmpty();
    if (!utf8_.dropped && utf8_.errors == 0 && !cut)
        return {Encoding::Utf8, false, false};
    if (tolerated(jis_, fed_, false))
        return {Encoding::Jis, false, false};
    if (tolerated(utf8_, fed_, cut))
        return {Encoding::Utf8, false, false};
    return {chooseCp932OrEuc(reinterpret_cast<const uchar *>(window_.constData()), 0, window_.size(), windowAt_), false,
            false};
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
        scanEuc(p, n, n, 0, scan, counts);
    else
        scanCp932(p, n, n, 0, scan, counts);
    const bool decodes = scan.tally.errors == 0 && !scan.cut;
    return decodes ? scoreOf(counts) : -std::numeric_limits<double>::infinity();
}

QString decode(const QByteArray &bytes, const Detection &detection)
{
    if (detection.encoding == Encoding::Utf16 && !detection.hasBom)
        return decodeUtf16(bytes, detection.bigEndian);
    return decode(bytes, detection.encoding);
}

bool bigEndianWithoutMark(const QByteArray &bytes)
{
    return utf16InHead(bytes) == 2;
}

} // namespace EncodingDetect
