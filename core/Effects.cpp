#include "core/Effects.h"

#include "core/EffectList.h"

#include <QBuffer>

#include <cstring>

namespace {

constexpr qsizetype kBlockSize = 64 * 1024;
// Room for the longest line prefix: 20 digits of a 64-bit counter and a blank.
constexpr qsizetype kMaxPrefix = 24;

// Collects output bytes and writes them to the device in large pieces.
// The buffer holds at least one input block, so the filters that never grow the
// text can write a whole block straight into it.
class Sink {
public:
    Sink(QIODevice &device, qsizetype blockSize)
        : m_device(device), m_buffer(blockSize + kMaxPrefix, Qt::Uninitialized)
    {
    }

    // Space for n more bytes (n at most the block size plus kMaxPrefix).
    char *room(qsizetype n)
    {
        if (m_used + n > m_buffer.size())
            flush();
        return m_buffer.data() + m_used;
    }
    // Takes the bytes written through room() up to `end`.
    void commit(const char *end) { m_used = end - m_buffer.constData(); }

    void append(const char *data, qsizetype n)
    {
        if (m_used + n > m_buffer.size()) {
            flush();
            if (n > m_buffer.size()) {
                write(data, n);
                return;
            }
        }
        std::memcpy(m_buffer.data() + m_used, data, size_t(n));
        m_used += n;
    }

    bool flush()
    {
        if (m_used > 0)
            write(m_buffer.constData(), m_used);
        m_used = 0;
        return m_ok;
    }
    bool ok() const { return m_ok; }

private:
    void write(const char *data, qsizetype n)
    {
        if (m_ok)
            m_ok = m_device.write(data, n) == n;
    }

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_used = 0;
    bool m_ok = true;
};

// 'C': everything but CR and LF.
struct CutBreaks {
    void feed(const char *p, const char *end, Sink &sink)
    {
        char *o = sink.room(end - p);
        // Branch-free: always store, advance only for kept bytes.
        for (; p < end; ++p) {
            const char c = *p;
            *o = c;
            o += (c != '\r') & (c != '\n');
        }
        sink.commit(o);
    }
};

// 'S': everything but blanks and TABs; the full-width space is two other bytes.
struct CutSpaces {
    void feed(const char *p, const char *end, Sink &sink)
    {
        char *o = sink.room(end - p);
        for (; p < end; ++p) {
            const char c = *p;
            *o = c;
            o += (c != ' ') & (c != '\t');
        }
        sink.commit(o);
    }
};

// 'T': drops '<' ... '>' with everything between; a stray '>' is dropped alone.
struct CutTags {
    bool inTag = false;

    void feed(const char *p, const char *end, Sink &sink)
    {
        while (p < end) {
            if (inTag) {
                // A '<' inside a tag changes nothing, so only the closing '>' matters.
                const auto *gt = static_cast<const char *>(std::memchr(p, '>', size_t(end - p)));
                if (!gt)
                    return;
                p = gt + 1;
                inTag = false;
                continue;
            }
            char *o = sink.room(end - p);
            while (p < end) {
                const char c = *p++;
                if (c == '<') {
                    inTag = true;
                    break;
                }
                *o = c;
                o += c != '>';
            }
            sink.commit(o);
        }
    }
};

// 'F': the body after the first empty line. Read literally: after an LF in the
// header the next two bytes are consumed, and the header ends when the second is LF.
struct CutHeader {
    bool inBody = false;
    int lookAhead = 0; // bytes of the look-ahead still to read

    void feed(const char *p, const char *end, Sink &sink)
    {
        while (!inBody && p < end) {
            if (lookAhead == 0) {
                const auto *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
                if (!lf)
                    return;
                p = lf + 1;
                lookAhead = 2;
            } else if (lookAhead == 2) {
                ++p;
                lookAhead = 1;
            } else {
                inBody = *p++ == '\n';
                lookAhead = 0;
            }
        }
        if (p < end)
            sink.append(p, end - p);
    }
};

// 'N': "0001 " before every line; a final line break opens a numbered empty line.
struct NumberLines {
    bool started = false;
    quint64 line = 0;

    void feed(const char *p, const char *end, Sink &sink)
    {
        if (p == end)
            return;
        // Only a first byte opens line 1, so an empty text stays empty.
        if (!started) {
            started = true;
            writePrefix(sink);
        }
        while (p < end) {
            const auto *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            if (!lf) {
                sink.append(p, end - p);
                return;
            }
            sink.append(p, lf + 1 - p);
            writePrefix(sink);
            p = lf + 1;
        }
    }

    void writePrefix(Sink &sink)
    {
        char digits[kMaxPrefix];
        int n = 0;
        for (quint64 v = ++line; v != 0; v /= 10)
            digits[n++] = char('0' + v % 10);
        while (n < 4)
            digits[n++] = '0';
        char *o = sink.room(kMaxPrefix);
        while (n > 0)
            *o++ = digits[--n];
        *o++ = ' ';
        sink.commit(o);
    }
};

template<class Machine>
bool pumpDevice(QIODevice &in, QIODevice &out, qsizetype blockSize)
{
    Machine machine;
    Sink sink(out, blockSize);
    QByteArray block(blockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(block.data(), blockSize);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        machine.feed(block.constData(), block.constData() + n, sink);
        if (!sink.ok())
            return false;
    }
    return sink.flush();
}

// The array needs no read copy: the machine walks it in block-sized slices.
template<class Machine>
bool pumpArray(const QByteArray &bytes, QIODevice &out)
{
    Machine machine;
    Sink sink(out, kBlockSize);
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    while (p < end) {
        const char *stop = end - p > kBlockSize ? p + kBlockSize : end;
        machine.feed(p, stop, sink);
        p = stop;
    }
    return sink.flush();
}

template<class Machine>
constexpr Effects::ByteRule ruleOf(bool grows)
{
    return {&pumpDevice<Machine>, &pumpArray<Machine>, grows};
}

} // namespace

namespace Effects {

// The byte loops run without any dispatch: each rule is its own instance of the pumps.
const ByteRule cutBreaks = ruleOf<CutBreaks>(false);
const ByteRule cutSpaces = ruleOf<CutSpaces>(false);
const ByteRule cutTags = ruleOf<CutTags>(false);
const ByteRule cutHeader = ruleOf<CutHeader>(false);
const ByteRule numberLines = ruleOf<NumberLines>(true);

bool isKind(QChar kind)
{
    return kind.unicode() < 0x80 && findEffect(EffectKind(kind.toLatin1()));
}

bool transform(EffectKind kind, QIODevice &in, QIODevice &out)
{
    return transform(kind, in, out, kBlockSize);
}

bool transform(EffectKind kind, QIODevice &in, QIODevice &out, qsizetype blockSize)
{
    const Effect *effect = findEffect(kind);
    return effect && effect->rule->stream(in, out, qMax<qsizetype>(blockSize, 1));
}

QByteArray transform(EffectKind kind, const QByteArray &bytes)
{
    const Effect *effect = findEffect(kind);
    if (!effect)
        return {};
    QByteArray result;
    // A growing rule adds a few bytes a line; the others fit in the input's size.
    result.reserve(bytes.size() + (effect->rule->grows ? bytes.size() / 8 + kMaxPrefix : 0));
    QBuffer out(&result);
    out.open(QIODevice::WriteOnly);
    const bool ok = effect->rule->whole(bytes, out);
    out.close();
    return ok ? result : QByteArray();
}

} // namespace Effects
