#pragma once

#include "core/RegularFile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <list>
#include <optional>
#include <utility>

struct archive;
struct archive_entry;

// Archives read as folders, through libarchive. Members are read into memory, or into a file
// the caller opened for one too large to hold twice; nothing an archive claims is trusted: sizes, ratios, entry counts and
// names are all checked before they reach the caller.
namespace Archive {

inline constexpr qint64 kMaxUnpackedSize = qint64(2) << 30; // 2 GiB
inline constexpr qint64 kBombGrace = qint64(16) << 20;      // unpacked bytes before the ratio counts
inline constexpr qint64 kBombRatio = 1000;                  // bytes out per byte in
inline constexpr qsizetype kMaxEntries = 200000;

enum class Format { Zip, Lha, SevenZip, Rar, Cab, Tar, Other };

enum class Status {
    Ok,
    NotArchive,     // opened, but no format this program reads
    OpenFailed,     // the file could not be opened (`error` holds the errno)
    TooManyEntries, // more than kMaxEntries entries
    TooLarge,       // a member whose unpacked size passes kMaxUnpackedSize
    Bomb,           // a member unpacking past kBombRatio bytes per byte after kBombGrace
    Encrypted,      // a member that needs a passphrase
    Damaged,        // broken or cut short; what came before the break is kept
    NoSuchMember,
    Cancelled,
    Unwritable,     // the file the member was to be unpacked into took no more (`error` holds the errno)
    Link,           // a symbolic link: never followed, never read
    Special,        // a device, FIFO or socket: never read
};

struct Entry {
    QString path;        // inside the archive, '/'-separated, decoded and made safe
    QByteArray rawPath;  // the name's bytes as libarchive gave them; never a file-system path
    qint64 size = -1;    // unpacked size as the header claims it; -1 when it does not say
    std::optional<qint64> modifiedNs; // since the epoch
    bool isFolder = false;
    bool isLink = false;    // a symbolic link
    bool isSpecial = false; // a device, FIFO or socket
    bool encrypted = false;
    bool renamed = false; // the stored name held "..", a leading '/', a NUL or nothing at all
    bool isFile() const { return !isFolder && !isLink && !isSpecial; }
};

// Why a member cannot be read, from its header alone: a link, a device or the like, a member
// that needs a passphrase, or one claiming more than kMaxUnpackedSize. Ok for one that may be.
Status headerRefusal(const Entry &entry);

struct Listing {
    Status status = Status::Ok;
    Format format = Format::Other;
    QList<Entry> entries;   // with Damaged, those read before the break
    QString detail;         // libarchive's own words about a failure, for logs
    int error = 0;          // errno with OpenFailed
};

struct Member {
    Status status = Status::Ok;
    QByteArray bytes;       // the whole member with Ok; what was read before the break with Damaged
    bool inFile = false;    // written to Control::file instead, `bytes` left empty
    Entry entry;            // its header, once found
    qint64 brokenAt = -1;   // with Damaged or Unwritable, the unpacked offset where reading stopped
    QString detail;
    int error = 0;
};

// Whether the file is an archive of a format read here, judged by its content.
bool isArchive(const QString &path);

// What a listing or a member's read may be asked and told while it runs.
struct Control {
    // Checked between entries and blocks: once set, the call ends with Status::Cancelled.
    const std::atomic_bool *cancel = nullptr;
    // Called in a listing after each entry with the entries so far, and in a member's read
    // after each block with the bytes so far; tests stand for a slow archive through it. Null
    // in the program.
    std::function<void(qint64 done)> step;
    // A member's read writes its data to this file, from the file's offset on, rather than
    // into `bytes`: a member too large to hold twice. -1 keeps it in memory. A member kept
    // from an earlier read still comes back in memory.
    int file = -1;
};

// All entries of the archive, in stored order: files, folders, and the links and special files
// that are never read, so that asking for one can be told what it is. Formats
// other than ZIP must be unpacked to be listed, so a limit met on the way ends the listing
// with its status and the entries before it.
Listing list(const QString &path, const Control &control = {});

// One member, read from the start of the archive. For walking many members use Reader.
Member read(const QString &archivePath, const QString &memberPath, const Control &control = {});

// A member's stored name as a safe path: each part between '/' (or '\') kept as it is,
// except that empty parts and "." go, ".." becomes "__", a NUL becomes '_'; `renamed` says
// whether anything changed. An empty result is "_".
QString safePath(QString decoded, bool *renamed = nullptr);

// Decoding a member's stored name. A ZIP entry with the UTF-8 flag is UTF-8, one without is
// code page 932, and in both bytes that fail become U+FFFD; LZH names are converted from code
// page 932 by libarchive itself (bytes that fail become '?'); the others (7z, RAR, tar, CAB) come from
// libarchive as UTF-8 where their format says what they are, and otherwise as raw bytes,
// which are taken as UTF-8 when they are valid UTF-8 and as code page 932 when not.
enum class NameCoding { Utf8, Cp932, AsStored };
QString decodeName(const QByteArray &raw, NameCoding coding);

// Paths across the archive boundary: "/books/hashire.zip/merosu.txt" is the archive
// "/books/hashire.zip" and the member "merosu.txt".
struct SplitPath {
    QString archive;
    QString member;
};
// The longest prefix of the path that is an existing regular file, with the rest as the member
// path. Nothing when the whole path exists (a real folder or file of that name wins), when no
// prefix is a regular file, or when nothing is left after it. Whether that file really is an
// archive is for the caller to ask (isArchive). `isRegularFile` is the one file-system check.
std::optional<SplitPath> split(const QString &path,
                               const std::function<bool(const QString &)> &isRegularFile = {},
                               const std::function<bool(const QString &)> &exists = {});
QString join(const QString &archive, const QString &member);

// Reads members of one archive in turn. It keeps its place: asking for the member after the
// one read last goes on from there, so stepping forward through a solid archive (7z solid,
// tar.gz) unpacks each member once; a member behind it costs one re-read from the start.
// The last few members read are kept, so stepping back by one is free. Use one Reader per
// shown archive, on one thread at a time; the control's `cancel` is checked between blocks, so a
// UI can run read() off its thread and set the flag on Esc.
class Reader {
public:
    explicit Reader(QString archivePath);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    Listing list(const Control &control = {});
    Member read(const QString &memberPath, const Control &control = {});

    // How many times the archive was opened from its start, for telling re-reads apart.
    int opens() const { return opens_; }

private:
    struct Opened {
        Status status = Status::Ok;
        QString detail;
        int error = 0;
    };
    Opened open();
    void close();
    // Passes the current member's data and reads the next header into `header`: Ok, a limit
    // or Damaged (with detail) met on the way, Cancelled, or NoSuchMember at the end.
    Status next(Entry &header, QString &detail);
    Member readData(const Entry &entry, const Control &control);
    // Passes the rest of the current member's data.
    Status skip(QString &detail);
    bool overRatio(qint64 out) const;
    void remember(const QString &memberPath, const QByteArray &bytes, const Entry &entry);

    QString path_;
    RegularFile::Handle file_;
    struct archive *archive_ = nullptr;
    Format format_ = Format::Other;
    qsizetype headersRead_ = 0;
    bool pendingData_ = false; // the last header's data is still unread
    Entry current_;
    unsigned currentType_ = 0; // the last header's file type (AE_IFREG, AE_IFDIR ...)
    // ZIP central directory: stored name (up to a NUL) -> UTF-8 flag and whole stored name.
    struct ZipName {
        bool utf8 = false;
        QByteArray whole;
    };
    QHash<QByteArray, ZipName> zipNames_;
    // Every stored name in the order libarchive gives the entries, for the names it cannot give
    // (those with the UTF-8 flag that are no UTF-8).
    QList<QByteArray> zipOrder_;
    bool zipOrderHolds_ = true;
    bool zipScanned_ = false;
    std::list<std::pair<QString, Member>> cache_;
    qint64 cacheBytes_ = 0;
    int opens_ = 0;
    const std::atomic_bool *cancel_ = nullptr; // the running call's
    bool skippingEncrypted_ = false;
};

} // namespace Archive
