#include "platform/ProgramFolder.h"

#include "core/PathUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &programFolderOverride()
{
    static QString folder;
    return folder;
}

QString &dataFolderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder()
{
    if (!programFolderOverride().isEmpty())
        return programFolderOverride();
    return PathUtil::withTrailingSlash(QCoreApplication::applicationDirPath());
}

void SetProgramFolderOverride(const QString &folder)
{
    programFolderOverride() = PathUtil::withTrailingSlash(folder);
}

QString ProgramFilePath()
{
    return QCoreApplication::applicationFilePath();
}

QString WorkFolder()
{
    const QString folder = ProgramFolder();
    if (ProgramFolderWritable())
        return folder;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return PathUtil::withTrailingSlash(cache);
}

bool ProgramFolderWritable()
{
    const QFileInfo folder(ProgramFolder());
    return folder.isDir() && folder.isWritable() && folder.permissions().testFlag(QFileDevice::WriteOwner);
}

QString InstalledDataFolder()
{
    if (!dataFolderOverride().isEmpty())
        return dataFolderOverride();
    // The data folder's place relative to the executable's, fixed when the program is built,
    // so an installed tree can be moved to another prefix as a whole.
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                           + QStringLiteral(ORLIMBO_DATA_FROM_BIN));
    return QFileInfo(folder).isDir() ? PathUtil::withTrailingSlash(folder) : QString();
}

void SetInstalledDataFolderOverride(const QString &folder)
{
    dataFolderOverride() = folder.isEmpty() ? QString() : PathUtil::withTrailingSlash(folder);
}

QString ProgramDataFile(const QString &name)
{
    const QString beside = ProgramFolder() + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString data = InstalledDataFolder();
    if (!data.isEmpty() && QFileInfo::exists(data + name))
        return data + name;
    return beside;
}
