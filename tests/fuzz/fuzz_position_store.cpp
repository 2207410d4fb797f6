// The reading-positions file over any bytes, in a folder of its own under the temporary folder:
// it is either read whole or set aside untouched, a record this window remembered stands over it,
// and what is written reads back as the same records, the remembered one too.
#include "core/PositionStore.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

// A record of any values, taken from the input's last bytes.
PositionStore::Record recordFrom(QByteArrayView bytes)
{
    qint64 v[7] = {};
    if (!bytes.isEmpty())
        std::memcpy(v, bytes.data(), std::min(sizeof v, size_t(bytes.size())));
    PositionStore::Record r;
    r.size = v[0];
    r.modifiedNs = v[1];
    r.top = {v[2], v[3]};
    r.caret = {v[4], v[5]};
    r.caretMoved = v[6] & 1;
    r.visitedMs = v[6] >> 1;
    r.tail = bytes.last(std::min<qsizetype>(bytes.size(), PositionStore::kTailBytes)).toByteArray();
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir temporary;
    FUZZ_CHECK(temporary.isValid());
    QDir folder(temporary.filePath(QStringLiteral("Orlimbo")));
    folder.removeRecursively();
    FUZZ_CHECK(folder.mkpath(QStringLiteral(".")));
    const QString file = folder.filePath(QStringLiteral("positions"));
    const QString bad = file + QStringLiteral(".bad");
    const QByteArray bytes = FuzzInput::bytes(data, size);
    put(file, bytes);

    // The keys the file names, each line's first field as the writer escapes it.
    QList<QByteArray> keys;
    for (const QByteArray &line : bytes.split('\n').mid(1))
        if (!line.isEmpty())
            keys.append(QByteArray::fromPercentEncoding(line.left(line.indexOf(' '))));
    // A key of its own, never empty, which no line of the file can name.
    const QByteArray mine = "\n" + bytes.left(40);
    const PositionStore::Record remembered = recordFrom(QByteArrayView(bytes).last(std::min<qsizetype>(size, 80)));

    PositionStore store(folder.path());
    store.remember(mine, remembered);
    store.read();
    FUZZ_CHECK(store.find(mine) == remembered);
    const bool setAside = QFile::exists(bad);
    if (setAside) {
        FUZZ_CHECK(store.size() == 1 && !QFile::exists(file) && contents(bad) == bytes);
    } else {
        FUZZ_CHECK(contents(file) == bytes);
        for (const QByteArray &key : keys)
            FUZZ_CHECK(store.find(key));
        QList<QByteArray> distinct = keys;
        distinct.removeAll(mine);
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        FUZZ_CHECK(store.size() == std::min<qsizetype>(distinct.size() + 1, PositionStore::kMaxRecords));
    }

    FUZZ_CHECK(store.write() && !store.hasUnwritten());
    QFile::remove(bad);
    PositionStore again(folder.path());
    again.read();
    FUZZ_CHECK(!QFile::exists(bad));
    FUZZ_CHECK(again.size() == store.size());
    FUZZ_CHECK(again.find(mine) == remembered);
    for (const QByteArray &key : keys)
        FUZZ_CHECK(again.find(key) == store.find(key));
    return 0;
}
