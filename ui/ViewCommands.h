#pragma once

#include "core/SettingsRecord.h"

#include <QObject>

#include <functional>

class QAction;
class QKeyEvent;
class QWidget;
class Dialogs;
class AddressBar;
class FileSelectionBox;
class SearchBar;
class TextView;
class StatusReport;

// The commands that act on the view itself: wrapping, the font and its size, copy and select
// all wherever the focus is, and the caret's place in the status bar.
class ViewCommands : public QObject {
    Q_OBJECT
public:
    // What the commands act on and read; the window owns them all.
    struct Host {
        QWidget *window;
        Dialogs &dialogs;
        SettingsRecord &settings;
        StatusReport &status;
        TextView *view;
        AddressBar *pathBar;
        FileSelectionBox *box;
        SearchBar *searchBar;
        // Whether the shown text may be read through (not when its file changed since).
        std::function<bool()> mayReadThrough;
    };
    struct Commands {
        QAction *wrapNone, *wrapColumn, *wrapEdge;
        QAction *setFont, *fontSizeUp, *fontSizeDown;
        QAction *copy, *selectAll, *writeMode;
    };
    ViewCommands(Host host, Commands commands, QObject *parent);

    // The view wraps as the mode says; the marks follow what it does.
    void ApplyWrapMode(WrapMode mode);
    void ActionWrapSideExecute();
    void UpdateFontSizeHints();
    // Copy and select-all enabled as they apply to the focused control, while a menu shows them.
    void MenuEditClick();
    // Copy and select-all keep their keys in the view, the address field and the file list.
    bool isCommandKey(QKeyEvent *event) const;
    bool viewHasFocus() const;
    void ActionCopyExecute();

private:
    void connectZoom();
    void syncWrapMarks();
    void setWrapCommand(WrapMode mode);
    void ActionSetFontExecute();
    // One point larger or smaller; at the limit the keys and commands say so, the wheel does not.
    void stepFontSize(int step, bool tellAtLimit = true);
    void ActionSelectAllExecute();
    void RichEditSelectionChange();

    Host host_;
    Commands commands_;
};
