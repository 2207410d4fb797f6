#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

// The search bar above the view: the word, the search button, the case option and the
// close button, with its normal and attention looks.
class SearchBar : public QWidget {
    Q_OBJECT
public:
    explicit SearchBar(QWidget *parent = nullptr);

    void HighlightSearchBar(bool on);
    bool highlighted() const { return highlighted_; }

    QLabel *LabelSearchWord;
    QLineEdit *EditSearch;
    QToolButton *btnGoSearch;
    QCheckBox *cbMatchCase;
    QToolButton *BtnClosePanelSearch;

private:
    bool highlighted_ = false;
};
