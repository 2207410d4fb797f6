#include "ui/widgets/TextView.h"

#include "core/Graphemes.h"
#include "ui/widgets/TextViewAccessible.h"

#include <QApplication>
#include <QClipboard>
#include <QGlyphRun>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {

// Emoji are drawn in colour from this face where the view's own faces have none.
const QString kEmojiFamily = QStringLiteral("Noto Color Emoji");

} // namespace

TextView::TextView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    // The paint fills the whole viewport, so nothing beneath it needs painting first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
    shownFont_ = fontWithEmoji();
    layout_.setWidths(CharWidths::of(shownFont_));
    // A model of its own until it is given one to share.
    bind(new DocumentModel(this));
    TextViewAccessible::watch(this);
}

void TextView::bind(DocumentModel *model)
{
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    connect(model_, &DocumentModel::replaced, this, &TextView::documentReplaced);
    connect(model_, &DocumentModel::restyled, this, &TextView::documentReplaced);
    connect(model_, &DocumentModel::appended, this, &TextView::textAppended);
    connect(model_, &DocumentModel::edited, this, &TextView::textEdited);
}

void TextView::setModel(DocumentModel *model)
{
    bind(model);
    documentReplaced();
}

std::shared_ptr<LayoutDraft> TextView::layoutDraft()
{
    const std::shared_ptr<CharWidths> widths = layout_.sharedWidths();
    widths->learn(TextStore::cp932Repertoire());
    std::shared_ptr<LayoutDraft> draft = std::make_shared<LayoutDraft>(widths, wrap_ ? wrapWidth() : -1);
    draftMade_ = draft;
    return draft;
}

void TextView::documentReplaced()
{
    // The draft this view made is taken only for the very text it measured.
    std::shared_ptr<LayoutDraft> draft = draftMade_.lock();
    if (draft && model_->measuredBy().get() != draft.get())
        draft.reset();
    const bool hadSelection = hasSelection();
    anchor_ = caret_ = 0;
    caretMoved_ = false;
    preferredX_ = -1;
    takeText(std::move(draft));
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    emit textChanged();
    emit cursorPositionChanged();
    if (hadSelection)
        emit selectionChanged();
}

void TextView::textAppended(qint64 from)
{
    // The caret, the selection and the scroll stay where the reader is; the lines already laid
    // out before the growth stay laid out.
    text_ = document().store();
    layout_.extend(from);
    if (isVisible()) {
        updateScrollBars();
        viewport()->update();
    }
    emit displayLinesChanged();
}

void TextView::textEdited(qint64 start, qint64 removed, qint64 added)
{
    // A place after the edit moves with the text; one inside it goes to its end.
    const auto follow = [&](qint64 at) {
        return at <= start ? at : at >= start + removed ? at - removed + added : start + added;
    };
    anchor_ = follow(anchor_);
    caret_ = follow(caret_);
    takeText();
    emit textChanged();
    emit cursorPositionChanged();
    emit selectionChanged();
}

void TextView::takeText(std::shared_ptr<LayoutDraft> draft)
{
    text_ = document().store();
    linesToCome_ = 0;
    keepBasesTogether();
    decodePictures();
    shapeLines();
    invalidateLayout(std::move(draft));
}

void TextView::setText(const QString &text)
{
    model_->setDocument(std::make_shared<Document>(text));
}

void TextView::setWrap(bool wrap)
{
    if (wrap_ == wrap)
        return;
    const qint64 top = topAsLaidOut();
    wrap_ = wrap;
    // Both layers of the layout stay: the hard lines serve either mode.
    if (isVisible()) {
        keepAtTop(top);
        viewport()->update();
    }
    if (!text_.isEmpty())
        emit displayLinesChanged();
}

void TextView::invalidateLayout(std::shared_ptr<LayoutDraft> draft)
{
    layout_.invalidate();
    layout_.adopt(std::move(draft));
    // A hidden view (the kept unprocessed text) never pays for a layout.
    if (isVisible()) {
        updateScrollBars();
        viewport()->update();
    }
}

int TextView::wrapWidth() const
{
    return std::max(1, viewport()->width() - 2 * kMargin);
}

qreal TextView::charWidth(char16_t c) const
{
    return layout_.widths().width(c);
}

qreal TextView::tabWidth(qreal x) const
{
    return layout_.tabWidth(x);
}

TextView::Local TextView::local(qint64 from, qint64 to) const
{
    Local local;
    local.widths = &layout_.widths();
    if (layout_.hasShapes()) {
        if (const TextLayout::LineShape *shape = layout_.shapeAt(from); shape && shape->widths)
            local.widths = shape->widths.get();
    }
    if (const QString *held = text_.held()) {
        local.view = *held;
        return local;
    }
    // Clusters never cross a line break, so the lines around the positions are enough; of a
    // line far longer than a screen, a stretch around them far longer than any cluster.
    constexpr qint64 kReach = 1 << 12;
    const qint64 last = text_.lineOf(to);
    local.base = std::max(text_.lineStart(text_.lineOf(from)), from - kReach);
    const qint64 end = std::min(last + 1 < text_.lineCount() ? text_.lineStart(last + 1) : text_.size(), to + kReach);
    local.buffer = text_.mid(local.base, end - local.base);
    local.view = local.buffer;
    return local;
}

qreal TextView::advance(const Local &text, qint64 from, qint64 to, qreal x) const
{
    return layout_.advance(text.view.sliced(from - text.base, to - from), x, *text.widths);
}

qint64 TextView::clusterEnd(ClusterCursor &clusters, const Local &text, qint64 from)
{
    return text.base + clusters.end(from - text.base);
}

qint64 TextView::snapDown(qint64 position) const
{
    const Local around = local(position, position);
    return around.base + Graphemes::snapDown(around.view, position - around.base);
}

QFont TextView::fontWithEmoji() const
{
    QFont shown = font();
    QStringList given = shown.families();
    if (given.isEmpty())
        given << shown.family();
    if (given.contains(kEmojiFamily))
        return shown;
    // Each face's substitutes right after it, as they would come without the list: a character
    // the text faces have is still taken from them, the emoji face only fills what they lack.
    QStringList families;
    for (const QString &family : given)
        families << family << QFont::substitutes(family);
    families << kEmojiFamily;
    shown.setFamilies(families);
    return shown;
}

void TextView::ensureIndex() const
{
    starts();
}

qint64 TextView::lineCount() const
{
    return qint64(starts().size());
}

qint64 TextView::lineEnd(qint64 line) const
{
    const qint64 next = line + 1 < qint64(starts().size()) ? starts()[size_t(line + 1)] : text_.size();
    // A display line ends before the line break that closes it.
    const bool closedByBreak = next > starts()[size_t(line)] && text_.at(next - 1) == QLatin1Char('\n');
    return closedByBreak ? next - 1 : next;
}

qint64 TextView::displayedLineCount() const
{
    if (text_.isEmpty())
        return 0;
    const qint64 lines = lineCount();
    return text_.at(text_.size() - 1) == QLatin1Char('\n') ? lines - 1 : lines;
}

std::pair<qint64, qint64> TextView::displayLineAt(qint64 position) const
{
    ensureIndex();
    const LineStarts lines = starts();
    const qint64 line = lines.lineAt(position);
    return {line, lines[size_t(line)]};
}

int TextView::lineHeight() const
{
    return std::max(1, QFontMetrics(font()).lineSpacing());
}

int TextView::visibleLines() const
{
    if (!tallRows_)
        return std::max(1, (viewport()->height() - kMargin) / lineHeight());
    // Lines with readings, headings and pictures are taller: those that fit below the top line.
    int rows = 0;
    qreal used = kMargin;
    const qint64 count = lineCount();
    for (qint64 line = verticalScrollBar()->value(); line < count; ++line, ++rows) {
        used += rowHeight(line);
        if (used > viewport()->height())
            break;
    }
    return std::max(1, rows);
}

qreal TextView::rowTop(qint64 line) const
{
    const qint64 top = verticalScrollBar()->value();
    if (!tallRows_ || line < top)
        return kMargin / 2 + qreal(line - top) * lineHeight();
    qreal y = kMargin / 2;
    for (qint64 l = top; l < line; ++l) {
        // Far below the view only the order matters.
        if (y > 4 * viewport()->height())
            return y + qreal(line - l) * lineHeight();
        y += rowHeight(l);
    }
    return y;
}

void TextView::setLinesToCome(qint64 lines)
{
    if (lines == linesToCome_)
        return;
    linesToCome_ = lines;
    updateScrollBars();
}

void TextView::updateScrollBars()
{
    ensureIndex();
    const int page = visibleLines();
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, int(std::min<qint64>(INT_MAX, std::max<qint64>(0, lineCount() + linesToCome_ - page))));
    v->setPageStep(page);
    QScrollBar *h = horizontalScrollBar();
    if (wrap_) {
        h->setRange(0, 0);
    } else {
        // A long line in a large font is wider than an int holds.
        const qreal overhang = std::ceil(layout_.maxLineWidth()) + 2 * kMargin - viewport()->width();
        h->setRange(0, int(std::clamp<qreal>(overhang, 0, INT_MAX)));
        h->setPageStep(viewport()->width());
    }
}

void TextView::drawRun(QPainter &painter, const Local &text, qint64 from, qint64 to, qreal &x, qreal baseline,
                       qreal left, qreal right) const
{
    qint64 segment = -1;
    qreal segmentX = 0;
    auto flush = [&](qint64 end) {
        if (segment >= 0 && end > segment)
            drawSegment(painter, text, segment, end, left + segmentX, baseline);
        segment = -1;
    };
    ClusterCursor clusters(text.view);
    for (qint64 i = from; i < to;) {
        const char16_t c = text.at(i).unicode();
        const qint64 next = clusterEnd(clusters, text, i);
        const qreal w = advance(text, i, next, x);
        if (left + x + w < 0 || c == u'\t') { // left of the view, or a tab: nothing to draw
            flush(i);
            x += w;
            i = next;
            continue;
        }
        if (left + x > right) {
            flush(i);
            x += w;
            return;
        }
        if (segment < 0) {
            segment = i;
            segmentX = x;
        }
        x += w;
        i = next;
    }
    flush(to);
}

void TextView::drawSegment(QPainter &painter, const Local &text, qint64 from, qint64 to, qreal x, qreal baseline) const
{
    // The face's own glyphs go straight to the painter at the positions the layout gives them:
    // shaping the text again would only measure what the width table already knows, and asks
    // the font for every glyph's outline to do it. A segment with anything else in it (a
    // character of a fallback face, a mark, a control code, a unit of a cluster) is drawn as
    // text, so that the font shapes each cluster whole (a ZWJ sequence into one picture).
    CharWidths &widths = *text.widths;
    QVarLengthArray<quint32, 256> glyphs;
    QVarLengthArray<QPointF, 256> positions;
    qreal at = x;
    for (qint64 i = from; i < to; ++i) {
        const char16_t c = text.at(i).unicode();
        const qreal w = widths.width(c);
        const quint32 glyph = widths.glyph(c);
        if (glyph == 0 || Graphemes::mayJoin(c)) {
            painter.drawText(QPointF(x, baseline), text.view.sliced(from - text.base, to - from).toString());
            return;
        }
        glyphs.append(glyph);
        positions.append(QPointF(at, baseline));
        at += w;
    }
    QGlyphRun run;
    run.setRawFont(widths.rawFont());
    run.setRawData(glyphs.constData(), positions.constData(), int(glyphs.size()));
    painter.drawGlyphRun(QPointF(0, 0), run);
}

void TextView::paintEvent(QPaintEvent *)
{
    ensureIndex();
    QPainter painter(viewport());
    const QPalette pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    painter.setFont(shownFont_);
    const QFontMetricsF metrics(font());
    const qreal left = kMargin - horizontalScrollBar()->value();
    const qreal right = viewport()->width();
    const qint64 selStart = selectionStart();
    const qint64 selEnd = selectionEnd();
    const qint64 count = lineCount();
    qint64 line = verticalScrollBar()->value();
    for (qreal rowY = kMargin / 2; line < count && rowY < viewport()->height(); ++line) {
        const qint64 start = starts()[size_t(line)];
        const qint64 end = lineEnd(line);
        const int picture = pictureRoom(line);
        const int room = rubyRoom(line);
        const qreal top = rowY + picture + room;
        const int height = textHeight(line);
        const QFont rowFont = tallRows_ ? this->rowFont(line) : shownFont_;
        const qreal baseline = top + (height == lineHeight() ? metrics.ascent() : QFontMetricsF(rowFont).ascent());
        const Local text = local(start, end);
        if (picture > 0) {
            const QImage &image = *pictureOn(line);
            const QSizeF size = pictureSize(image);
            const QRectF box(QPointF(left + std::max<qreal>(0, (wrapWidth() - size.width()) / 2), rowY), size);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(box, image);
        }
        rowY = top + height;
        const qreal lineLeft = left + rowOffset(line);
        // Skip quickly to the visible part of a long unwrapped line.
        qint64 from = start;
        qreal x = 0;
        if (!wrap_) {
            ClusterCursor clusters(text.view);
            while (from < end) {
                const qint64 next = clusterEnd(clusters, text, from);
                const qreal w = advance(text, from, next, x);
                if (lineLeft + x + w >= 0)
                    break;
                x += w;
                from = next;
            }
        }
        const qint64 s0 = std::clamp(selStart, from, end);
        const qint64 s1 = std::clamp(selEnd, from, end);
        if (room > 0 || book()) {
            painter.setFont(rowFont);
            drawBookMarks(painter, line, start, end, top - room, left);
        }
        painter.setPen(pal.color(QPalette::Text));
        drawShownRun(painter, text, from, s0, x, baseline, lineLeft, right);
        if (s1 > s0 || (selStart <= end && selEnd > end && end < text_.size())) {
            qreal selX = x;
            qreal measure = x;
            ClusterCursor clusters(text.view);
            for (qint64 i = s0; i < s1;) {
                const qint64 next = clusterEnd(clusters, text, i);
                measure += advance(text, i, next, measure);
                i = next;
            }
            // A selected line break shows as a little space at the end of its line.
            const qreal extra = selEnd > end && end < qint64(text_.size()) && s1 == end ? charWidth(u' ') : 0;
            painter.fillRect(QRectF(lineLeft + selX, top, measure - selX + extra, height), pal.color(QPalette::Highlight));
            painter.setPen(pal.color(QPalette::HighlightedText));
            drawRun(painter, text, s0, s1, x, baseline, lineLeft, right);
            painter.setPen(pal.color(QPalette::Text));
        }
        drawShownRun(painter, text, s1, end, x, baseline, lineLeft, right);
    }
    if (hasFocus()) {
        const auto [caretLine, lineStart] = displayLineAt(caret_);
        const qint64 row = caretLine - verticalScrollBar()->value();
        const qreal top = row >= 0 ? rowTop(caretLine) + roomAbove(caretLine) : 0;
        if (row >= 0 && top < viewport()->height()) {
            const qreal cx = left + xOf(caretLine, caret_);
            painter.fillRect(QRectF(cx, top, 1, textHeight(caretLine)), pal.color(QPalette::Text));
        }
    }
}

// The x of the cluster that holds position, from the start of its display line's text.
qreal TextView::contentX(qint64 line, qint64 position) const
{
    qreal x = 0;
    const qint64 start = starts()[size_t(line)];
    const Local text = local(start, std::clamp(position, start, text_.size()));
    ClusterCursor clusters(text.view);
    for (qint64 i = start; i < position && i < text_.size();) {
        const qint64 next = clusterEnd(clusters, text, i);
        if (next > position)
            break;
        x += advance(text, i, next, x);
        i = next;
    }
    return x;
}

qint64 TextView::positionInLine(qint64 line, qreal x) const
{
    x -= rowOffset(line);
    const qint64 end = lineEnd(line);
    qreal at = 0;
    const qint64 start = starts()[size_t(line)];
    const Local text = local(start, end);
    ClusterCursor clusters(text.view);
    for (qint64 i = start; i < end;) {
        const qint64 next = clusterEnd(clusters, text, i);
        const qreal w = advance(text, i, next, at);
        if (x < at + w / 2)
            return i;
        at += w;
        i = next;
    }
    return end;
}

qint64 TextView::positionAt(const QPoint &point) const
{
    ensureIndex();
    qint64 line;
    if (!tallRows_) {
        const qint64 row = std::max(0, point.y() - kMargin / 2) / lineHeight();
        line = std::clamp<qint64>(verticalScrollBar()->value() + row, 0, lineCount() - 1);
    } else {
        line = std::clamp<qint64>(verticalScrollBar()->value(), 0, lineCount() - 1);
        for (qreal bottom = kMargin / 2 + rowHeight(line); point.y() >= bottom && line + 1 < lineCount();)
            bottom += rowHeight(++line);
    }
    return positionInLine(line, point.x() - kMargin + horizontalScrollBar()->value());
}

qint64 TextView::topAsLaidOut() const
{
    if (text_.isEmpty() || !layout_.built() || (wrap_ && layout_.wrappedRoom() <= 0))
        return -1;
    const LineStarts lines = layout_.lineStarts(wrap_, layout_.wrappedRoom());
    return lines[size_t(std::clamp<qint64>(verticalScrollBar()->value(), 0, qint64(lines.size()) - 1))];
}

void TextView::keepAtTop(qint64 top)
{
    updateScrollBars();
    if (top >= 0)
        verticalScrollBar()->setValue(int(std::min<qint64>(INT_MAX, displayLineAt(std::min(top, text_.size())).first)));
}

void TextView::resizeEvent(QResizeEvent *event)
{
    // The line at the top stays there, however the lines wrap at the new width.
    const qint64 top = wrap_ ? topAsLaidOut() : -1;
    QAbstractScrollArea::resizeEvent(event);
    const int room = wrapWidth();
    // A text still being read is wrapped at the room it will be shown at, from here on.
    if (const std::shared_ptr<LayoutDraft> draft = draftMade_.lock())
        draft->setRoom(wrap_ ? room : -1);
    keepAtTop(room != layout_.wrappedRoom() ? top : -1);
    if (wrap_ && room != shownRoom_ && !text_.isEmpty())
        emit displayLinesChanged();
    shownRoom_ = room;
}

void TextView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        const qint64 top = topAsLaidOut();
        shownFont_ = fontWithEmoji();
        layout_.setWidths(CharWidths::of(shownFont_));
        shapeLines();
        keepAtTop(top);
        viewport()->update();
        if (!text_.isEmpty())
            emit displayLinesChanged();
    }
    QAbstractScrollArea::changeEvent(event);
}

void TextView::pageDown()
{
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
}

void TextView::pageUp()
{
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
}

void TextView::scrollToCaret()
{
    ensureIndex();
    updateScrollBars();
    const qint64 line = displayLineAt(caret_).first;
    QScrollBar *v = verticalScrollBar();
    if (line < v->value())
        v->setValue(int(line));
    else if (line >= v->value() + visibleLines())
        v->setValue(int(line - visibleLines() + 1));
    if (!wrap_) {
        QScrollBar *h = horizontalScrollBar();
        const qreal x = xOf(line, caret_);
        const int room = viewport()->width() - 2 * kMargin;
        const auto toScrollBar = [h](qreal value) { return int(std::clamp<qreal>(value, 0, h->maximum())); };
        if (x < h->value())
            h->setValue(toScrollBar(x));
        else if (x > qreal(h->value()) + room)
            h->setValue(toScrollBar(x - room + charWidth(u'x')));
    }
    viewport()->update();
}

void TextView::moveCaretToStart()
{
    moveCaret(0, false);
    caretMoved_ = false;
}

qint64 TextView::topPosition() const
{
    ensureIndex();
    const LineStarts lines = starts();
    if (lines.size() == 0)
        return 0;
    return lines[size_t(std::clamp<qint64>(verticalScrollBar()->value(), 0, qint64(lines.size()) - 1))];
}

void TextView::showPlace(qint64 top, qint64 caret, bool caretMoved)
{
    anchor_ = caret_ = snapDown(std::clamp<qint64>(caret, 0, text_.size()));
    caretMoved_ = caretMoved;
    preferredX_ = -1;
    updateScrollBars();
    verticalScrollBar()->setValue(int(std::min<qint64>(INT_MAX, displayLineAt(std::clamp<qint64>(top, 0, text_.size())).first)));
    viewport()->update();
    emit cursorPositionChanged();
}

void TextView::moveCaret(qint64 position, bool keepAnchor)
{
    const bool hadSelection = hasSelection();
    const qint64 oldCaret = caret_;
    caret_ = snapDown(std::clamp<qint64>(position, 0, text_.size()));
    caretMoved_ = true;
    if (!keepAnchor)
        anchor_ = caret_;
    scrollToCaret();
    if (oldCaret != caret_ || hadSelection != hasSelection())
        emit cursorPositionChanged();
    if (hadSelection || hasSelection())
        emit selectionChanged();
}

void TextView::selectRange(qint64 start, qint64 length)
{
    // A range never splits a cluster: its ends move out to the clusters' edges.
    const qint64 from = std::clamp<qint64>(start, 0, text_.size());
    const qint64 to = std::clamp<qint64>(start + length, 0, text_.size());
    const auto outward = [this](qint64 position, bool up) {
        const Local around = local(position, position);
        const qint64 at = position - around.base;
        return around.base + (up ? Graphemes::snapUp(around.view, at) : Graphemes::snapDown(around.view, at));
    };
    anchor_ = outward(from, to < from);
    const qint64 caret = outward(to, to > from);
    moveCaret(caret, true);
}

void TextView::selectAll()
{
    anchor_ = 0;
    moveCaret(text_.size(), true);
}

QString TextView::selectedText() const
{
    return text_.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TextView::copy() const
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

qint64 TextView::find(const QString &word, qint64 from, bool matchCase) const
{
    if (word.isEmpty())
        return -1;
    return text_.indexOf(word, from, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

qint64 TextView::findBackward(const QString &word, qint64 before, bool matchCase) const
{
    if (word.isEmpty() || before <= 0)
        return -1;
    // Past the end the search would find nothing rather than start from the end.
    return text_.lastIndexOf(word, std::min<qint64>(before, text_.size()) - 1, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TextView::setColors(const QColor &text, const QColor &background)
{
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Base, background);
    }
    setPalette(p);
    viewport()->update();
}

qint64 TextView::previousPosition(qint64 position) const
{
    const Local around = local(std::max<qint64>(0, position - 1), position);
    return around.base + Graphemes::previous(around.view, position - around.base);
}

qint64 TextView::nextPosition(qint64 position) const
{
    const Local around = local(position, std::min(text_.size(), position + 1));
    return around.base + Graphemes::next(around.view, position - around.base);
}

void TextView::replaceSelection(const QString &with)
{
    const qint64 start = selectionStart();
    model_->edit(start, selectionEnd() - start, with);
    anchor_ = caret_ = start + with.size();
    scrollToCaret();
    emit cursorPositionChanged();
}

void TextView::keyPressEvent(QKeyEvent *event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    ensureIndex();
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && !control && !shift
        && onExplanation(caret_)) {
        emit explanationClicked();
        return;
    }
    const qint64 line = displayLineAt(caret_).first;
    const auto vertical = [&](qint64 target) {
        if (preferredX_ < 0)
            preferredX_ = xOf(line, caret_);
        const qreal keep = preferredX_;
        moveCaret(positionInLine(std::clamp<qint64>(target, 0, lineCount() - 1), keep), shift);
        preferredX_ = keep;
    };
    switch (event->key()) {
    case Qt::Key_Left:
        if (hasSelection() && !shift)
            moveCaret(selectionStart(), false);
        else
            moveCaret(previousPosition(caret_), shift);
        break;
    case Qt::Key_Right:
        if (hasSelection() && !shift)
            moveCaret(selectionEnd(), false);
        else
            moveCaret(nextPosition(caret_), shift);
        break;
    case Qt::Key_Up:
        vertical(line - 1);
        return;
    case Qt::Key_Down:
        vertical(line + 1);
        return;
    case Qt::Key_PageUp:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        vertical(line - visibleLines());
        return;
    case Qt::Key_PageDown:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        vertical(line + visibleLines());
        return;
    case Qt::Key_Home:
        moveCaret(control ? 0 : starts()[size_t(line)], shift);
        break;
    case Qt::Key_End:
        moveCaret(control ? text_.size() : lineEnd(line), shift);
        break;
    case Qt::Key_Backspace:
        if (readOnly_)
            return event->ignore();
        if (!hasSelection())
            anchor_ = previousPosition(caret_);
        replaceSelection(QString());
        break;
    case Qt::Key_Delete:
        if (readOnly_)
            return event->ignore();
        if (!hasSelection())
            anchor_ = nextPosition(caret_);
        replaceSelection(QString());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (readOnly_)
            return event->ignore();
        replaceSelection(QStringLiteral("\n"));
        break;
    default:
        if (!readOnly_ && !control && !event->text().isEmpty() && event->text()[0].isPrint()) {
            replaceSelection(event->text());
            break;
        }
        return event->ignore();
    }
    preferredX_ = -1;
}

void TextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    preferredX_ = -1;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    moveCaret(positionAt(event->position().toPoint()), shift);
    // Opened or folded on the release, so that a selection begun on it does neither.
    explanationPress_.reset();
    if (!shift && onExplanation(caret_))
        explanationPress_ = event->position().toPoint();
}

void TextView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (explanationPress_
        && (event->position().toPoint() - *explanationPress_).manhattanLength() >= QApplication::startDragDistance())
        explanationPress_.reset();
    preferredX_ = -1;
    moveCaret(positionAt(event->position().toPoint()), true);
}

void TextView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    if (std::exchange(explanationPress_, std::nullopt))
        emit explanationClicked();
}

void TextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const qint64 at = positionAt(event->position().toPoint());
    const auto sameKind = [this](qint64 i) { return i >= 0 && i < text_.size() && text_.at(i).isLetterOrNumber(); };
    if (!sameKind(at))
        return;
    qint64 start = at;
    qint64 end = at;
    while (sameKind(start - 1))
        --start;
    while (sameKind(end))
        ++end;
    selectRange(start, end - start);
}

void TextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

std::pair<qint64, qint64> TextView::displayLineSpan(qint64 position) const
{
    const auto [line, start] = displayLineAt(position);
    const qint64 next = line + 1 < qint64(starts().size()) ? starts()[size_t(line + 1)] : text_.size();
    return {start, next};
}

QRect TextView::characterRect(qint64 position) const
{
    position = std::clamp<qint64>(position, 0, text_.size());
    const qint64 line = displayLineAt(position).first;
    const qreal x = xOf(line, position);
    const bool visibleChar = position < text_.size() && text_.at(position) != QLatin1Char('\n');
    qreal width = 0;
    if (visibleChar) {
        const Local around = local(position, position);
        const qint64 from = around.base + Graphemes::snapDown(around.view, position - around.base);
        width = advance(around, from, around.base + Graphemes::next(around.view, from - around.base), x);
    }
    // Far-away lines are placed far away, within what a rectangle can hold.
    const qreal top = std::clamp(rowTop(line) + roomAbove(line), -1e9, 1e9);
    return QRectF(kMargin - horizontalScrollBar()->value() + x, top, width, textHeight(line)).toAlignedRect();
}
