#include "platform/SaveFile.h"

#include "platform/FileSystem.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace FileSystem {

WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    // Refused by the permission bit itself, which root's access rights would pass over.
    if (IsReadOnlyFile(path))
        return {false, QString::fromLocal8Bit(std::strerror(EACCES))};
    QSaveFile file(path);
    // Writing in place would lose the old content on failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace FileSystem
