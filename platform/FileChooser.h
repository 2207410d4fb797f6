#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

// The open, save and folder dialogs. Qt's own file dialog lists names through QFileSystemModel,
// which turns a name that is not UTF-8 into U+FFFD and cannot reach the file again; this one
// lists folders through platform/FolderListing, shows names as the file list does and carries
// every path in the path form (core/PathForm.h), so a code page 932 name is chosen by its bytes.
//
// Keys: Return in the list enters a folder or accepts a file; Backspace in the list and Alt+Up
// anywhere go to the parent folder; Return in the name field accepts (a folder name or path
// there enters that folder); Return in the folder field goes to the typed folder.
class FileChooser : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Open, Save, Folder };

    FileChooser(QWidget *parent, Mode mode, const QString &title);

    // Filters in the form "name (pattern pattern ...)"; the combo shows the names alone.
    void setFilters(const QStringList &filters, int selected);
    // Shows the folder; a missing one gives the nearest existing folder above it, and a path
    // without any gives the home folder.
    void setFolder(const QString &folder);
    // The name field's text (a name in the path form). In save mode the name without its
    // extension is selected, so that typing replaces it.
    void setName(const QString &name);

    // The shown folder, with its trailing '/'.
    QString folder() const { return folder_; }
    // After the dialog was accepted: the chosen file or folder in the path form.
    QString chosenPath() const { return chosen_; }

    // The mask of a filter "name (p1 p2)": "p1;p2;"; a filter without patterns gives "*;".
    static QString maskOfFilter(const QString &filter);
    // A filter without its pattern part, as the combo shows it.
    static QString nameOfFilter(const QString &filter);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void relist();
    void goUp();
    void enterOrAccept(QListWidgetItem *item);
    void acceptName();
    void acceptFolderField();
    void currentEntryChanged(QListWidgetItem *item);
    // The typed text as a path: relative texts are taken in the shown folder, and a name shown
    // in the list stands for that entry when no entry has the typed text itself.
    QString resolveTyped(const QString &typed) const;

    Mode mode_;
    QString folder_;
    QString mask_ = QStringLiteral("*;");
    QStringList filters_;
    QString chosen_;

    QLineEdit *folderField_;
    QToolButton *upButton_;
    QListWidget *entries_;
    QLineEdit *nameField_ = nullptr;
    QComboBox *types_ = nullptr;
    QLabel *problem_;
    QPushButton *acceptButton_;
    QPushButton *cancelButton_;
};
