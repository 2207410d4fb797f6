// A text shown as a book: the marks drawn over the text and the room for readings.
#include "ui/widgets/TextView.h"

#include "core/Aozora.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {


// The first of the spans, sorted and apart, that ends after `position`.
template <typename T, typename SpanOf>
auto firstEndingAfter(const std::vector<T> &items, qsizetype position, SpanOf spanOf)
{
    return std::partition_point(items.begin(), items.end(),
                                [&](const T &item) { return spanOf(item).end() <= position; });
}

const Aozora::Span &rubySpan(const Aozora::Ruby &ruby) { return ruby.base; }
const Aozora::Span &emphasisSpan(const Aozora::Emphasised &mark) { return mark.span; }
const Aozora::Span &plainSpan(const Aozora::Span &span) { return span; }

} // namespace

QFont TextView::rubyFont() const
{
    QFont font = shownFont_;
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, font.pixelSize() / 2));
    else
        font.setPointSizeF(std::max(1.0, font.pointSizeF() / 2));
    return font;
}

void TextView::keepBasesTogether()
{
    std::vector<std::pair<qint64, qint64>> bases;
    if (const Aozora::Book *shown = book()) {
        bases.reserve(shown->ruby.size());
        for (const Aozora::Ruby &ruby : shown->ruby)
            bases.emplace_back(ruby.base.start, ruby.base.end());
    }
    layout_.setKeepTogether(std::move(bases));
}

int TextView::rubyRoom(qint64 line) const
{
    const Aozora::Book *shown = book();
    if (!shown || shown->ruby.empty())
        return 0;
    const qint64 start = starts()[size_t(line)];
    const auto ruby = firstEndingAfter(shown->ruby, start, rubySpan);
    if (ruby == shown->ruby.end() || ruby->base.start >= lineEnd(line))
        return 0;
    return QFontMetrics(rubyFont()).height();
}

QRectF TextView::readingBox(const Aozora::Ruby &ruby, qint64 line, qreal top, qreal left) const
{
    const qint64 start = starts()[size_t(line)];
    const qint64 end = lineEnd(line);
    const qreal x0 = xOf(line, std::max<qint64>(ruby.base.start, start));
    const qreal x1 = xOf(line, std::min<qint64>(ruby.base.end(), end));
    const QFontMetricsF metrics(rubyFont());
    const qreal width = metrics.horizontalAdvance(ruby.reading);
    // Centred over the base; a reading wider than its base overhangs both sides, but not the
    // start of the line.
    return QRectF(std::max(left, left + (x0 + x1 - width) / 2), top, width, metrics.height());
}

QRectF TextView::readingRect(qint64 position) const
{
    const Aozora::Book *shown = book();
    if (!shown)
        return {};
    const auto ruby = firstEndingAfter(shown->ruby, position, rubySpan);
    if (ruby == shown->ruby.end() || ruby->base.start > position)
        return {};
    const qint64 line = displayLineAt(position).first;
    return readingBox(*ruby, line, rowTop(line), kMargin - horizontalScrollBar()->value());
}

void TextView::drawBookMarks(QPainter &painter, qint64 line, qint64 start, qint64 end, qreal top, qreal left) const
{
    const Aozora::Book &shown = *book();
    const QColor ink = palette().color(QPalette::Text);
    const int room = rubyRoom(line);
    const qreal textTop = top + room;
    const int height = lineHeight();
    if (const Aozora::LineStyle *style = Aozora::lineAt(shown, start); style && style->pageBreak && start == end) {
        painter.setPen(QPen(palette().color(QPalette::Mid), 1));
        painter.drawLine(QPointF(left, textTop + height / 2.0), QPointF(viewport()->width(), textTop + height / 2.0));
    }
    if (room > 0) {
        const QFont font = rubyFont();
        const QFontMetricsF metrics(font);
        painter.setFont(font);
        painter.setPen(ink);
        for (auto ruby = firstEndingAfter(shown.ruby, start, rubySpan);
             ruby != shown.ruby.end() && ruby->base.start < end; ++ruby)
            painter.drawText(readingBox(*ruby, line, top, left).bottomLeft() - QPointF(0, metrics.descent()),
                             ruby->reading);
        painter.setFont(shownFont_);
    }
    for (auto mark = firstEndingAfter(shown.emphasis, start, emphasisSpan);
         mark != shown.emphasis.end() && mark->span.start < end; ++mark) {
        const qint64 from = std::max<qint64>(mark->span.start, start);
        const qint64 to = std::min<qint64>(mark->span.end(), end);
        if (mark->kind == Aozora::Emphasis::SideLine) {
            const qreal y = textTop + height - 1.5;
            painter.setPen(QPen(ink, 1));
            painter.drawLine(QPointF(left + xOf(line, from), y), QPointF(left + xOf(line, to), y));
            continue;
        }
        // A dot over each character, just above it.
        const qreal radius = std::max(1.0, height / 14.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        for (qint64 i = from; i < to; ++i) {
            const qreal cx = left + (xOf(line, i) + xOf(line, i + 1)) / 2;
            painter.drawEllipse(QPointF(cx, textTop + radius), radius, radius);
        }
        painter.setBrush(Qt::NoBrush);
    }
}

void TextView::drawShownRun(QPainter &painter, const Local &text, qint64 from, qint64 to, qreal &x, qreal baseline,
                            qreal left, qreal right) const
{
    const Aozora::Book *shown = book();
    if (!shown || shown->dimmed.empty()) {
        drawRun(painter, text, from, to, x, baseline, left, right);
        return;
    }
    const QPen pen = painter.pen();
    QColor dim = pen.color();
    dim.setAlphaF(0.45f);
    for (auto span = firstEndingAfter(shown->dimmed, from, plainSpan); from < to;) {
        if (span == shown->dimmed.end() || span->start >= to) {
            drawRun(painter, text, from, to, x, baseline, left, right);
            break;
        }
        const qint64 dimFrom = std::max<qint64>(span->start, from);
        const qint64 dimTo = std::min<qint64>(span->end(), to);
        drawRun(painter, text, from, dimFrom, x, baseline, left, right);
        painter.setPen(dim);
        drawRun(painter, text, dimFrom, dimTo, x, baseline, left, right);
        painter.setPen(pen);
        from = dimTo;
        ++span;
    }
}
