// The settings dialog, and what the main window brings up to date after it.
#include "ui/Mainunit.h"

#include "ui/Appsetunit.h"
#include "ui/SystemColors.h"
#include "ui/widgets/TextView.h"

#include <QAction>

void TForm1::connectSettingsDialog()
{
    connect(ActionOpenAppSetDialog, &QAction::triggered, this, &TForm1::ActionOpenAppSetDialogExecute);
}

void TForm1::ActionOpenAppSetDialogExecute()
{
    {
        TAppSetForm form({Settings, services_.dialogs, [this] { return MenuDebugAction->isVisible(); },
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
