// Operations on the viewed file: delete, copy, move, rename with attributes and time.
#include "ui/FileCommands.h"

#include "core/ArchiveFolder.h"
#include "core/DeleteRules.h"
#include "platform/Dialogs.h"
#include "platform/FileOpMessages.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "resources/ArchiveTexts.h"
#include "resources/CopyMoveTexts.h"
#include "resources/DeleteTexts.h"
#include "ui/AddressBar.h"
#include "ui/CopyMoveDialog.h"
#include "ui/FileSelectionBox.h"
#include "ui/ReadingSession.h"
#include "ui/RenameDialog.h"

#include <QAction>

FileCommands::FileCommands(Host host, QObject *parent) : QObject(parent), host_(std::move(host))
{
    connect(host_.remove, &QAction::triggered, this, &FileCommands::ActionFileDeleteExecute);
    connect(host_.copy, &QAction::triggered, this, [this] { ActionFileCopyExecute(host_.copy); });
    connect(host_.move, &QAction::triggered, this, [this] { ActionFileCopyExecute(host_.move); });
    connect(host_.rename, &QAction::triggered, this, &FileCommands::ActionFileRenameExecute);
}

void FileCommands::stepPastRemovedFile()
{
    FileSelectionBox *box = host_.box;
    box->stepToNextFile();
    box->reread();
    if (FileSystem::fileExists(host_.session.FileNameNow()))
        box->selectByPath(host_.session.FileNameNow());
    else
        box->stepToNextFile(); // the removed file was the last entry
}

bool FileCommands::refuseInArchive()
{
    if (!ArchiveFolder::member(host_.session.FileNameNow()))
        return false;
    host_.dialogs.message(host_.window, ArchiveTexts::kRefused, ArchiveTexts::kCaption, Dialogs::Kind::Notice);
    return true;
}

void FileCommands::ActionFileDeleteExecute()
{
    if (refuseInArchive())
        return;
    SettingsRecord &settings = host_.session.settings();
    const QString path = host_.session.FileNameNow();
    const DeleteRules::Decision decision = DeleteRules::decide(path, settings.flagIs(Flag::DeleteWithoutAsking, '1'),
                                                               settings.flagIs(Flag::DeleteNonText, '1'));
    if (decision.step == DeleteRules::Step::Refuse) {
        host_.dialogs.message(host_.window, DeleteTexts::kSafetyText, DeleteTexts::kSafetyCaption,
                              Dialogs::Kind::Warning);
        return;
    }
    if (decision.step == DeleteRules::Step::Ask
        && host_.dialogs.message(host_.window, decision.question, DeleteTexts::kConfirmCaption, Dialogs::Kind::Confirm)
               != Dialogs::Answer::Yes)
        return;
    const FileOps::Result deleted = FileOps::deleteFile(path);
    if (!deleted.ok()) {
        const FileOpMessages::Message m = FileOpMessages::failure(FileOpMessages::Operation::Delete, deleted);
        host_.dialogs.message(host_.window, m.text, m.caption, m.kind);
        return;
    }
    if (settings.flagIs(Flag::NoReloadAfterMove, '1'))
        return;
    host_.pathBar->showPath(QString());
    host_.session.model().setDocument(std::make_shared<Document>());
    stepPastRemovedFile();
}

void FileCommands::ActionFileCopyExecute(QObject *sender)
{
    SettingsRecord &settings = host_.session.settings();
    if (sender == host_.copy)
        settings.setFlag(Flag::CopyMoveMode, QLatin1Char(char(CopyMoveMode::Copy)));
    else if (sender == host_.move)
        settings.setFlag(Flag::CopyMoveMode, QLatin1Char(char(CopyMoveMode::Move)));
    else
        host_.dialogs.message(host_.window, CopyMoveTexts::kModeBugText, CopyMoveTexts::kModeBugCaption,
                              Dialogs::Kind::Plain);
    const auto mode = CopyMoveMode(settings.flag(Flag::CopyMoveMode).toLatin1());
    if (mode == CopyMoveMode::Move && refuseInArchive())
        return;
    const QString source = host_.session.FileNameNow();
    // A member is copied from its bytes, read whole before the dialog opens, off the window's
    // thread: Esc while it is read leaves everything as it was.
    if (mode == CopyMoveMode::Copy && ArchiveFolder::member(source)) {
        host_.session.readMember(source, [this, source](const Archive::Member &member) {
            openCopyMoveDialog({CopyMoveMode::Copy, source, host_.bookmarkPaths(), std::nullopt, member});
        });
        return;
    }
    // Only the file that was shown is copied or moved, whatever its path leads to now.
    const RegularFile::Identity &identity = host_.session.document().source().identity;
    const std::optional<RegularFile::Identity> shown = identity.known() ? std::optional(identity) : std::nullopt;
    openCopyMoveDialog({mode, source, host_.bookmarkPaths(), shown, std::nullopt});
}

void FileCommands::openCopyMoveDialog(const CopyMoveRequest &request)
{
    SettingsRecord &settings = host_.session.settings();
    const CopyMoveMode mode = request.mode;
    CopyMoveMemory memory{settings.CopyMoveFolder, CopyMoveChoice, CopyMoveBookmarkIndex,
                          settings.flag(Flag::NoReloadAfterMove)};
    {
        CopyMoveDialog dialog(host_.dialogs, request, memory, host_.window);
        dialog.exec();
        memory = dialog.memory();
    }
    settings.CopyMoveFolder = memory.folder;
    CopyMoveChoice = memory.choice;
    CopyMoveBookmarkIndex = memory.bookmarkIndex;
    settings.setFlag(Flag::NoReloadAfterMove, memory.noReload);

    // Also after the abort button or a declined question, the list moves on.
    if (mode == CopyMoveMode::Move && !settings.flagIs(Flag::NoReloadAfterMove, '1'))
        stepPastRemovedFile();
}

void FileCommands::ActionFileRenameExecute()
{
    if (refuseInArchive())
        return;
    QString path;
    {
        RenameDialog dialog(host_.dialogs, host_.session.FileNameNow(), host_.window);
        dialog.exec();
        path = dialog.path();
    }
    host_.session.settings().History.FileNameNow = path;
    host_.box->reread();
    // A file that has gone is reported once, by the reload.
    if (FileSystem::fileExists(host_.session.FileNameNow()))
        host_.box->selectByPath(host_.session.FileNameNow());
    host_.reload();
}
