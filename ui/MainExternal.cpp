// Handing the viewed file or folder to other programs, printing, and saving the displayed text.
#include "ui/MainWindow.h"

#include "core/ArchiveFolder.h"
#include "core/FileFilter.h"
#include "core/DocumentEncoding.h"
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
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolButton>

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

void MainWindow::connectExternal()
{
    connect(ActionEdit, &QAction::triggered, this, [this] { ActionEditExecute(ActionEdit); });
    for (QAction *item : PopupEditor)
        connect(item, &QAction::triggered, this, [this, item] { ActionEditExecute(item); });
    // The editor menu is also the edit button's right-click menu, drop-down or not.
    ToolButton10->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ToolButton10, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenuEditor->popup(ToolButton10->mapToGlobal(pos)); });
    connect(ActionPrint, &QAction::triggered, this, &MainWindow::ActionPrintExecute);
    connect(ActionExport, &QAction::triggered, this, &MainWindow::ActionExportExecute);
    connect(ActionSaveAs, &QAction::triggered, this, &MainWindow::ActionSaveAsExecute);
    connect(ActionFolderExplorer, &QAction::triggered, this, &MainWindow::ActionFolderExplorerExecute);
}

void MainWindow::handOver(const std::function<void(const QString &path)> &start)
{
    const QString file = FileNameNow();
    if (!ArchiveFolder::member(file)) {
        start(file);
        return;
    }
    readMember(file, [file, start](const Archive::Member &member) {
        start(WorkFiles::writeMemberCopy(WorkFolder(), file, member.bytes).value_or(file));
    });
}

QString MainWindow::FindNotepad()
{
    return services_.shell.findTextEditor();
}

bool MainWindow::RunNotepad(const QString &prefix, bool verbose)
{
    // Printing goes to the print spooler, which takes the file as it is.
    const bool printing = prefix == kPrintSwitch;
    const QString program = printing ? services_.shell.findPrintSpooler() : FindNotepad();
    if (program.isEmpty()) {
        if (verbose)
            services_.dialogs.message(this, ExternalTexts::kNotepadFailedText, ExternalTexts::kNotepadFailedCaption,
                                      Dialogs::Kind::Failure);
        return false;
    }
    const QString switches = printing ? QString() : prefix;
    handOver([this, program, switches](const QString &path) {
        services_.shell.startProgram(program, launchArguments(switches, path));
    });
    return true;
}

void MainWindow::ActionEditExecute(QObject *sender)
{
    int editor = 0;
    if (sender == PopupEditor[3])
        editor = 3;
    else if (sender == PopupEditor[2])
        editor = 2;
    else if (sender == PopupEditor[1])
        editor = 1;
    const QString &program = Settings.AppliForEdit[editor];

    if (program.isEmpty()) {
        if (!RunNotepad(QString(), false))
            services_.dialogs.message(this, ExternalTexts::kNoEditorText, ExternalTexts::kNoEditorCaption,
                                      Dialogs::Kind::Notice);
    } else if (FileSystem::fileExists(program)) {
        handOver([this, program](const QString &path) {
            services_.shell.startProgram(program, launchArguments(QString(), path));
        });
    } else if (services_.dialogs.message(this, ExternalTexts::kEditorMissingText, ExternalTexts::kEditorMissingCaption,
                                         Dialogs::Kind::QuestionAfterFailure)
               == Dialogs::Answer::Yes) {
        RunNotepad(QString(), true);
    }
}

void MainWindow::ActionPrintExecute()
{
    const QString file = FileNameNow();
    if (!FileSystem::fileOrMemberExists(file) || RichEdit->isEmpty()) {
        services_.dialogs.message(this, ExternalTexts::kNothingToPrintText, ExternalTexts::kNothingToPrintCaption,
                                  Dialogs::Kind::Warning);
        return;
    }
    PrintDialog::Choice choice;
    {
        PrintDialog form({file, Settings.AppliForPrint, services_.dialogs}, this);
        form.exec();
        choice = form.choice();
    }
    if (choice == PrintDialog::Choice::Application) {
        handOver([this, program = Settings.AppliForPrint](const QString &path) {
            services_.shell.startProgram(program, launchArguments(kPrintSwitch, path));
        });
    } else if (choice == PrintDialog::Choice::Notepad) {
        if (!RunNotepad(kPrintSwitch, false))
            services_.dialogs.message(this, ExternalTexts::kNoNotepadForPrintText,
                                      ExternalTexts::kNoNotepadForPrintCaption, Dialogs::Kind::Notice);
    }
}

void MainWindow::ActionExportExecute()
{
    const QString address = PanelPathBar->path();
    // Only the lower-case scheme at the very start counts as an address.
    if (!FileSystem::fileExists(address) && !address.startsWith(QLatin1String("http://")))
        return;
    // The desktop's handler takes the document or address alone; the viewed path that went
    // with it as a parameter has no place in that hand-over.
    services_.shell.openDocument(address);
}

void MainWindow::ActionFolderExplorerExecute()
{
    services_.shell.explore(PanelDirBars->folder());
}

void MainWindow::ActionSaveAsExecute()
{
    if (model_->document().isEmpty()) {
        services_.dialogs.message(this, ExternalTexts::kNothingToSaveText, ExternalTexts::kSaveCaption,
                                  Dialogs::Kind::Warning);
        return;
    }
    const std::optional<QString> chosen =
        services_.dialogs.saveFile(this, ExternalTexts::kSaveDialogTitle, dialogFolder(),
                                   PathUtil::SplitPath(FileNameNow(), PathUtil::PathPart::FileName),
                                   dialogFilters(PanelDirBars->filterEntries()), PanelDirBars->filterIndex());
    if (!chosen)
        return;
    const DocumentEncoding::Saved saved = model_->document().saveForm();
    if (saved.unwritable > 0
        && services_.dialogs.message(this,
                                     ExternalTexts::kUnwritableText.arg(saved.unwritable).arg(saved.firstLine),
                                     ExternalTexts::kUnwritableCaption, Dialogs::Kind::Confirm)
               != Dialogs::Answer::Yes)
        return;
    const FileSystem::WriteResult written = FileSystem::writeFileAtomically(*chosen, saved.bytes);
    if (!written.written) {
        services_.dialogs.message(this, PathForm::displayName(*chosen) + QStringLiteral("\n\n") + written.error,
                                  QApplication::applicationDisplayName(), Dialogs::Kind::Failure);
        return;
    }
    LoadDocument(*chosen, LoadMode::New, 0);
    if (FileNameNow() != *chosen)
        return;
    // The list is read again, so that a new file is listed, and selects the saved file.
    PanelDirBars->openFolder(*chosen);
    PanelDirBars->reread();
    PanelDirBars->showFile(*chosen);
}
