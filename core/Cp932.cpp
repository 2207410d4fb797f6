#include "core/Cp932.h"

#include "core/TwoThreads.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr char16_t kSubstitute = 0x1A;       // what the converter gives for invalid input
constexpr char16_t kReplacement = 0xFFFD;

// The converter trades three control codes round (0x1A, 0x1C and 0x7F) as an IBM code page
// does; code page 932 keeps every byte below 0x80 as the character of the same value.
inline bool isSwappedControl(char c)
{
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

const char *codecName() { return "windows-31j"; }

// Decodes one run that holds none of the swapped control bytes, so every 0x1A in the result
// marks invalid input.
// Returns how many characters were invalid.
qsizetype decodeRun(const char *data, qsizetype size, QString &out)
{
    QStringDecoder decoder(codecName(), QStringDecoder::Flag::Stateless);
    const qsizetype at = out.size();
    // A line feed after the run makes the converter settle a lead byte left at its end (it would
    // drop it otherwise); no lead byte takes a line feed as its second byte.
    out += decoder.decode(QByteArray(data, size) + '\n');
    out.chop(1);
    qsizetype invalid = 0;
    QChar *c = out.data() + at;
    const QChar *end = out.constData() + out.size();
    for (; c < end; ++c) {
        if (c->unicode() == kSubstitute) {
            *c = QChar(kReplacement);
            ++invalid;
        }
    }
    return invalid;
}

// Turns CR LF and lone CR into '\n' in place; returns how many breaks were lone CR or LF.
qsizetype normaliseLineBreaks(QString &text)
{
    QChar *begin = text.data();
    const QChar *end = begin + text.size();
    qsizetype lone = 0;
    QChar *w = begin;
    for (const QChar *r = begin; r < end; ++r) {
        const char16_t c = r->unicode();
        if (c == u'\r') {
            *w++ = QLatin1Char('\n');
            if (r + 1 < end && r[1].unicode() == u'\n')
                ++r;
            else
                ++lone;
        } else {
            if (c == u'\n')
                ++lone;
            *w++ = *r;
        }
    }
    text.truncate(w - begin);
    return lone;
}


// What a lead byte followed by a byte that cannot continue it gives: the lead alone is invalid.
constexpr char16_t kLeadAlone = 0xFFFF;

// The converter's own mapping, asked once for every single byte and every lead/next-byte pair,
// so that decoding is a table walk yet gives exactly what the converter gives.
struct DecodeTables {
    std::array<bool, 256> isLead{};
    std::array<char16_t, 256> single{};
    std::vector<char16_t> pair = std::vector<char16_t>(256 * 256, kReplacement);
};

const DecodeTables &decodeTables()
{
    static const DecodeTables tables = [] {
        DecodeTables t;
        QStringDecoder decoder(codecName(), QStringDecoder::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const QString one = decoder.decode(QByteArray(1, char(b)));
            const bool valid = one.size() == 1 && one[0].unicode() != kSubstitute;
            t.single[b] = b < 0x80 ? char16_t(b) : valid ? one[0].unicode() : kReplacement;
            t.isLead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        }
        // All pairs in one call, each followed by LF, which no lead byte takes as its trail.
        QByteArray batch;
        std::vector<int> leads;
        for (int lead = 0; lead < 256; ++lead) {
            if (!t.isLead[lead])
                continue;
            leads.push_back(lead);
            for (int trail = 0; trail < 256; ++trail) {
                if (trail == '\n' || trail == 0x1A)
                    continue;
                batch += char(lead);
                batch += char(trail);
                batch += '\n';
            }
        }
        const QString decoded = decoder.decode(batch);
        qsizetype at = 0;
        for (int lead : leads) {
            for (int trail = 0; trail < 256; ++trail) {
                char16_t &slot = t.pair[size_t(lead) << 8 | size_t(trail)];
                if (trail == '\n' || trail == 0x1A) {
                    slot = kLeadAlone;
                    continue;
                }
                const qsizetype end = decoded.indexOf(QLatin1Char('\n'), at);
                const QStringView got = QStringView(decoded).mid(at, end - at);
                at = end + 1;
                if (got.size() == 1)
                    slot = got[0].unicode() == kSubstitute ? kReplacement : got[0].unicode();
                else
                    slot = kLeadAlone; // the lead alone failed and the next byte stood on its own
            }
        }
        return t;
    }();
    return tables;
}
// From this many bytes on a text is decoded on two threads; the first half backwards in blocks
// of about kBlock bytes, none longer than kBlockMax.
constexpr qsizetype kTwoThreadsFrom = qsizetype(512) << 10;
constexpr qsizetype kBlock = qsizetype(64) << 10;
constexpr qsizetype kBlockMax = qsizetype(4) << 20;

struct DecodeCounts {
    qsizetype written = 0;
    qsizetype invalid = 0;
    qsizetype lone = 0; // line breaks that were a lone CR or LF
};

// Decodes n bytes that end at a line feed or at the end of the text.
DecodeCounts decodeRange(const DecodeTables &t, const unsigned char *p, qsizetype n, char16_t *out)
{
    qsizetype w = 0;
    qsizetype invalid = 0;
    qsizetype lone = 0;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (!t.isLead[b]) {
            if (b == '\r') {
                out[w++] = u'\n';
                if (i + 1 < n && p[i + 1] == '\n')
                    ++i;
                else
                    ++lone;
            } else {
                lone += b == '\n';
                const char16_t c = t.single[b];
                invalid += c == kReplacement;
                out[w++] = c;
            }
            ++i;
            continue;
        }
        const char16_t c = i + 1 < n ? t.pair[size_t(b) << 8 | p[i + 1]] : kLeadAlone;
        if (c == kLeadAlone) { // the next byte is no trail byte: it starts a character of its own
            out[w++] = kReplacement;
            ++invalid;
            ++i;
            continue;
        }
        invalid += c == kReplacement;
        out[w++] = c;
        i += 2;
    }
    return {w, invalid, lone};
}

constexpr char kUnpairedSubstitute = '?';

inline bool isSurrogatePair(QStringView text, qsizetype i)
{
    return QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size()
        && QChar::isLowSurrogate(text[i + 1].unicode());
}

// Callers step over a pair whole, so a low surrogate met on its own has lost its high half.
inline bool isUnpairedSurrogate(QStringView text, qsizetype i)
{
    return QChar::isSurrogate(text[i].unicode()) && !isSurrogatePair(text, i);
}
} // namespace

namespace Cp932 {

QString referenceDecode(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    // The bytes the converter maps elsewhere are characters of their own (never trail bytes),
    // so the runs between them decode independently and they stand for themselves.
    while (p < end) {
        const char *q = p;
        while (q < end && !isSwappedControl(*q))
            ++q;
        if (q > p)
            decodeRun(p, q - p, out);
        if (q == end)
            break;
        out += QChar(char16_t(*q));
        p = q + 1;
    }
    normaliseLineBreaks(out);
    return out;
}

char16_t decodeSingle(unsigned char byte)
{
    return decodeTables().single[byte];
}

char16_t decodePair(unsigned char lead, unsigned char trail)
{
    const char16_t c = decodeTables().pair[size_t(lead) << 8 | trail];
    return c == kLeadAlone ? kReplacement : c;
}

Decoded decodeCounting(const QByteArray &bytes)
{
    const DecodeTables &t = decodeTables();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    Decoded result;
    result.text = QString(n, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.text.data());
    DecodeCounts counts;

    // A large text is decoded on two threads, the second half after a line feed (never a
    // trail byte, and never the first half of a CR LF), so that the parts decode alone.
    const unsigned char *middle = n >= kTwoThreadsFrom
        ? static_cast<const unsigned char *>(std::memchr(p + n / 2, '\n', size_t(n - n / 2))) : nullptr;
    const qsizetype split = middle ? middle + 1 - p : n;
    // The second half is decoded where it starts in the bytes, which no character of the first
    // half reaches; the first half backwards, block by block, so that it ends just before the
    // second: the text is then one piece without a move, its unused start never touched.
    std::vector<qsizetype> blocks; // where each block of the first half starts, from the last
    for (qsizetype end = split; split < n && end > 0;) {
        const qsizetype limit = end - kBlock;
        const void *lf = limit > 0 ? memrchr(p, '\n', size_t(limit)) : nullptr;
        const qsizetype start = lf ? static_cast<const unsigned char *>(lf) + 1 - p : 0;
        if (end - start > kBlockMax) { // a line too long for a block: one thread then
            blocks.clear();
            break;
        }
        blocks.push_back(start);
        end = start;
    }
    qsizetype first = 0;
    if (blocks.empty()) {
        counts = decodeRange(t, p, n, out);
    } else {
        DecodeCounts second;
        first = split;
        runOnTwoThreads(
            [&] {
                std::vector<char16_t> scratch;
                qsizetype end = split;
                for (const qsizetype start : blocks) {
                    scratch.resize(size_t(end - start));
                    const DecodeCounts block = decodeRange(t, p + start, end - start, scratch.data());
                    first -= block.written;
                    std::memcpy(out + first, scratch.data(), size_t(block.written) * sizeof(char16_t));
                    counts.invalid += block.invalid;
                    counts.lone += block.lone;
                    end = start;
                }
            },
            [&] { second = decodeRange(t, p + split, n - split, out + split); });
        counts.written = split + second.written;
        counts.invalid += second.invalid;
        counts.lone += second.lone;
    }
    result.text.truncate(counts.written);
    // Dropping the unused start only moves where the text begins.
    result.text.remove(0, first);
    // Every line break counts as CR LF: a lone CR or LF gains a byte. A valid text re-encodes to
    // as many bytes as it had.
    result.byteLength = counts.invalid == 0 ? n + counts.lone : byteLength(result.text);
    return result;
}

QString decode(const QByteArray &bytes)
{
    return decodeCounting(bytes).text;
}

PieceDecoder::Step PieceDecoder::decode(const char *bytes, qsizetype size, char16_t *out, bool last)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    qsizetype n = size;
    if (!last) {
        // A byte below 0x40 is never a trail byte, so the bytes after it decode on their own;
        // a CR must stay with the LF that may follow it.
        while (n > 0 && (p[n - 1] >= 0x40 || p[n - 1] == '\r'))
            --n;
    }
    const DecodeTables &t = decodeTables();
    DecodeCounts counts;
    // The second half, split after a line feed, is decoded on a thread of its own where its
    // bytes start and moved down behind the first.
    const unsigned char *middle = n >= kTwoThreadsFrom
        ? static_cast<const unsigned char *>(std::memchr(p + n / 2, '\n', size_t(n - n / 2))) : nullptr;
    if (middle && middle + 1 < p + n) {
        const qsizetype split = middle + 1 - p;
        DecodeCounts second;
        runOnTwoThreads([&] { counts = decodeRange(t, p, split, out); },
                        [&] { second = decodeRange(t, p + split, n - split, out + split); });
        std::memmove(out + counts.written, out + split, size_t(second.written) * sizeof(char16_t));
        counts.written += second.written;
        counts.invalid += second.invalid;
        counts.lone += second.lone;
    } else {
        counts = decodeRange(t, p, n, out);
    }
    taken_ += n;
    invalid_ += counts.invalid;
    lone_ += counts.lone;
    return {n, counts.written};
}

qint64 PieceDecoder::byteLength(QStringView text) const
{
    return invalid_ == 0 ? taken_ + lone_ : Cp932::byteLength(text);
}

namespace {

constexpr quint16 kNoForm = 0xFFFF; // no lead byte is 0xFF, so no pair has this value

// The Unicode forms Linux converters (glibc's EUC-JP and SHIFT_JIS, Python's shift_jis) give
// for seven characters, each beside the form the decoder gives for the same bytes.
constexpr std::pair<char16_t, char16_t> kLinuxForms[] = {
    {0x301C, 0xFF5E}, // WAVE DASH             81 60
    {0x2016, 0x2225}, // DOUBLE VERTICAL LINE  81 61
    {0x2212, 0xFF0D}, // MINUS SIGN            81 7C
    {0x00A2, 0xFFE0}, // CENT SIGN             81 91
    {0x00A3, 0xFFE1}, // POUND SIGN            81 92
    {0x00AC, 0xFFE2}, // NOT SIGN              81 CA
    {0x2014, 0x2015}, // EM DASH               81 5C
};

// Every UTF-16 unit's code page 932 bytes (one byte below 0x100, else lead and trail), kNoForm
// where it has none. Taken from the decoder's tables, so a character is written as it is read;
// where several byte forms read as one character (the NEC and IBM duplicates), the one the
// platform converter writes, which is the one Windows writes.
const std::array<quint16, 0x10000> &encodeTable()
{
    static const std::array<quint16, 0x10000> table = [] {
        std::array<quint16, 0x10000> t;
        t.fill(kNoForm);
        const DecodeTables &d = decodeTables();
        std::vector<char16_t> duplicates;
        auto add = [&](char16_t c, quint16 form) {
            if (c == kReplacement || QChar::isSurrogate(c))
                return;
            if (t[c] == kNoForm)
                t[c] = form;
            else
                duplicates.push_back(c);
        };
        for (int b = 0; b < 256; ++b) {
            if (!d.isLead[b])
                add(d.single[b], quint16(b));
        }
        for (int lead = 0; lead < 256; ++lead) {
            if (!d.isLead[lead])
                continue;
            for (int trail = 0; trail < 256; ++trail) {
                const char16_t c = d.pair[size_t(lead) << 8 | size_t(trail)];
                if (c != kLeadAlone)
                    add(c, quint16(lead << 8 | trail));
            }
        }
        for (const char16_t c : duplicates) {
            QStringEncoder encoder(codecName(), QStringEncoder::Flag::Stateless);
            const QByteArray bytes = encoder.encode(QStringView(&c, 1));
            if (encoder.hasError() || bytes.size() != 2)
                continue;
            const auto lead = static_cast<unsigned char>(bytes[0]);
            const auto trail = static_cast<unsigned char>(bytes[1]);
            if (d.isLead[lead] && d.pair[size_t(lead) << 8 | trail] == c)
                t[c] = quint16(lead << 8 | trail);
        }
        for (const auto &[linuxForm, windowsForm] : kLinuxForms)
            t[linuxForm] = t[windowsForm];
        return t;
    }();
    return table;
}

inline void appendForm(QByteArray &out, quint16 form)
{
    if (form > 0xFF)
        out += char(form >> 8);
    out += char(form & 0xFF);
}

enum class Missing {
    Converter, // as the platform converter substitutes
    Question,  // one '?' per character
    Stop,      // nothing more is written
};

// Encodes `text` onto `out`, each '\n' as CR LF. With Missing::Stop, gives the position of the
// first character without a form, -1 when there is none.
qsizetype encodeInto(QStringView text, Missing missing, QByteArray &out)
{
    const std::array<quint16, 0x10000> &table = encodeTable();
    out.reserve(out.size() + text.size() + text.size() / 2);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t u = text[i].unicode();
        if (u == u'\n') {
            out += "\r\n";
            ++i;
            continue;
        }
        if (!QChar::isSurrogate(u) && table[u] != kNoForm) {
            appendForm(out, table[u]);
            ++i;
            continue;
        }
        if (missing == Missing::Stop)
            return i;
        if (isUnpairedSurrogate(text, i)) {
            out += kUnpairedSubstitute;
            ++i;
            continue;
        }
        if (missing == Missing::Question) {
            out += '?';
            i += isSurrogatePair(text, i) ? 2 : 1;
            continue;
        }
        // The converter's substitutes for the whole run of characters without a form: it writes
        // nothing for some (the default-ignorable ones) and maps a few private-use ones one way.
        const qsizetype start = i;
        while (i < n && !isUnpairedSurrogate(text, i)
               && (isSurrogatePair(text, i) || table[text[i].unicode()] == kNoForm))
            i += isSurrogatePair(text, i) ? 2 : 1;
        QStringEncoder encoder(codecName(), QStringEncoder::Flag::Stateless);
        out += encoder.encode(text.mid(start, i - start));
    }
    return -1;
}

} // namespace

StrictEncoded encodeStrict(QStringView text)
{
    StrictEncoded result;
    const qsizetype at = encodeInto(text, Missing::Stop, result.bytes);
    if (at >= 0) {
        result.bytes.clear();
        const char32_t c = isSurrogatePair(text, at)
            ? QChar::surrogateToUcs4(text[at], text[at + 1]) : char32_t(text[at].unicode());
        result.unmappable = Unmappable{at, c};
    }
    return result;
}

QString withLinuxForms(QStringView text)
{
    QString out = text.toString();
    for (QChar &c : out) {
        for (const auto &[linuxForm, windowsForm] : kLinuxForms) {
            if (c.unicode() == windowsForm)
                c = QChar(linuxForm);
        }
    }
    return out;
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    encodeInto(text, Missing::Converter, out);
    return out;
}

QByteArray encodeReplacing(QStringView text)
{
    QByteArray out;
    encodeInto(text, Missing::Question, out);
    return out;
}

namespace {

// Each UTF-16 unit's length in encode() alone, surrogates aside. Built whole before its first
// use, since the threads that read a file's halves count both at once. Units without a form go
// to the converter in one call, each followed by a line feed, which no substitute holds.
const std::array<qint8, 0x10000> &unitLengths()
{
    static const std::array<qint8, 0x10000> lengths = [] {
        std::array<qint8, 0x10000> l{};
        const std::array<quint16, 0x10000> &table = encodeTable();
        QString missing;
        std::vector<char16_t> asked;
        for (char32_t c = 0; c < 0x10000; ++c) {
            const auto u = char16_t(c);
            if (QChar::isSurrogate(u))
                continue;
            if (u == u'\n')
                l[u] = 2;
            else if (table[u] != kNoForm)
                l[u] = table[u] > 0xFF ? 2 : 1;
            else {
                missing += QChar(u);
                missing += QLatin1Char('\n');
                asked.push_back(u);
            }
        }
        QStringEncoder encoder(codecName(), QStringEncoder::Flag::Stateless);
        const QByteArray bytes = encoder.encode(missing);
        qsizetype at = 0;
        for (const char16_t u : asked) {
            const qsizetype end = bytes.indexOf('\n', at);
            l[u] = qint8(end - at);
            at = end + 1;
        }
        return l;
    }();
    return lengths;
}

} // namespace

qint64 byteLength(QStringView text)
{
    qint64 total = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    // ASCII needs no table: the table, some milliseconds of the converter's, is built only when
    // another unit is met (an empty document at start meets none).
    for (; i < n && text[i].unicode() < 0x80; ++i)
        total += text[i] == u'\n' ? 2 : 1;
    if (i == n)
        return total;
    const std::array<qint8, 0x10000> &lengths = unitLengths();
    while (i < n) {
        const char16_t u = text[i].unicode();
        if (isSurrogatePair(text, i)) {
            total += encode(text.mid(i, 2)).size();
            i += 2;
            continue;
        }
        if (QChar::isSurrogate(u)) { // unpaired: one substitute, as encode() writes it
            total += 1;
            ++i;
            continue;
        }
        total += lengths[u];
        ++i;
    }
    return total;
}

} // namespace Cp932
