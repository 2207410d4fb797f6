#pragma once

#include <QAction>
#include <QKeySequence>
#include <QWidget>

// A command of the window: named, with its caption and key (none when empty), reached by the
// key wherever the focus is in the window.
inline QAction *windowCommand(QWidget *window, const char *name, const QString &caption, const char *key)
{
    auto *action = new QAction(caption, window);
    action->setObjectName(QLatin1String(name));
    if (*key)
        action->setShortcut(QKeySequence(QLatin1String(key)));
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    return action;
}
