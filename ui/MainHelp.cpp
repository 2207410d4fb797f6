// The help file, the version dialog and the author's addresses.
#include "ui/MainWindow.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "resources/HelpTexts.h"
#include "ui/HelpWindow.h"
#include "ui/VersionDialog.h"

#include <QAction>

void MainWindow::connectHelp()
{
    connect(ActionOpenHelp, &QAction::triggered, this, &MainWindow::ActionOpenHelpExecute);
    connect(ActionVerInfo, &QAction::triggered, this, &MainWindow::ActionVerInfoExecute);
    connect(ActionVerCheck, &QAction::triggered, this, &MainWindow::ActionVerCheckExecute);
    connect(ActionGoMyWebSite, &QAction::triggered, this, &MainWindow::ActionGoMySiteExecute);
    connect(ActionSendMail, &QAction::triggered, this, &MainWindow::ActionSendMailExecute);
    connect(HelpCannotShow, &QAction::triggered, this, &MainWindow::HelpCannotShowClick);
}

void MainWindow::ActionOpenHelpExecute()
{
    const QString path = ProgramDataFile(HelpTexts::kHelpFileName);
    if (!FileSystem::fileExists(path)) {
        services_.dialogs.message(this, HelpTexts::kHelpMissingText, HelpTexts::kHelpMissingCaption,
                                  Dialogs::Kind::Warning);
        return;
    }
    if (services_.shell.hasViewerFor(path)) {
        services_.shell.openDocument(path);
        return;
    }
    // No viewer for the compiled file on this desktop: the same pages in a window of ours.
    auto *window = findChild<HelpWindow *>();
    if (!window)
        window = new HelpWindow(this);
    window->showContents();
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::ActionVerInfoExecute()
{
    VersionDialog form(services_.dialogs, this);
    form.exec();
}

void MainWindow::ActionVerCheckExecute()
{
    services_.shell.openDocument(HelpTexts::kVersionCheckAddress);
}

void MainWindow::ActionGoMySiteExecute()
{
    services_.shell.openDocument(HelpTexts::kWebSiteAddress);
}

void MainWindow::ActionSendMailExecute()
{
    services_.shell.openDocument(QStringLiteral("mailto:") + HelpTexts::kSupportMail);
}

void MainWindow::HelpCannotShowClick()
{
    services_.dialogs.message(this, HelpTexts::kCannotShowText, HelpTexts::kCannotShowCaption,
                              Dialogs::Kind::Notice);
}
