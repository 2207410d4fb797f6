#include "platform/Shell.h"

#include "core/PathForm.h"

#include <QDesktopServices>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// A file address by the file's own bytes, which QUrl keeps percent-encoded where they are no
// UTF-8.
QUrl fileUrl(const QString &path)
{
    if (PathForm::isPlain(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + PathForm::toNative(path).toPercentEncoding("/"));
}

// QProcess::startDetached for arguments Qt cannot pass: each one as its native bytes. The
// program runs in a grandchild of its own session, as QProcess detaches it; a failed exec is
// reported back through a pipe that a successful one closes.
bool startDetachedNative(const QString &program, const QStringList &arguments)
{
    const QByteArray executable = QFile::encodeName(QStandardPaths::findExecutable(program));
    if (executable.isEmpty())
        return false;
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        bytes.push_back(PathForm::toNative(argument));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) {
            ::execv(executable.constData(), argv.data());
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(report[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    if (child > 0) {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    int error = 0;
    ssize_t n = 0;
    do
        n = ::read(report[0], &error, sizeof error);
    while (n < 0 && errno == EINTR);
    ::close(report[0]);
    return child > 0 && n == 0;
}

QUrl toUrl(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return url;
    return fileUrl(pathOrUrl);
}

} // namespace

void DesktopShell::openDocument(const QString &pathOrUrl)
{
    QDesktopServices::openUrl(toUrl(pathOrUrl));
}

void DesktopShell::explore(const QString &folder)
{
    QDesktopServices::openUrl(fileUrl(folder));
}

bool DesktopShell::startProgram(const QString &program, const QStringList &arguments)
{
    const bool plain = std::all_of(arguments.begin(), arguments.end(), PathForm::isPlain);
    return plain ? QProcess::startDetached(program, arguments) : startDetachedNative(program, arguments);
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
