#pragma once

#include <QByteArray>
#include <QString>

// Whole files read and written in one call, for setting up and checking what a test leaves on disk.
namespace TestFiles {

// The bytes of the file, or "<missing>" when it cannot be read, so that a comparison shows why.
QByteArray contents(const QString &path);

// Makes path a file of exactly these bytes; when it cannot, the running test fails and this
// gives false.
bool write(const QString &path, const QByteArray &bytes);

} // namespace TestFiles
