#include "platform/SaveFile.h"

#include "core/PathForm.h"
#include "core/SystemErrors.h"
#include "platform/FileSystem.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

namespace {

WriteResult systemError(int error)
{
    return {false, error, SystemErrors::text(error)};
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The file a link leads to, also where that file is not written yet, so that replacing it
// keeps the link; anything else as it is.
QByteArray throughLinks(QByteArray target)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::array<char, 4096> buffer{};
        const ssize_t n = ::readlink(target.constData(), buffer.data(), buffer.size());
        if (n <= 0 || n == ssize_t(buffer.size()))
            break;
        const QByteArray to(buffer.data(), n);
        target = to.startsWith('/') ? to : target.left(target.lastIndexOf('/') + 1) + to;
    }
    return target;
}

// A temporary file beside the target, written, flushed, then renamed over it; the target's
// permissions are kept. The system's own bytes throughout, so every name is reached.
WriteResult writeNativeAtomically(const QByteArray &target, const QByteArray &bytes)
{
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray temporary = target.left(slash + 1) + ".orlimbo-save-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return systemError(errno);
    struct stat st {};
    ::fchmod(fd, ::stat(target.constData(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~currentUmask());
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            break;
        }
        written += n;
    }
    int error = written == bytes.size() ? 0 : errno;
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return systemError(error);
    }
    return {true, 0, {}};
}

} // namespace

WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    // Refused by the permission bit itself, which root's access rights would pass over.
    if (IsReadOnlyFile(path))
        return systemError(EACCES);
    return writeNativeAtomically(throughLinks(PathForm::toNative(path)), bytes);
}

} // namespace FileSystem
