#include "core/ArchiveFolder.h"

#include "core/PathForm.h"
#include "core/RegularFile.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <list>
#include <mutex>
#include <unistd.h>

namespace ArchiveFolder {
namespace {

constexpr int kKeptListings = 8;
constexpr int kKeptReaders = 4;
constexpr qsizetype kKeptRecognitions = 100000;

std::optional<RegularFile::Identity> regularFileAt(const QString &path)
{
    return RegularFile::identityAt(PathForm::toNative(path));
}

bool startsWith(const QByteArray &head, qsizetype at, const char *magic, qsizetype length)
{
    return head.size() >= at + length && std::memcmp(head.constData() + at, magic, size_t(length)) == 0;
}

// The formats whose signature alone says what they are; opening them to be sure would read a
// ZIP's whole central directory once more.
bool hasArchiveSignature(const QByteArray &head)
{
    return startsWith(head, 0, "PK\x03\x04", 4) || startsWith(head, 0, "PK\x05\x06", 4)
           || startsWith(head, 0, "7z\xBC\xAF\x27\x1C", 6) || startsWith(head, 0, "Rar!\x1A\x07", 6)
           || startsWith(head, 0, "MSCF", 4);
}

// The signatures of the formats and compressions read here; anything else is no archive.
bool hasSignature(const QByteArray &head)
{
    static const struct {
        qsizetype at;
        const char *magic;
        qsizetype length;
    } signatures[] = {
        {0, "PK\x03\x04", 4}, {0, "PK\x05\x06", 4}, {0, "PK\x07\x08", 4},     // ZIP
        {0, "7z\xBC\xAF\x27\x1C", 6}, {0, "Rar!\x1A\x07", 6}, {0, "MSCF", 4}, // 7z, RAR, CAB
        {257, "ustar", 5},                                                    // tar
        {0, "\x1F\x8B", 2}, {0, "BZh", 3}, {0, "\xFD" "7zXZ\x00", 6},         // gzip, bzip2, xz
        {0, "\x28\xB5\x2F\xFD", 4}, {0, "\x1F\x9D", 2}, {0, "LZIP", 4},       // zstd, compress, lzip
        {0, "\x04\x22\x4D\x18", 4}, {0, "\x5D\x00\x00", 3},                   // lz4, lzma
    };
    for (const auto &s : signatures)
        if (startsWith(head, s.at, s.magic, s.length))
            return true;
    // LZH: "-lh?-" or "-lz?-" after the header's size and checksum.
    return head.size() >= 7 && head[2] == '-' && head[3] == 'l' && (head[4] == 'h' || head[4] == 'z')
           && head[6] == '-';
}

struct Kept {
    RegularFile::Identity identity;
    std::shared_ptr<const Archive::Listing> listing;
    std::shared_ptr<const QHash<QString, qsizetype>> index; // member path -> entry
};

struct ReaderSlot {
    std::mutex mutex;
    RegularFile::Identity identity;
    std::unique_ptr<Archive::Reader> reader;
};

struct State {
    std::mutex mutex;
    QHash<QString, std::pair<RegularFile::Identity, bool>> recognised;
    std::list<std::pair<QString, Kept>> listings; // the most recent first
    std::list<std::pair<QString, std::shared_ptr<ReaderSlot>>> readers;
};

State &state()
{
    static State s;
    return s;
}

struct Indexed {
    std::shared_ptr<const Archive::Listing> listing;
    std::shared_ptr<const QHash<QString, qsizetype>> index;
};

Indexed indexed(const QString &archivePath, const Archive::Control &control = {})
{
    const std::optional<RegularFile::Identity> identity = regularFileAt(archivePath);
    if (!identity) {
        auto missing = std::make_shared<Archive::Listing>();
        missing->status = Archive::Status::OpenFailed;
        return {missing, std::make_shared<const QHash<QString, qsizetype>>()};
    }
    State &s = state();
    {
        const std::lock_guard lock(s.mutex);
        for (auto it = s.listings.begin(); it != s.listings.end(); ++it) {
            if (it->first == archivePath && it->second.identity == *identity) {
                s.listings.splice(s.listings.begin(), s.listings, it);
                return {it->second.listing, it->second.index};
            }
        }
    }
    auto listing = std::make_shared<Archive::Listing>(Archive::list(archivePath, control));
    if (listing->status == Archive::Status::Cancelled)
        return {listing, std::make_shared<const QHash<QString, qsizetype>>()};
    auto index = std::make_shared<QHash<QString, qsizetype>>();
    index->reserve(listing->entries.size());
    for (qsizetype i = 0; i < listing->entries.size(); ++i)
        index->insert(listing->entries[i].path, i);
    const std::lock_guard lock(s.mutex);
    std::erase_if(s.listings, [&](const auto &kept) { return kept.first == archivePath; });
    s.listings.emplace_front(archivePath, Kept{*identity, listing, index});
    while (s.listings.size() > kKeptListings)
        s.listings.pop_back();
    return {listing, index};
}

// The inner folder as a prefix of its members' paths: "" at the top, else "a/b/".
std::optional<std::pair<QString, QString>> archiveAndPrefix(const QString &folder)
{
    const std::optional<Archive::SplitPath> where = locate(folder);
    if (!where)
        return std::nullopt;
    return std::pair{where->archive, where->member.isEmpty() ? QString() : where->member + u'/'};
}

} // namespace

bool isArchiveFile(const QString &path)
{
    const std::optional<RegularFile::Identity> identity = regularFileAt(path);
    if (!identity)
        return false;
    State &s = state();
    {
        const std::lock_guard lock(s.mutex);
        const auto found = s.recognised.constFind(path);
        if (found != s.recognised.constEnd() && found->first == *identity)
            return found->second;
    }
    bool archive = false;
    bool sure = false;
    {
        const RegularFile::Handle file = RegularFile::openForReading(PathForm::toNative(path));
        if (file.isOpen()) {
            QByteArray head(512, Qt::Uninitialized);
            const ssize_t n = ::pread(file.fd(), head.data(), size_t(head.size()), 0);
            head.resize(std::max<qsizetype>(n, 0));
            archive = hasSignature(head);
            sure = hasArchiveSignature(head);
        }
    }
    // A compressed stream may hold a single text rather than a tar: libarchive tells.
    archive = archive && (sure || Archive::isArchive(path));
    const std::lock_guard lock(s.mutex);
    // Walking many large folders must not grow it without bound; it is only a shortcut.
    if (s.recognised.size() >= kKeptRecognitions)
        s.recognised.clear();
    s.recognised.insert(path, {*identity, archive});
    return archive;
}

std::optional<Archive::SplitPath> locate(const QString &path)
{
    QString whole = path;
    while (whole.size() > 1 && whole.endsWith(u'/'))
        whole.chop(1);
    if (whole.isEmpty())
        return std::nullopt;
    struct stat st {};
    if (::stat(PathForm::toNative(whole).constData(), &st) == 0) {
        if (S_ISREG(st.st_mode) && isArchiveFile(whole))
            return Archive::SplitPath{whole, QString()};
        return std::nullopt;
    }
    std::optional<Archive::SplitPath> split = Archive::split(whole);
    if (!split || !isArchiveFile(split->archive))
        return std::nullopt;
    return split;
}

std::shared_ptr<const Archive::Listing> listing(const QString &archivePath, const Archive::Control &control)
{
    return indexed(archivePath, control).listing;
}

bool isListed(const QString &archivePath)
{
    const std::optional<RegularFile::Identity> identity = regularFileAt(archivePath);
    if (!identity)
        return false;
    State &s = state();
    const std::lock_guard lock(s.mutex);
    return std::any_of(s.listings.cbegin(), s.listings.cend(), [&](const auto &kept) {
        return kept.first == archivePath && kept.second.identity == *identity;
    });
}

std::optional<Archive::Entry> member(const QString &path)
{
    std::optional<Archive::Entry> found = entry(path);
    if (found && !found->isFile())
        return std::nullopt;
    return found;
}

std::optional<Archive::Entry> entry(const QString &path)
{
    if (path.endsWith(u'/'))
        return std::nullopt;
    const std::optional<Archive::SplitPath> where = locate(path);
    if (!where || where->member.isEmpty())
        return std::nullopt;
    const Indexed found = indexed(where->archive);
    const auto at = found.index->constFind(where->member);
    if (at == found.index->constEnd() || found.listing->entries[*at].isFolder)
        return std::nullopt;
    return found.listing->entries[*at];
}

bool hasArchiveName(const QString &path)
{
    static const char *const endings[] = {".zip", ".lzh", ".lha", ".7z",  ".rar", ".cab", ".tar",
                                          ".tgz", ".tbz", ".tbz2", ".txz", ".tzst", ".tar.gz", ".tar.bz2",
                                          ".tar.xz", ".tar.zst", ".tar.lz", ".tar.lz4", ".tar.lzma", ".tar.z"};
    return std::any_of(std::begin(endings), std::end(endings),
                       [&](const char *ending) { return path.endsWith(QLatin1String(ending), Qt::CaseInsensitive); });
}

bool isFolder(const QString &path)
{
    const std::optional<Archive::SplitPath> where = locate(path);
    if (!where)
        return false;
    if (where->member.isEmpty())
        return true;
    const Indexed found = indexed(where->archive);
    const auto at = found.index->constFind(where->member);
    if (at != found.index->constEnd())
        return found.listing->entries[*at].isFolder;
    // A folder no entry of its own names, implied by the paths of its members.
    const QString prefix = where->member + u'/';
    return std::any_of(found.listing->entries.cbegin(), found.listing->entries.cend(),
                       [&](const Archive::Entry &e) { return e.path.startsWith(prefix); });
}

QStringList files(const QString &folder, const QString &mask, NameOrder order)
{
    const auto where = archiveAndPrefix(folder);
    if (!where)
        return {};
    const QString &prefix = where->second;
    QStringList names;
    for (const Archive::Entry &e : listing(where->first)->entries) {
        if (!e.isFile() || !e.path.startsWith(prefix) || e.path.indexOf(u'/', prefix.size()) >= 0)
            continue;
        names.append(e.path.mid(prefix.size()));
    }
    return listMatches(names, mask, order);
}

QStringList folders(const QString &folder, NameOrder order)
{
    const auto where = archiveAndPrefix(folder);
    if (!where)
        return {};
    const QString &prefix = where->second;
    QStringList names;
    QSet<QString> seen;
    for (const Archive::Entry &e : listing(where->first)->entries) {
        if (!e.path.startsWith(prefix))
            continue;
        const qsizetype slash = e.path.indexOf(u'/', prefix.size());
        if (slash < 0 && !e.isFolder)
            continue;
        const QString name = e.path.mid(prefix.size(), slash < 0 ? -1 : slash - prefix.size());
        if (!name.isEmpty() && !seen.contains(name)) {
            seen.insert(name);
            names.append(name);
        }
    }
    if (order == NameOrder::Natural)
        sortNaturally(names);
    else
        std::stable_sort(names.begin(), names.end(),
                         [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

Archive::Member read(const QString &path, const Archive::Control &control)
{
    const std::optional<Archive::SplitPath> where = locate(path);
    const std::optional<RegularFile::Identity> identity = where ? regularFileAt(where->archive) : std::nullopt;
    if (!where || where->member.isEmpty() || !identity) {
        Archive::Member missing;
        missing.status = Archive::Status::NoSuchMember;
        return missing;
    }
    State &s = state();
    std::shared_ptr<ReaderSlot> slot;
    {
        const std::lock_guard lock(s.mutex);
        for (auto it = s.readers.begin(); it != s.readers.end(); ++it) {
            if (it->first == where->archive) {
                s.readers.splice(s.readers.begin(), s.readers, it);
                slot = it->second;
                break;
            }
        }
        if (!slot) {
            slot = std::make_shared<ReaderSlot>();
            s.readers.emplace_front(where->archive, slot);
            // A reader in use elsewhere stays with its user until that read ends.
            while (s.readers.size() > kKeptReaders)
                s.readers.pop_back();
        }
    }
    const std::lock_guard lock(slot->mutex);
    // An archive changed on disk is read anew, from a new reader.
    if (!slot->reader || !(slot->identity == *identity)) {
        slot->reader = std::make_unique<Archive::Reader>(where->archive);
        slot->identity = *identity;
    }
    return slot->reader->read(where->member, control);
}

QStringList archivesIn(const QString &folder, const QStringList &fileNames)
{
    QStringList archives;
    for (const QString &name : fileNames)
        if (isArchiveFile(folder + name))
            archives.append(name);
    return archives;
}

} // namespace ArchiveFolder
