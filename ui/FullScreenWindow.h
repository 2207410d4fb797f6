#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QAction;
class ElidedLineEdit;
class QMenu;
class QToolButton;
class QWidget;
class DocumentModel;
class TextView;

// What the full-screen window shows, and how: the main view's document, as a second view of
// it, in the main view's font, wrap and colours.
struct FullScreenSource {
    DocumentModel *model;
    QFont font;
    bool wraps = true;
    QColor textColor;
    QColor background;
    QString fileName;    // FileNameNow
};

// The viewed document on the whole screen, borderless, read-only, closed by Esc or Backspace.
class FullScreenWindow : public QDialog {
    Q_OBJECT
public:
    explicit FullScreenWindow(FullScreenSource source, QWidget *parent = nullptr);

    QWidget *PanelBtnBar;
    QToolButton *BtnEndFullScreen;
    QWidget *PanelAddress;
    ElidedLineEdit *EditNowFileName;
    TextView *view; // object name RichEdit
    QMenu *PopupMenu;
    QAction *PopupCopy, *PopupSelectAll, *PopupScrollUp, *PopupScrollDown, *PopupExit;

    void FormShow();
    void BtnEndFullScreenClick();
    void PopupMenuPopup();
    void PopupCopyClick();
    void PopupSelectAllClick();
    void PopupScrollUpClick();
    void PopupScrollDownClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // True when the key closes the window (Backspace or Esc).
    bool FormKeyPress(const QKeyEvent *event);
    void createPopupMenu();
    QAction *popupEntry(const QString &caption, const QKeySequence &key, void (FullScreenWindow::*handler)());

    FullScreenSource source_;
    bool shown_ = false;
};
