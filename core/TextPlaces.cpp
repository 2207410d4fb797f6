#include "core/TextPlaces.h"

#include "core/Document.h"

#include <algorithm>

namespace TextPlaces {

namespace {

qint64 breaksIn(QStringView text)
{
    return text.count(QLatin1Char('\n'));
}

// The first position of line `line` (from 0); the text's end when it has fewer lines.
qint64 lineStart(QStringView text, qint64 line)
{
    qint64 at = 0;
    for (qint64 i = 0; i < line; ++i) {
        const qint64 next = text.indexOf(QLatin1Char('\n'), at);
        if (next < 0)
            return text.size();
        at = next + 1;
    }
    return at;
}

qint64 lineEnd(QStringView text, qint64 start)
{
    const qint64 end = text.indexOf(QLatin1Char('\n'), start);
    return end < 0 ? text.size() : end;
}

// A line number prefix as the numbering effect writes it: digits and one blank.
qint64 numberPrefixLength(QStringView line)
{
    qint64 digits = 0;
    while (digits < line.size() && line[digits].isDigit() && line[digits].unicode() < 0x80)
        ++digits;
    return digits > 0 && digits < line.size() && line[digits] == QLatin1Char(' ') ? digits + 1 : 0;
}

// The bytes before a position, measured from the nearer end of the text.
qint64 bytesBefore(QStringView text, DocumentEncoding::ByteForm form, qint64 position, qint64 totalBytes)
{
    if (totalBytes >= 0 && position > text.size() / 2)
        return totalBytes - DocumentEncoding::byteLength(text.sliced(position), form);
    return DocumentEncoding::byteLength(text.first(position), form);
}

qint64 sameShare(qint64 position, qint64 shownSize, qint64 unprocessedSize)
{
    if (shownSize <= 0)
        return 0;
    return qint64((long double)position * unprocessedSize / shownSize + 0.5L);
}

} // namespace

TextPlace placeOf(QStringView text, DocumentEncoding::ByteForm form, qint64 position, qint64 totalBytes)
{
    position = std::clamp<qint64>(position, 0, text.size());
    return {bytesBefore(text, form, position, totalBytes), breaksIn(text.first(position))};
}

qint64 positionOf(QStringView text, DocumentEncoding::ByteForm form, const TextPlace &place, qint64 totalBytes)
{
    // The line number leads to the line at once; the bytes before it are measured in one call.
    qint64 start = lineStart(text, place.line);
    qint64 bytes = bytesBefore(text, form, start, totalBytes);
    if (bytes > place.byteOffset) { // the line number does not match the offset: walk from the start
        start = 0;
        bytes = 0;
    }
    // Line by line, so that only the line holding the offset is measured in pieces.
    while (start < text.size()) {
        const qint64 end = lineEnd(text, start);
        const qint64 through = std::min<qint64>(end + 1, text.size());
        const qint64 lineBytes = DocumentEncoding::byteLength(text.sliced(start, through - start), form);
        if (bytes + lineBytes > place.byteOffset) {
            const qint64 room = place.byteOffset - bytes;
            // The longest start of the line that fits in the bytes left.
            qint64 low = 0;
            qint64 high = end - start;
            while (low < high) {
                const qint64 mid = (low + high + 1) / 2;
                if (DocumentEncoding::byteLength(text.sliced(start, mid), form) <= room)
                    low = mid;
                else
                    high = mid - 1;
            }
            qint64 at = start + low;
            if (at > start && at < text.size() && text[at].isLowSurrogate())
                --at;
            return at;
        }
        bytes += lineBytes;
        start = through;
    }
    return text.size();
}

qint64 toUnprocessed(const EffectSet &effects, QStringView shown, QStringView unprocessed, qint64 position)
{
    position = std::clamp<qint64>(position, 0, shown.size());
    if (effects.empty())
        return std::min<qint64>(position, unprocessed.size());
    bool prefixes = false;
    bool dropsFirst = false;
    bool joins = false;
    bool cannotSay = false;
    int count = 0;
    for (const Effect &effect : kEffects) {
        if (!effects.has(effect.kind))
            continue;
        ++count;
        prefixes |= effect.places == EffectPlaces::PrefixesLines;
        dropsFirst |= effect.places == EffectPlaces::DropsFirstLines;
        joins |= effect.places == EffectPlaces::JoinsLines;
        cannotSay |= effect.places == EffectPlaces::CannotSay;
    }
    // Tag removal (CannotSay) drops the breaks inside tags, so its lines match the input's
    // nowhere in particular; and the join, once stacked with another effect, has lost the
    // input it counts in. Both keep the same share of the text.
    if (cannotSay || (joins && count > 1))
        return sameShare(position, shown.size(), unprocessed.size());
    if (joins) {
        // The n-th character of the joined line is the n-th one of the text that is no break.
        qint64 left = position;
        for (qint64 i = 0; i < unprocessed.size(); ++i) {
            if (unprocessed[i] == QLatin1Char('\n'))
                continue;
            if (left-- == 0)
                return i;
        }
        return unprocessed.size();
    }
    // The rest keep every line whole: the prefix and the blank removal only change columns,
    // and the header removal drops as many breaks as lines.
    const qint64 shownStart = shown.first(position).lastIndexOf(QLatin1Char('\n')) + 1;
    qint64 line = breaksIn(shown.first(shownStart));
    qint64 column = position - shownStart;
    if (prefixes)
        column = std::max<qint64>(0, column - numberPrefixLength(shown.sliced(shownStart)));
    if (dropsFirst)
        line += std::max<qint64>(0, breaksIn(unprocessed) - breaksIn(shown));
    const qint64 start = lineStart(unprocessed, line);
    return std::min(start + column, lineEnd(unprocessed, start));
}

} // namespace TextPlaces
