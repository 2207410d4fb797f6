#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// A line above the view that tells the reader something without stopping them, with a button
// that acts on it: no modal box, and a screen reader reads it as it appears.
class NoticeBar : public QFrame {
    Q_OBJECT
public:
    NoticeBar(const QString &text, const QString &action, QWidget *parent = nullptr);
    void setShown(bool shown);

signals:
    void activated();

private:
    QLabel *text_;
    QPushButton *action_;
};
