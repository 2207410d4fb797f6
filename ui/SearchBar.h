#pragma once

#include <QKeySequence>
#include <QList>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TextView;

// The search bar above the view: the word, the search buttons, the case and folder options
// and the close button, with its normal and attention looks. It finds the word in the view it
// is given, from the caret down or up, and says what it did through its signals; going on
// into other files is the window's, which it asks for through endReached.
class SearchBar : public QWidget {
    Q_OBJECT
public:
    explicit SearchBar(TextView *view, QWidget *parent = nullptr);
    // Asked before each search whether the shown text may be read through.
    void setReadGuard(std::function<bool()> mayRead) { mayRead_ = std::move(mayRead); }

    // Shows the bar with the word selected, so that typing replaces it; asked again while the
    // word is empty or already being typed, it draws attention to itself.
    void open();
    // Finds the next occurrence of the word below the caret or selection and selects it;
    // beeps and says notFound when there is none. An empty word opens the bar instead.
    void findNext();
    // Finds the last occurrence of the word above the selection start and selects it, and
    // otherwise does as findNext.
    void findPrevious();
    // Selects the word at `position` of the view's text, as a hit is selected.
    void selectHit(qint64 position);
    // Hides the bar and says so.
    void closeBar();
    bool fieldHasFocus() const;
    void selectWord();
    void setWord(const QString &word);
    QString word() const;
    bool caseSensitive() const;
    // Whether a search that ends without a hit goes on into the following files.
    bool searchesFolder() const;
    void setSearchesFolder(bool on);
    // The commands the search buttons show and trigger.
    void setSearchCommand(QAction *command);
    void setFindPreviousCommand(QAction *command);
    // Keys the word field leaves unclaimed so that the window's commands get them.
    void leaveKeysToWindow(const QList<QKeySequence> &keys);
    void setHintDuration(int ms);

    void HighlightSearchBar(bool on);
    bool highlighted() const { return highlighted_; }

signals:
    void opened();
    void searchRequested(const QString &word, bool caseSensitive);
    void notFound(const QString &word);
    // No further hit in the view while the folder option is on: nothing was sounded or said,
    // the search is to go on in the files after (forward) or before the viewed one.
    void endReached(const QString &word, bool caseSensitive, bool forward);
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void find(bool forward);

    TextView *view_;
    std::function<bool()> mayRead_;
    QLabel *LabelSearchWord;
    QLineEdit *EditSearch;
    QToolButton *btnGoSearch;
    QToolButton *btnFindPrevious;
    QCheckBox *cbMatchCase;
    QCheckBox *cbSearchFolder;
    QToolButton *BtnClosePanelSearch;
    QList<QKeySequence> windowKeys_;
    bool highlighted_ = false;
};
