#include "platform/WorkFiles.h"

#include "core/EffectList.h"
#include "core/PathForm.h"
#include "core/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <limits>
#include <unistd.h>

namespace WorkFiles {

namespace {

// errno of the first failed write, or 0.
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
    if (const int error = writeAll(written.fd(), input))
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

} // namespace WorkFiles
