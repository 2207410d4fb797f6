// The address bar and the reload command.
#include "ui/MainWindow.h"

#include "core/ArchiveFolder.h"
#include "core/FileFilter.h"
#include "core/PathUtil.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/FileSelectionBox.h"

#include <QAction>
#include <QComboBox>
#include <QDir>

void MainWindow::connectAddressBar()
{
    connect(PanelPathBar, &AddressBar::pathEntered, this, &MainWindow::FilePathBoxChange);
    connect(PanelPathBar, &AddressBar::pageRequested, this, &MainWindow::pageView);
    connect(ActionReLoad, &QAction::triggered, this, &MainWindow::ActionReLoadExecute);
    connect(ActionFileOpen, &QAction::triggered, this, &MainWindow::ActionFileOpenExecute);
    connect(ActionFolderOpen, &QAction::triggered, this, &MainWindow::ActionFolderOpenExecute);
}

QString MainWindow::dialogFolder() const
{
    const QString file = FileNameNow();
    const QString folder = PathUtil::SplitPath(file, PathUtil::PathPart::Folder);
    if (!file.isEmpty() && FileSystem::folderExists(folder))
        return folder;
    // The dialogs cannot look inside an archive: they start beside it.
    for (const QString &path : {folder, PanelDirBars->folder()}) {
        if (const std::optional<Archive::SplitPath> where = ArchiveFolder::locate(path))
            return PathUtil::SplitPath(where->archive, PathUtil::PathPart::Folder);
    }
    return PanelDirBars->folder();
}

void MainWindow::ActionFileOpenExecute()
{
    const std::vector<FilterEntry> entries = filterEntries(Settings);
    const std::optional<QString> chosen =
        services_.dialogs.openFile(this, MainTexts::kFileOpenTitle, dialogFolder(), dialogFilters(entries), 0);
    if (!chosen)
        return;
    PanelDirBars->openFolder(*chosen);
    // An archive chosen is entered, as from the address bar: the file list has no place for it.
    if (!FileSystem::walkableFolderExists(*chosen))
        PanelDirBars->selectByPath(*chosen);
}

void MainWindow::ActionFolderOpenExecute()
{
    const std::optional<QString> folder =
        services_.dialogs.chooseFolder(this, MainTexts::kFolderOpenTitle, dialogFolder());
    if (folder)
        PanelDirBars->openFolder(*folder);
}

void MainWindow::FilePathBoxChange(const QString &typed)
{
    QString path = typed;
    if (!path.isEmpty() && !QDir::isAbsolutePath(path) && !path.startsWith(QLatin1String("about:"))
        && !path.contains(QLatin1String("://")))
        path = PanelDirBars->folder() + path;
    session_->supersede();
    if (session_->listFirst(path, [this, typed] { FilePathBoxChange(typed); }))
        return;
    using Kind = FileSystem::Target::Kind;
    const QString file = QDir::cleanPath(path);
    const Kind kind = FileSystem::target(file).kind;
    // What the list never shows, and a file it still selects though it was not shown, are asked
    // for directly rather than selected: each time they are refused, the reader is told why.
    const bool askDirectly =
        kind == Kind::Refused || (kind != Kind::Nothing && file == PanelDirBars->selectedFile() && file != FileNameNow());
    // An archive is walked into like a folder rather than shown as a file.
    if (FileSystem::walkableFolderExists(path))
        PanelDirBars->openFolder(path);
    else if (askDirectly)
        session_->LoadDocument(file, LoadMode::New, 0);
    else if (kind != Kind::Nothing)
        PanelDirBars->selectByPath(file);
    if (typed.startsWith(QLatin1String("about:")) && typed.size() > 8) {
        ActionExport->setEnabled(false);
        if (typed[8] == QLatin1Char('1'))
            services_.dialogs.message(this, MainTexts::kAboutText, MainTexts::kAboutCaption, Dialogs::Kind::Notice);
    }
}

void MainWindow::ActionReLoadExecute()
{
    // An archive changed on disk is listed anew before the box and the file are read again.
    const auto again = [this] { ActionReLoadExecute(); };
    if (session_->listFirst(PanelDirBars->folder(), again) || session_->listFirst(FileNameNow(), again))
        return;
    // The re-read list has no selection: its change handler refreshes the window state, which
    // also clears the effect marks of a file that has gone.
    PanelDirBars->refresh();
    const QString file = FileNameNow();
    if (FileSystem::fileOrMemberExists(file)) {
        session_->LoadDocument(file, LoadMode::Reload, 0);
        PanelDirBars->showFile(file);
    } else {
        services_.dialogs.message(this, MainTexts::kReloadMissingText, MainTexts::kReloadMissingCaption,
                                  Dialogs::Kind::Failure);
    }
}

void MainWindow::reopenLastFile()
{
    ActionReLoadExecute();
    PanelPathBar->enterPath(PanelPathBar->path());
}
