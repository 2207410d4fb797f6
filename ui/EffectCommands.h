#pragma once

#include "core/EffectList.h"

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QToolButton;
class QWidget;
class Dialogs;
class ReadingSession;
class TextView;

// The display effects' commands and the book's: each effect's command with its format-menu
// entry and tool button, the book switch, the explanation that opens in place and the copy
// that keeps the readings. What they do to the text the session's document does.
class EffectCommands : public QObject {
    Q_OBJECT
public:
    struct Host {
        QWidget *window;
        Dialogs &dialogs;
        ReadingSession &session;
        TextView *view;
        // Wraps at the window's edge, as an effect that makes long lines asks.
        std::function<void()> wrapAtEdge;
        // The plain copy, for a copy with readings that has none to keep.
        QAction *copy;
        std::function<bool()> viewHasFocus;
    };
    // One listed effect's command, its format-menu entry and its tool button (the window makes
    // the last two from the command).
    struct Command {
        const Effect *effect;
        QAction *command;
        QAction *entry = nullptr;
        QToolButton *button = nullptr;
    };
    // Makes the commands, each on the window with its key.
    EffectCommands(Host host, QObject *parent);

    // Binds the commands, once the window has made their entries and buttons.
    void connectCommands();
    std::vector<Command> &commands() { return commands_; }
    QAction *book() const { return book_; }
    QAction *copyWithReadings() const { return copyWithReadings_; }

    // The marks and the enabling as the shown document has them: the effects are off with no
    // text, and their buttons and entries also above the size limit.
    void showState(bool withinLimit);

private:
    void runEffectCommand(const Command &effect);
    bool ConfirmLargeEffect();
    void showEffectMarks();

    Host host_;
    std::vector<Command> commands_; // in the list's order
    QAction *book_;
    QAction *copyWithReadings_;
};
