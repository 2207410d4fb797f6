// The help file, the version dialog and the author's addresses.
#include "ui/Mainunit.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "resources/HelpTexts.h"
#include "ui/HelpWindow.h"
#include "ui/Verinfounit.h"

#include <QAction>

void TForm1::connectHelp()
{
    connect(ActionOpenHelp, &QAction::triggered, this, &TForm1::ActionOpenHelpExecute);
    connect(ActionVerInfo, &QAction::triggered, this, &TForm1::ActionVerInfoExecute);
    connect(ActionVerCheck, &QAction::triggered, this, &TForm1::ActionVerCheckExecute);
    connect(ActionGoMyWebSite, &QAction::triggered, this, &TForm1::ActionGoMySiteExecute);
    connect(ActionSendMail, &QAction::triggered, this, &TForm1::ActionSendMailExecute);
    connect(HelpCannotShow, &QAction::triggered, this, &TForm1::HelpCannotShowClick);
}

void TForm1::ActionOpenHelpExecute()
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

void TForm1::ActionVerInfoExecute()
{
    TVerInfoForm form(services_.dialogs, this);
    form.exec();
}

void TForm1::ActionVerCheckExecute()
{
    services_.shell.openDocument(HelpTexts::kVersionCheckAddress);
}

void TForm1::ActionGoMySiteExecute()
{
    services_.shell.openDocument(HelpTexts::kWebSiteAddress);
}

void TForm1::ActionSendMailExecute()
{
    services_.shell.openDocument(QStringLiteral("mailto:") + HelpTexts::kSupportMail);
}

void TForm1::HelpCannotShowClick()
{
    services_.dialogs.message(this, HelpTexts::kCannotShowText, HelpTexts::kCannotShowCaption,
                              Dialogs::Kind::Notice);
}
