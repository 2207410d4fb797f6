#include "platform/Shell.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

QUrl toUrl(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(pathOrUrl);
}

} // namespace

void DesktopShell::openDocument(const QString &pathOrUrl)
{
    QDesktopServices::openUrl(toUrl(pathOrUrl));
}

void DesktopShell::explore(const QString &folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool DesktopShell::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

QString DesktopShell::findTextEditor()
{
    static const char *const editors[] = {"mousepad", "gedit", "gnome-text-editor", "kate", "kwrite",
                                          "featherpad", "pluma", "xed", "leafpad", "geany"};
    for (const char *name : editors) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString DesktopShell::findPrintSpooler()
{
    return QStandardPaths::findExecutable(QStringLiteral("lp"));
}

bool DesktopShell::hasViewerFor(const QString &path)
{
    // xdg-open hands a document to the default application of its type; without one it
    // fails quietly, so ask the same database beforehand.
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return false;
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitCode() == 0 && !process.readAllStandardOutput().trimmed().isEmpty();
}
