#include "ui/widgets/TextViewAccessible.h"

#include "ui/widgets/TextView.h"

#include <QAccessible>

#include <algorithm>
#include <memory>

namespace {

// Character, word and sentence boundaries are looked for this far around an offset, so that a
// query over a large file costs no more than one over a short one.
constexpr int kStretch = 4096;

// A stretch of the text, through which Qt's own boundary rules run.
class Stretch : public QAccessibleTextInterface {
public:
    explicit Stretch(QString text) : text_(std::move(text)) {}
    QString text(int startOffset, int endOffset) const override { return text_.mid(startOffset, endOffset - startOffset); }
    int characterCount() const override { return int(text_.size()); }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return {};
    }

private:
    QString text_;
};

// What a change reports of the text: all of a text held whole, which costs nothing to hand
// over, and the start of one read from its file, which is never read whole to be announced.
QString reportable(const TextStore &text)
{
    if (const QString *held = text.held())
        return *held;
    return text.mid(0, kStretch);
}

QAccessibleInterface *textViewFactory(const QString &className, QObject *object)
{
    auto *view = qobject_cast<TextView *>(object);
    if (view && className == QLatin1String("TextView"))
        return new TextViewAccessible(view);
    return nullptr;
}

} // namespace

TextViewAccessible::TextViewAccessible(TextView *view) : QAccessibleWidget(view, QAccessible::EditableText)
{
}

void TextViewAccessible::watch(TextView *view)
{
    static const bool installed = [] {
        QAccessible::installFactory(textViewFactory);
        return true;
    }();
    Q_UNUSED(installed);

    // The text last reported, so that a change can say what it replaced; kept only while
    // assistive technology listens.
    auto reported = std::make_shared<QString>();
    QObject::connect(view, &TextView::textChanged, view, [view, reported] {
        if (!QAccessible::isActive()) {
            reported->clear();
            return;
        }
        const QString now = reportable(view->store());
        QAccessibleTextUpdateEvent event(view, 0, *reported, now);
        *reported = now;
        QAccessible::updateAccessibility(&event);
    });
    QObject::connect(view, &TextView::cursorPositionChanged, view, [view] {
        QAccessibleTextCursorEvent event(view, int(view->caretPosition()));
        QAccessible::updateAccessibility(&event);
    });
    QObject::connect(view, &TextView::selectionChanged, view, [view] {
        QAccessibleTextSelectionEvent event(view, int(view->selectionStart()), int(view->selectionEnd()));
        event.setCursorPosition(int(view->caretPosition()));
        QAccessible::updateAccessibility(&event);
    });
}

TextView *TextViewAccessible::view() const
{
    return static_cast<TextView *>(widget());
}

void *TextViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TextViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = view()->isReadOnly();
    state.editable = !view()->isReadOnly();
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

QString TextViewAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return reportable(view()->store());
    return QAccessibleWidget::text(kind);
}

void TextViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    if (selectionIndex != 0 || !view()->hasSelection()) {
        *startOffset = *endOffset = 0;
        return;
    }
    *startOffset = int(view()->selectionStart());
    *endOffset = int(view()->selectionEnd());
}

int TextViewAccessible::selectionCount() const
{
    return view()->hasSelection() ? 1 : 0;
}

void TextViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->selectRange(view()->caretPosition(), 0);
}

void TextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->selectRange(startOffset, endOffset - startOffset);
}

int TextViewAccessible::cursorPosition() const
{
    return int(view()->caretPosition());
}

void TextViewAccessible::setCursorPosition(int position)
{
    view()->selectRange(position, 0);
}

QString TextViewAccessible::text(int startOffset, int endOffset) const
{
    const TextStore &all = view()->store();
    startOffset = std::clamp(startOffset, 0, int(all.size()));
    endOffset = std::clamp(endOffset, startOffset, int(all.size()));
    return all.mid(startOffset, endOffset - startOffset);
}

int TextViewAccessible::characterCount() const
{
    return int(view()->store().size());
}

QString TextViewAccessible::around(int offset, QAccessible::TextBoundaryType boundary, Side side, int *startOffset,
                                   int *endOffset) const
{
    // Read by range, so that a large file is not read whole for a line.
    const TextStore &all = view()->store();
    const int n = int(all.size());
    if (offset == -2) // the caret, as the bridges ask for it
        offset = cursorPosition();
    offset = std::clamp(offset, 0, n);

    if (boundary == QAccessible::NoBoundary) {
        const QString text = side == Side::At ? reportable(all) : QString();
        *startOffset = side == Side::At ? 0 : offset;
        *endOffset = side == Side::At ? int(text.size()) : offset;
        return text;
    }
    if (boundary == QAccessible::LineBoundary || boundary == QAccessible::ParagraphBoundary) {
        // Lines are the lines as displayed, paragraphs the lines of the file; each with its break.
        const auto span = [&](int at) -> std::pair<int, int> {
            if (boundary == QAccessible::LineBoundary) {
                const auto [start, end] = view()->displayLineSpan(at);
                return {int(start), int(end)};
            }
            const qint64 line = all.lineOf(at);
            return {int(all.lineStart(line)), line + 1 < all.lineCount() ? int(all.lineStart(line + 1)) : n};
        };
        std::pair<int, int> found = span(offset);
        if (side == Side::Before)
            found = found.first > 0 ? span(found.first - 1) : std::pair<int, int>{0, 0};
        else if (side == Side::After)
            found = found.second < n ? span(found.second) : std::pair<int, int>{n, n};
        *startOffset = found.first;
        *endOffset = found.second;
        return all.mid(found.first, found.second - found.first);
    }

    const int from = std::max(0, offset - kStretch);
    const Stretch stretch(all.mid(from, std::min(n, offset + kStretch) - from));
    QString found;
    if (side == Side::Before)
        found = stretch.textBeforeOffset(offset - from, boundary, startOffset, endOffset);
    else if (side == Side::After)
        found = stretch.textAfterOffset(offset - from, boundary, startOffset, endOffset);
    else
        found = stretch.textAtOffset(offset - from, boundary, startOffset, endOffset);
    if (*startOffset >= 0) {
        *startOffset += from;
        *endOffset += from;
    }
    return found;
}

QString TextViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                                             int *endOffset) const
{
    return around(offset, boundary, Side::Before, startOffset, endOffset);
}

QString TextViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                                            int *endOffset) const
{
    return around(offset, boundary, Side::After, startOffset, endOffset);
}

QString TextViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                                         int *endOffset) const
{
    return around(offset, boundary, Side::At, startOffset, endOffset);
}

QRect TextViewAccessible::characterRect(int offset) const
{
    const QRect local = view()->characterRect(offset);
    return QRect(view()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int TextViewAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = view()->viewport()->mapFromGlobal(point);
    if (!view()->viewport()->rect().contains(local))
        return -1;
    return int(view()->positionAtPoint(local));
}

void TextViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    // The view scrolls to its caret; a caret already inside the stretch stays where it is.
    const qint64 caret = view()->caretPosition();
    if (caret < startIndex || caret > endIndex)
        view()->selectRange(startIndex, 0);
    else
        view()->scrollToCaret();
}

QString TextViewAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One font and one colour throughout.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
