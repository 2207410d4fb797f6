// A text shown as a book: the marks drawn over the text and the room for readings.
#include "ui/widgets/TextView.h"

#include "core/Aozora.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {


// The first of the spans, sorted and apart, that ends after `position`.
template <typename Items, typename SpanOf>
auto firstEndingAfter(const Items &items, qsizetype position, SpanOf spanOf)
{
    return std::partition_point(items.begin(), items.end(),
                                [&](const auto &item) { return spanOf(item).end() <= position; });
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
    // Read where the book holds them, the book kept while the layout reads them.
    const std::shared_ptr<const Aozora::Book> shown = document().sharedBook();
    layout_.setKeepTogether(shown ? std::shared_ptr<const Aozora::Rubies>(shown, &shown->ruby) : nullptr);
}

void TextView::shapeLines()
{
    // Headings stand out by size and weight; the largest by half again. A text that is no
    // book asks the fonts for nothing.
    static constexpr std::array<qreal, 4> kHeadingScale{1, 1.5, 1.3, 1.15};
    // Only the kinds of heading the book has are asked their height: each is a font to load.
    std::array<bool, 4> present{};
    if (const Aozora::Book *shown = book())
        for (const Aozora::LineStyle &style : shown->lines)
            present[size_t(style.heading)] = true;
    for (size_t kind = 0; book() && kind < headingFonts_.size(); ++kind) {
        QFont font = shownFont_;
        if (kind > 0) {
            if (font.pixelSize() > 0)
                font.setPixelSize(std::max(1, qRound(font.pixelSize() * kHeadingScale[kind])));
            else
                font.setPointSizeF(font.pointSizeF() * kHeadingScale[kind]);
            font.setBold(true);
        }
        headingFonts_[kind] = font;
        headingHeights_[kind] = kind > 0 && present[kind] ? std::max(1, QFontMetrics(font).lineSpacing()) : lineHeight();
    }
    if (book())
        rubyHeight_ = QFontMetrics(rubyFont()).height();
    std::vector<TextLayout::LineShape> shapes;
    bool headings = false;
    if (const Aozora::Book *shown = book()) {
        // Indents count in full-width characters of the view's font.
        const qreal fullWidth = layout_.widths().width(u'\u3000');
        std::array<std::shared_ptr<CharWidths>, 4> widths;
        for (size_t line = 0; line < shown->lines.size(); ++line) {
            const Aozora::LineStyle &style = shown->lines[line];
            if (style.indent == 0 && style.align == Aozora::Align::Start && style.heading == Aozora::Heading::None)
                continue;
            TextLayout::LineShape shape;
            shape.line = line;
            shape.alignEnd = style.align == Aozora::Align::End;
            shape.inset = (shape.alignEnd ? style.raise : style.indent) * fullWidth;
            if (style.heading != Aozora::Heading::None) {
                const size_t kind = size_t(style.heading);
                if (!widths[kind])
                    widths[kind] = CharWidths::of(headingFonts_[kind]);
                shape.widths = widths[kind];
                headings = true;
            }
            shapes.push_back(std::move(shape));
        }
    }
    layout_.setLineShapes(std::move(shapes));
    const Aozora::Book *shown = book();
    tallRows_ = shown && (!shown->ruby.empty() || headings
                          || std::any_of(pictures_.begin(), pictures_.end(), [](const QImage &p) { return !p.isNull(); }));
}

void TextView::decodePictures()
{
    pictures_.clear();
    if (const Aozora::Book *shown = book()) {
        for (const Aozora::Picture &picture : shown->pictures) {
            const QByteArray bytes = document().pictureFile(picture.file);
            // A broken file decodes to nothing and leaves the caption.
            pictures_.push_back(bytes.isEmpty() ? QImage() : QImage::fromData(bytes));
        }
    }
}

Aozora::Heading TextView::rowHeading(qint64 line) const
{
    if (!tallRows_ || !layout_.hasShapes())
        return Aozora::Heading::None;
    const Aozora::LineStyle *style = Aozora::lineAt(*book(), starts()[size_t(line)]);
    return style ? style->heading : Aozora::Heading::None;
}

QFont TextView::rowFont(qint64 line) const
{
    const Aozora::Heading heading = rowHeading(line);
    return heading == Aozora::Heading::None ? shownFont_ : headingFonts_[size_t(heading)];
}

int TextView::textHeight(qint64 line) const
{
    const Aozora::Heading heading = rowHeading(line);
    return heading == Aozora::Heading::None ? lineHeight() : headingHeights_[size_t(heading)];
}

const QImage *TextView::pictureOn(qint64 line) const
{
    const Aozora::Book *shown = book();
    if (!tallRows_ || pictures_.empty())
        return nullptr;
    // Above the first display line of the line that stands for it.
    const qint64 start = starts()[size_t(line)];
    const Aozora::LineStyle *style = Aozora::lineAt(*shown, start);
    if (!style || style->start != start)
        return nullptr;
    const int index = int(style - shown->lines.data());
    const auto picture = std::partition_point(shown->pictures.begin(), shown->pictures.end(),
                                              [index](const Aozora::Picture &p) { return p.line < index; });
    if (picture == shown->pictures.end() || picture->line != index)
        return nullptr;
    const QImage &image = pictures_[size_t(picture - shown->pictures.begin())];
    return image.isNull() ? nullptr : &image;
}

QSizeF TextView::pictureSize(const QImage &picture) const
{
    // Down to the view's width, never up: a picture is shown as it was made.
    const QSizeF size = picture.deviceIndependentSize();
    const qreal scale = std::min<qreal>(1, wrapWidth() / std::max<qreal>(1, size.width()));
    return size * scale;
}

int TextView::pictureRoom(qint64 line) const
{
    const QImage *picture = pictureOn(line);
    return picture ? int(std::ceil(pictureSize(*picture).height())) + lineHeight() / 2 : 0;
}

QRectF TextView::pictureRect(qint64 position) const
{
    const qint64 line = displayLineAt(position).first;
    const QImage *picture = pictureOn(line);
    if (!picture)
        return {};
    const QSizeF size = pictureSize(*picture);
    const qreal left = kMargin - horizontalScrollBar()->value();
    return QRectF(QPointF(left + std::max<qreal>(0, (wrapWidth() - size.width()) / 2), rowTop(line)), size);
}

qreal TextView::rowOffset(qint64 line) const
{
    if (!layout_.hasShapes())
        return 0;
    const TextLayout::LineShape *shape = layout_.shapeAt(starts()[size_t(line)]);
    if (!shape)
        return 0;
    if (!shape->alignEnd)
        return shape->inset;
    const qreal room = wrap_ ? wrapWidth() : layout_.maxLineWidth();
    return std::max<qreal>(0, room - shape->inset - contentX(line, lineEnd(line)));
}

bool TextView::onExplanation(qint64 position) const
{
    const Aozora::Book *shown = book();
    if (!shown || shown->explanationLine < 0)
        return false;
    const Aozora::LineStyle *style = Aozora::lineAt(*shown, position);
    const int index = style ? int(style - shown->lines.data()) : -1;
    return index >= shown->explanationLine && index < shown->explanationLine + shown->explanationLines;
}

int TextView::rubyRoom(qint64 line) const
{
    const Aozora::Book *shown = book();
    if (!shown || (shown->ruby.empty() && shown->emphasis.empty()))
        return 0;
    const qint64 start = starts()[size_t(line)];
    const qint64 end = lineEnd(line);
    const auto ruby = firstEndingAfter(shown->ruby, start, rubySpan);
    if (ruby != shown->ruby.end() && ruby->base.start < end)
        return rubyHeight_;
    // Marks beside the characters take the row readings would.
    for (auto mark = firstEndingAfter(shown->emphasis, start, emphasisSpan);
         mark != shown->emphasis.end() && mark->span.start < end; ++mark) {
        if (!Aozora::isLine(mark->kind))
            return rubyHeight_;
    }
    return 0;
}

QRectF TextView::readingBox(const Aozora::Ruby &ruby, qint64 line, qreal top, qreal left) const
{
    const qint64 start = starts()[size_t(line)];
    const qint64 end = lineEnd(line);
    const qreal x0 = xOf(line, std::max<qint64>(ruby.base.start, start));
    const qreal x1 = xOf(line, std::min<qint64>(ruby.base.end(), end));
    const QFontMetricsF metrics(rubyFont());
    const qreal width = metrics.horizontalAdvance(book()->reading(ruby).toString());
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
    return readingBox(*ruby, line, rowTop(line) + pictureRoom(line), kMargin - horizontalScrollBar()->value());
}

void TextView::drawBookMarks(QPainter &painter, qint64 line, qint64 start, qint64 end, qreal top, qreal left) const
{
    const Aozora::Book &shown = *book();
    const QColor ink = palette().color(QPalette::Text);
    const int room = rubyRoom(line);
    const qreal textTop = top + room;
    const int height = textHeight(line);
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
                             shown.reading(*ruby).toString());
        painter.setFont(rowFont(line));
    }
    for (auto mark = firstEndingAfter(shown.emphasis, start, emphasisSpan);
         mark != shown.emphasis.end() && mark->span.start < end; ++mark) {
        const qint64 from = std::max<qint64>(mark->span.start, start);
        const qint64 to = std::min<qint64>(mark->span.end(), end);
        if (Aozora::isLine(mark->kind)) {
            drawSideLine(painter, mark->kind, left + xOf(line, from), left + xOf(line, to), textTop + height - 1.5,
                         std::max(2.0, height / 8.0));
            continue;
        }
        // A mark over each character (not over blanks), in the row above it.
        const qreal size = std::max(3.0, std::min<qreal>(room > 0 ? room * 0.7 : height / 4.0, height / 3.0));
        const qreal cy = room > 0 ? top + room - size / 2 - 1 : textTop + size / 2;
        for (qint64 i = from; i < to; ++i) {
            if (text_.at(i).isSpace())
                continue;
            drawEmphasisMark(painter, mark->kind, QPointF(left + (xOf(line, i) + xOf(line, i + 1)) / 2, cy), size);
        }
    }
    painter.setPen(ink);
    painter.setBrush(Qt::NoBrush);
}

void TextView::drawEmphasisMark(QPainter &painter, Aozora::Emphasis kind, QPointF centre, qreal size) const
{
    using Aozora::Emphasis;
    const QColor ink = palette().color(QPalette::Text);
    const qreal r = size / 2;
    const bool white = kind == Emphasis::WhiteSesame || kind == Emphasis::WhiteCircle || kind == Emphasis::WhiteTriangle
                       || kind == Emphasis::DoubleCircle || kind == Emphasis::Bullseye || kind == Emphasis::Cross;
    painter.setPen(white ? QPen(ink, std::max(1.0, size / 8)) : Qt::NoPen);
    painter.setBrush(white ? QBrush(Qt::NoBrush) : QBrush(ink));
    switch (kind) {
    case Emphasis::Dots:
    case Emphasis::WhiteSesame: {
        // A sesame seed: a drop leaning to the upper right.
        painter.save();
        painter.translate(centre);
        painter.rotate(-35);
        painter.drawEllipse(QPointF(0, 0), r * 0.45, r * 0.8);
        painter.restore();
        break;
    }
    case Emphasis::Circle:
    case Emphasis::WhiteCircle:
        painter.drawEllipse(centre, r * 0.6, r * 0.6);
        break;
    case Emphasis::DoubleCircle:
        painter.drawEllipse(centre, r * 0.8, r * 0.8);
        painter.drawEllipse(centre, r * 0.4, r * 0.4);
        break;
    case Emphasis::Bullseye:
        painter.drawEllipse(centre, r * 0.8, r * 0.8);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawEllipse(centre, r * 0.35, r * 0.35);
        break;
    case Emphasis::Triangle:
    case Emphasis::WhiteTriangle: {
        const QPointF corners[] = {centre + QPointF(0, -r * 0.75), centre + QPointF(r * 0.75, r * 0.6),
                                   centre + QPointF(-r * 0.75, r * 0.6)};
        painter.drawPolygon(corners, 3);
        break;
    }
    case Emphasis::Cross:
        painter.drawLine(centre + QPointF(-r * 0.6, -r * 0.6), centre + QPointF(r * 0.6, r * 0.6));
        painter.drawLine(centre + QPointF(-r * 0.6, r * 0.6), centre + QPointF(r * 0.6, -r * 0.6));
        break;
    default:
        break;
    }
}

void TextView::drawSideLine(QPainter &painter, Aozora::Emphasis kind, qreal x0, qreal x1, qreal y, qreal wave) const
{
    using Aozora::Emphasis;
    QPen pen(palette().color(QPalette::Text), 1);
    pen.setStyle(kind == Emphasis::ChainLine ? Qt::DashDotLine : kind == Emphasis::DashedLine ? Qt::DashLine : Qt::SolidLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (kind == Emphasis::WavyLine) {
        QPainterPath path(QPointF(x0, y));
        for (qreal x = x0, up = -1; x < x1; x += wave, up = -up)
            path.quadTo(QPointF(x + wave / 2, y + up * wave / 2), QPointF(std::min(x + wave, x1), y));
        painter.drawPath(path);
        return;
    }
    painter.drawLine(QPointF(x0, y), QPointF(x1, y));
    if (kind == Emphasis::DoubleLine)
        painter.drawLine(QPointF(x0, y - 2.5), QPointF(x1, y - 2.5));
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
