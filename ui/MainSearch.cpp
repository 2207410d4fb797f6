// The search bar: the window's search commands drive it and its mark follows it.
#include "ui/Mainunit.h"

#include "resources/MainTexts.h"
#include "ui/SearchBar.h"

#include <QAction>

void TForm1::connectSearch()
{
    PanelSearch->setSearchCommand(ActionGoSearch);
    ActionGoSearch->setToolTip(MainTexts::kSearchButtonHint);
    // The button shows one character; the menu keeps the command's caption.
    ActionFindPrevious->setIconText(MainTexts::kFindPreviousButton);
    PanelSearch->setFindPreviousCommand(ActionFindPrevious);
    // Ctrl+A stays with the field and selects the word; the copy key goes to the window's command.
    PanelSearch->leaveKeysToWindow({ActionCopy->shortcut()});
    connect(ActionOpenSearch, &QAction::triggered, PanelSearch, &SearchBar::open);
    connect(ActionGoSearch, &QAction::triggered, PanelSearch, &SearchBar::findNext);
    connect(ActionFindNext, &QAction::triggered, PanelSearch, &SearchBar::findNext);
    connect(ActionFindPrevious, &QAction::triggered, PanelSearch, &SearchBar::findPrevious);
    connect(PanelSearch, &SearchBar::opened, this, [this] { ViewSearch->setChecked(true); });
    connect(PanelSearch, &SearchBar::closed, this, [this] { ViewSearch->setChecked(false); });
    // The beep is silent on many desktops, so the status bar says it too.
    connect(PanelSearch, &SearchBar::notFound, this,
            [this](const QString &word) { noteUntilNextKey(MainTexts::notFoundText(word)); });
}
