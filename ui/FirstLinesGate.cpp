#include "ui/FirstLinesGate.h"

#include <QApplication>
#include <QKeyEvent>

namespace {
// Keys that move through the lines shown, walk the file list, or stop the read. Ctrl+End asks
// for the end, which only the whole text knows.
bool movesWithin(const QKeyEvent &key)
{
    const Qt::KeyboardModifiers moving = Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier;
    if (key.modifiers() & ~moving)
        return false;
    switch (key.key()) {
    case Qt::Key_End:
        return !(key.modifiers() & Qt::ControlModifier);
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
        return true;
    default:
        return false;
    }
}
} // namespace

FirstLinesGate::FirstLinesGate(std::vector<QPointer<QWidget>> free, std::function<void()> waitForWhole,
                               QObject *parent)
    : QObject(parent), free_(std::move(free)), waitForWhole_(std::move(waitForWhole))
{
}

void FirstLinesGate::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool FirstLinesGate::isFree(QObject *watched) const
{
    const auto *widget = qobject_cast<QWidget *>(watched);
    for (const QPointer<QWidget> &free : free_) {
        if (widget && free && (widget == free || free->isAncestorOf(widget)))
            return true;
    }
    return false;
}

bool FirstLinesGate::eventFilter(QObject *watched, QEvent *event)
{
    bool waits = false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        waits = !movesWithin(*static_cast<QKeyEvent *>(event));
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        waits = !isFree(watched);
        break;
    case QEvent::ContextMenu:
        waits = true;
        break;
    default:
        break;
    }
    // The event goes on to where it was going, now to the whole text.
    if (waits && on_)
        waitForWhole_();
    return false;
}
