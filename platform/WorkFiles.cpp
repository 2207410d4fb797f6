#include "platform/WorkFiles.h"

#include "core/EffectList.h"
#include "core/PathForm.h"
#include "core/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <limits>
#include <unistd.h>

namespace WorkFiles {

namespace {


bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Run failed(Failure failure, int error, const QString &path)
{
    Run run;
    run.failure = failure;
    run.error = error;
    run.path = path;
    return run;
}

} // namespace

Run runEffect(EffectKind kind, const QByteArray &input, const QString &folder)
{
    const QString inputPath = folder + kInputName;
    const QString outputPath = folder + kOutputName;
    const QByteArray inputNative = PathForm::toNative(inputPath);
    const QByteArray outputNative = PathForm::toNative(outputPath);
    remove(folder);

    RegularFile::Handle written = RegularFile::createNew(inputNative);
    if (!written.isOpen())
        return failed(Failure::WriteInput, written.error(), inputPath);
    if (const int error = RegularFile::writeAll(written.fd(), input))
        return failed(Failure::WriteInput, error, inputPath);

    const RegularFile::Handle output = RegularFile::createNew(outputNative);
    if (!output.isOpen())
        return failed(Failure::CreateOutput, output.error(), outputPath);

    // Read from the name again, as the file we wrote: anything put in its place meanwhile is refused.
    const RegularFile::Handle reading = RegularFile::openForReading(inputNative, RegularFile::Links::Refuse);
    if (!reading.isOpen() || !sameFile(reading.status(), written.status()))
        return failed(Failure::OpenInput, reading.error(), inputPath);
    written = RegularFile::Handle();

    QFile in;
    QFile out;
    if (!in.open(reading.fd(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)
        || !out.open(output.fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        return failed(Failure::Transform, EIO, outputPath);
    errno = 0;
    const bool transformed = Effects::transform(kind, in, out) && out.flush();
    const int transformError = errno ? errno : EIO;
    in.close();
    out.close();
    if (!transformed)
        return failed(Failure::Transform, transformError, outputPath);

    RegularFile::Read back = RegularFile::readAll(outputNative, std::numeric_limits<qint64>::max(),
                                                  RegularFile::Links::Refuse);
    if (!back.bytes)
        return failed(Failure::Transform, back.error, outputPath);
    if (!sameFile(back.status, output.status()))
        return failed(Failure::Transform, EEXIST, outputPath);
    Run run;
    run.output = std::move(back.bytes);
    return run;
}

void remove(const QString &folder)
{
    for (const QString &name : {kInputName, kOutputName})
        ::unlink(PathForm::toNative(folder + name).constData());
}

std::optional<QString> writeMemberCopy(const QString &folder, const QString &name, const QByteArray &bytes,
                                       int *error)
{
    const auto fail = [error](int e) -> std::optional<QString> {
        if (error)
            *error = e;
        return std::nullopt;
    };
    const QString dir = folder + kMembersName;
    const QByteArray dirNative = PathForm::toNative(dir);
    if (::mkdir(dirNative.constData(), 0700) != 0 && errno != EEXIST)
        return fail(errno);
    // A shared work folder may hold a planted link or someone else's folder under the name.
    struct stat st {};
    if (::lstat(dirNative.constData(), &st) != 0)
        return fail(errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return fail(EEXIST);
    QString base = name.mid(name.lastIndexOf(u'/') + 1);
    if (base.isEmpty() || base == u"." || base == u"..")
        base = QStringLiteral("_");
    const QString path = dir + u'/' + base;
    const QByteArray native = PathForm::toNative(path);
    ::unlink(native.constData());
    const RegularFile::Handle out = RegularFile::createNew(native);
    if (!out.isOpen())
        return fail(out.error());
    if (const int e = RegularFile::writeAll(out.fd(), bytes)) {
        ::unlink(native.constData());
        return fail(e);
    }
    return path;
}

void removeMemberCopies(const QString &folder)
{
    const QByteArray dirNative = PathForm::toNative(folder + kMembersName);
    const int fd = ::open(dirNative.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (DIR *dir = ::fdopendir(fd)) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::closedir(dir);
    } else {
        ::close(fd);
    }
    ::rmdir(dirNative.constData());
}

} // namespace WorkFiles
