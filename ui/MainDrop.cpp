// Files and folders dropped on the window.
#include "ui/MainWindow.h"

#include "core/PathForm.h"
#include "platform/FileSystem.h"
#include "resources/MainTexts.h"
#include "ui/FileSelectionBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// The local paths of the dropped entries, in the path form, in the order given. A URL carries
// the name's own bytes, so a name that is not UTF-8 is reached as it is.
QStringList droppedPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths << PathForm::fromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    }
    return paths;
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    const QString &first = paths.front();
    // A dropped archive is entered like a dropped folder.
    if (FileSystem::fileExists(first) && !FileSystem::walkableFolderExists(first)) {
        session_->LoadDocument(first, LoadMode::New, 0);
        session_->showInListWhenLoaded();
    } else if (FileSystem::walkableFolderExists(first)) {
        PanelDirBars->openFolder(first);
    }
    // One file is shown at a time: the others are left, and the user is told so.
    if (paths.size() > 1)
        noteUntilNextKey(MainTexts::droppedRestIgnoredText(int(paths.size() - 1)));
}
