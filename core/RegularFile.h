#pragma once

#include <QByteArray>

#include <limits>
#include <optional>
#include <sys/stat.h>

// Opening a file the user named. A FIFO, a device or a socket put where a text file was
// expected must never block the window or feed it endless bytes, so every such open is made
// without blocking and checked to be a regular file before anything is read from it.
namespace RegularFile {

// Why an open was refused: the system's errno, or, for something that opened but is no
// regular file, kNotRegular (a folder gives EISDIR, as the system itself would).
inline constexpr int kNotRegular = -1;
// A regular file, but not the one the caller expected: the path now leads to another.
inline constexpr int kOtherFile = -2;
// What the path names, or leads through, as an archive is no regular file.
inline constexpr int kArchiveNotRegular = -3;

// Which file a path led to when it was read, to tell later whether it is still that file.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0; // mtime in nanoseconds since the epoch
    bool known() const { return size >= 0; }
    // The same file on the disk (it may have been written to since).
    bool sameFile(const Identity &other) const
    {
        return known() && other.known() && device == other.device && inode == other.inode;
    }
    // The same file, and by its size and time not changed since.
    bool operator==(const Identity &other) const = default;
};
Identity identityOf(const struct stat &status);
// The identity of the regular file at the path (following links); none for anything else or
// nothing there. Nothing is opened.
std::optional<Identity> identityAt(const QByteArray &native);

// Reads up to `want` bytes at `at` of an open descriptor, through short reads and
// interruptions; gives how many it read (fewer at the file's end or on an error).
qint64 readAt(int fd, qint64 at, char *into, qint64 want);

// An open descriptor of a regular file, closed with the object.
class Handle {
public:
    Handle() = default;
    Handle(Handle &&other) noexcept;
    Handle &operator=(Handle &&other) noexcept;
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // errno of the failed open, kNotRegular, or 0 when open.
    int error() const { return error_; }
    // The file's status as fstat gave it right after opening, or at the last refresh().
    const struct stat &status() const { return status_; }
    // Asks fstat again, for a file this program wrote to since: false, with the status kept,
    // when it fails.
    bool refresh();

private:
    friend class Opener;
    int fd_ = -1;
    int error_ = 0;
    struct stat status_ {};
};

// Whether an open goes through a symbolic link in the last part of the path. The user's own
// files may be links; the program's work files never are, so that a link planted under their
// name cannot make the program read or write another file.
enum class Links { Follow, Refuse };

// Opens for reading with O_NONBLOCK | O_NOCTTY | O_CLOEXEC, and refuses at once anything
// fstat does not call a regular file. The descriptor is switched back to blocking reads, which
// a regular file never waits on anyway. With Links::Refuse a link gives ELOOP.
Handle openForReading(const QByteArray &native, Links links = Links::Follow);

// Creates a new file for writing, readable and writable by the owner only. Whatever already
// has the name, a link too, makes it fail with EEXIST: nothing existing is opened or followed.
Handle createNew(const QByteArray &native);

// Creates a file for reading and writing, for the owner only, that has no name from the start:
// an O_TMPFILE in the folder, or where the file system has none, a file made there by mkstemp
// and unlinked at once. Nothing is left behind however the program ends; the file goes when the
// handle is closed.
Handle createUnlinked(const QByteArray &folderNative);

struct Read {
    std::optional<QByteArray> bytes; // empty when refused or when reading failed
    int error = 0;                   // as Handle::error(), or the errno of a failed read
    bool truncated = false;          // the file held more than `limit` bytes
    struct stat status {};
};
// The whole file, or its first `limit` bytes; reads on past the size fstat gave, since files
// may grow while read.
Read readAll(const QByteArray &native, qint64 limit = std::numeric_limits<qint64>::max(),
             Links links = Links::Follow);

// Writes all of `bytes` to `fd`, again after an interruption: errno of the first failed write,
// EIO for a write that wrote nothing, or 0.
int writeAll(int fd, const QByteArray &bytes);

} // namespace RegularFile
