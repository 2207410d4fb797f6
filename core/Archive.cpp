#include "core/Archive.h"

#include "core/Cp932.h"
#include "core/PathForm.h"

#include <QFile>
#include <QStringDecoder>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archive {
namespace {

constexpr size_t kBlockSize = 64 * 1024;
constexpr qsizetype kCacheMembers = 8;
constexpr qint64 kCacheBytes = qint64(64) << 20;
constexpr qint64 kMaxCentralDirectory = qint64(64) << 20;

// libarchive converts names through the thread's locale; under "C" it refuses every
// non-ASCII UTF-8 name. C.UTF-8 makes UTF-8 names come through whole and leaves raw ones raw.
class Utf8Locale {
public:
    Utf8Locale()
    {
        static const locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(nullptr));
        if (utf8)
            previous_ = uselocale(utf8);
    }
    ~Utf8Locale()
    {
        if (previous_)
            uselocale(previous_);
    }
    Utf8Locale(const Utf8Locale &) = delete;
    Utf8Locale &operator=(const Utf8Locale &) = delete;

private:
    locale_t previous_ = locale_t(nullptr);
};

quint32 u16(const char *p) { return quint8(p[0]) | quint8(p[1]) << 8; }
quint32 u32(const char *p) { return u16(p) | u16(p + 2) << 16; }
quint64 u64(const char *p) { return u32(p) | quint64(u32(p + 4)) << 32; }

bool readAt(int fd, qint64 offset, qint64 size, QByteArray &out)
{
    out.resize(size);
    return RegularFile::readAt(fd, offset, out.data(), size) == size;
}

// A ZIP entry's name as its central directory stores it.
struct ZipCentralName {
    qint64 offset = 0; // of its local header, the order libarchive gives the entries in
    QByteArray key;    // the name up to a NUL, as libarchive gives it
    bool utf8 = false;
    QByteArray whole;
};

// libarchive does not tell whether a ZIP entry had the UTF-8 flag, and gives no name at all
// for one with the flag that is no UTF-8, so the central directory is read for them here
// (headers only; the data is libarchive's).
QList<ZipCentralName> zipCentralNames(int fd)
{
    QList<ZipCentralName> names;
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size < 22)
        return names;
    const qint64 fileSize = st.st_size;
    const qint64 tailSize = std::min<qint64>(fileSize, 22 + 65535 + 20);
    QByteArray tail;
    if (!readAt(fd, fileSize - tailSize, tailSize, tail))
        return names;
    const qsizetype end = tail.lastIndexOf(QByteArrayView("PK\5\6", 4));
    if (end < 0 || end + 22 > tail.size())
        return names;
    const qint64 endAt = fileSize - tailSize + end;
    qint64 cdSize = u32(tail.constData() + end + 12);
    const bool zip64 = end >= 20 && tail.mid(end - 20, 4) == QByteArrayView("PK\6\7", 4);
    if (zip64) {
        QByteArray record;
        const qint64 at = qint64(u64(tail.constData() + end - 20 + 8));
        if (!readAt(fd, at, 56, record) || !record.startsWith(QByteArrayView("PK\6\6", 4)))
            return names;
        cdSize = qint64(u64(record.constData() + 40));
    }
    // Counted back from the end records, so data put before the archive does not matter.
    const qint64 cdStart = endAt - cdSize - (zip64 ? 56 + 20 : 0);
    if (cdSize > kMaxCentralDirectory || cdStart < 0)
        return names;
    QByteArray cd;
    if (!readAt(fd, cdStart, cdSize, cd))
        return names;
    for (qsizetype at = 0; at + 46 <= cd.size();) {
        const char *p = cd.constData() + at;
        if (std::memcmp(p, "PK\1\2", 4) != 0)
            break;
        const qsizetype nameLength = u16(p + 28);
        const qsizetype next = at + 46 + nameLength + u16(p + 30) + u16(p + 32);
        if (next > cd.size())
            break;
        QByteArray whole(p + 46, nameLength);
        const qsizetype nul = whole.indexOf('\0');
        names.append({qint64(u32(p + 42)), whole.left(nul < 0 ? whole.size() : nul), (u16(p + 8) & 0x0800) != 0,
                      whole});
        at = next;
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const ZipCentralName &a, const ZipCentralName &b) { return a.offset < b.offset; });
    return names;
}

Format formatOf(struct archive *a)
{
    switch (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_ZIP: return Format::Zip;
    case ARCHIVE_FORMAT_LHA: return Format::Lha;
    case ARCHIVE_FORMAT_7ZIP: return Format::SevenZip;
    case ARCHIVE_FORMAT_RAR:
    case ARCHIVE_FORMAT_RAR_V5: return Format::Rar;
    case ARCHIVE_FORMAT_CAB: return Format::Cab;
    case ARCHIVE_FORMAT_TAR: return Format::Tar;
    default: return Format::Other;
    }
}

struct archive *newArchiveReader()
{
    struct archive *a = archive_read_new();
    archive_read_support_filter_all(a);
    // Only the formats that hold texts people exchange; not raw, ISO images or cpio.
    archive_read_support_format_zip(a);
    archive_read_support_format_lha(a);
    archive_read_support_format_7zip(a);
    archive_read_support_format_rar(a);
    archive_read_support_format_rar5(a);
    archive_read_support_format_cab(a);
    archive_read_support_format_tar(a);
    // Without a charset LZH names that are not ASCII fail outright; Japanese LHA tools wrote
    // code page 932, so libarchive converts from it and hands the names on as UTF-8.
    archive_read_set_format_option(a, "lha", "hdrcharset", "CP932");
    return a;
}

QString errorText(struct archive *a)
{
    const char *text = archive_error_string(a);
    return text ? QString::fromUtf8(text) : QString();
}

bool cancelled(const std::atomic_bool *cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

} // namespace

Status headerRefusal(const Entry &entry)
{
    if (entry.isLink)
        return Status::Link;
    if (entry.isSpecial)
        return Status::Special;
    if (entry.encrypted)
        return Status::Encrypted;
    if (entry.size > kMaxUnpackedSize)
        return Status::TooLarge;
    return Status::Ok;
}

QString decodeName(const QByteArray &raw, NameCoding coding)
{
    switch (coding) {
    case NameCoding::Utf8: return QString::fromUtf8(raw);
    case NameCoding::Cp932: return Cp932::decode(raw);
    case NameCoding::AsStored: {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(raw);
        return utf8.hasError() ? Cp932::decode(raw) : text;
    }
    }
    return {};
}

QString safePath(QString decoded, bool *renamed)
{
    bool changed = false;
    if (decoded.contains(QChar(0))) {
        decoded.replace(QChar(0), QChar(u'_'));
        changed = true;
    }
    decoded.replace(QChar(u'\\'), QChar(u'/'));
    if (decoded.startsWith(u'/'))
        changed = true;
    QStringList kept;
    const QStringList parts = decoded.split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        if (part.isEmpty() || part == u".") {
            // A trailing '/' only marks a folder; anything else empty or "." is a trick.
            if (!(part.isEmpty() && (i == parts.size() - 1 || i == 0)))
                changed = true;
            continue;
        }
        if (part == u"..") {
            kept << QStringLiteral("__");
            changed = true;
        } else {
            kept << part;
        }
    }
    QString result = kept.join(u'/');
    if (result.isEmpty()) {
        result = QStringLiteral("_");
        changed = true;
    }
    if (renamed)
        *renamed = changed;
    return result;
}

std::optional<SplitPath> split(const QString &path, const std::function<bool(const QString &)> &isRegularFile,
                               const std::function<bool(const QString &)> &exists)
{
    const auto statOf = [](const QString &p, struct stat &st) {
        return ::stat(PathForm::toNative(p).constData(), &st) == 0;
    };
    const auto regular = [&](const QString &p) {
        if (isRegularFile)
            return isRegularFile(p);
        struct stat st {};
        return statOf(p, st) && S_ISREG(st.st_mode);
    };
    const auto present = [&](const QString &p) {
        if (exists)
            return exists(p);
        struct stat st {};
        return statOf(p, st);
    };
    if (present(path))
        return std::nullopt;
    for (qsizetype cut = path.lastIndexOf(u'/'); cut > 0; cut = path.lastIndexOf(u'/', cut - 1)) {
        const QString prefix = path.left(cut);
        if (!present(prefix))
            continue;
        QString member = path.mid(cut + 1);
        while (member.endsWith(u'/'))
            member.chop(1);
        if (!regular(prefix) || member.isEmpty())
            return std::nullopt;
        return SplitPath{prefix, member};
    }
    return std::nullopt;
}

QString join(const QString &archive, const QString &member)
{
    QString inside = member;
    while (inside.startsWith(u'/'))
        inside.remove(0, 1);
    if (inside.isEmpty())
        return archive;
    return archive.endsWith(u'/') ? archive + inside : archive + u'/' + inside;
}

Reader::Reader(QString archivePath) : path_(std::move(archivePath)) {}

Reader::~Reader() { close(); }

void Reader::close()
{
    if (archive_)
        archive_read_free(archive_);
    archive_ = nullptr;
    pendingData_ = false;
    headersRead_ = 0;
}

Reader::Opened Reader::open()
{
    close();
    ++opens_;
    if (!file_.isOpen()) {
        file_ = RegularFile::openForReading(PathForm::toNative(path_));
        if (!file_.isOpen())
            return {Status::OpenFailed, {}, file_.error()};
    }
    if (lseek(file_.fd(), 0, SEEK_SET) != 0)
        return {Status::OpenFailed, {}, errno};
    archive_ = newArchiveReader();
    if (archive_read_open_fd(archive_, file_.fd(), kBlockSize) != ARCHIVE_OK) {
        const QString detail = errorText(archive_);
        close();
        return {Status::NotArchive, detail, 0};
    }
    return {};
}

bool Reader::overRatio(qint64 out) const
{
    // Every byte read from the file so far counts as input, so a member deep in a large
    // archive is judged leniently, never harshly.
    const qint64 in = std::max<qint64>(1, archive_filter_bytes(archive_, -1));
    return out > kBombGrace && out / in > kBombRatio;
}

Status Reader::skip(QString &detail)
{
    // A ZIP member is skipped by seeking past it; the others must be unpacked to be passed,
    // which is watched as reading is, so a bomb on the way cannot hold the caller.
    if (format_ == Format::Zip) {
        if (archive_read_data_skip(archive_) < ARCHIVE_WARN) {
            detail = errorText(archive_);
            return Status::Damaged;
        }
        return Status::Ok;
    }
    QByteArray block(kBlockSize, Qt::Uninitialized);
    for (qint64 out = 0;;) {
        if (cancelled(cancel_))
            return Status::Cancelled;
        const la_ssize_t n = archive_read_data(archive_, block.data(), size_t(block.size()));
        if (n == 0)
            return Status::Ok;
        if (n < 0) {
            detail = errorText(archive_);
            // An encrypted member cannot be unpacked, but it can be passed.
            return skippingEncrypted_ ? Status::Ok : Status::Damaged;
        }
        out += n;
        if (out > kMaxUnpackedSize)
            return Status::TooLarge;
        if (overRatio(out))
            return Status::Bomb;
    }
}

Status Reader::next(Entry &header, QString &detail)
{
    if (pendingData_) {
        pendingData_ = false;
        const Status skipped = skip(detail);
        if (skipped != Status::Ok)
            return skipped;
    }
    struct archive_entry *entry = nullptr;
    const int r = archive_read_next_header(archive_, &entry);
    if (r == ARCHIVE_EOF)
        return Status::NoSuchMember;
    if (r < ARCHIVE_WARN) {
        detail = errorText(archive_);
        if (headersRead_ == 0 && archive_format(archive_) == 0)
            return Status::NotArchive;
        // A 7z or RAR whose headers are encrypted cannot even be listed.
        const bool locked = headersRead_ == 0 && archive_read_has_encrypted_entries(archive_) > 0;
        return locked ? Status::Encrypted : Status::Damaged;
    }
    if (++headersRead_ > kMaxEntries)
        return Status::TooManyEntries;
    if (headersRead_ == 1) {
        format_ = formatOf(archive_);
        if (format_ == Format::Zip && !zipScanned_) {
            for (const ZipCentralName &stored : zipCentralNames(file_.fd())) {
                zipNames_.insert(stored.key, {stored.utf8, stored.whole});
                zipOrder_.append(stored.key);
            }
            zipScanned_ = true;
        }
    }
    const char *name = archive_entry_pathname(entry);
    header = Entry{};
    header.rawPath = name ? QByteArray(name) : QByteArray();
    NameCoding coding = NameCoding::AsStored;
    QByteArray stored = header.rawPath;
    if (format_ == Format::Zip) {
        // A name libarchive could not convert is the central directory's at the same place;
        // the names it did give show whether the places agree.
        const QByteArray atPlace = zipOrder_.value(headersRead_ - 1);
        if (name && atPlace != header.rawPath)
            zipOrderHolds_ = false;
        else if (!name && zipOrderHolds_)
            header.rawPath = atPlace;
        const auto found = zipNames_.constFind(header.rawPath);
        if (found != zipNames_.cend()) {
            coding = found->utf8 ? NameCoding::Utf8 : NameCoding::Cp932;
            stored = found->whole;
            header.rawPath = stored;
        }
    }
    header.path = safePath(decodeName(stored, coding), &header.renamed);
    currentType_ = archive_entry_filetype(entry);
    if (currentType_ == 0) // ZIP and others leave it unset for plain files
        currentType_ = header.rawPath.endsWith('/') ? AE_IFDIR : AE_IFREG;
    header.isFolder = currentType_ == AE_IFDIR || header.rawPath.endsWith('/');
    header.isLink = !header.isFolder && currentType_ == AE_IFLNK;
    header.isSpecial = !header.isFolder && (currentType_ == AE_IFCHR || currentType_ == AE_IFBLK
                                            || currentType_ == AE_IFIFO || currentType_ == AE_IFSOCK);
    header.size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
    if (archive_entry_mtime_is_set(entry))
        header.modifiedNs = qint64(archive_entry_mtime(entry)) * 1000000000 + archive_entry_mtime_nsec(entry);
    header.encrypted = archive_entry_is_encrypted(entry);
    skippingEncrypted_ = header.encrypted;
    pendingData_ = true;
    return Status::Ok;
}

Listing Reader::list(const Control &control)
{
    Utf8Locale locale;
    cancel_ = control.cancel;
    Listing listing;
    const Opened opened = open();
    if (opened.status != Status::Ok) {
        listing.status = opened.status;
        listing.detail = opened.detail;
        listing.error = opened.error;
        return listing;
    }
    for (;;) {
        if (cancelled(control.cancel)) {
            listing.status = Status::Cancelled;
            break;
        }
        Entry header;
        const Status s = next(header, listing.detail);
        if (s == Status::NoSuchMember)
            break;
        if (s != Status::Ok) {
            listing.status = s;
            break;
        }
        if (header.isFolder || header.isLink || header.isSpecial || currentType_ == AE_IFREG)
            listing.entries.append(header);
        if (control.step)
            control.step(listing.entries.size());
    }
    listing.format = format_;
    close();
    return listing;
}

Member Reader::readData(const Entry &entry, const Control &control)
{
    Member member;
    member.entry = entry;
    // Refused on its header alone, its data is still to be passed by the next step.
    if (const Status refused = headerRefusal(entry); refused != Status::Ok) {
        member.status = refused;
        return member;
    }
    pendingData_ = false;
    const bool toFile = control.file >= 0;
    // The claimed size is only a hint: a header may lie.
    if (!toFile)
        member.bytes.reserve(qsizetype(std::clamp<qint64>(entry.size, 0, kCacheBytes)));
    const auto stop = [&](Status status, qint64 at) {
        member.status = status;
        member.brokenAt = at;
        if (status != Status::Damaged)
            member.bytes.clear();
        close(); // a stream stopped inside a member cannot be stepped past
        return member;
    };
    QByteArray block(kBlockSize, Qt::Uninitialized);
    for (qint64 got = 0;;) {
        if (cancelled(control.cancel))
            return stop(Status::Cancelled, -1);
        const la_ssize_t n = archive_read_data(archive_, block.data(), size_t(block.size()));
        if (n == 0) {
            member.inFile = toFile;
            return member;
        }
        if (n < 0) {
            member.detail = errorText(archive_);
            // Some formats tell of encryption only when the data is asked for.
            const bool encrypted = got == 0 && archive_read_has_encrypted_entries(archive_) > 0;
            member.inFile = toFile && !encrypted;
            return stop(encrypted ? Status::Encrypted : Status::Damaged, got);
        }
        const qint64 out = got + n;
        if (out > kMaxUnpackedSize)
            return stop(Status::TooLarge, -1);
        // Passing the rest of a bomb would be as bad as reading it.
        if (overRatio(out))
            return stop(Status::Bomb, -1);
        if (toFile) {
            if (const int error = RegularFile::writeAll(control.file, QByteArray::fromRawData(block.constData(), n))) {
                member.error = error;
                return stop(Status::Unwritable, got);
            }
        } else {
            member.bytes.append(block.constData(), n);
        }
        got = out;
        if (control.step)
            control.step(got);
    }
}

void Reader::remember(const QString &memberPath, const QByteArray &bytes, const Entry &entry)
{
    if (bytes.size() > kCacheBytes / 2)
        return;
    Member kept;
    kept.bytes = bytes;
    kept.entry = entry;
    cache_.emplace_front(memberPath, std::move(kept));
    cacheBytes_ += bytes.size();
    while (qsizetype(cache_.size()) > kCacheMembers || cacheBytes_ > kCacheBytes) {
        cacheBytes_ -= cache_.back().second.bytes.size();
        cache_.pop_back();
    }
}

Member Reader::read(const QString &memberPath, const Control &control)
{
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->first == memberPath) {
            cache_.splice(cache_.begin(), cache_, it);
            return cache_.front().second;
        }
    }
    Utf8Locale locale;
    cancel_ = control.cancel;
    // Only an entry the listing lists is read: a link of the same name before it is not the member.
    const auto wanted = [&] {
        return current_.path == memberPath && currentType_ == AE_IFREG && !current_.isFolder;
    };
    // A link or a device of that name is refused, where no file of the name is found instead.
    Member refused;
    refused.status = Status::NoSuchMember;
    // From where the last read stopped to the end, then once more from the start.
    for (int pass = 0; pass < 2; ++pass) {
        const bool fromStart = archive_ == nullptr;
        if (fromStart) {
            const Opened opened = open();
            if (opened.status != Status::Ok) {
                Member failed;
                failed.status = opened.status;
                failed.detail = opened.detail;
                failed.error = opened.error;
                return failed;
            }
        }
        if (pendingData_ && wanted()) {
            Member member = readData(current_, control);
            if (member.status == Status::Ok && !member.inFile)
                remember(memberPath, member.bytes, member.entry);
            return member;
        }
        for (;;) {
            if (cancelled(control.cancel)) {
                Member stopped;
                stopped.status = Status::Cancelled;
                return stopped;
            }
            Member member;
            const Status s = next(current_, member.detail);
            if (s == Status::NoSuchMember)
                break;
            if (s != Status::Ok) {
                member.status = s;
                close();
                return member;
            }
            if (wanted()) {
                member = readData(current_, control);
                if (member.status == Status::Ok && !member.inFile)
                    remember(memberPath, member.bytes, member.entry);
                return member;
            }
            const Status why = current_.path == memberPath && !current_.isFolder ? headerRefusal(current_) : Status::Ok;
            if (why != Status::Ok && refused.status == Status::NoSuchMember) {
                refused.entry = current_;
                refused.status = why;
            }
        }
        close();
        if (fromStart)
            break;
    }
    return refused;
}

bool isArchive(const QString &path)
{
    Utf8Locale locale;
    RegularFile::Handle file = RegularFile::openForReading(PathForm::toNative(path));
    if (!file.isOpen())
        return false;
    struct archive *a = newArchiveReader();
    bool found = false;
    if (archive_read_open_fd(a, file.fd(), kBlockSize) == ARCHIVE_OK) {
        struct archive_entry *entry = nullptr;
        const int r = archive_read_next_header(a, &entry);
        // An empty archive is still one; a damaged one too, once its format was told.
        found = r >= ARCHIVE_WARN || archive_format(a) != 0;
    }
    archive_read_free(a);
    return found;
}

Listing list(const QString &path, const Control &control) { return Reader(path).list(control); }

Member read(const QString &archivePath, const QString &memberPath, const Control &control)
{
    return Reader(archivePath).read(memberPath, control);
}

} // namespace Archive
