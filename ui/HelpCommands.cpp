// The help file, the version dialog and the author's addresses.
#include "ui/HelpCommands.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "resources/HelpTexts.h"
#include "ui/HelpWindow.h"
#include "ui/VersionDialog.h"

#include <QAction>

HelpCommands::HelpCommands(Host host, Commands commands, QObject *parent) : QObject(parent), host_(host)
{
    connect(commands.help, &QAction::triggered, this, &HelpCommands::ActionOpenHelpExecute);
    connect(commands.version, &QAction::triggered, this, &HelpCommands::ActionVerInfoExecute);
    connect(commands.versionCheck, &QAction::triggered, this,
            [this] { host_.shell.openDocument(HelpTexts::kVersionCheckAddress); });
    connect(commands.webSite, &QAction::triggered, this,
            [this] { host_.shell.openDocument(HelpTexts::kWebSiteAddress); });
    connect(commands.mail, &QAction::triggered, this,
            [this] { host_.shell.openDocument(QStringLiteral("mailto:") + HelpTexts::kSupportMail); });
    connect(commands.cannotShow, &QAction::triggered, this, [this] {
        host_.dialogs.message(host_.window, HelpTexts::kCannotShowText, HelpTexts::kCannotShowCaption,
                              Dialogs::Kind::Notice);
    });
}

void HelpCommands::ActionOpenHelpExecute()
{
    const QString path = ProgramDataFile(HelpTexts::kHelpFileName);
    if (!FileSystem::fileExists(path)) {
        host_.dialogs.message(host_.window, HelpTexts::kHelpMissingText, HelpTexts::kHelpMissingCaption,
                              Dialogs::Kind::Warning);
        return;
    }
    if (host_.shell.hasViewerFor(path)) {
        host_.shell.openDocument(path);
        return;
    }
    // No viewer for the compiled file on this desktop: the same pages in a window of ours.
    auto *window = host_.window->findChild<HelpWindow *>();
    if (!window)
        window = new HelpWindow(host_.window);
    window->showContents();
    window->show();
    window->raise();
    window->activateWindow();
}

void HelpCommands::ActionVerInfoExecute()
{
    VersionDialog form(host_.dialogs, host_.window);
    form.exec();
}
