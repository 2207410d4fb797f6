#include "core/RegularFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace RegularFile {

Identity identityOf(const struct stat &status)
{
    return {status.st_dev, status.st_ino, qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

qint64 readAt(int fd, qint64 at, char *into, qint64 want)
{
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::pread(fd, into + got, size_t(want - got), off_t(at + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    return got;
}

std::optional<Identity> identityAt(const QByteArray &native)
{
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return identityOf(st);
}

Handle::Handle(Handle &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_), status_(other.status_)
{
}

Handle &Handle::operator=(Handle &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
        status_ = other.status_;
    }
    return *this;
}

Handle::~Handle()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool Handle::refresh()
{
    struct stat now {};
    if (fd_ < 0 || ::fstat(fd_, &now) != 0)
        return false;
    status_ = now;
    return true;
}

// Builds handles; the one place that fills their private state.
class Opener {
public:
    static Handle open(const QByteArray &native, int flags, mode_t mode)
    {
        Handle handle;
        if (native.isEmpty()) {
            handle.error_ = ENOENT;
            return handle;
        }
        const int fd = ::open(native.constData(), flags, mode);
        if (fd < 0) {
            handle.error_ = errno;
            return handle;
        }
        return adopt(fd);
    }

    static Handle failed(int error)
    {
        Handle handle;
        handle.error_ = error;
        return handle;
    }

    // A descriptor just opened, checked to be a regular file.
    static Handle adopt(int fd)
    {
        Handle handle;
        if (::fstat(fd, &handle.status_) != 0) {
            handle.error_ = errno;
            ::close(fd);
            return handle;
        }
        if (!S_ISREG(handle.status_.st_mode)) {
            handle.error_ = S_ISDIR(handle.status_.st_mode) ? EISDIR : kNotRegular;
            ::close(fd);
            return handle;
        }
        const int now = ::fcntl(fd, F_GETFL);
        if (now >= 0 && (now & O_NONBLOCK))
            ::fcntl(fd, F_SETFL, now & ~O_NONBLOCK);
        handle.fd_ = fd;
        return handle;
    }
};

Handle openForReading(const QByteArray &native, Links links)
{
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    return Opener::open(native, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow, 0);
}

Handle createNew(const QByteArray &native)
{
    return Opener::open(native, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
}

Handle createUnlinked(const QByteArray &folderNative)
{
    Handle made = Opener::open(folderNative, O_TMPFILE | O_RDWR | O_NOCTTY | O_CLOEXEC, 0600);
    // EISDIR and EOPNOTSUPP: a kernel or file system without O_TMPFILE.
    if (made.isOpen() || (made.error() != EOPNOTSUPP && made.error() != EISDIR))
        return made;
    QByteArray name = folderNative;
    if (!name.endsWith('/'))
        name += '/';
    name += ".orlimbo-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return Opener::failed(errno);
    ::unlink(name.constData());
    return Opener::adopt(fd);
}

Read readAll(const QByteArray &native, qint64 limit, Links links)
{
    Read result;
    const Handle handle = openForReading(native, links);
    result.status = handle.status();
    if (!handle.isOpen()) {
        result.error = handle.error();
        return result;
    }
    const qint64 size = std::max<qint64>(handle.status().st_size, 0);
    QByteArray bytes(qsizetype(std::min(size, limit)), Qt::Uninitialized);
    qsizetype got = 0;
    // The size fstat gave first, then on to the end in chunks: files may grow or report no size.
    std::array<char, 1 << 16> chunk{};
    for (;;) {
        const bool intoPlace = got < bytes.size();
        char *target = intoPlace ? bytes.data() + got : chunk.data();
        // Past the limit one byte more is asked for, only to learn whether there is more.
        const qint64 left = limit - got;
        const qint64 room = intoPlace ? bytes.size() - got
                            : left >= qint64(chunk.size()) ? qint64(chunk.size())
                                                            : left + 1;
        if (room <= 0)
            break;
        const ssize_t n = ::read(handle.fd(), target, size_t(room));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.error = errno;
            return result;
        }
        if (n == 0)
            break;
        if (intoPlace) {
            got += n;
            continue;
        }
        if (got + n > limit) {
            bytes.append(chunk.data(), qsizetype(limit - got));
            got = qsizetype(limit);
            result.truncated = true;
            break;
        }
        bytes.append(chunk.data(), n);
        got += n;
    }
    bytes.truncate(got);
    result.bytes = std::move(bytes);
    return result;
}

int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += n;
    }
    return 0;
}

} // namespace RegularFile
