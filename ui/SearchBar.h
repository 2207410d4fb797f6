#pragma once

#include <QKeySequence>
#include <QList>
#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TextView;

// The search bar above the view: the word, the search button, the case option and the
// close button, with its normal and attention looks. It finds the word in the view it is
// given, from the caret downward, and says what it did through its signals.
class SearchBar : public QWidget {
    Q_OBJECT
public:
    explicit SearchBar(TextView *view, QWidget *parent = nullptr);

    // Shows the bar with the word selected, so that typing replaces it; asked again while the
    // word is empty or already being typed, it draws attention to itself.
    void open();
    // Finds the next occurrence of the word below the caret or selection and selects it;
    // beeps and says notFound when there is none. An empty word opens the bar instead.
    void findNext();
    // Hides the bar and says so.
    void closeBar();
    bool fieldHasFocus() const;
    void selectWord();
    void setWord(const QString &word);
    QString word() const;
    bool caseSensitive() const;
    // The command the search button shows and triggers.
    void setSearchCommand(QAction *command);
    // Keys the word field leaves unclaimed so that the window's commands get them.
    void leaveKeysToWindow(const QList<QKeySequence> &keys);
    void setHintDuration(int ms);

    void HighlightSearchBar(bool on);
    bool highlighted() const { return highlighted_; }

signals:
    void opened();
    void searchRequested(const QString &word, bool caseSensitive);
    void notFound(const QString &word);
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TextView *view_;
    QLabel *LabelSearchWord;
    QLineEdit *EditSearch;
    QToolButton *btnGoSearch;
    QCheckBox *cbMatchCase;
    QToolButton *BtnClosePanelSearch;
    QList<QKeySequence> windowKeys_;
    bool highlighted_ = false;
};
