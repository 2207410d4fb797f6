// The settings dialog, and what the main window brings up to date after it.
#include "ui/MainWindow.h"

#include "ui/SettingsDialog.h"
#include "ui/SystemColors.h"
#include "ui/widgets/TextView.h"

#include <QAction>

void MainWindow::connectSettingsDialog()
{
    connect(ActionOpenAppSetDialog, &QAction::triggered, this, &MainWindow::ActionOpenAppSetDialogExecute);
}

void MainWindow::ActionOpenAppSetDialogExecute()
{
    {
        SettingsDialog form({Settings, services_.dialogs, [this] { return MenuDebugAction->isVisible(); },
                          [this] { MenuDebugAction->setVisible(true); }, windowTitle()},
                         this);
        form.exec();
    }
    // Whichever button closed it: the file types, the commands and the view colours follow the record.
    BuildFilterList();
    RefreshViewState();
    RichEdit->setColors(SystemColors::toQColor(Settings.ColorText, palette()),
                        SystemColors::toQColor(Settings.ColorBack, palette()));
}
