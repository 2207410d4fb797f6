#pragma once

#include <QPlainTextEdit>

// The plain-text view. The windows reach the view only through these operations, so the
// control underneath can be replaced by a faster one.
class TextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextView(QWidget *parent = nullptr);

    // Replaces the whole text; line breaks are '\n'.
    void setText(const QString &text);
    QString text() const;
    bool isEmpty() const;
    // The length of the text in bytes of its code page 932 form with CR LF line breaks.
    qint64 byteLength() const;

    void setWrap(bool wrap);
    bool wraps() const;

    // Lines as displayed: with wrapping every wrapped line counts; a final line break opens
    // no counted line; an empty view counts 0.
    qint64 displayedLineCount() const;
    // The display line (from 0) holding the character position, and the position of that
    // line's first character.
    std::pair<qint64, qint64> displayLineAt(qint64 position) const;

    void pageDown();
    void pageUp();
    void scrollToCaret();
    void moveCaretToStart();

    qint64 selectionStart() const;
    qint64 selectionEnd() const;
    void selectRange(qint64 start, qint64 length);
    QString selectedText() const;
    // The position of `word` at or after `from`, or -1.
    qint64 find(const QString &word, qint64 from, bool matchCase) const;

    void setColors(const QColor &text, const QColor &background);

private:
    mutable qint64 byteLength_ = -1;
};
