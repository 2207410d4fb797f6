#include "ui/widgets/ElidingLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

#include <cmath>

ElidingLabel::ElidingLabel(Qt::TextElideMode mode, QWidget *parent) : QLabel(parent), mode_(mode) {}

void ElidingLabel::setWholeText(const QString &text)
{
    setText(text);
    updateToolTip();
}

QString ElidingLabel::shownText() const
{
    return fontMetrics().elidedText(text(), mode_, contentsRect().width() - 2 * kPadding);
}

int ElidingLabel::fullWidth() const
{
    // Rounded up: a width rounded to the nearest pixel can fall short of the text by a fraction,
    // and the text is then drawn shortened with room to spare.
    return int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + chrome();
}

int ElidingLabel::leastWidth() const
{
    // An empty panel keeps only its border.
    return text().isEmpty() ? chrome() : fontMetrics().horizontalAdvance(QStringLiteral("…")) + chrome();
}

void ElidingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect room = contentsRect().adjusted(kPadding, 0, -kPadding, 0);
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shownText(), foregroundRole());
}

void ElidingLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateToolTip();
}

void ElidingLabel::updateToolTip()
{
    setToolTip(shownText() == text() ? QString() : text());
}
