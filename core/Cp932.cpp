#include "core/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstring>

namespace {

constexpr char16_t kSubstitute = 0x1A;       // what the converter gives for invalid input
constexpr char16_t kReplacement = 0xFFFD;

const char *codecName() { return "windows-31j"; }

// Decodes one run that holds no 0x1A byte, so every 0x1A in the result marks invalid input.
// Returns how many characters were invalid.
qsizetype decodeRun(const char *data, qsizetype size, QString &out)
{
    QStringDecoder decoder(codecName(), QStringDecoder::Flag::Stateless);
    const qsizetype at = out.size();
    out += decoder.decode(QByteArrayView(data, size));
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

} // namespace

namespace Cp932 {

Decoded decodeCounting(const QByteArray &bytes)
{
    Decoded result;
    QString &out = result.text;
    out.reserve(bytes.size());
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    qsizetype invalid = 0;
    // A genuine 0x1A byte is always a character of its own in CP932, so the runs
    // between such bytes decode independently.
    while (p < end) {
        const char *sub = static_cast<const char *>(std::memchr(p, 0x1A, end - p));
        const char *runEnd = sub ? sub : end;
        if (runEnd > p)
            invalid += decodeRun(p, runEnd - p, out);
        if (!sub)
            break;
        out += QChar(kSubstitute);
        p = sub + 1;
    }
    const qsizetype lone = normaliseLineBreaks(out);
    // Every line break counts as CR LF: a lone CR or LF gains a byte.
    result.byteLength = invalid == 0 ? bytes.size() + lone : byteLength(out);
    return result;
}

QString decode(const QByteArray &bytes)
{
    return decodeCounting(bytes).text;
}

QByteArray encode(QStringView text)
{
    QStringEncoder encoder(codecName(), QStringEncoder::Flag::Stateless);
    QByteArray raw = encoder.encode(text);
    const qsizetype breaks = raw.count('\n');
    if (breaks == 0)
        return raw;
    QByteArray out;
    out.reserve(raw.size() + breaks);
    for (char c : raw) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
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
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            total += encode(text.mid(i, 2)).size();
            i += 2;
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
