// Any bytes as an archive, through the program's own listing and reading, in a temporary folder
// of its own and nowhere else: every listed name is already safe, a cancelled listing is not
// kept, the folder view names only what the listing holds, and a listed member reads as the
// member listed, the same from the start into a file of its own, from where a reader left off,
// again, and through the folder view.
#include "core/ArchiveFolder.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using Archive::Status;

namespace {

constexpr int kMembersRead = 4;

QByteArray unpacked(int fd)
{
    QByteArray bytes;
    char block[4096];
    for (ssize_t n; (n = ::pread(fd, block, sizeof block, off_t(bytes.size()))) > 0;)
        bytes.append(block, n);
    return bytes;
}

// The same member read twice: bombs are judged by the bytes read from the file so far, which a
// reader that went on from an earlier member has read more of.
void checkSame(const Archive::Member &a, const Archive::Member &b)
{
    const auto limit = [](Status s) { return s == Status::Bomb || s == Status::TooLarge; };
    if (limit(a.status) || limit(b.status))
        return;
    FUZZ_CHECK(a.status == b.status && a.bytes == b.bytes && a.brokenAt == b.brokenAt);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir folder;
    static time_t inputs = 0;
    FUZZ_CHECK(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("archive"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                   && file.write(FuzzInput::bytes(data, size)) == qint64(size) && file.flush());
        // A time of its own, so that the folder view never takes it for the archive it kept before.
        const timespec times[2] = {{++inputs, 0}, {inputs, 0}};
        FUZZ_CHECK(::futimens(file.handle(), times) == 0);
    }

    const std::atomic_bool stop{true};
    Archive::Control cancelled;
    cancelled.cancel = &stop;
    const auto stopped = ArchiveFolder::listing(path, cancelled);
    FUZZ_CHECK(stopped->entries.isEmpty() && stopped->status != Status::Ok);
    FUZZ_CHECK(stopped->status != Status::Cancelled || !ArchiveFolder::isListed(path));

    const auto listing = ArchiveFolder::listing(path);
    FUZZ_CHECK(ArchiveFolder::isListed(path) && listing->entries.size() <= Archive::kMaxEntries);
    QHash<QString, int> listed;
    QSet<QString> files;
    for (const Archive::Entry &entry : listing->entries) {
        bool renamed = true;
        FUZZ_CHECK(Archive::safePath(entry.path, &renamed) == entry.path && !renamed);
        ++listed[entry.path];
        if (!entry.isFolder)
            files.insert(entry.path);
    }

    const bool archive = ArchiveFolder::isArchiveFile(path);
    if (archive) {
        FUZZ_CHECK(ArchiveFolder::isFolder(path));
        for (const QString &name : ArchiveFolder::files(path, QStringLiteral("*"), NameOrder::Natural))
            FUZZ_CHECK(files.contains(name));
        // A name both a file and, by the paths under it, a folder is the file.
        for (const QString &name : ArchiveFolder::folders(path, NameOrder::Natural))
            FUZZ_CHECK(!name.isEmpty() && !name.contains(u'/')
                       && (files.contains(name) || ArchiveFolder::isFolder(Archive::join(path, name))));
    }

    Archive::Reader walker(path);
    int read = 0;
    for (const Archive::Entry &entry : listing->entries) {
        if (entry.isFolder || listed[entry.path] > 1)
            continue;
        if (++read > kMembersRead)
            break;
        // From the start, into a file of its own as a member too large to hold twice is read.
        const RegularFile::Handle spill = RegularFile::createUnlinked(QFile::encodeName(folder.path()));
        FUZZ_CHECK(spill.isOpen());
        Archive::Control toFile;
        toFile.file = spill.fd();
        Archive::Member fresh = Archive::read(path, entry.path, toFile);
        FUZZ_CHECK(fresh.status != Status::NoSuchMember && fresh.status != Status::NotArchive);
        FUZZ_CHECK(fresh.bytes.isEmpty());
        if (fresh.status == Status::Ok || (fresh.status == Status::Damaged && fresh.brokenAt >= 0)) {
            FUZZ_CHECK(fresh.inFile);
            fresh.bytes = unpacked(spill.fd());
        }
        // Its header, unless a member before it broke off the reading (no name is ever empty).
        if (!fresh.entry.path.isEmpty()) {
            FUZZ_CHECK(fresh.entry.path == entry.path && fresh.entry.rawPath == entry.rawPath);
            FUZZ_CHECK(fresh.entry.size == entry.size && fresh.entry.modifiedNs == entry.modifiedNs);
        }
        const Archive::Member walked = walker.read(entry.path);
        checkSame(fresh, walked);
        checkSame(walked, walker.read(entry.path));
        // Links and devices are listed but kept out of the folder view.
        if (archive && !entry.isLink && !entry.isSpecial) {
            const QString inside = Archive::join(path, entry.path);
            FUZZ_CHECK(ArchiveFolder::member(inside) && !ArchiveFolder::isFolder(inside));
            checkSame(fresh, ArchiveFolder::read(inside));
        }
    }
    return 0;
}
