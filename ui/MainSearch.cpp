// The search bar: the window's search commands drive it and its mark follows it.
#include "ui/Mainunit.h"

#include "resources/MainTexts.h"
#include "ui/SearchBar.h"

#include <QAction>

void TForm1::connectSearch()
{
    PanelSearch->setSearchCommand(ActionGoSearch);
    ActionGoSearch->setToolTip(MainTexts::kSearchButtonHint);
    PanelSearch->leaveKeysToWindow({ActionCopy->shortcut(), ActionSelectAll->shortcut()});
    connect(ActionOpenSearch, &QAction::triggered, PanelSearch, &SearchBar::open);
    connect(ActionGoSearch, &QAction::triggered, PanelSearch, &SearchBar::findNext);
    connect(ActionFindNext, &QAction::triggered, PanelSearch, &SearchBar::findNext);
    connect(PanelSearch, &SearchBar::opened, this, [this] { ViewSearch->setChecked(true); });
    connect(PanelSearch, &SearchBar::closed, this, [this] { ViewSearch->setChecked(false); });
}
