#include "ui/widgets/NoticeBar.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

NoticeBar::NoticeBar(const QString &text, const QString &action, QWidget *parent)
    : QFrame(parent), text_(new QLabel(text)), action_(new QPushButton(action))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    text_->setForegroundRole(QPalette::ToolTipText);
    text_->setWordWrap(true);
    setAccessibleName(text);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(text_, 1);
    row->addWidget(action_);
    connect(action_, &QPushButton::clicked, this, &NoticeBar::activated);
    hide();
}

void NoticeBar::setShown(bool shown)
{
    if (shown == isVisible())
        return;
    setVisible(shown);
    if (shown) {
        // Told as an alert, as a screen reader expects of a notice that comes by itself.
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}
