#include "ui/widgets/TextView.h"

#include "core/Cp932.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

TextView::TextView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTabChangesFocus(false);
    setCenterOnScroll(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Keep the selection visible while the focus is elsewhere (the file list keeps it).
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    connect(document(), &QTextDocument::contentsChanged, this, [this] { byteLength_ = -1; });
}

void TextView::setText(const QString &text)
{
    setPlainText(text);
    byteLength_ = -1;
}

QString TextView::text() const
{
    return toPlainText();
}

bool TextView::isEmpty() const
{
    return document()->isEmpty();
}

qint64 TextView::byteLength() const
{
    if (byteLength_ < 0)
        byteLength_ = Cp932::byteLength(toPlainText());
    return byteLength_;
}

void TextView::setWrap(bool wrap)
{
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool TextView::wraps() const
{
    return lineWrapMode() != QPlainTextEdit::NoWrap;
}

qint64 TextView::displayedLineCount() const
{
    const QTextDocument *doc = document();
    if (doc->isEmpty())
        return 0;
    const QTextBlock last = doc->lastBlock();
    const bool trailingBreak = doc->blockCount() > 1 && last.length() <= 1;
    if (!wraps())
        return doc->blockCount() - (trailingBreak ? 1 : 0);
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    qint64 lines = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (trailingBreak && block == last)
            break;
        layout->blockBoundingRect(block); // lays the block out when it has not been yet
        lines += std::max(1, block.layout()->lineCount());
    }
    return lines;
}

std::pair<qint64, qint64> TextView::displayLineAt(qint64 position) const
{
    const QTextDocument *doc = document();
    const QTextBlock target = doc->findBlock(int(position));
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    qint64 line = 0;
    if (!wraps()) {
        line = target.blockNumber();
        return {line, target.position()};
    }
    for (QTextBlock block = doc->begin(); block.isValid() && block != target; block = block.next()) {
        layout->blockBoundingRect(block);
        line += std::max(1, block.layout()->lineCount());
    }
    layout->blockBoundingRect(target);
    const QTextLayout *tl = target.layout();
    const int inBlock = int(position - target.position());
    const QTextLine textLine = tl->lineForTextPosition(inBlock);
    if (!textLine.isValid())
        return {line, target.position()};
    return {line + textLine.lineNumber(), target.position() + textLine.textStart()};
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
    ensureCursorVisible();
}

void TextView::moveCaretToStart()
{
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::Start);
    setTextCursor(cursor);
}

qint64 TextView::selectionStart() const
{
    return textCursor().selectionStart();
}

qint64 TextView::selectionEnd() const
{
    return textCursor().selectionEnd();
}

void TextView::selectRange(qint64 start, qint64 length)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(int(start));
    cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

QString TextView::selectedText() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

qint64 TextView::find(const QString &word, qint64 from, bool matchCase) const
{
    if (word.isEmpty())
        return -1;
    return toPlainText().indexOf(word, from, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TextView::setColors(const QColor &text, const QColor &background)
{
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Base, background);
    }
    setPalette(p);
}
