#include "ui/SearchBar.h"

#include "platform/Desktop.h"
#include "resources/MainTexts.h"
#include "ui/PaneKeys.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

SearchBar::SearchBar(TextView *view, QWidget *parent) : QWidget(parent), view_(view)
{
    setObjectName(QStringLiteral("PanelSearch"));
    setFixedHeight(30);
    setAutoFillBackground(true);

    LabelSearchWord = new QLabel(MainTexts::kSearchLabel);
    LabelSearchWord->setObjectName(QStringLiteral("LabelSearchWord"));
    EditSearch = new QLineEdit;
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    EditSearch->setAcceptDrops(false); // a dropped file goes to the window, which shows it
    LabelSearchWord->setBuddy(EditSearch);
    btnGoSearch = new QToolButton;
    btnGoSearch->setObjectName(QStringLiteral("btnGoSearch"));
    btnGoSearch->setAutoRaise(true);
    btnFindPrevious = new QToolButton;
    btnFindPrevious->setObjectName(QStringLiteral("btnFindPrevious"));
    btnFindPrevious->setAutoRaise(true);
    cbMatchCase = new QCheckBox(MainTexts::kMatchCase);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));
    cbSearchFolder = new QCheckBox(MainTexts::kSearchFolder);
    cbSearchFolder->setObjectName(QStringLiteral("cbSearchFolder"));
    cbSearchFolder->setToolTip(MainTexts::kSearchFolderHint);
    BtnClosePanelSearch = new QToolButton;
    BtnClosePanelSearch->setObjectName(QStringLiteral("BtnClosePanelSearch"));
    BtnClosePanelSearch->setText(MainTexts::kCloseSearch);
    BtnClosePanelSearch->setToolTip(MainTexts::kCloseSearchHint);
    BtnClosePanelSearch->setAccessibleName(MainTexts::kCloseSearchHint);
    BtnClosePanelSearch->setAutoRaise(true);
    QFont bold = BtnClosePanelSearch->font();
    bold.setBold(true);
    BtnClosePanelSearch->setFont(bold);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->addWidget(LabelSearchWord);
    row->addWidget(EditSearch, 1);
    row->addWidget(btnGoSearch);
    row->addWidget(btnFindPrevious);
    row->addSpacing(8);
    row->addWidget(cbMatchCase);
    row->addWidget(cbSearchFolder);
    row->addStretch(0);
    row->addWidget(BtnClosePanelSearch);
    HighlightSearchBar(false);

    connect(BtnClosePanelSearch, &QToolButton::clicked, this, &SearchBar::closeBar);
    EditSearch->installEventFilter(this);
}

void SearchBar::open()
{
    if (isVisible() && (EditSearch->text().isEmpty() || EditSearch->hasFocus()))
        HighlightSearchBar(true);
    show();
    EditSearch->setFocus();
    selectWord();
    emit opened();
}

void SearchBar::findNext()
{
    find(true);
}

void SearchBar::findPrevious()
{
    find(false);
}

void SearchBar::find(bool forward)
{
    const QString word = EditSearch->text();
    if (word.isEmpty()) {
        open();
        return;
    }
    if (mayRead_ && !mayRead_())
        return;
    const bool matchCase = cbMatchCase->isChecked();
    emit searchRequested(word, matchCase);
    const qint64 found = forward ? view_->find(word, view_->hasSelection() ? view_->selectionEnd() : view_->selectionStart(),
                                               matchCase)
                                 : view_->findBackward(word, view_->selectionStart(), matchCase);
    if (found >= 0) {
        selectHit(found);
    } else if (cbSearchFolder->isChecked()) {
        emit endReached(word, matchCase, forward);
    } else {
        Desktop::beep();
        emit notFound(word);
    }
    HighlightSearchBar(false);
}

void SearchBar::selectHit(qint64 position)
{
    view_->setFocus();
    view_->selectRange(position, EditSearch->text().size());
}

void SearchBar::closeBar()
{
    hide();
    emit closed();
}

bool SearchBar::fieldHasFocus() const
{
    return EditSearch->hasFocus();
}

void SearchBar::selectWord()
{
    EditSearch->selectAll();
}

void SearchBar::setWord(const QString &word)
{
    EditSearch->setText(word);
}

QString SearchBar::word() const
{
    return EditSearch->text();
}

bool SearchBar::caseSensitive() const
{
    return cbMatchCase->isChecked();
}

bool SearchBar::searchesFolder() const
{
    return cbSearchFolder->isChecked();
}

void SearchBar::setSearchesFolder(bool on)
{
    cbSearchFolder->setChecked(on);
}

void SearchBar::setSearchCommand(QAction *command)
{
    btnGoSearch->setDefaultAction(command);
}

void SearchBar::setFindPreviousCommand(QAction *command)
{
    btnFindPrevious->setDefaultAction(command);
}

void SearchBar::leaveKeysToWindow(const QList<QKeySequence> &keys)
{
    windowKeys_ = keys;
}

void SearchBar::setHintDuration(int ms)
{
    btnGoSearch->setToolTipDuration(ms);
    btnFindPrevious->setToolTipDuration(ms);
    cbSearchFolder->setToolTipDuration(ms);
    BtnClosePanelSearch->setToolTipDuration(ms);
}

bool SearchBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != EditSearch)
        return QWidget::eventFilter(watched, event);
    if (PaneKeys::isWindowKey(event, windowKeys_))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        HighlightSearchBar(false);
        if (key == Qt::Key_Escape) {
            // The reader goes back to the text the word was looked for in.
            closeBar();
            view_->setFocus();
            return true;
        }
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter) {
            findNext();
            return true; // swallowed: no new line, no beep
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void SearchBar::HighlightSearchBar(bool on)
{
    highlighted_ = on;
    QPalette p = palette();
    const QPalette standard = QWidget().palette();
    p.setColor(QPalette::Window, on ? standard.color(QPalette::ToolTipBase) : standard.color(QPalette::Button));
    setPalette(p);
    QPalette label = LabelSearchWord->palette();
    label.setColor(QPalette::WindowText, on ? QColor(Qt::blue) : standard.color(QPalette::WindowText));
    LabelSearchWord->setPalette(label);
}
