// Operations on the viewed file: delete, copy, move, rename with attributes and time.
#include "ui/MainWindow.h"

#include "core/ArchiveFolder.h"
#include "core/BookmarkFile.h"
#include "core/DeleteRules.h"
#include "platform/Dialogs.h"
#include "platform/FileOpMessages.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "resources/ArchiveTexts.h"
#include "resources/CopyMoveTexts.h"
#include "resources/DeleteTexts.h"
#include "ui/AddressBar.h"
#include "ui/CopyMoveDialog.h"
#include "ui/FileSelectionBox.h"
#include "ui/RenameDialog.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>

void MainWindow::connectFileOps()
{
    connect(ActionFileDelete, &QAction::triggered, this, &MainWindow::ActionFileDeleteExecute);
    connect(ActionFileCopy, &QAction::triggered, this, [this] { ActionFileCopyExecute(ActionFileCopy); });
    connect(ActionFileMove, &QAction::triggered, this, [this] { ActionFileCopyExecute(ActionFileMove); });
    connect(ActionFileRename, &QAction::triggered, this, &MainWindow::ActionFileRenameExecute);
}

void MainWindow::stepPastRemovedFile()
{
    PanelDirBars->stepToNextFile();
    PanelDirBars->reread();
    if (FileSystem::fileExists(FileNameNow()))
        PanelDirBars->selectByPath(FileNameNow());
    else
        PanelDirBars->stepToNextFile(); // the removed file was the last entry
}

bool MainWindow::refuseInArchive()
{
    if (!ArchiveFolder::member(FileNameNow()))
        return false;
    services_.dialogs.message(this, ArchiveTexts::kRefused, ArchiveTexts::kCaption, Dialogs::Kind::Notice);
    return true;
}

void MainWindow::ActionFileDeleteExecute()
{
    if (refuseInArchive())
        return;
    const QString path = FileNameNow();
    const DeleteRules::Decision decision = DeleteRules::decide(path, Settings.flagIs(Flag::DeleteWithoutAsking, '1'),
                                                               Settings.flagIs(Flag::DeleteNonText, '1'));
    if (decision.step == DeleteRules::Step::Refuse) {
        services_.dialogs.message(this, DeleteTexts::kSafetyText, DeleteTexts::kSafetyCaption, Dialogs::Kind::Warning);
        return;
    }
    if (decision.step == DeleteRules::Step::Ask
        && services_.dialogs.message(this, decision.question, DeleteTexts::kConfirmCaption, Dialogs::Kind::Confirm)
               != Dialogs::Answer::Yes)
        return;
    const FileOps::Result deleted = FileOps::deleteFile(path);
    if (!deleted.ok()) {
        const FileOpMessages::Message m = FileOpMessages::failure(FileOpMessages::Operation::Delete, deleted);
        services_.dialogs.message(this, m.text, m.caption, m.kind);
        return;
    }
    if (Settings.flagIs(Flag::NoReloadAfterMove, '1'))
        return;
    {
        PanelPathBar->showPath(QString());
    }
    model_->setDocument(std::make_shared<Document>());
    stepPastRemovedFile();
}

QStringList MainWindow::bookmarkPaths() const
{
    QStringList paths;
    for (const Bookmark &record : ReadBookmarkFile(bookmarkPlaces().readFrom, FileSystem::nativeExists))
        paths << record.path;
    return paths;
}

void MainWindow::ActionFileCopyExecute(QObject *sender)
{
    if (sender == ActionFileCopy)
        Settings.setFlag(Flag::CopyMoveMode, QLatin1Char(char(CopyMoveMode::Copy)));
    else if (sender == ActionFileMove)
        Settings.setFlag(Flag::CopyMoveMode, QLatin1Char(char(CopyMoveMode::Move)));
    else
        services_.dialogs.message(this, CopyMoveTexts::kModeBugText, CopyMoveTexts::kModeBugCaption, Dialogs::Kind::Plain);
    const auto mode = CopyMoveMode(Settings.flag(Flag::CopyMoveMode).toLatin1());
    if (mode == CopyMoveMode::Move && refuseInArchive())
        return;
    const QString source = FileNameNow();
    // A member is copied from its bytes, read whole before the dialog opens, off the window's
    // thread: Esc while it is read leaves everything as it was.
    if (mode == CopyMoveMode::Copy && ArchiveFolder::member(source)) {
        readMember(source, [this, source](const Archive::Member &member) {
            openCopyMoveDialog({CopyMoveMode::Copy, source, bookmarkPaths(), std::nullopt, member});
        });
        return;
    }
    // Only the file that was shown is copied or moved, whatever its path leads to now.
    const std::optional<RegularFile::Identity> shown =
        model_->document().source().identity.known() ? std::optional(model_->document().source().identity) : std::nullopt;
    openCopyMoveDialog({mode, source, bookmarkPaths(), shown, std::nullopt});
}

void MainWindow::openCopyMoveDialog(const CopyMoveRequest &request)
{
    const CopyMoveMode mode = request.mode;
    CopyMoveMemory memory{Settings.CopyMoveFolder, CopyMoveChoice, CopyMoveBookmarkIndex,
                          Settings.flag(Flag::NoReloadAfterMove)};
    {
        CopyMoveDialog dialog(services_.dialogs, request, memory, this);
        dialog.exec();
        memory = dialog.memory();
    }
    Settings.CopyMoveFolder = memory.folder;
    CopyMoveChoice = memory.choice;
    CopyMoveBookmarkIndex = memory.bookmarkIndex;
    Settings.setFlag(Flag::NoReloadAfterMove, memory.noReload);

    // Also after the abort button or a declined question, the list moves on.
    if (mode == CopyMoveMode::Move && !Settings.flagIs(Flag::NoReloadAfterMove, '1'))
        stepPastRemovedFile();
}

void MainWindow::ActionFileRenameExecute()
{
    if (refuseInArchive())
        return;
    QString path;
    {
        RenameDialog dialog(services_.dialogs, FileNameNow(), this);
        dialog.exec();
        path = dialog.path();
    }
    Settings.History.FileNameNow = path;
    PanelDirBars->reread();
    // A file that has gone is reported once, by the reload.
    if (FileSystem::fileExists(FileNameNow()))
        PanelDirBars->selectByPath(FileNameNow());
    ActionReLoadExecute();
}
