#pragma once

#include "core/BookmarkFile.h"

#include <QDialog>

class Dialogs;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// The two modes of the bookmark dialog, by the character the bookmark menu stores for it.
enum class BookmarkDialogMode : char { Add = 'A', Organise = 'E' };

// What the bookmark dialog needs of the main window.
struct BookmarkDialogContext {
    QString fileNameNow;  // the viewed file, empty when none
    BookmarkDialogMode mode; // any other character adds
    QString bookmarkFile; // where BOOKMARK.CSV is saved
    Dialogs &dialogs;
    QString bookmarkSource = {}; // where it is read from, when that is another file
};

// The bookmark dialog: adds the viewed folder or file, or lets the list be edited and
// reordered; nothing reaches the file until it is saved.
class BookmarkDialog : public QDialog {
    Q_OBJECT
public:
    explicit BookmarkDialog(BookmarkDialogContext context, QWidget *parent = nullptr);
    ~BookmarkDialog() override;

    QGroupBox *GroupBox1;
    QLabel *Label1;
    QLineEdit *EditName;
    QRadioButton *rbFolder;
    QLineEdit *EditFolder;
    QRadioButton *rbFile;
    QLineEdit *EditFile;
    QLabel *LabelPath;
    QPushButton *BtnAdd;
    QLabel *LabelDirectEdit;
    QTableWidget *StringGrid;
    QPushButton *BtnCellUp;
    QPushButton *BtnCellDown;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;

    // Writes name and path into the empty last row and appends a new empty row.
    void AddGridRow(const QString &name, const QString &path);
    // The rows below the header, the empty bottom row included.
    QList<Bookmark> gridRows() const;

public slots:
    void FormShow();
    void rbFolderClick();
    void rbFileClick();
    void BtnAddClick();
    void StringGridEnter();
    void StringGridExit();
    void BtnCellUpClick();
    void BtnCellDownClick();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void layOutForOrganising();
    void StringGridKeyDown();
    bool gridKeyPressed(QKeyEvent *key);
    bool isOrganising() const;
    bool refuse(const QString &text, const QString &caption);
    // True when there is no fault; otherwise shows its message and gives false.
    bool checked(const BookmarkFault &fault);
    bool rowsCanBeSaved();
    void swapRows(int a, int b);
    bool isInGrid(const QWidget *widget) const;
    void appendEmptyRow();

    BookmarkDialogContext context_;
    bool shown_ = false;
};

// Turns the writer's result into its messages.
void ReportBookmarkWrite(Dialogs &dialogs, QWidget *parent, const BookmarkWriteResult &result);
