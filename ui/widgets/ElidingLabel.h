#pragma once

#include <QLabel>

// A one-line label that, when it is given less room than its text needs, shows the text
// shortened with "…" instead of cutting it at the border. text() and the accessible name stay
// the whole text, and the tooltip carries it while it is shortened.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(Qt::TextElideMode mode, QWidget *parent = nullptr);

    void setWholeText(const QString &text);
    // The text as it is drawn at the current width.
    QString shownText() const;
    // The width the whole text needs, frame and padding included.
    int fullWidth() const;
    // The least width worth giving: room for "…" alone, or the border alone when empty.
    int leastWidth() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static constexpr int kPadding = 2;
    int chrome() const { return 2 * (frameWidth() + kPadding); }
    void updateToolTip();

    Qt::TextElideMode mode_;
};
