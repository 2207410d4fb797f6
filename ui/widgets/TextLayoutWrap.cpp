// The wrap of a layout: where the display lines start inside the hard lines wider than the room.
#include "ui/widgets/TextLayout.h"

#include "core/Graphemes.h"
#include "core/TwoThreads.h"
#include "ui/widgets/TextLayoutUnits.h"

#include <algorithm>
#include <cmath>

using namespace TextLayoutUnits;

namespace {

// A line may break before or after a character of the wide scripts, as Japanese text does.
inline bool breaksAround(char16_t c)
{
    return c >= 0x2E80 && !(c >= 0xFF61 && c <= 0xFF9F) && !(c >= 0xD800 && c <= 0xDFFF);
}

} // namespace

void TextLayout::buildWrapped(int room)
{
    wrapBuilds_ += text_->isEmpty() ? 0 : 1;
    wrappedRoom_ = room;
    // Cleared with its room kept: pages touched again cost no fault.
    wraps_.clear();
    // Where every line fits, there is no wrap point to find; the margin is wrapRange's own.
    if (maxWidth_ <= room - 0.5)
        return;
    const size_t lines = hard_.widths.size();
    if (evenLines_.size() != lines)
        evenLines_.assign(lines, kNotSeen);
    if (text_->size() >= kTwoThreadsFrom) {
        const size_t half = lines / 2;
        std::vector<Positions> pieces;
        runOnTwoThreads([&] {
                            TextStore::LineReader reader(*text_);
                            wrapRange(0, half, room, reader, wraps_);
                        },
                        [&] {
                            TextStore::LineReader reader(*text_);
                            for (size_t from = half; from < lines; from += kPieceLines)
                                wrapRange(from, std::min(lines, from + kPieceLines), room, reader,
                                          pieces.emplace_back());
                        });
        size_t total = wraps_.size();
        for (const Positions &piece : pieces)
            total += piece.size();
        wraps_.reserve(total); // grown once, not doubled on the way
        for (Positions &piece : pieces)
            wraps_.append(piece);
    } else {
        TextStore::LineReader reader(*text_);
        wrapRange(0, lines, room, reader, wraps_);
    }
    keepRoomToGrow();
}

void TextLayout::keepRoomToGrow()
{
    if (text_->isLazy())
        wraps_.reserve(wraps_.size() + wraps_.size() / 16 + 1024);
}

void TextLayout::wrapRange(size_t fromLine, size_t toLine, qreal available, TextStore::LineReader &reader,
                           Positions &out) const
{
    const Positions &starts = text_->lineStarts();
    // Kept-together bases break the evenness of any line that holds one.
    const bool evenPaths = together().empty();
    for (size_t line = fromLine; line < toLine; ++line) {
        // A line narrower than the room by a safe margin cannot break; the margin covers the
        // rounding of its stored width.
        const qreal width = widthOf(hard_.widths[line]);
        // Lines a text grew by after its wrap was built have no record (see extend).
        quint16 unrecorded = kNotSeen;
        quint16 &even = line < evenLines_.size() ? evenLines_[line] : unrecorded;
        if (width <= available - 0.5) {
            // A line not far narrower than the room is likely to need a walk at the next room:
            // learnt now, while the lines around it are read anyway, it costs no walk then.
            if (width > available / 2 && even == kNotSeen && !hard_.general[line])
                even = evenWidth(reader.line(qint64(line)));
            continue;
        }
        const qsizetype start = starts[line];
        if (!hard_.general[line]) {
            if (evenPaths && even > kUneven) {
                wrapEvenLine(start, lineEnd(line) - start, even / 64.0, available, out);
                continue;
            }
            const QStringView text = reader.line(qint64(line));
            if (even == kNotSeen)
                even = evenWidth(text);
            wrapPlainLine(text, start, width, available, out);
            continue;
        }
        const QStringView text = reader.line(qint64(line));
        if (const LineShape *shape = shapes_.empty() ? nullptr : shapeOf(line)) {
            wrapWalk(text, start, std::max<qreal>(1, available - shape->inset), out,
                     shape->widths ? *shape->widths : *widths_);
            continue;
        }
        wrapWalk(text, start, available, out);
    }
}

// The general walk over one hard line from start to end (its line break or the end of the text),
// cluster by cluster: the start of every further display line, the line's own start not
// included. A cluster breaks around as its first unit does.
void TextLayout::wrapWalk(QStringView line, qint64 base, qreal available, Positions &out, CharWidths &widths) const
{
    const char16_t *d = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype start = 0;
    const qsizetype end = line.size();
    ClusterCursor clusters(line);
    qsizetype lineStart = start;
    qsizetype lastBreak = -1;
    qreal xAtBreak = 0;
    qreal x = 0;
    bool afterWide = false;
    // The spans are positions of the text; the walk's are of the line.
    const Aozora::Rubies &bases = together();
    auto together = std::partition_point(bases.begin(), bases.end(),
                                         [base](const auto &span) { return span.base.end() <= base; });
    qreal xAtTogether = 0;
    for (qsizetype i = start; i < end;) {
        const char16_t c = d[i];
        const qsizetype next = clusters.end(i);
        const bool wide = breaksAround(c);
        const qreal w = advance(line.sliced(i, next - i), x, widths);
        while (together != bases.end() && together->base.end() <= base + i)
            ++together;
        const bool inside = together != bases.end() && together->base.start < base + i;
        if (together != bases.end() && together->base.start == base + i)
            xAtTogether = x;
        const bool breakHere = (wide || afterWide) && !inside;
        afterWide = wide;
        if (i > lineStart && breakHere) {
            lastBreak = i;
            xAtBreak = x;
        }
        // Blanks may hang past the edge; anything else starts a new display line.
        if (x + w > available && i > lineStart && c != u' ') {
            if (lastBreak > lineStart) {
                lineStart = lastBreak;
                x -= xAtBreak;
                // A base begun before the wrap is measured from the new line's start too.
                xAtTogether -= xAtBreak;
            } else if (inside && together->base.start - base > lineStart) {
                // A base too long for what is left goes to the next line whole.
                lineStart = together->base.start - base;
                x -= xAtTogether;
            } else {
                lineStart = i;
                x = 0;
            }
            out.push_back(base + lineStart);
            lastBreak = -1;
            if (x + w > available && i > lineStart) {
                lineStart = i;
                x = 0;
                out.push_back(base + lineStart);
            }
        }
        x += w;
        if (c == u' ' || c == u'\t') {
            lastBreak = next;
            xAtBreak = x;
        }
        i = next;
    }
}

quint16 TextLayout::evenWidth(QStringView line) const
{
    const char16_t *d = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype n = line.size();
    if (n < 2)
        return kUneven;
    const CharWidths &table = *widths_;
    const float w = table.known(d[0]);
    // Kept in 1/64 px, as fonts give advances: another width is not kept.
    const float scaled = w * 64;
    if (!(scaled >= 2 && scaled < 0x10000 && scaled == std::floor(scaled)))
        return kUneven;
    // A blank lets the line break after it and hangs past the edge: left to the walk.
    bool wideBefore = breaksAround(d[0]);
    if (d[0] == u' ')
        return kUneven;
    for (qsizetype i = 1; i < n; ++i) {
        const char16_t c = d[i];
        const bool wide = breaksAround(c);
        if (c == u' ' || table.known(c) != w || !(wide || wideBefore))
            return kUneven;
        wideBefore = wide;
    }
    return quint16(scaled);
}

// Every display line of such a line but its last holds as many characters as fit, or one where
// none does, and breaks right after them: the break the walk would find is always the place
// where the edge is passed. The products are exact in a double, as the walk's sums are.
void TextLayout::wrapEvenLine(qint64 base, qint64 length, qreal width, qreal available, Positions &out)
{
    qint64 fit = qint64(available / width);
    while (fit > 0 && qreal(fit) * width > available)
        --fit;
    while (qreal(fit + 1) * width <= available)
        ++fit;
    fit = std::max<qint64>(fit, 1);
    for (qint64 at = fit; at < length; at += fit)
        out.push_back(base + at);
}

// The wrap of one hard line without a tab (a tab's width depends on where it starts), exactly as
// the general walk in wrapWalk() gives it, but quicker: widths are added eight at a time while
// the edge is not near, then one at a time up to the character that passes it, and from there a
// short look back finds the last place the line may break.
//
// The sums come out the same in any order: every width is a float, and sums of a line's floats
// are exact in a double, so adding in blocks or measuring back from a break changes no bit.
void TextLayout::wrapPlainLine(QStringView line, qint64 base, qreal width, qreal available, Positions &out) const
{
    const char16_t *d = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype start = 0;
    const qsizetype end = line.size();
    const CharWidths &table = *widths_;
    const auto w = [&](qsizetype i) { return qreal(table.known(d[i])); };
    // The bases kept together that the line holds: no break falls inside one, but for one after
    // a blank, as the walk has it.
    using Spans = Aozora::Rubies::const_iterator;
    const Aozora::Rubies &bases = together();
    Spans first = bases.end();
    Spans last = bases.end();
    if (!bases.empty()) {
        first = std::partition_point(bases.begin(), bases.end(),
                                     [base](const auto &span) { return span.base.end() <= base; });
        last = std::partition_point(first, bases.end(),
                                    [end = base + end](const auto &span) { return span.base.start < end; });
    }
    // The base that holds position i of the line inside it (not at its start), or `last`.
    const auto baseAround = [&](qsizetype i) {
        const Spans span =
            std::partition_point(first, last, [at = base + i](const auto &s) { return s.base.end() <= at; });
        return span != last && span->base.start < base + i ? span : last;
    };
    qsizetype lineStart = start;
    // Breaks before this position were used or passed by the last wrap.
    qsizetype breaksFrom = start + 1;
    qreal x = 0;
    // Where the display line starts, measured from the start of the hard line: once the rest
    // is narrower than the room by the margin that covers rounding, it cannot break again.
    qreal origin = 0;
    for (qsizetype i = start; i < end;) {
        // No width is negative, so a block that ends inside the room holds no break.
        while (end - i >= 8) {
            const qreal block =
                ((w(i) + w(i + 1)) + (w(i + 2) + w(i + 3))) + ((w(i + 4) + w(i + 5)) + (w(i + 6) + w(i + 7)));
            if (x + block > available)
                break;
            x += block;
            i += 8;
        }
        const qsizetype stop = std::min(end, i + 8);
        for (; i < stop; ++i) {
            const char16_t c = d[i];
            const qreal cw = w(i);
            if (!(x + cw > available && i > lineStart && c != u' ')) {
                x += cw;
                continue;
            }
            // A break lies before a wide character, after one, or after a blank.
            qsizetype lastBreak = -1;
            for (qsizetype j = i; j >= breaksFrom; --j) {
                if (d[j - 1] == u' ' || ((breaksAround(d[j]) || breaksAround(d[j - 1])) && baseAround(j) == last)) {
                    lastBreak = j;
                    break;
                }
            }
            const qreal before = x;
            // A base too long for what is left goes to the next line whole.
            if (lastBreak <= lineStart && first != last) {
                if (const Spans cut = baseAround(i); cut != last && cut->base.start - base > lineStart)
                    lastBreak = cut->base.start - base;
            }
            if (lastBreak > lineStart) {
                qreal moved = 0;
                for (qsizetype j = lastBreak; j < i; ++j)
                    moved += w(j);
                lineStart = lastBreak;
                x = moved;
            } else {
                lineStart = i;
                x = 0;
            }
            out.push_back(base + lineStart);
            if (x + cw > available && i > lineStart) {
                lineStart = i;
                x = 0;
                out.push_back(base + lineStart);
            }
            breaksFrom = i + 1;
            // Everything before the break is behind: the rest runs from `before - x` on.
            origin += before - x;
            if (width - origin <= available - 0.5)
                return;
            x += cw;
        }
    }
}
