// The full-screen window, a second view of the shown document, and the settings dialog.
#include "ui/MainWindow.h"

#include "ui/FullScreenWindow.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemColors.h"
#include "ui/widgets/TextView.h"

#include <QAction>

void MainWindow::ActionFullScreenExecute()
{
    // Nothing is copied, and a book keeps its readings.
    FullScreenSource source{&session_->model(),
                            view_->font(),
                            view_->wraps(),
                            SystemColors::toQColor(Settings.ColorText, palette()),
                            SystemColors::toQColor(Settings.ColorBack, palette()),
                            FileNameNow()};
    FullScreenWindow form(std::move(source), this);
    form.exec();
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
    view_->setColors(SystemColors::toQColor(Settings.ColorText, palette()),
                     SystemColors::toQColor(Settings.ColorBack, palette()));
}
