// The full-screen reading window, a second view of the shown document.
#include "ui/MainWindow.h"

#include "ui/FullScreenWindow.h"
#include "ui/SystemColors.h"
#include "ui/widgets/TextView.h"

#include <QAction>

void MainWindow::connectFullScreen()
{
    connect(ActionFullScreen, &QAction::triggered, this, &MainWindow::ActionFullScreenExecute);
}

void MainWindow::ActionFullScreenExecute()
{
    // A second view of the shown document: nothing is copied, and a book keeps its readings.
    FullScreenSource source{model_,
                            RichEdit->font(),
                            RichEdit->wraps(),
                            SystemColors::toQColor(Settings.ColorText, palette()),
                            SystemColors::toQColor(Settings.ColorBack, palette()),
                            FileNameNow()};
    FullScreenWindow form(std::move(source), this);
    form.exec();
}
