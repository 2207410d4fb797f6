// The search bar: find the word from the caret downward.
#include "ui/Mainunit.h"

#include "platform/Desktop.h"
#include "resources/MainTexts.h"
#include "ui/SearchBar.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

void TForm1::connectSearch()
{
    PanelSearch->btnGoSearch->setDefaultAction(ActionGoSearch);
    ActionGoSearch->setToolTip(MainTexts::kSearchButtonHint);
    connect(ActionOpenSearch, &QAction::triggered, this, &TForm1::ActionOpenSearchExecute);
    connect(ActionGoSearch, &QAction::triggered, this, &TForm1::ActionGoSearchExecute);
    connect(ActionFindNext, &QAction::triggered, this, &TForm1::ActionFindNextExecute);
    connect(PanelSearch->BtnClosePanelSearch, &QToolButton::clicked, this, &TForm1::BtnClosePanelSearchClick);
    PanelSearch->EditSearch->installEventFilter(this);
}

void TForm1::ActionOpenSearchExecute()
{
    QLineEdit *edit = PanelSearch->EditSearch;
    if (PanelSearch->isVisible() && (edit->text().isEmpty() || edit->hasFocus()))
        PanelSearch->HighlightSearchBar(true);
    setBarVisible(PanelSearch, ViewSearch, true);
    edit->setFocus();
}

void TForm1::ActionGoSearchExecute()
{
    const QString word = PanelSearch->EditSearch->text();
    if (word.isEmpty()) {
        ActionOpenSearchExecute();
        return;
    }
    const qint64 from = RichEdit->hasSelection() ? RichEdit->selectionEnd() : RichEdit->selectionStart();
    const qint64 found = RichEdit->find(word, from, PanelSearch->cbMatchCase->isChecked());
    if (found >= 0) {
        RichEdit->setFocus();
        RichEdit->selectRange(found, word.size());
    } else {
        Desktop::beep();
    }
    PanelSearch->HighlightSearchBar(false);
}

void TForm1::ActionFindNextExecute()
{
    ActionGoSearchExecute();
}

bool TForm1::EditSearchKeyPress(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter)
        ActionGoSearchExecute();
    PanelSearch->HighlightSearchBar(false);
    return enter; // Enter is swallowed: no new line, no beep
}

void TForm1::BtnClosePanelSearchClick()
{
    ViewSearchClick();
}
