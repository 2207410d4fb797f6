#include "tests/support/TestFiles.h"

#include <QFile>

#include <gtest/gtest.h>

namespace TestFiles {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
    if (!written)
        ADD_FAILURE() << "cannot write " << qPrintable(path) << ": " << qPrintable(file.errorString());
    return written;
}

} // namespace TestFiles
