#include "core/Cp932.h"

#include "core/TwoThreads.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstring>
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

namespace {

// Encodes a run of characters from 0x80 up, writing '?' for each one the code page lacks.
void encodeRunReplacing(QStringView run, QByteArray &out)
{
    QStringEncoder encoder(codecName(), QStringEncoder::Flag::Stateless);
    const QByteArray whole = encoder.encode(run);
    if (!encoder.hasError()) {
        out += whole;
        return;
    }
    qsizetype i = 0;
    while (i < run.size()) {
        const bool pair = QChar::isHighSurrogate(run[i].unicode()) && i + 1 < run.size()
                          && QChar::isLowSurrogate(run[i + 1].unicode());
        const qsizetype length = pair ? 2 : 1;
        QStringEncoder single(codecName(), QStringEncoder::Flag::Stateless);
        const QByteArray bytes = single.encode(run.mid(i, length));
        out += single.hasError() ? QByteArray(1, '?') : bytes;
        i += length;
    }
}

QByteArray encodeText(QStringView text, bool replaceUnmappable)
{
    QStringEncoder encoder(codecName(), QStringEncoder::Flag::Stateless);
    QByteArray out;
    out.reserve(text.size() + text.size() / 2);
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        // Characters below 0x80 are written as they are (the converter would swap three of them).
        while (i < n && text[i].unicode() < 0x80) {
            const char16_t c = text[i++].unicode();
            if (c == u'\n')
                out += '\r';
            out += char(c);
        }
        const qsizetype start = i;
        while (i < n && text[i].unicode() >= 0x80 && !isUnpairedSurrogate(text, i))
            i += isSurrogatePair(text, i) ? 2 : 1;
        if (i > start) {
            if (replaceUnmappable)
                encodeRunReplacing(text.mid(start, i - start), out);
            else
                out += encoder.encode(text.mid(start, i - start));
        }
        // The converter drops an unpaired surrogate at the end of a run and substitutes one
        // elsewhere; written here, it is always one substitute.
        if (i < n && isUnpairedSurrogate(text, i)) {
            out += kUnpairedSubstitute;
            ++i;
        }
    }
    return out;
}

} // namespace

QByteArray encode(QStringView text)
{
    return encodeText(text, false);
}

QByteArray encodeReplacing(QStringView text)
{
    return encodeText(text, true);
}

qint64 byteLength(QStringView text)
{
    // Widths per UTF-16 unit, learnt from the converter the first time a unit is met.
    static std::array<qint8, 0x10000> widths = [] {
        std::array<qint8, 0x10000> w{};
        w.fill(-1);
        for (int c = 0; c < 0x80; ++c)
            w[c] = 1;
        w[u'\n'] = 2;
        return w;
    }();
    qint64 total = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
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
        qint8 &w = widths[u];
        if (w < 0)
            w = static_cast<qint8>(encode(text.mid(i, 1)).size());
        total += w;
        ++i;
    }
    return total;
}

} // namespace Cp932
