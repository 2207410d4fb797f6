#include "core/PathForm.h"

#include "core/Cp932.h"

#include <QList>

namespace PathForm {

namespace {

const QByteArray kMarkerUtf8 = QString(QChar(kMarker)).toUtf8();

bool isEscape(char16_t c)
{
    return c >= kEscapeBase && c <= kEscapeBase + 0xFF;
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The one character `bytes` decode to, when it encodes back to exactly them and cannot be
// mistaken for a carried byte.
bool decodesExactly(const QByteArray &bytes, QChar &out)
{
    const QString text = Cp932::decode(bytes);
    if (text.size() != 1 || text[0].unicode() == 0xFFFD || isEscape(text[0].unicode()) || text[0] == kMarker)
        return false;
    if (Cp932::encodeReplacing(text) != bytes)
        return false;
    out = text[0];
    return true;
}

bool isPlainSegment(const QByteArray &segment, QString &text)
{
    text = QString::fromUtf8(segment);
    return !segment.startsWith(kMarkerUtf8) && text.toUtf8() == segment;
}

QString markedSegment(const QByteArray &segment)
{
    QString out{QChar(kMarker)};
    qsizetype i = 0;
    while (i < segment.size()) {
        QChar c;
        if (isLeadByte(static_cast<unsigned char>(segment[i])) && i + 1 < segment.size()
            && decodesExactly(segment.mid(i, 2), c)) {
            out += c;
            i += 2;
        } else if (decodesExactly(segment.mid(i, 1), c)) {
            out += c;
            ++i;
        } else {
            out += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(segment[i])));
            ++i;
        }
    }
    return out;
}

// The bytes of a marked segment's text (the marker already left out).
QByteArray markedBytes(QStringView text)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isEscape(text[i].unicode()))
            continue;
        const QStringView run = text.mid(runStart, i - runStart);
        const QByteArray encoded = Cp932::encodeReplacing(run);
        // A name typed into a CP932-named entry (a rename) may hold characters code page 932
        // lacks; those runs are written in UTF-8 rather than lost as '?'.
        out += Cp932::decode(encoded) == run ? encoded : run.toUtf8();
        if (i < text.size())
            out += char(text[i].unicode() - kEscapeBase);
        runStart = i + 1;
    }
    return out;
}

bool isMarked(QStringView segment)
{
    return !segment.isEmpty() && segment[0] == kMarker;
}

// The path's bytes: marked segments as their own bytes, the others as `plain` writes them.
template <class Plain>
QByteArray joinedBytes(const QString &path, Plain plain)
{
    if (isPlain(path))
        return plain(path);
    QByteArray out;
    bool first = true;
    for (QStringView segment : QStringView(path).split(QLatin1Char('/'))) {
        if (!first)
            out += '/';
        first = false;
        out += isMarked(segment) ? markedBytes(segment.mid(1)) : plain(segment);
    }
    return out;
}

} // namespace

QString fromNative(const QByteArray &bytes)
{
    QString whole;
    if (isPlainSegment(bytes, whole) && !bytes.contains(kMarkerUtf8))
        return whole;
    QStringList parts;
    for (const QByteArray &segment : bytes.split('/')) {
        QString text;
        parts.append(isPlainSegment(segment, text) ? text : markedSegment(segment));
    }
    return parts.join(QLatin1Char('/'));
}

QByteArray toNative(const QString &path)
{
    return joinedBytes(path, [](QStringView segment) { return segment.toUtf8(); });
}

bool isPlain(const QString &path)
{
    return !path.contains(QChar(kMarker));
}

QString displayName(const QString &path)
{
    if (isPlain(path))
        return path;
    QStringList parts;
    for (QStringView segment : QStringView(path).split(QLatin1Char('/'))) {
        if (!isMarked(segment)) {
            parts.append(segment.toString());
            continue;
        }
        QString shown = segment.mid(1).toString();
        for (QChar &c : shown) {
            if (isEscape(c.unicode()))
                c = QChar(0xFFFD);
        }
        parts.append(shown);
    }
    return parts.join(QLatin1Char('/'));
}

Cp932::StrictEncoded toCp932(const QString &path)
{
    Cp932::StrictEncoded result;
    qsizetype at = 0;
    for (QStringView segment : QStringView(path).split(QLatin1Char('/'))) {
        if (at > 0)
            result.bytes += '/';
        if (isMarked(segment)) {
            result.bytes += markedBytes(segment.mid(1));
        } else {
            Cp932::StrictEncoded encoded = Cp932::encodeStrict(segment);
            if (encoded.unmappable) {
                encoded.unmappable->position += at;
                return encoded;
            }
            result.bytes += encoded.bytes;
        }
        at += segment.size() + 1;
    }
    return result;
}

bool isStorableAsCp932(const QString &path)
{
    return !toCp932(path).unmappable;
}

QString fromCp932(const QByteArray &field, const NativeExists &exists)
{
    const QString decoded = Cp932::decode(field);
    if (!exists)
        return decoded;
    QStringList parts;
    QByteArray prefix;
    bool first = true;
    for (const QByteArray &segment : field.split('/')) {
        if (!first)
            prefix += '/';
        first = false;
        QString text = Cp932::decode(segment);
        QByteArray asUtf8 = text.toUtf8();
        if (asUtf8 != segment && !exists(prefix + asUtf8)) {
            const QString linuxText = Cp932::withLinuxForms(text);
            const QByteArray linuxUtf8 = linuxText.toUtf8();
            if (linuxText != text && exists(prefix + linuxUtf8)) {
                text = linuxText;
                asUtf8 = linuxUtf8;
            } else if (exists(prefix + segment)) {
                parts.append(fromNative(segment));
                prefix += segment;
                continue;
            }
        }
        parts.append(text);
        prefix += asUtf8;
    }
    return parts.join(QLatin1Char('/'));
}

} // namespace PathForm
