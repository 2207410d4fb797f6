#include "platform/SaveFile.h"

#include "core/PathForm.h"
#include "platform/FileSystem.h"

#include <QSaveFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

namespace {

WriteResult systemError(int error)
{
    return {false, QString::fromLocal8Bit(std::strerror(error))};
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// What QSaveFile does, for a path Qt cannot name: a temporary file beside the target, flushed,
// then renamed over it; the target's permissions are kept.
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
        if (n <= 0)
            break;
        written += n;
    }
    int error = written == bytes.size() ? 0 : (errno ? errno : EIO);
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
    return {true, {}};
}

} // namespace

WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    // Refused by the permission bit itself, which root's access rights would pass over.
    if (IsReadOnlyFile(path))
        return systemError(EACCES);
    if (!PathForm::isPlain(path))
        return writeNativeAtomically(PathForm::toNative(path), bytes);
    QSaveFile file(path);
    // Writing in place would lose the old content on failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace FileSystem
