#pragma once

#include "core/SettingsRecord.h"

#include <QWidget>

class QLabel;
class QSplitter;
class QToolButton;
class DriveComboBox;
class DirectoryListBox;
class FilterComboBox;
class FileListBox;

// The file-selection box: title, layout buttons, drive, folder, file-type and file lists.
// It owns its controls and their layouts; the main window drives what they show.
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

signals:
    void titleClicked();
    void closeClicked();
    void layoutButtonClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool titleActive_ = false;
};
