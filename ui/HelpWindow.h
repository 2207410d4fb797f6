#pragma once

#include <QDialog>

class QTextBrowser;

// The help pages in a window of the program's own, for a desktop that has no viewer for the
// compiled help file. The pages are the same sources the help file is compiled from.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // The first page of the help, for a new or reused window.
    void showContents();
    QTextBrowser *browser() const { return browser_; }

private:
    QTextBrowser *browser_;
};
