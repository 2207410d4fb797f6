#include "platform/FileSystem.h"

#include "core/ArchiveFolder.h"
#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "core/SystemErrors.h"

#include <QDir>

#include <array>
#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

namespace {

// The file's status, following links; false for an empty path or a missing file.
bool statOf(const QString &path, struct stat &st)
{
    return !path.isEmpty() && ::stat(PathForm::toNative(path).constData(), &st) == 0;
}

// A regular file opened for reading without blocking, so that a FIFO put in a file's place
// never stops the window.
RegularFile::Handle openForReading(const QString &path)
{
    return RegularFile::openForReading(PathForm::toNative(path));
}

} // namespace

bool fileExists(const QString &path)
{
    struct stat st {};
    return statOf(path, st) && S_ISREG(st.st_mode);
}

bool folderExists(const QString &path)
{
    struct stat st {};
    return statOf(path, st) && S_ISDIR(st.st_mode);
}

bool fileOrMemberExists(const QString &path)
{
    return fileExists(path) || ArchiveFolder::member(path).has_value();
}

bool walkableFolderExists(const QString &path)
{
    return folderExists(path) || ArchiveFolder::isFolder(path);
}

bool existsAsNonFolder(const QString &path)
{
    struct stat st {};
    return statOf(path, st) && !S_ISDIR(st.st_mode);
}

Target target(const QString &path)
{
    using Kind = Target::Kind;
    struct stat st {};
    if (statOf(path, st)) {
        if (S_ISDIR(st.st_mode))
            return {};
        if (S_ISREG(st.st_mode))
            return {Kind::File};
        // A FIFO or a device cannot be opened to learn what it holds: only its name tells.
        return {Kind::Refused, ArchiveFolder::hasArchiveName(path) ? RegularFile::kArchiveNotRegular
                                                                   : RegularFile::kNotRegular};
    }
    if (const std::optional<Archive::Entry> entry = ArchiveFolder::entry(path)) {
        const Archive::Status refused = Archive::headerRefusal(*entry);
        if (refused == Archive::Status::Ok)
            return {Kind::Member};
        return {Kind::Refused, 0, refused, entry->size};
    }
    // The last part of the path that is there is passed through as an archive: a FIFO or a
    // device there is refused as one.
    const std::optional<Archive::SplitPath> through = Archive::split(path, [](const QString &) { return true; });
    if (through && statOf(through->archive, st) && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return {Kind::Refused, RegularFile::kArchiveNotRegular};
    return {};
}

bool IsReadOnlyFile(const QString &path)
{
    struct stat st {};
    return statOf(path, st) && (st.st_mode & S_IWUSR) == 0;
}

QDateTime lastWriteTime(const QString &path)
{
    const RegularFile::Handle file = openForReading(path);
    if (!file.isOpen())
        return {};
    const struct stat &st = file.status();
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
}

namespace {
std::atomic<qint64> wholeFileReadCount{0};
}

qint64 wholeFileReads()
{
    return wholeFileReadCount.load();
}

ReadResult readWholeFile(const QString &path)
{
    ++wholeFileReadCount;
    ReadResult result;
    RegularFile::Read read = RegularFile::readAll(PathForm::toNative(path));
    if (!read.bytes) {
        result.errorCode = read.error;
        result.error = SystemErrors::text(read.error);
        return result;
    }
    result.identity = RegularFile::identityOf(read.status);
    result.bytes = std::move(read.bytes);
    return result;
}

std::optional<QByteArray> readIfUnchanged(const QString &path, const RegularFile::Identity &identity)
{
    if (!identity.known())
        return std::nullopt;
    RegularFile::Read read = RegularFile::readAll(PathForm::toNative(path));
    // The size read counts too: a file written to while it is read may keep its stat a moment.
    if (!read.bytes || !(RegularFile::identityOf(read.status) == identity) || read.bytes->size() != identity.size)
        return std::nullopt;
    return std::move(read.bytes);
}

bool isBinaryBytes(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c >= 1 && c <= 31 && c != 10 && c != 13)
            return true;
    }
    return false;
}

bool IsBinaryFile(const QString &path)
{
    const RegularFile::Handle file = openForReading(path);
    if (!file.isOpen())
        return false;
    std::array<char, 1 << 16> chunk{};
    for (;;) {
        const ssize_t n = ::read(file.fd(), chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        const bool binary = n > 0 && isBinaryBytes(chunk.data(), n);
        if (n <= 0 || binary)
            return binary;
    }
}

void removeIfExists(const QString &path)
{
    if (!path.isEmpty())
        ::unlink(PathForm::toNative(path).constData());
}

bool nativeExists(const QByteArray &native)
{
    struct stat st {};
    return !native.isEmpty() && ::lstat(native.constData(), &st) == 0;
}

QString currentFolder()
{
    std::array<char, 4096> buffer{};
    if (!::getcwd(buffer.data(), buffer.size()))
        return QDir::currentPath();
    return PathUtil::withTrailingSlash(PathForm::fromNative(QByteArray(buffer.data())));
}

QString absolutePath(const QString &path)
{
    // String work only: QDir and QFileInfo would take the working folder in Qt's lossy decoding.
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : currentFolder() + path);
}

} // namespace FileSystem
