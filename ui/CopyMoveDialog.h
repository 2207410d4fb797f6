#pragma once

#include "core/Archive.h"
#include "core/RegularFile.h"

#include <QDialog>
#include <QStringList>

#include <optional>

class Dialogs;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// What the copy/move dialog remembers between openings; the main window keeps it.
struct CopyMoveMemory {
    QString folder;        // the folder field's text at the last successful close
    QChar choice;          // '2' the bookmarked folder; anything else the typed one
    int bookmarkIndex = 0; // -1 for none
    QChar noReload;        // '1' keeps the file list as it is after a move
};

// Whether the dialog copies or moves, by the character the menu stores for it.
enum class CopyMoveMode : char { Copy = 'C', Move = 'M' };

// What the dialog is opened on.
struct CopyMoveRequest {
    CopyMoveMode mode;         // any other character does nothing
    QString source;            // the viewed file
    QStringList bookmarkPaths; // the bookmark records' paths in file order
    // The file the shown text was read from: the source must still be that file.
    std::optional<RegularFile::Identity> shownFile;
    // A member of an archive, read whole before the dialog opens: a copy writes its bytes,
    // with its time, rather than copying the source.
    std::optional<Archive::Member> member;
};

// Copies or moves the viewed file into a typed, browsed or bookmarked folder, asking for
// another name when the target name is taken.
class CopyMoveDialog : public QDialog {
    Q_OBJECT
public:
    CopyMoveDialog(Dialogs &dialogs, CopyMoveRequest request, CopyMoveMemory memory, QWidget *parent = nullptr);

    // The memory as the dialog leaves it: changed only by a successful close.
    const CopyMoveMemory &memory() const { return memory_; }

    QGroupBox *GroupBox1;
    QLineEdit *EditFileName;
    QGroupBox *FolderGroupBox;
    QRadioButton *rbUserSet;
    QLineEdit *EditToFolder;
    QPushButton *BtnSansyou;
    QLabel *LabelNoDirectory;
    QRadioButton *rbBookmark;
    QComboBox *cbBookmark;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;
    QToolButton *BtnNoReload;

    void FormShow();
    void BtnSansyouClick();
    void BtnOkClick();
    void EditToFolderEnter();
    void EditToFolderExit();
    void rbUserSetClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One attempt; true when the dialog is to close.
    bool attempt();
    // The browse dialog starts in the typed folder, else in the viewed file's.
    QString browseStart() const;
    QString askAlternativeName();
    // The destination folder with its trailing '/', or nothing when none is given.
    std::optional<QString> destinationFolder();
    void showFolderWarning(bool show);
    void rememberSettings();
    void fillBookmarkList();

    Dialogs &dialogs_;
    CopyMoveRequest request_;
    CopyMoveMemory memory_;
    QString alternativeName_;
    bool shownOnce_ = false;
    bool folderFieldActive_ = false;
};
