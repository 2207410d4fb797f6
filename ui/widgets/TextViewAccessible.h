#pragma once

#include <QAccessibleWidget>

class TextView;

// What a screen reader sees of the view: an editable-text object, read-only while the view is,
// whose text interface reads the whole text, the caret, the selection, the text around an
// offset by character, word, sentence, display line or paragraph, and each character's box.
class TextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TextViewAccessible(TextView *view);

    // Registers the interface with Qt's accessibility (once) and makes `view` report its text,
    // caret and selection changes to assistive technology.
    static void watch(TextView *view);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    enum class Side { Before, At, After };
    TextView *view() const;
    QString around(int offset, QAccessible::TextBoundaryType boundary, Side side, int *startOffset,
                   int *endOffset) const;
};
