#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QList>

#include <optional>

// Keys that the panes' controls share: the window's own keys pass through them to the window's
// commands, and Space pages the view from wherever the focus stands.
namespace PaneKeys {

// A shortcut override for one of the window's keys, which the control must then leave alone.
inline bool isWindowKey(const QEvent *event, const QList<QKeySequence> &windowKeys)
{
    return event->type() == QEvent::ShortcutOverride
           && windowKeys.contains(QKeySequence(static_cast<const QKeyEvent *>(event)->keyCombination()));
}

// Space pressed: whether to page back (with Shift) or forward; nothing for any other event.
inline std::optional<bool> pageKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return std::nullopt;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Space)
        return std::nullopt;
    return bool(key->modifiers() & Qt::ShiftModifier);
}

// Both of the above: whether the event was taken, `page` called with "back" for Space.
template <typename Page>
bool take(const QEvent *event, const QList<QKeySequence> &windowKeys, Page page)
{
    if (isWindowKey(event, windowKeys))
        return true;
    if (const std::optional<bool> back = pageKey(event)) {
        page(*back);
        return true;
    }
    return false;
}

} // namespace PaneKeys
