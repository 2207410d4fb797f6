// Handing the viewed file or folder to other programs, printing, and saving the displayed text.
#include "ui/ExternalCommands.h"

#include "core/ArchiveFolder.h"
#include "core/DocumentEncoding.h"
#include "core/FileFilter.h"
#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/SaveFile.h"
#include "platform/Shell.h"
#include "platform/WorkFiles.h"
#include "resources/ExternalTexts.h"
#include "ui/AddressBar.h"
#include "ui/FileSelectionBox.h"
#include "ui/PrintDialog.h"
#include "ui/ReadingSession.h"

#include <QAction>
#include <QApplication>

namespace {
// The parameter prefix that turns an editor's launch into printing.
const QString kPrintSwitch = QStringLiteral("/p ");

// A parameter string "prefix P" as the launched program's arguments: the prefix's switch, then
// the path whole. An empty path is no argument at all.
QStringList launchArguments(const QString &prefix, const QString &path)
{
    QStringList arguments;
    if (!prefix.trimmed().isEmpty())
        arguments << prefix.trimmed();
    if (!path.isEmpty())
        arguments << path;
    return arguments;
}
} // namespace

ExternalCommands::ExternalCommands(Host host, Commands commands, QObject *parent)
    : QObject(parent), host_(std::move(host)), commands_(commands)
{
    connect(commands_.edit, &QAction::triggered, this, [this] { ActionEditExecute(commands_.edit); });
    for (QAction *item : commands_.editors)
        connect(item, &QAction::triggered, this, [this, item] { ActionEditExecute(item); });
    connect(commands_.print, &QAction::triggered, this, &ExternalCommands::ActionPrintExecute);
    connect(commands_.exportAddress, &QAction::triggered, this, &ExternalCommands::ActionExportExecute);
    connect(commands_.saveAs, &QAction::triggered, this, &ExternalCommands::ActionSaveAsExecute);
    connect(commands_.explore, &QAction::triggered, this,
            [this] { host_.shell.explore(host_.box->folder()); });
}

void ExternalCommands::showEditors()
{
    const SettingsRecord &settings = host_.session.settings();
    for (size_t i = 0; i < commands_.editors.size(); ++i) {
        commands_.editors[i]->setText(settings.AppliForEditN[i]);
        if (i > 0)
            commands_.editors[i]->setVisible(!settings.AppliForEdit[i].isEmpty());
    }
}

void ExternalCommands::handOver(const std::function<void(const QString &path)> &start)
{
    const QString file = host_.session.FileNameNow();
    if (!ArchiveFolder::member(file)) {
        start(file);
        return;
    }
    host_.session.readMember(file, [file, start](const Archive::Member &member) {
        start(WorkFiles::writeMemberCopy(WorkFolder(), file, member.bytes).value_or(file));
    });
}

QString ExternalCommands::FindNotepad()
{
    return host_.shell.findTextEditor();
}

bool ExternalCommands::RunNotepad(const QString &prefix, bool verbose)
{
    // Printing goes to the print spooler, which takes the file as it is.
    const bool printing = prefix == kPrintSwitch;
    const QString program = printing ? host_.shell.findPrintSpooler() : FindNotepad();
    if (program.isEmpty()) {
        if (verbose)
            host_.dialogs.message(host_.window, ExternalTexts::kNotepadFailedText,
                                  ExternalTexts::kNotepadFailedCaption, Dialogs::Kind::Failure);
        return false;
    }
    const QString switches = printing ? QString() : prefix;
    handOver([this, program, switches](const QString &path) {
        host_.shell.startProgram(program, launchArguments(switches, path));
    });
    return true;
}

void ExternalCommands::ActionEditExecute(QObject *sender)
{
    int editor = 0;
    if (sender == commands_.editors[3])
        editor = 3;
    else if (sender == commands_.editors[2])
        editor = 2;
    else if (sender == commands_.editors[1])
        editor = 1;
    const QString &program = host_.session.settings().AppliForEdit[size_t(editor)];

    if (program.isEmpty()) {
        if (!RunNotepad(QString(), false))
            host_.dialogs.message(host_.window, ExternalTexts::kNoEditorText, ExternalTexts::kNoEditorCaption,
                                  Dialogs::Kind::Notice);
    } else if (FileSystem::fileExists(program)) {
        handOver([this, program](const QString &path) {
            host_.shell.startProgram(program, launchArguments(QString(), path));
        });
    } else if (host_.dialogs.message(host_.window, ExternalTexts::kEditorMissingText,
                                     ExternalTexts::kEditorMissingCaption, Dialogs::Kind::QuestionAfterFailure)
               == Dialogs::Answer::Yes) {
        RunNotepad(QString(), true);
    }
}

void ExternalCommands::ActionPrintExecute()
{
    const QString file = host_.session.FileNameNow();
    if (!FileSystem::fileOrMemberExists(file) || host_.session.document().store().isEmpty()) {
        host_.dialogs.message(host_.window, ExternalTexts::kNothingToPrintText, ExternalTexts::kNothingToPrintCaption,
                              Dialogs::Kind::Warning);
        return;
    }
    const QString program = host_.session.settings().AppliForPrint;
    PrintDialog::Choice choice;
    {
        PrintDialog form({file, program, host_.dialogs}, host_.window);
        form.exec();
        choice = form.choice();
    }
    if (choice == PrintDialog::Choice::Application) {
        handOver([this, program](const QString &path) {
            host_.shell.startProgram(program, launchArguments(kPrintSwitch, path));
        });
    } else if (choice == PrintDialog::Choice::Notepad) {
        if (!RunNotepad(kPrintSwitch, false))
            host_.dialogs.message(host_.window, ExternalTexts::kNoNotepadForPrintText,
                                  ExternalTexts::kNoNotepadForPrintCaption, Dialogs::Kind::Notice);
    }
}

void ExternalCommands::ActionExportExecute()
{
    const QString address = host_.pathBar->path();
    // Only the lower-case scheme at the very start counts as an address.
    if (!FileSystem::fileExists(address) && !address.startsWith(QLatin1String("http://")))
        return;
    // The desktop's handler takes the document or address alone; the viewed path that went
    // with it as a parameter has no place in that hand-over.
    host_.shell.openDocument(address);
}

void ExternalCommands::ActionSaveAsExecute()
{
    ReadingSession &session = host_.session;
    if (session.document().isEmpty()) {
        host_.dialogs.message(host_.window, ExternalTexts::kNothingToSaveText, ExternalTexts::kSaveCaption,
                              Dialogs::Kind::Warning);
        return;
    }
    if (!session.mayReadThrough())
        return;
    FileSelectionBox *box = host_.box;
    const std::optional<QString> chosen =
        host_.dialogs.saveFile(host_.window, ExternalTexts::kSaveDialogTitle, host_.dialogFolder(),
                               PathUtil::SplitPath(session.FileNameNow(), PathUtil::PathPart::FileName),
                               dialogFilters(box->filterEntries()), box->filterIndex());
    if (!chosen)
        return;
    const DocumentEncoding::Saved saved = session.document().saveForm();
    if (saved.unwritable > 0
        && host_.dialogs.message(host_.window,
                                 ExternalTexts::kUnwritableText.arg(saved.unwritable).arg(saved.firstLine),
                                 ExternalTexts::kUnwritableCaption, Dialogs::Kind::Confirm)
               != Dialogs::Answer::Yes)
        return;
    const FileSystem::WriteResult written = FileSystem::writeFileAtomically(*chosen, saved.bytes);
    if (!written.written) {
        host_.dialogs.message(host_.window, PathForm::displayName(*chosen) + QStringLiteral("\n\n") + written.error,
                              QApplication::applicationDisplayName(), Dialogs::Kind::Failure);
        return;
    }
    session.LoadDocument(*chosen, LoadMode::New, 0);
    if (session.FileNameNow() != *chosen)
        return;
    // The list is read again, so that a new file is listed, and selects the saved file.
    box->openFolder(*chosen);
    box->reread();
    box->showFile(*chosen);
}
