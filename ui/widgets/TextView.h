#pragma once

#include "core/Document.h"
#include "core/DocumentModel.h"
#include "core/Graphemes.h"
#include "ui/widgets/TextLayout.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// A view of a live document (DocumentModel). It renders the document's text where it lives,
// keeping only its own state: the caret, the selection, the scroll position and an index of
// where each displayed line starts (TextLayout), follows every change the model announces, and
// paints only what is visible, so a file of any size is shown at once. Several views may show
// one model. Widths come from a per-character table of the font's advances, so both
// monospaced and proportional faces wrap correctly; double-width characters take their real width.
class TextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TextView(QWidget *parent = nullptr);

    // Shows the model's document from its start and follows its changes; typing goes into it.
    // The model outlives the view, or the view is bound to another before it goes.
    void setModel(DocumentModel *model);
    DocumentModel &model() const { return *model_; }
    const Document &document() const { return model_->document(); }
    // A draft of the layout of a large file to be read, measured on the threads that read it:
    // at this view's font, and at its room when it wraps. Taken when the model shows the text
    // it measured (DocumentModel::measuredBy()).
    std::shared_ptr<LayoutDraft> layoutDraft();
    // Shows a text of no file, in this view and every other view of its model; line breaks
    // are '\n'.
    void setText(const QString &text);
    // The whole text; a large file's is read whole for the call (see store()).
    QString text() const { return text_.whole(); }
    // The text where it lives, read by line or by range.
    const TextStore &store() const { return text_; }
    bool isEmpty() const { return text_.isEmpty(); }
    // The length of the text in bytes of its document's byte form with CR LF line breaks.
    qint64 byteLength() const { return document().byteLength(); }

    void setWrap(bool wrap);
    bool wraps() const { return wrap_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isReadOnly() const { return readOnly_; }

    // Lines as displayed: with wrapping every wrapped line counts; a final line break opens
    // no counted line; an empty view counts 0.
    qint64 displayedLineCount() const;
    // The display line (from 0) holding the character position, and that line's first position.
    std::pair<qint64, qint64> displayLineAt(qint64 position) const;

    void pageDown();
    void pageUp();
    void scrollToCaret();
    void moveCaretToStart();

    qint64 caretPosition() const { return caret_; }
    // Whether the caret was moved since the document was shown (rather than only scrolled past).
    bool caretMovedByUser() const { return caretMoved_; }
    // The first position of the display line at the top.
    qint64 topPosition() const;
    // Shows the display line holding `top` at the top, with the caret at `caret`, as a reader
    // left it.
    void showPlace(qint64 top, qint64 caret, bool caretMoved);
    // Display lines of the text still being read below the ones shown: the scroll bar leaves
    // room for them, so that it grows as the file is read rather than all at once. Another text
    // taken clears them.
    void setLinesToCome(qint64 lines);
    qint64 selectionStart() const { return std::min(anchor_, caret_); }
    qint64 selectionEnd() const { return std::max(anchor_, caret_); }
    bool hasSelection() const { return anchor_ != caret_; }
    void selectRange(qint64 start, qint64 length);
    void selectAll();
    QString selectedText() const;
    void copy() const;
    // The position of `word` at or after `from`, or -1.
    qint64 find(const QString &word, qint64 from, bool matchCase) const;
    // The last occurrence that starts before `before`; -1 when there is none.
    qint64 findBackward(const QString &word, qint64 before, bool matchCase) const;

    void setColors(const QColor &text, const QColor &background);
    // The font the text is measured and drawn in: the view's font with the colour emoji face
    // after its own faces, so that emoji show as pictures.
    const QFont &shownFont() const { return shownFont_; }

    // The layout behind the view, for tests that check work is not repeated.
    const TextLayout &layout() const { return layout_; }

    // For assistive technology: the display line around a position as [start, end) with its
    // closing break, a character's box and the position at a point, both in viewport coordinates.
    std::pair<qint64, qint64> displayLineSpan(qint64 position) const;
    QRect characterRect(qint64 position) const;
    qint64 positionAtPoint(const QPoint &viewportPoint) const { return positionAt(viewportPoint); }
    // The box, in viewport coordinates, the reading is drawn in whose base holds the position;
    // empty where no reading is shown.
    QRectF readingRect(qint64 position) const;
    // The box, in viewport coordinates, a book's picture is drawn in on the line that holds the
    // position; empty where no picture is shown.
    QRectF pictureRect(qint64 position) const;
    // The font a display line is drawn in: a heading's own, else the view's.
    QFont rowFont(qint64 line) const;

signals:
    void cursorPositionChanged();
    void selectionChanged();
    void textChanged();
    // The display lines moved while the caret stayed: the wrap mode or the width changed, or
    // text was added at the end.
    void displayLinesChanged();
    // A click, Enter or Space on a book's folded or opened explanation of its marks.
    void explanationClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    static constexpr int kMargin = 4;

    QFont fontWithEmoji() const;
    void bind(DocumentModel *model);
    // What the model announces: another text or the same shown another way, both shown from
    // their start; text added at the end; an edit.
    void documentReplaced();
    void textAppended(qint64 from);
    void textEdited(qint64 start, qint64 removed, qint64 added);
    // The document's text taken anew, the book's readings, pictures and shapes with it.
    void takeText(std::shared_ptr<LayoutDraft> draft = {});
    void invalidateLayout(std::shared_ptr<LayoutDraft> draft = {});
    void ensureIndex() const;
    // The first position of every display line in the current wrap mode and width.
    LineStarts starts() const { return layout_.lineStarts(wrap_, wrapWidth()); }
    void updateScrollBars();
    // The text around some positions: the whole text when it is held, else the hard lines that
    // hold them, read from the file. A position p is view[p - base].
    struct Local {
        QString buffer;
        QStringView view;
        qint64 base = 0;
        // The widths of the font the positions are drawn in.
        CharWidths *widths = nullptr;
        QChar at(qint64 position) const { return view[position - base]; }
    };
    Local local(qint64 from, qint64 to) const;
    // The width of the cluster [from, to) when it starts at x (a tab runs to the next stop).
    qreal advance(const Local &text, qint64 from, qint64 to, qreal x) const;
    // The end of the cluster that starts at the boundary `from`.
    static qint64 clusterEnd(ClusterCursor &clusters, const Local &text, qint64 from);
    qint64 snapDown(qint64 position) const;

    qreal charWidth(char16_t c) const;
    qreal tabWidth(qreal x) const;
    qint64 lineEnd(qint64 line) const;
    qint64 lineCount() const;
    qreal xOf(qint64 line, qint64 position) const { return rowOffset(line) + contentX(line, position); }
    // The same from where the line's text starts.
    qreal contentX(qint64 line, qint64 position) const;
    qint64 positionAt(const QPoint &viewportPoint) const;
    qint64 positionInLine(qint64 line, qreal x) const;
    int visibleLines() const;
    int lineHeight() const;
    int wrapWidth() const;
    void drawSegment(QPainter &painter, const Local &text, qint64 from, qint64 to, qreal x, qreal baseline) const;
    void drawRun(QPainter &painter, const Local &text, qint64 from, qint64 to, qreal &x, qreal baseline, qreal left,
                 qreal right) const;
    // A text shown as a book (TextViewBook.cpp): readings above their bases in a font half the
    // size, in room only the lines that carry them take; emphasis, dimmed notes and page rules.
    const Aozora::Book *book() const { return document().book(); }
    QFont rubyFont() const;
    // A wrap never parts a base from its reading; indents, end-aligned lines and headings take
    // their room and font in the layout.
    void keepBasesTogether();
    void shapeLines();
    // The book's pictures, decoded once for the document.
    void decodePictures();
    int rubyRoom(qint64 line) const;
    // An emphasis mark of the kind centred at a point, `size` across; a side line under [x0, x1).
    void drawEmphasisMark(QPainter &painter, Aozora::Emphasis kind, QPointF centre, qreal size) const;
    void drawSideLine(QPainter &painter, Aozora::Emphasis kind, qreal x0, qreal x1, qreal y, qreal wave) const;
    Aozora::Heading rowHeading(qint64 line) const;
    // The height of a display line's text, in its own font.
    int textHeight(qint64 line) const;
    const QImage *pictureOn(qint64 line) const;
    QSizeF pictureSize(const QImage &picture) const;
    int pictureRoom(qint64 line) const;
    // The room above a display line's text: its picture, then its readings.
    int roomAbove(qint64 line) const { return pictureRoom(line) + rubyRoom(line); }
    int rowHeight(qint64 line) const { return textHeight(line) + roomAbove(line); }
    // Where a display line's text starts: after its indent, or where an end-aligned line
    // ends at the edge.
    qreal rowOffset(qint64 line) const;
    bool onExplanation(qint64 position) const;
    // The top of a display line in the viewport.
    qreal rowTop(qint64 line) const;
    QRectF readingBox(const Aozora::Ruby &ruby, qint64 line, qreal top, qreal left) const;
    void drawBookMarks(QPainter &painter, qint64 line, qint64 start, qint64 end, qreal top, qreal left) const;
    // drawRun() with the book's dimmed stretches in a paler colour.
    void drawShownRun(QPainter &painter, const Local &text, qint64 from, qint64 to, qreal &x, qreal baseline,
                      qreal left, qreal right) const;
    void moveCaret(qint64 position, bool keepAnchor);
    void replaceSelection(const QString &with);
    qint64 previousPosition(qint64 position) const;
    qint64 nextPosition(qint64 position) const;

    DocumentModel *model_ = nullptr;
    // The draft of the load still running, told of the room as it changes.
    std::weak_ptr<LayoutDraft> draftMade_;
    // The document's text, shared with it and never written through: the text is held once.
    TextStore text_;
    // The view's font with the emoji face, made again only when the font changes.
    QFont shownFont_;
    bool wrap_ = true;
    qint64 linesToCome_ = 0;
    bool readOnly_ = true;
    qint64 anchor_ = 0;
    qint64 caret_ = 0;
    bool caretMoved_ = false;
    qreal preferredX_ = -1;
    // A press on the folded or open explanation, until the mouse leaves it for a drag.
    std::optional<QPoint> explanationPress_;
    int shownRoom_ = -1;
    // The position at the top of the view as the layout already built shows it, or -1 where
    // none is: what a new layout (another room, font or wrap) keeps at the top.
    qint64 topAsLaidOut() const;
    // After a new layout: the display line that holds `top` goes to the top (when top >= 0).
    void keepAtTop(qint64 top);
    // A book's lines of different heights (readings, headings, pictures); every other text's
    // lines are all as high.
    bool tallRows_ = false;
    std::array<QFont, 4> headingFonts_;
    std::array<int, 4> headingHeights_{};
    int rubyHeight_ = 0; // the height of a row of readings, asked once a font
    std::vector<QImage> pictures_; // one per picture of the book; null where none is shown

    // Rebuilt lazily after the text, the font, the wrap mode or the width changed.
    mutable TextLayout layout_{text_};
};
