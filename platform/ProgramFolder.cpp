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
    if (QFileInfo(folder).isWritable())
        return folder;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return PathUtil::withTrailingSlash(cache);
}
