#pragma once

#include "core/FileFilter.h"
#include "core/SettingsRecord.h"

#include <QKeySequence>
#include <QList>
#include <QSet>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class DriveComboBox;
class DirectoryListBox;
class FilterComboBox;
class FileListBox;

// The file-selection box: title, layout buttons, drive, folder, file-type and file lists.
// It owns its controls, their layouts and the walk through the folders: it tells the window
// which file the user chose and takes the folder or file to show.
class FileSelectionBox : public QWidget {
    Q_OBJECT
public:
    explicit FileSelectionBox(QWidget *parent = nullptr);

    // The width every start begins with, and the one a shown box falls back to.
    static constexpr int kDesignedWidth = 169;

    // Applies the layout of the pressed button and returns it.
    FileBoxLayout BtnFileSelBoxCompClick();
    // Presses the button of a layout; a character that names none presses Complete.
    void pressLayout(FileBoxLayout layout);
    // Title colours for the focus being inside the box or not.
    void setTitleActive(bool active);
    bool titleActive() const { return titleActive_; }

    // The folder shown at start, before any file.
    void startIn(const QString &folder);
    // Shows the folder of a path (a folder, or a file's folder); a missing folder changes nothing.
    void openFolder(const QString &path);
    // Shows and selects a file, or applies a name with wildcards as the list's mask. A file the
    // mask leaves out is listed alone; a missing one is reported through fileNotFound.
    void selectByPath(const QString &path);
    // Selects the file the window already shows, without asking for it again.
    void showFile(const QString &path);
    // Whether the box is following the file shown (showFile) rather than the reader.
    bool followingShownFile() const { return syncing_; }
    QString folder() const;
    // The path of the file the list selects: the file shown, or one chosen and not shown.
    QString selectedFile() const;
    // The files the list shows, in its order and under its mask.
    QStringList listedFiles() const;
    // Re-reads the files of the shown folder.
    void reread();
    // How the folder and file lists order their names; a change re-reads them.
    void setNameOrder(NameOrder order);
    // Re-reads the roots, the folder tree and the files.
    void refresh();
    // Steps to the next listed file as the Down key does, and chooses it before this returns.
    void stepToNextFile();
    void focusList();

    // The file types: returns false, keeping the choice, when the entries cannot be taken.
    bool setFilterEntries(const std::vector<FilterEntry> &entries);
    const std::vector<FilterEntry> &filterEntries() const;
    int filterIndex() const;
    void chooseFilter(int index);

    // What Ctrl+C copies while the focus is in one of the lists: the file's path, the folder
    // or the root; none while it is elsewhere.
    std::optional<QString> copiedText() const;
    // The menus the file and folder lists open on a right click.
    void setMenus(QMenu *fileMenu, QMenu *folderMenu);
    // Keys the lists leave unclaimed so that the window's commands get them.
    void leaveKeysToWindow(const QList<QKeySequence> &keys);
    void setHintDuration(int ms);
    // Asked before the box enters a folder or selects a file, with the path and the step
    // itself: returning true, it takes the step over and runs it later (or never). The window
    // reads an archive's listing off its own thread this way.
    using StepFirst = std::function<bool(const QString &path, std::function<void()> step)>;
    void setStepFirst(StepFirst stepFirst) { stepFirst_ = std::move(stepFirst); }

signals:
    void fileChosen(const QString &path);
    void folderOpened(const QString &folder);
    void fileNotFound(const QString &path);
    // Space in the lists pages the view; Shift+Space pages back.
    void pageRequested(bool back);
    // The focus came into the box.
    void entered();
    void closeClicked();
    void layoutButtonClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusMoved(QWidget *now);
    // The archives the folder list shows, which the file list leaves out.
    QSet<QString> archivesHere() const;

    QWidget *PanelTitleOnDirBars;
    QLabel *TitleLabel;
    QToolButton *BtnCloseFileSelectBox;
    QWidget *PanelDirBarsBtns;
    QToolButton *BtnFileSelBoxComp;
    QToolButton *BtnFileSelBoxBig;
    QToolButton *BtnFileSelBoxAll;
    QWidget *PanelDirBarsDrive;
    DriveComboBox *DriveComboBox1;
    QWidget *PanelDirBarsFolder;
    DirectoryListBox *DirectoryListBox1;
    QSplitter *SplitterBox;
    QWidget *PanelDirBarsFilter;
    FilterComboBox *FilterComboBox1;
    QWidget *PanelDirBarsFile;
    FileListBox *FileListBox1;
    QList<QKeySequence> windowKeys_;
    StepFirst stepFirst_;
    // Set while the box selects the file the window already shows, so that it is not chosen again.
    bool syncing_ = false;
    bool titleActive_ = false;
};
