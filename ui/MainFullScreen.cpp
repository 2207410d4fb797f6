// The full-screen reading window, opened on the view's present text.
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
    // The view keeps its text apart from the wrapped layout, so the copy carries the text's
    // own line breaks whatever the wrap mode.
    FullScreenSource source{RichEdit->text(),
                            RichEdit->font(),
                            RichEdit->wraps(),
                            SystemColors::toQColor(Settings.ColorText, palette()),
                            SystemColors::toQColor(Settings.ColorBack, palette()),
                            FileNameNow()};
    FullScreenWindow form(std::move(source), this);
    form.exec();
}
