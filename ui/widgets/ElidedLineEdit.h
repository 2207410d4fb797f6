#pragma once

#include <QLineEdit>

// A read-only field for a path that is often longer than the field: unfocused it shows the
// path shortened in the middle, so that its end (the file's name) stays in sight; focused it
// holds the whole path for selecting and copying, with the end in view.
class ElidedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ElidedLineEdit(QWidget *parent = nullptr);

    void setWholeText(const QString &text);
    const QString &wholeText() const { return whole_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showFitting();

    QString whole_;
};
