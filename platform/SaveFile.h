#pragma once

#include <QByteArray>
#include <QString>

namespace FileSystem {

struct WriteResult {
    bool written = false;
    QString error; // the platform's text when writing failed
};

// Writes `bytes` as the whole content of `path`, creating or replacing it. The bytes go to a
// temporary file beside it that is then renamed over it, so a failed write leaves the file it
// was to replace as it was. A read-only file is refused.
WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace FileSystem
