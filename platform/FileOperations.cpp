#include "platform/FileOperations.h"

#include "core/PathForm.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace FileOps {

namespace {

constexpr const char *kArchiveName = "user.archive";

QByteArray native(const QString &path)
{
    return PathForm::toNative(path);
}

Result fromErrno(int error)
{
    Result r;
    r.error = error;
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        r.status = Status::TargetExists;
        break;
    case ENOENT:
    case ENOTDIR:
        r.status = Status::NotFound;
        break;
    case EACCES:
    case EPERM:
        r.status = Status::PermissionDenied;
        break;
    case EROFS:
        r.status = Status::ReadOnly;
        break;
    case ENOSPC:
    case EDQUOT:
        r.status = Status::NoSpace;
        break;
    case EISDIR: // only ever a source: a folder where a file was
    case RegularFile::kNotRegular:
    case RegularFile::kOtherFile:
        r.status = Status::SourceChanged;
        break;
    default:
        r.status = Status::Other;
        break;
    }
    return r;
}

Result lastError()
{
    return fromErrno(errno);
}

bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool copyData(int in, int out)
{
    std::array<char, 1 << 16> buffer{};
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!writeAll(out, buffer.data(), n))
            return false;
    }
}

// The user attributes go along where both file systems keep them; a target that keeps none
// does not fail the copy.
void copyUserAttributes(int in, int out)
{
    std::array<char, 4096> names{};
    const ssize_t length = ::flistxattr(in, names.data(), names.size());
    for (ssize_t at = 0; at < length;) {
        const char *name = names.data() + at;
        at += ssize_t(std::strlen(name)) + 1;
        if (std::strncmp(name, "user.", 5) != 0)
            continue;
        std::array<char, 4096> value{};
        const ssize_t size = ::fgetxattr(in, name, value.data(), value.size());
        if (size >= 0)
            ::fsetxattr(out, name, value.data(), size_t(size), 0);
    }
}

// Runs `change` while the file is writable by its owner, for attributes the system lets only
// writers change.
template <typename Change>
int whileWritable(const char *path, mode_t mode, Change change)
{
    const bool locked = (mode & S_IWUSR) == 0;
    if (locked && ::chmod(path, (mode & 07777) | S_IWUSR) != 0)
        return -1;
    const int rc = change();
    const int error = errno;
    if (locked)
        ::chmod(path, mode & 07777);
    errno = error;
    return rc;
}

} // namespace

void ignoreFileSizeSignal()
{
    ::signal(SIGXFSZ, SIG_IGN);
}

namespace {

// Copies the open source into a target created exclusively; a failed copy removes the target.
Result copyFrom(const RegularFile::Handle &in, const QByteArray &target)
{
    const struct stat &st = in.status();
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (out < 0)
        return lastError();
    bool copied = copyData(in.fd(), out);
    int error = copied ? 0 : errno;
    if (copied) {
        copyUserAttributes(in.fd(), out);
        // Permissions and times as far as the target's file system keeps them.
        ::fchmod(out, st.st_mode & 07777);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        if (::fsync(out) != 0) {
            copied = false;
            error = errno;
        }
    }
    if (::close(out) != 0 && copied) {
        copied = false;
        error = errno;
    }
    if (!copied) {
        // The target is ours: O_EXCL created it.
        ::unlink(target.constData());
        return fromErrno(error);
    }
    return {};
}

// The source as it stands now: a regular file (links followed), and the expected one.
Result checkSource(const QByteArray &source, const std::optional<RegularFile::Identity> &expected,
                   RegularFile::Identity &found)
{
    struct stat st {};
    if (source.isEmpty() || ::stat(source.constData(), &st) != 0)
        return fromErrno(source.isEmpty() ? ENOENT : errno);
    if (!S_ISREG(st.st_mode))
        return fromErrno(S_ISDIR(st.st_mode) ? EISDIR : RegularFile::kNotRegular);
    found = RegularFile::identityOf(st);
    if (expected && !found.sameFile(*expected))
        return fromErrno(RegularFile::kOtherFile);
    return {};
}

// The target's folder entry reaches the disk before anything relies on it.
Result syncFolderOf(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return lastError();
    // Some file systems cannot sync a folder at all; they say so with EINVAL.
    const int rc = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return rc == 0 ? Result{} : fromErrno(rc);
}

} // namespace

Result writeNewFile(const QString &to, const QByteArray &bytes, std::optional<qint64> modifiedNs)
{
    const QByteArray target = native(to);
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0)
        return lastError();
    int error = 0;
    for (qsizetype written = 0; written < bytes.size() && !error;) {
        const ssize_t n = ::write(out, bytes.constData() + written, size_t(bytes.size() - written));
        if (n > 0)
            written += n;
        else if (!(n < 0 && errno == EINTR))
            error = n < 0 ? errno : EIO;
    }
    if (!error && modifiedNs) {
        const struct timespec time {time_t(*modifiedNs / 1000000000), long(*modifiedNs % 1000000000)};
        const struct timespec times[2] = {time, time};
        ::futimens(out, times);
    }
    if (!error && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && !error)
        error = errno;
    if (error) {
        ::unlink(target.constData());
        return fromErrno(error);
    }
    return {};
}

Result copyFile(const QString &from, const QString &to, const std::optional<RegularFile::Identity> &expected)
{
    const RegularFile::Handle in = RegularFile::openForReading(native(from));
    if (!in.isOpen())
        return fromErrno(in.error());
    if (expected && !RegularFile::identityOf(in.status()).sameFile(*expected))
        return fromErrno(RegularFile::kOtherFile);
    return copyFrom(in, native(to));
}

Result moveFile(const QString &from, const QString &to, Crossing crossing,
                const std::optional<RegularFile::Identity> &expected)
{
    const QByteArray source = native(from);
    const QByteArray target = native(to);
    RegularFile::Identity found;
    if (const Result checked = checkSource(source, expected, found); !checked.ok())
        return checked;
    if (from == to)
        return {};
    if (crossing == Crossing::WhenNeeded) {
        if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return {};
        const int error = errno;
        if (error == EINVAL || error == ENOSYS) {
            // A file system without the no-replace rename: a hard link cannot replace either.
            if (::link(source.constData(), target.constData()) == 0) {
                if (::unlink(source.constData()) == 0)
                    return {};
                const Result failed = lastError();
                ::unlink(target.constData());
                return failed;
            }
            if (errno == EEXIST)
                return lastError();
        } else if (error != EXDEV) {
            return fromErrno(error);
        }
    }
    // Copied from the file that was checked; the source goes only once the copy and its folder
    // entry are on the disk, and only while the path still leads to what was copied.
    const RegularFile::Handle in = RegularFile::openForReading(source);
    if (!in.isOpen())
        return fromErrno(in.error());
    const RegularFile::Identity opened = RegularFile::identityOf(in.status());
    if (!opened.sameFile(found))
        return fromErrno(RegularFile::kOtherFile);
    if (const Result copied = copyFrom(in, target); !copied.ok())
        return copied;
    Result failed = syncFolderOf(target);
    RegularFile::Identity now;
    if (failed.ok() && !checkSource(source, opened, now).ok())
        failed = fromErrno(RegularFile::kOtherFile);
    if (failed.ok() && ::unlink(source.constData()) != 0)
        failed = lastError();
    if (!failed.ok()) {
        // Never leave the file in two places: the copy goes again.
        ::unlink(target.constData());
        return failed;
    }
    return {};
}

Result deleteFile(const QString &path)
{
    const QByteArray name = native(path);
    struct stat st {};
    if (path.isEmpty() || ::lstat(name.constData(), &st) != 0)
        return fromErrno(path.isEmpty() ? ENOENT : errno);
    if (S_ISDIR(st.st_mode))
        return fromErrno(EISDIR);
    // The superuser could unlink it anyway; a read-only file is refused all the same.
    struct stat target {};
    if (::stat(name.constData(), &target) == 0 && (target.st_mode & S_IWUSR) == 0)
        return {Status::ReadOnly, 0};
    if (::unlink(name.constData()) != 0)
        return lastError();
    return {};
}

std::optional<Attributes> readAttributes(const QString &path)
{
    const QByteArray name = native(path);
    struct stat st {};
    if (path.isEmpty() || ::stat(name.constData(), &st) != 0)
        return std::nullopt;
    Attributes a;
    a.readOnly = (st.st_mode & S_IWUSR) == 0;
    std::array<char, 16> value{};
    const ssize_t size = ::getxattr(name.constData(), kArchiveName, value.data(), value.size());
    a.archiveSupported = size >= 0 || (errno != ENOTSUP && errno != EOPNOTSUPP);
    a.archive = size == 1 && value[0] == '1';
    return a;
}

Result writeAttributes(const QString &path, const Attributes &attributes)
{
    const QByteArray name = native(path);
    struct stat st {};
    if (path.isEmpty() || ::stat(name.constData(), &st) != 0)
        return lastError();
    const std::optional<Attributes> now = readAttributes(path);
    if (now && now->archive != attributes.archive) {
        const int rc = whileWritable(name.constData(), st.st_mode, [&] {
            if (attributes.archive)
                return ::setxattr(name.constData(), kArchiveName, "1", 1, 0);
            const int removed = ::removexattr(name.constData(), kArchiveName);
            return removed != 0 && errno == ENODATA ? 0 : removed;
        });
        if (rc != 0)
            return lastError();
    }
    mode_t mode = st.st_mode & 07777;
    if (attributes.readOnly)
        mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    else if ((mode & S_IWUSR) == 0)
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(name.constData(), mode) != 0)
        return lastError();
    return {};
}

Result setLastWriteTime(const QString &path, const QDateTime &time)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return lastError();
    const qint64 ms = time.toMSecsSinceEpoch();
    struct timespec times[2] {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
    times[1].tv_nsec = long(((ms % 1000) + 1000) % 1000) * 1000000L;
    const int rc = ::futimens(fd, times);
    const int error = errno;
    ::close(fd);
    return rc == 0 ? Result{} : fromErrno(error);
}

} // namespace FileOps
