// A file's text read as it is shown, from its index, against the same bytes decoded whole, in
// each encoding that can be indexed. The input's first bytes choose the encoding, the piece size
// and how the reads and a followed file's writes are cut; the rest is the file. The text, its
// lines read every way, its byte length and what the index's watcher sees must all agree, and the
// whole lines a followed file adds, decoded piece by piece, read as the file read whole.
#include "core/DocumentEncoding.h"
#include "core/TextStore.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QFile>
#include <QTemporaryDir>

#include <mutex>

using EncodingDetect::Encoding;

namespace {

// Cuts chosen by the input, the same for every run of it.
class Cuts {
public:
    explicit Cuts(std::uint8_t seed) : state_(seed * 2654435761u + 1) {}
    qsizetype next(qsizetype most)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return 1 + qsizetype(state_ % std::uint32_t(most));
    }

private:
    std::uint32_t state_;
};

qsizetype markBytes(const EncodingDetect::Detection &detection)
{
    if (!detection.hasBom)
        return 0;
    return detection.encoding == Encoding::Utf8 ? 3 : detection.encoding == Encoding::Utf16 ? 2 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    static const Encoding kIndexed[] = {Encoding::Sjis, Encoding::Utf8, Encoding::Utf16, Encoding::Euc};
    const Encoding encoding = kIndexed[data[0] % 4];
    const qsizetype pieceBytes = 1 + data[1] * 8;
    Cuts cuts(data[2]);
    const QByteArray bytes = FuzzInput::bytes(data + 3, size - 3);
    const EncodingDetect::Detection detection = DocumentEncoding::detection(bytes, encoding);
    const DocumentEncoding::Loaded whole = DocumentEncoding::load(bytes, encoding);
    const TextStore held(whole.text);

    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("text"));
    QFile out(path);
    FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size());
    out.close();
    RegularFile::Handle file = RegularFile::openForReading(QFile::encodeName(path));
    FUZZ_CHECK(file.isOpen());

    std::mutex seen;
    std::vector<QString> runs;
    std::vector<qint64> runStarts;
    qint64 doneSize = -1;
    TextStore::IndexWatch watch;
    watch.piece = [&](size_t run, QStringView piece, qint64 at) {
        const std::lock_guard lock(seen);
        if (runs.size() <= run)
            runs.resize(run + 1);
        FUZZ_CHECK(at == runs[run].size());
        runs[run] += piece;
    };
    watch.done = [&](std::vector<qint64> starts, qint64 size) {
        runStarts = std::move(starts);
        doneSize = size;
    };
    qsizetype given = 0;
    const auto read = [&](char *into, qsizetype room) {
        const qsizetype n = std::min({room, bytes.size() - given, cuts.next(pieceBytes)});
        std::copy_n(bytes.constData() + given, n, into);
        given += n;
        return n;
    };
    qint64 byteLength = -1;
    const TextStore lazy = TextStore::index(std::move(file), detection, read, pieceBytes, &byteLength, watch);
    FUZZ_CHECK(lazy.isLazy() && !lazy.fileChanged());
    FUZZ_CHECK(lazy.size() == held.size() && byteLength == whole.byteLength);
    FUZZ_CHECK(lazy.whole() == whole.text);

    // The watcher saw the whole text once, run by run, and where each run starts.
    FUZZ_CHECK(doneSize == held.size() && runs.size() <= runStarts.size());
    runs.resize(runStarts.size());
    QString watched;
    for (size_t run = 0; run < runs.size(); ++run) {
        FUZZ_CHECK(runStarts[run] == watched.size());
        watched += runs[run];
    }
    FUZZ_CHECK(watched == whole.text);

    FUZZ_CHECK(lazy.lineCount() == held.lineCount());
    TextStore::LineReader lines(lazy);
    for (qint64 line = 0; line < held.lineCount(); line += cuts.next(3)) {
        FUZZ_CHECK(lazy.lineStart(line) == held.lineStart(line));
        FUZZ_CHECK(lines.line(line) == held.line(line));
    }
    for (qint64 line = 0; line < held.lineCount(); ++line)
        FUZZ_CHECK(lazy.lineStart(line) == held.lineStart(line) && lazy.line(line) == held.line(line));
    TextStore::Reader units(lazy);
    for (qint64 from = 0; from < held.size(); from += cuts.next(64)) {
        const qint64 to = from + cuts.next(256);
        FUZZ_CHECK(units.range(from, to) == QStringView(whole.text).sliced(from, std::min(to, held.size()) - from));
        FUZZ_CHECK(lazy.lineOf(from) == held.lineOf(from) && lazy.at(from) == held.at(from));
    }

    // The same bytes as a followed file's writes after its mark: whole lines are taken as they
    // come, each ending in its line break.
    QByteArray pending;
    QString followed;
    qsizetype taken = markBytes(detection);
    for (qsizetype at = taken; at < bytes.size();) {
        const qsizetype n = cuts.next(64);
        pending += bytes.mid(at, n);
        at += n;
        const qsizetype end = TextStore::wholeLines(pending, detection);
        const QString piece = TextStore::decodePiece(QByteArrayView(pending).first(end), detection);
        FUZZ_CHECK(end == 0 || piece.endsWith(u'\n'));
        followed += piece;
        pending.remove(0, end);
        taken += end;
    }
    FUZZ_CHECK(followed == EncodingDetect::decode(bytes.first(taken), detection));
    return 0;
}
