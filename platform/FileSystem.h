#pragma once

#include "core/Archive.h"
#include "core/RegularFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The file system as the program needs it. Paths are compared exactly.
namespace FileSystem {

// A regular file (or a link to one); a folder is no file.
bool fileExists(const QString &path);
bool folderExists(const QString &path);
// A regular file, or a file inside an archive walked as a folder (core/ArchiveFolder.h).
bool fileOrMemberExists(const QString &path);
// A folder, an archive, or a folder inside one: what the file-selection box can walk into.
bool walkableFolderExists(const QString &path);
// Something other than a folder is there, links followed: a file, a FIFO, a device, a socket.
bool existsAsNonFolder(const QString &path);

// What a path the reader asks to see names, told from the file system and the listings of
// the archives (read first: ReadingSession::listFirst) with nothing read from the file itself.
struct Target {
    enum class Kind {
        Nothing, // nothing there, or a folder (an archive among them)
        File,    // a regular file, or a link to one
        Member,  // a file inside an archive
        Refused, // something that is never read; the reason is below
    };
    Kind kind = Kind::Nothing;
    // Refused on the disk: RegularFile::kNotRegular, or kArchiveNotRegular for what is named,
    // or passed through, as an archive.
    int error = 0;
    // Refused inside an archive: the member's header's reason (Archive::headerRefusal), and
    // the size it claims.
    Archive::Status status = Archive::Status::Ok;
    qint64 size = -1;
};
Target target(const QString &path);
// The owner-write bit clear; a missing file or an empty path is not read-only.
bool IsReadOnlyFile(const QString &path);
// Last-write time, or an invalid time when the file cannot be opened for reading.
QDateTime lastWriteTime(const QString &path);

struct ReadResult {
    std::optional<QByteArray> bytes;
    QString error;      // the cause in Japanese when reading failed
    int errorCode = 0;  // errno, or RegularFile::kNotRegular
    RegularFile::Identity identity; // the file that was read
};
// The whole of a regular file; anything else (a FIFO, a device, a folder) is refused at once.
ReadResult readWholeFile(const QString &path);
// The file's bytes when the path still leads to the file `identity` describes, unchanged since
// (same device, inode, size and modification time); none otherwise.
std::optional<QByteArray> readIfUnchanged(const QString &path, const RegularFile::Identity &identity);
// How many times readWholeFile was called in this process (tests see a file read once).
qint64 wholeFileReads();

// True as soon as a byte 1-9, 11, 12 or 14-31 is met; a file that cannot be opened is text.
bool IsBinaryFile(const QString &path);
bool isBinaryBytes(const char *data, qsizetype size);

// Removes a file where it exists.
void removeIfExists(const QString &path);

// Paths are in the path form (core/PathForm.h); these take the system's own bytes.
// Whether anything (a link too) exists under the bytes.
bool nativeExists(const QByteArray &native);
// The working folder, with its trailing '/'.
QString currentFolder();
// The path made absolute against the working folder, and cleaned.
QString absolutePath(const QString &path);

} // namespace FileSystem
