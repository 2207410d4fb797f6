#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <archive.h>

// Archives written for a test with libarchive's own writer.
namespace TestArchives {

struct Item {
    QByteArray name; // stored as these bytes; a name ending in '/' is a folder
    QByteArray data; // of a symbolic link, its target
    // Another kind than the name says: AE_IFLNK, AE_IFCHR (the device 1,5), AE_IFIFO ...
    unsigned type = 0;
};

struct Writing {
    int format = ARCHIVE_FORMAT_ZIP;
    int filter = ARCHIVE_FILTER_NONE;
    const char *options = nullptr;
    const char *passphrase = nullptr;
    // The zip writer sets the UTF-8 flag for non-ASCII names only under a UTF-8 locale.
    const char *locale = "C.UTF-8";
};

// Every member's time.
inline constexpr qint64 kTime = 1700000000;

// Writes the archive; false (and a failed test) when it cannot.
bool write(const QString &path, const Writing &how, const QList<Item> &items);

} // namespace TestArchives
