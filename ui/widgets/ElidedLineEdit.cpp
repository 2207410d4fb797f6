#include "ui/widgets/ElidedLineEdit.h"

#include <QStyle>
#include <QStyleOptionFrame>

ElidedLineEdit::ElidedLineEdit(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
}

void ElidedLineEdit::setWholeText(const QString &text)
{
    whole_ = text;
    setAccessibleName(text);
    setToolTip(text);
    showFitting();
}

void ElidedLineEdit::showFitting()
{
    if (hasFocus()) {
        setText(whole_);
        setCursorPosition(int(whole_.size()));
        return;
    }
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect room = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QMargins margins = textMargins();
    // A line edit keeps a couple of pixels either side of its text.
    const int width = room.width() - margins.left() - margins.right() - 4;
    setText(fontMetrics().elidedText(whole_, Qt::ElideMiddle, width));
    setCursorPosition(0);
}

void ElidedLineEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    showFitting();
}

void ElidedLineEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    showFitting();
}

void ElidedLineEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    showFitting();
}
