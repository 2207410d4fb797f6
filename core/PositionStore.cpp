#include "core/PositionStore.h"

#include "core/PathForm.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kHeader[] = "Orlimbo reading positions 1";
constexpr int kFields = 10;
// Far beyond 2,000 records of the longest paths; a larger file is no store of ours.
constexpr qint64 kMostBytes = qint64(64) << 20;

QByteArray native(const QString &path)
{
    return PathForm::toNative(path);
}

bool number(QByteArrayView text, qint64 &value)
{
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.isEmpty();
}

bool parseLine(QByteArrayView line, QByteArray &key, PositionStore::Record &r)
{
    std::array<QByteArrayView, kFields> fields;
    int n = 0;
    qsizetype from = 0;
    while (from <= line.size()) {
        qsizetype blank = line.indexOf(' ', from);
        if (blank < 0)
            blank = line.size();
        if (n == kFields)
            return false;
        fields[size_t(n++)] = line.sliced(from, blank - from);
        from = blank + 1;
    }
    if (n != kFields || fields[0].isEmpty())
        return false;
    qint64 moved = 0;
    if (!number(fields[1], r.size) || !number(fields[2], r.modifiedNs) || !number(fields[3], r.top.byteOffset)
        || !number(fields[4], r.top.line) || !number(fields[5], r.caret.byteOffset) || !number(fields[6], r.caret.line)
        || !number(fields[7], moved) || !number(fields[8], r.visitedMs) || (moved != 0 && moved != 1))
        return false;
    r.caretMoved = moved == 1;
    key = QByteArray::fromPercentEncoding(fields[0].toByteArray());
    if (fields[9] != "-") {
        r.tail = QByteArray::fromHex(fields[9].toByteArray());
        if (r.tail.size() * 2 != fields[9].size())
            return false;
    }
    return true;
}

QByteArray format(const QByteArray &key, const PositionStore::Record &r)
{
    QByteArray line = key.toPercentEncoding();
    for (qint64 value : {r.size, r.modifiedNs, r.top.byteOffset, r.top.line, r.caret.byteOffset, r.caret.line,
                         qint64(r.caretMoved), r.visitedMs}) {
        line += ' ';
        line += QByteArray::number(value);
    }
    line += ' ';
    line += r.tail.isEmpty() ? QByteArray("-") : r.tail.toHex();
    line += '\n';
    return line;
}


// An exclusive lock on a file of its own beside the store, held for the object's life: the
// store itself is replaced by a rename, so a lock on it would be a lock on the old one.
class Lock {
public:
    explicit Lock(const QByteArray &path) : fd_(::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~Lock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

QByteArray readAt(const QByteArray &nativePath, qint64 offset, qint64 length, const RegularFile::Identity *expected)
{
    const RegularFile::Handle file = RegularFile::openForReading(nativePath);
    if (!file.isOpen() || length <= 0 || offset < 0)
        return {};
    if (expected && !(RegularFile::identityOf(file.status()) == *expected))
        return {};
    QByteArray bytes(length, Qt::Uninitialized);
    ssize_t n;
    do
        n = ::pread(file.fd(), bytes.data(), size_t(length), off_t(offset));
    while (n < 0 && errno == EINTR);
    return n == length ? bytes : QByteArray();
}

} // namespace

PositionStore::PositionStore(QString folder) : folder_(std::move(folder))
{
}

QString PositionStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Orlimbo");
}

QString PositionStore::filePath() const
{
    return folder_ + QStringLiteral("/positions");
}

PositionStore::Parsed PositionStore::parseFile(Records &into) const
{
    const RegularFile::Read read = RegularFile::readAll(native(filePath()), kMostBytes, RegularFile::Links::Refuse);
    // Something else put in its place (a link, a folder) is set aside; a file that cannot be read
    // now (no permission) is left as it is.
    if (!read.bytes)
        return read.error == RegularFile::kNotRegular || read.error == ELOOP || read.error == EISDIR ? Parsed::Damaged
                                                                                                  : Parsed::Missing;
    const QByteArray &bytes = *read.bytes;
    if (read.truncated || !bytes.startsWith(QByteArray(kHeader) + '\n'))
        return Parsed::Damaged;
    qsizetype from = qsizetype(sizeof kHeader);
    while (from < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            return Parsed::Damaged; // cut short: not a file we finished writing
        QByteArray key;
        Record record;
        if (!parseLine(QByteArrayView(bytes).sliced(from, end - from), key, record))
            return Parsed::Damaged;
        into.insert(key, record);
        from = end + 1;
    }
    return Parsed::Fine;
}

void PositionStore::setAside() const
{
    const QString bad = filePath() + QStringLiteral(".bad");
    const bool moved = ::rename(native(filePath()).constData(), native(bad).constData()) == 0;
    std::fprintf(stderr, "orlimbo: %s is damaged; %s\n", qPrintable(filePath()),
                 moved ? qPrintable(QStringLiteral("set aside as ") + bad) : "starting afresh");
}

void PositionStore::read()
{
    Records stored;
    switch (parseFile(stored)) {
    case Parsed::Fine:
        bound(stored);
        // What this window remembered before reading stays over what the file says.
        for (auto it = records_.cbegin(); it != records_.cend(); ++it)
            stored.insert(it.key(), it.value());
        records_ = std::move(stored);
        break;
    case Parsed::Missing:
        break;
    case Parsed::Damaged:
        setAside();
        break;
    }
}

bool PositionStore::write()
{
    if (!QDir().mkpath(folder_))
        return false;
    // The lock beside the store is never followed through a link; where it cannot be had (a link
    // put there, say), a private one in the user's runtime folder serves every run alike.
    std::optional<Lock> lock;
    lock.emplace(native(filePath() + QStringLiteral(".lock")));
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !lock->held() && !runtime.isEmpty()) {
        lock.reset();
        lock.emplace(native(runtime + QStringLiteral("/orlimbo-positions.lock")));
    }
    if (!lock->held())
        return false;
    Records merged;
    if (parseFile(merged) == Parsed::Damaged) {
        setAside();
        merged.clear();
    }
    for (auto it = records_.cbegin(); it != records_.cend(); ++it) {
        const auto there = merged.constFind(it.key());
        if (there == merged.cend() || there->visitedMs <= it->visitedMs)
            merged.insert(it.key(), it.value());
    }
    bound(merged);

    QByteArray bytes = QByteArray(kHeader) + '\n';
    for (auto it = merged.cbegin(); it != merged.cend(); ++it)
        bytes += format(it.key(), it.value());
    const QByteArray temporary = native(filePath() + QStringLiteral(".%1.tmp").arg(::getpid()));
    ::unlink(temporary.constData()); // left by a run of this process id that did not finish
    const RegularFile::Handle out = RegularFile::createNew(temporary);
    const bool written = out.isOpen() && RegularFile::writeAll(out.fd(), bytes) == 0
                         && ::rename(temporary.constData(), native(filePath()).constData()) == 0;
    if (!written) {
        ::unlink(temporary.constData());
        return false;
    }
    records_ = std::move(merged);
    unwritten_ = false;
    return true;
}

std::optional<PositionStore::Record> PositionStore::find(const QByteArray &key) const
{
    const auto it = records_.constFind(key);
    if (it == records_.cend())
        return std::nullopt;
    return *it;
}

void PositionStore::remember(const QByteArray &key, Record record)
{
    records_.insert(key, std::move(record));
    bound(records_);
    unwritten_ = true;
}

void PositionStore::bound(Records &records)
{
    if (records.size() <= kMaxRecords)
        return;
    std::vector<std::pair<qint64, QByteArray>> byVisit;
    byVisit.reserve(size_t(records.size()));
    for (auto it = records.cbegin(); it != records.cend(); ++it)
        byVisit.emplace_back(it->visitedMs, it.key());
    const size_t drop = size_t(records.size() - kMaxRecords);
    std::nth_element(byVisit.begin(), byVisit.begin() + qsizetype(drop) - 1, byVisit.end());
    for (size_t i = 0; i < drop; ++i)
        records.remove(byVisit[i].second);
}

bool PositionStore::restores(const Record &record, const QByteArray &nativePath, const RegularFile::Identity &now)
{
    if (!now.known() || record.size < 0)
        return false;
    if (now.size == record.size && now.modifiedNs == record.modifiedNs)
        return true;
    // A file written only at its end (a log) keeps its old last bytes where they were; a file
    // rewritten almost never does. One read of a few bytes tells them apart.
    if (now.size <= record.size || record.tail.isEmpty())
        return false;
    return readAt(nativePath, record.size - record.tail.size(), record.tail.size(), &now) == record.tail;
}

QByteArray PositionStore::tailOf(const QByteArray &nativePath, const RegularFile::Identity &identity)
{
    const qint64 length = std::min<qint64>(kTailBytes, identity.size);
    return readAt(nativePath, identity.size - length, length, &identity);
}
