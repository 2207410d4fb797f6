#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Launches of other programs and of the desktop's handlers.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document, folder or address with the desktop's handler.
    virtual void openDocument(const QString &pathOrUrl) = 0;
    // Opens a folder in the desktop's file manager.
    virtual void explore(const QString &folder) = 0;
    // Starts a program detached; each argument is passed as one argument, never split.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
    // The first plain-text editor found on PATH, or empty.
    virtual QString findTextEditor() = 0;
    // The print spooler command found on PATH, or empty.
    virtual QString findPrintSpooler() = 0;
    // Whether the desktop has a program registered to open a document of this file's type.
    virtual bool hasViewerFor(const QString &path) = 0;
};

class DesktopShell : public Shell {
public:
    void openDocument(const QString &pathOrUrl) override;
    void explore(const QString &folder) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    QString findTextEditor() override;
    QString findPrintSpooler() override;
    bool hasViewerFor(const QString &path) override;
};

// A test double that records launches.
class RecordingShell : public Shell {
public:
    struct Launch {
        QString verb; // "open", "explore" or "start"
        QString target;
        QStringList arguments;
    };
    std::vector<Launch> launches;
    QString editor;
    QString spooler;
    bool viewerRegistered = true;

    void openDocument(const QString &pathOrUrl) override { launches.push_back({QStringLiteral("open"), pathOrUrl, {}}); }
    void explore(const QString &folder) override { launches.push_back({QStringLiteral("explore"), folder, {}}); }
    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        launches.push_back({QStringLiteral("start"), program, arguments});
        return true;
    }
    QString findTextEditor() override { return editor; }
    QString findPrintSpooler() override { return spooler; }
    bool hasViewerFor(const QString &) override { return viewerRegistered; }
};
