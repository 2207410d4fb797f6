#pragma once

#include <QByteArray>
#include <QString>

namespace FileSystem {

struct WriteResult {
    bool written = false;
    int errorCode = 0; // errno when writing failed
    QString error;     // its text, from the one table of causes
};

// Writes `bytes` as the whole content of `path`, creating or replacing it. The bytes go to a
// temporary file beside it that is then renamed over it, so a failed write leaves the file it
// was to replace as it was. A read-only file is refused. A link is written through: the file it
// names is replaced and the link stays.
WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace FileSystem
