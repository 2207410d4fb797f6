#include "platform/Shell.h"

#include <QDesktopServices>
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
