#include "core/TextStore.h"

#include "core/Cp932.h"
#include "core/DocumentEncoding.h"
#include "core/HugePages.h"
#include "core/TwoThreads.h"

#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <list>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The bytes decoded at a time while indexing, and so the most a block read back costs: small
// enough that painting a line decodes little, large enough that the block table stays tiny.
constexpr qsizetype kBlockBytes = 64 << 10;
// Decoded blocks kept: the visible lines, a selection's ends and a search's position.
constexpr size_t kCachedBlocks = 16;

void addLineStarts(const char16_t *units, qsizetype count, qint64 at, Positions &starts)
{
    for (const char16_t *p = units, *end = units + count; (p = std::find(p, end, u'\n')) != end; ++p)
        starts.push_back(at + (p - units) + 1);
}

using EncodingDetect::Encoding;

// Bytes from within a file of the detected encoding, from a character's start on, decoded as
// the whole file's bytes decode there. The encoding's byte-order mark goes before them, so that
// UTF-16 is read in the file's byte order and a mark that begins the stretch itself stays text.
QString decodeStretch(QByteArrayView bytes, const EncodingDetect::Detection &detection)
{
    QByteArray marked;
    if (detection.encoding == Encoding::Utf8)
        marked = QByteArray("\xEF\xBB\xBF");
    else if (detection.encoding == Encoding::Utf16)
        marked = detection.bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    else
        return EncodingDetect::decode(QByteArray::fromRawData(bytes.data(), bytes.size()), detection.encoding);
    marked.append(bytes);
    return EncodingDetect::decode(marked, detection.encoding);
}

// A stretch of UTF-8 decoded straight into `out`, which has room for a unit a byte, with CR LF
// and a lone CR made '\n' as everywhere else; gives the units written. `byteLength` grows by the
// stretch's length in UTF-8 with CR LF breaks, and `lineStarts` (when given) by the lines that
// start in it, `at` being where it starts in the text. The hot path of reading a UTF-8 file: no
// string is made, and the text is gone through once after it is decoded.
qsizetype decodeUtf8Into(QByteArrayView bytes, char16_t *out, qint64 &byteLength, Positions *lineStarts = nullptr,
                         qint64 at = 0)
{
    // A U+FEFF inside the file is a character like any other; the mark at its start is skipped
    // before it comes here.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const char16_t *const end =
        reinterpret_cast<char16_t *>(decoder.appendToBuffer(reinterpret_cast<QChar *>(out), bytes));
    qint64 lengthened = 0; // LFs and lone CRs, each one byte short of a CR LF
    char16_t *w = out;
    for (const char16_t *r = out; r < end; ++r) {
        char16_t unit = *r;
        if (unit == u'\r') {
            unit = u'\n';
            if (r + 1 < end && r[1] == u'\n')
                ++r;
            else
                ++lengthened;
        } else if (unit == u'\n') {
            ++lengthened;
        }
        *w++ = unit;
        if (unit == u'\n' && lineStarts)
            lineStarts->push_back(at + (w - out));
    }
    const qsizetype units = w - out;
    // A substitute stands for bytes of another length: those texts are measured as they came out.
    byteLength += decoder.hasError() ? DocumentEncoding::byteLength(QStringView(out, units), DocumentEncoding::ByteForm::Utf8)
                                     : bytes.size() + lengthened;
    return units;
}

// How long a character of the encoding is at least, and so the steps a cut is looked for in.
qsizetype unitBytes(const EncodingDetect::Detection &detection)
{
    return detection.encoding == Encoding::Utf16 ? 2 : 1;
}

// The code unit that ends at `end` (two bytes in UTF-16, in the file's byte order).
unsigned unitBefore(const unsigned char *p, qsizetype end, const EncodingDetect::Detection &detection)
{
    if (unitBytes(detection) == 1)
        return p[end - 1];
    return detection.bigEndian ? unsigned(p[end - 2]) << 8 | p[end - 1] : unsigned(p[end - 1]) << 8 | p[end - 2];
}

// Where in [from, to) a stretch of the file may end so that each side decodes alone: after the
// last ASCII character other than a CR (which may be followed by an LF). No encoding read here
// joins such a character to what follows it. `from` starts a character; -1 where none is found.
qsizetype lastCut(const unsigned char *p, qsizetype from, qsizetype to, const EncodingDetect::Detection &detection)
{
    const qsizetype step = unitBytes(detection);
    for (qsizetype end = from + (to - from) / step * step; end > from; end -= step) {
        const unsigned unit = unitBefore(p, end, detection);
        if (unit < 0x80 && unit != '\r')
            return end;
    }
    return -1;
}

} // namespace

struct TextStore::Store {
    // Held whole.
    QString text;
    std::once_flag linesBuilt;

    // Read from the file: block i is the bytes [blockBytes[i], blockBytes[i + 1]), which
    // decode into the units [blockUnits[i], blockUnits[i + 1]) on their own.
    bool lazy = false;
    EncodingDetect::Detection detection;
    RegularFile::Handle file;
    // The file as it was indexed: bytes are read from it only while it is still so.
    RegularFile::Identity indexed;
    std::vector<qint64> blockBytes;
    std::vector<qint64> blockUnits;
    qint64 units = 0;

    Positions lines;

    mutable std::mutex cacheMutex;
    mutable std::list<std::pair<size_t, std::shared_ptr<const QString>>> cache;
    mutable qint64 decoded = 0;

    qint64 size() const { return lazy ? units : text.size(); }

    const Positions &lineIndex()
    {
        std::call_once(linesBuilt, [this] {
            if (lazy)
                return;
            lines.push_back(0);
            addLineStarts(reinterpret_cast<const char16_t *>(text.constData()), text.size(), 0, lines);
        });
        return lines;
    }

    size_t blockAt(qint64 position) const
    {
        const auto after = std::upper_bound(blockUnits.begin(), blockUnits.end(), position);
        return size_t(std::max<qsizetype>(0, after - blockUnits.begin() - 1));
    }

    std::shared_ptr<const QString> block(size_t i) const
    {
        const std::lock_guard lock(cacheMutex);
        for (auto it = cache.begin(); it != cache.end(); ++it) {
            if (it->first == i) {
                cache.splice(cache.begin(), cache, it);
                return it->second;
            }
        }
        std::shared_ptr<const QString> made = readBlockShared(i);
        ++decoded;
        cache.emplace_front(i, made);
        if (cache.size() > kCachedBlocks)
            cache.pop_back();
        return made;
    }

    // Block i when the cache holds it, without reading it.
    std::shared_ptr<const QString> cached(size_t i) const
    {
        const std::lock_guard lock(cacheMutex);
        for (const auto &[block, text] : cache) {
            if (block == i)
                return text;
        }
        return nullptr;
    }

    std::shared_ptr<const QString> readBlockShared(size_t i) const
    {
        QByteArray bytes;
        auto text = std::make_shared<QString>(qsizetype(blockRoom(i)), Qt::Uninitialized);
        text->truncate(decodeBlock(i, bytes, reinterpret_cast<char16_t *>(text->data())));
        return text;
    }

    // Whether the file holds other bytes than it did when it was indexed (written to, cut or
    // grown), as its size and time tell now.
    bool fileChanged() const
    {
        struct stat now {};
        return lazy && (::fstat(file.fd(), &now) != 0 || !(RegularFile::identityOf(now) == indexed));
    }

    // Reads up to `want` bytes from `at` in the file; gives how many it read. Nothing is read
    // from a file that changed since it was indexed: its bytes are not the text shown.
    qint64 readAt(qint64 at, char *into, qint64 want) const
    {
        return fileChanged() ? 0 : RegularFile::readAt(file.fd(), at, into, want);
    }

    // The units decoding block i may write: never more than its bytes or its indexed length.
    qint64 blockRoom(size_t i) const
    {
        return std::max(blockBytes[i + 1] - blockBytes[i], blockUnits[i + 1] - blockUnits[i]);
    }

    // Decodes block i as the file holds it now into `out` (blockRoom(i) units), reading its
    // bytes into `bytes`; gives its indexed length. A file changed since the load must not
    // break the view: what can be read is shown, cut or filled with blanks to that length.
    qsizetype decodeBlock(size_t i, QByteArray &bytes, char16_t *out) const
    {
        const qint64 want = blockBytes[i + 1] - blockBytes[i];
        if (bytes.size() < want)
            bytes.resize(qsizetype(want));
        const qint64 got = readAt(blockBytes[i], bytes.data(), want);
        const qsizetype units = qsizetype(blockUnits[i + 1] - blockUnits[i]);
        qsizetype written = 0;
        if (detection.encoding == Encoding::Sjis) {
            Cp932::PieceDecoder decoder;
            written = decoder.decode(bytes.constData(), qsizetype(got), out, true).written;
        } else if (detection.encoding == Encoding::Utf8) {
            qint64 unused = 0;
            written = std::min(units, decodeUtf8Into(QByteArrayView(bytes.constData(), qsizetype(got)), out, unused));
        } else {
            const QString text = decodeStretch(QByteArrayView(bytes.constData(), qsizetype(got)), detection);
            written = std::min(units, text.size());
            std::copy_n(text.utf16(), written, out);
        }
        if (written < units)
            std::fill(out + written, out + units, u' ');
        return units;
    }
};

TextStore::TextStore() : TextStore(QString()) {}

TextStore::TextStore(QString text) : store_(std::make_shared<Store>())
{
    store_->text = std::move(text);
}

namespace {

// The index of a run of bytes that starts where a character starts, relative to its start.
struct IndexPart {
    std::vector<qint64> blockBytes; // where each block ends
    std::vector<qint64> blockUnits;
    Positions lineStarts;
    std::vector<char16_t> scratch; // a block's text as it is decoded
    qint64 bytes = 0;
    qint64 units = 0;
    qint64 byteLength = 0;

    // Empty again, with the room kept.
    void clear()
    {
        blockBytes.clear();
        blockUnits.clear();
        lineStarts.clear();
        bytes = units = byteLength = 0;
    }
};

// Decodes the bytes block by block into `part`, as far as they decode alike whatever follows
// them (all of them with `last`); gives how many it took.
qsizetype indexBytes(const char *bytes, qsizetype count, bool last, IndexPart &part,
                     const TextStore::IndexWatch &watch, size_t run)
{
    std::vector<char16_t> &scratch = part.scratch;
    qsizetype at = 0;
    for (qsizetype slice = kBlockBytes; at < count;) {
        const qsizetype size = std::min(slice, count - at);
        const bool lastSlice = last && at + size == count;
        if (qsizetype(scratch.size()) < size)
            scratch.resize(size_t(size));
        // A decoder of its own for each block: it keeps only counts, so its byte length is
        // the block's.
        Cp932::PieceDecoder decoder;
        const Cp932::PieceDecoder::Step step = decoder.decode(bytes + at, size, scratch.data(), lastSlice);
        if (step.taken == 0) {
            if (at + size == count)
                break;
            slice *= 2;
            continue;
        }
        for (const char16_t *p = scratch.data(), *end = p + step.written; (p = std::find(p, end, u'\n')) != end; ++p)
            part.lineStarts.push_back(part.units + (p - scratch.data()) + 1);
        if (watch.piece && step.written > 0)
            watch.piece(run, QStringView(scratch.data(), step.written), part.units);
        part.byteLength += decoder.byteLength(QStringView(scratch.data(), step.written));
        part.bytes += step.taken;
        part.units += step.written;
        part.blockBytes.push_back(part.bytes);
        part.blockUnits.push_back(part.units);
        at += step.taken;
        slice = kBlockBytes;
    }
    return at;
}

// indexBytes() for every other encoding: a block ends where lastCut() allows and is decoded
// as the whole file's bytes are.
qsizetype indexStretches(const char *bytes, qsizetype count, bool last, IndexPart &part,
                         const TextStore::IndexWatch &watch, size_t run, const EncodingDetect::Detection &detection)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    qsizetype at = 0;
    for (qsizetype slice = kBlockBytes; at < count;) {
        const qsizetype size = std::min(slice, count - at);
        const qsizetype end = last && at + size == count ? count : lastCut(p, at, at + size, detection);
        if (end < 0) { // no character of the slice may end a block: wait for more, or a larger one
            if (at + size == count)
                break;
            slice *= 2;
            continue;
        }
        QString decoded;
        QStringView text;
        if (detection.encoding == Encoding::Utf8) {
            if (part.scratch.size() < size_t(end - at))
                part.scratch.resize(size_t(end - at));
            text = QStringView(part.scratch.data(), decodeUtf8Into(QByteArrayView(bytes + at, end - at), part.scratch.data(),
                                                                   part.byteLength, &part.lineStarts, part.units));
        } else {
            decoded = decodeStretch(QByteArrayView(bytes + at, end - at), detection);
            text = decoded;
            part.byteLength += DocumentEncoding::byteLength(text, DocumentEncoding::ByteForm::Utf8);
            addLineStarts(text.utf16(), text.size(), part.units, part.lineStarts);
        }
        if (watch.piece && !text.isEmpty())
            watch.piece(run, text, part.units);
        part.bytes += end - at;
        part.units += text.size();
        part.blockBytes.push_back(part.bytes);
        part.blockUnits.push_back(part.units);
        at = end;
        slice = kBlockBytes;
    }
    return at;
}

// Below this many bytes a second thread costs more than it saves.
constexpr qsizetype kTwoThreadsFrom = qsizetype(1) << 20;

// The bytes of the byte-order mark a file of this detection begins with.
qsizetype markBytes(const EncodingDetect::Detection &detection)
{
    if (!detection.hasBom)
        return 0;
    return detection.encoding == Encoding::Utf8 ? 3 : detection.encoding == Encoding::Utf16 ? 2 : 0;
}

// Where the last whole character in `bytes` ends, `bytes` starting with one: what follows is a
// character the file has not finished writing.
qsizetype wholeCharacters(QByteArrayView bytes, const EncodingDetect::Detection &detection)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    switch (detection.encoding) {
    case Encoding::Utf16: {
        const qsizetype even = size & ~qsizetype(1);
        const unsigned last = even >= 2 ? unitBefore(p, even, detection) : 0;
        return last >= 0xD800 && last < 0xDC00 ? even - 2 : even;
    }
    case Encoding::Utf8: {
        qsizetype lead = size;
        while (lead > 0 && size - lead < 4 && (p[lead - 1] & 0xC0) == 0x80)
            --lead;
        if (lead == 0)
            return size;
        const unsigned char b = p[lead - 1];
        const qsizetype need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return lead - 1 + need > size ? lead - 1 : size;
    }
    default: {
        // Forward from the first byte, as a lead byte says how long its character is.
        const bool cp932 = detection.encoding == Encoding::Sjis;
        qsizetype at = 0;
        while (at < size) {
            const unsigned char b = p[at];
            const qsizetype length = cp932 ? ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1)
                                           : b < 0x80 ? 1 : b == 0x8F ? 3 : 2;
            if (at + length > size)
                break;
            at += length;
        }
        return at;
    }
    }
}

} // namespace

TextStore TextStore::indexCp932(RegularFile::Handle file, const std::function<qsizetype(char *, qsizetype)> &read,
                                qsizetype pieceBytes, qint64 *byteLength, const IndexWatch &watch)
{
    return index(std::move(file), EncodingDetect::Detection{}, read, pieceBytes, byteLength, watch);
}

TextStore TextStore::index(RegularFile::Handle file, const EncodingDetect::Detection &detection,
                           const std::function<qsizetype(char *, qsizetype)> &read, qsizetype pieceBytes,
                           qint64 *byteLength, const IndexWatch &watch)
{
    TextStore made;
    Store &s = *made.store_;
    s.lazy = true;
    s.detection = detection;
    const bool cp932 = detection.encoding == Encoding::Sjis;
    const auto indexPart = [&](const char *bytes, qsizetype count, bool last, IndexPart &part, size_t run) {
        return cp932 ? indexBytes(bytes, count, last, part, watch, run)
                     : indexStretches(bytes, count, last, part, watch, run, detection);
    };
    // A byte-order mark is no text: the first block starts after it.
    qsizetype skip = markBytes(detection);
    s.blockBytes.push_back(skip);
    s.blockUnits.push_back(0);
    s.lines.push_back(0);
    qint64 bytes = skip;
    qint64 length = 0;
    std::vector<qint64> runStarts;
    // The line index is grown once to what the first piece foretells for the whole file, with
    // room to spare, instead of doubling (each doubling copies it and touches fresh pages).
    const qint64 fileBytes = file.isOpen() ? qint64(file.status().st_size) : 0;
    const auto add = [&](const IndexPart &part) {
        if (runStarts.empty() && part.bytes > 0 && fileBytes > part.bytes) {
            const double perByte = double(part.lineStarts.size() + 1) / double(part.bytes);
            s.lines.reserve(size_t(perByte * double(fileBytes) * 1.1) + 16);
        }
        runStarts.push_back(s.units);
        for (size_t i = 0; i < part.blockBytes.size(); ++i) {
            s.blockBytes.push_back(bytes + part.blockBytes[i]);
            s.blockUnits.push_back(s.units + part.blockUnits[i]);
        }
        s.lines.appendShifted(part.lineStarts, s.units);
        bytes += part.bytes;
        s.units += part.units;
        length += part.byteLength;
    };
    std::vector<char, HugePageAllocator<char>> buffer(size_t(std::max<qsizetype>(pieceBytes, 16)));
    qsizetype held = 0;
    // Kept from piece to piece, so that their room is allocated once.
    IndexPart first, second;
    for (bool end = false; !end || held > 0;) {
        if (!end) {
            if (held == qsizetype(buffer.size())) // no byte of the piece could end a block: read on with it
                buffer.resize(buffer.size() * 2);
            const qsizetype n = read(buffer.data() + held, qsizetype(buffer.size()) - held);
            end = n == 0;
            held += n;
            const qsizetype dropped = std::min(skip, held);
            std::memmove(buffer.data(), buffer.data() + dropped, size_t(held - dropped));
            held -= dropped;
            skip -= dropped;
        }
        const auto *p = reinterpret_cast<const unsigned char *>(buffer.data());
        qsizetype split = held >= kTwoThreadsFrom ? held / 2 : 0;
        if (!cp932) {
            split = split > 0 ? std::max<qsizetype>(lastCut(p, 0, split, detection), 0) : 0;
        } else {
            // The first half ends after a byte below 0x40 other than CR: such a byte is never a
            // trail byte and never waits for the next, so the second half is indexed on its own.
            while (split > 0 && (p[split - 1] >= 0x40 || p[split - 1] == '\r'))
                --split;
        }
        first.clear();
        second.clear();
        qsizetype taken = 0;
        if (split > 0) {
            qsizetype secondTaken = 0;
            const size_t run = runStarts.size();
            runOnTwoThreads([&] { taken = indexPart(buffer.data(), split, false, first, run); },
                            [&] { secondTaken = indexPart(buffer.data() + split, held - split, end, second, run + 1); });
            add(first);
            add(second);
            taken += secondTaken;
        } else {
            taken = indexPart(buffer.data(), held, end, first, runStarts.size());
            add(first);
        }
        std::memmove(buffer.data(), buffer.data() + taken, size_t(held - taken));
        held -= taken;
    }
    // As it is once indexed: a file written to while it was read is told by a later change.
    struct stat indexed = file.status();
    if (file.isOpen())
        ::fstat(file.fd(), &indexed);
    s.indexed = RegularFile::identityOf(indexed);
    s.file = std::move(file);
    if (byteLength)
        *byteLength = length;
    if (watch.done)
        watch.done(std::move(runStarts), s.units);
    return made;
}

qint64 TextStore::extend(qint64 *byteLength)
{
    Store &s = *store_;
    struct stat status {};
    if (!s.lazy || ::fstat(s.file.fd(), &status) != 0)
        return -1;
    const RegularFile::Identity now = RegularFile::identityOf(status);
    if (now == s.indexed)
        return s.units;
    if (now.size < s.indexed.size)
        return -1;
    const bool cp932 = s.detection.encoding == Encoding::Sjis;
    const auto indexPart = [&](const char *bytes, qsizetype count, bool last, IndexPart &part) {
        return cp932 ? indexBytes(bytes, count, last, part, {}, 0)
                     : indexStretches(bytes, count, last, part, {}, 0, s.detection);
    };
    // The last block (if any) and everything after it, read as the file holds it now.
    const size_t blocks = s.blockBytes.size() - 1;
    const size_t from = blocks > 0 ? blocks - 1 : 0;
    const qint64 fromByte = s.blockBytes[from];
    QByteArray bytes(qsizetype(now.size - fromByte), Qt::Uninitialized);
    if (RegularFile::readAt(s.file.fd(), fromByte, bytes.data(), bytes.size()) < bytes.size())
        return -1;
    // What the old last block added to the byte length, measured as the index measured it.
    IndexPart old, grown;
    if (blocks > 0)
        indexPart(bytes.constData(), qsizetype(s.blockBytes[blocks] - fromByte), true, old);
    indexPart(bytes.constData(), wholeCharacters(bytes, s.detection), true, grown);
    {
        const std::lock_guard lock(s.cacheMutex);
        std::erase_if(s.cache, [from](const auto &entry) { return entry.first >= from; });
    }
    const qint64 start = s.blockUnits[from];
    s.blockBytes.resize(from + 1);
    s.blockUnits.resize(from + 1);
    s.lines.truncate(s.lines.countUpTo(start));
    for (size_t i = 0; i < grown.blockBytes.size(); ++i) {
        s.blockBytes.push_back(fromByte + grown.blockBytes[i]);
        s.blockUnits.push_back(start + grown.blockUnits[i]);
    }
    s.lines.appendShifted(grown.lineStarts, start);
    s.units = start + grown.units;
    s.indexed = now;
    if (byteLength)
        *byteLength += grown.byteLength - old.byteLength;
    return start;
}

QString TextStore::decodePiece(QByteArrayView bytes, const EncodingDetect::Detection &detection)
{
    if (detection.encoding == Encoding::Sjis)
        return Cp932::decode(bytes.toByteArray());
    return decodeStretch(bytes, detection);
}

qsizetype TextStore::wholeLines(QByteArrayView bytes, const EncodingDetect::Detection &detection)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype step = unitBytes(detection);
    for (qsizetype end = bytes.size() / step * step; end > 0; end -= step) {
        if (unitBefore(p, end, detection) == '\n')
            return end;
    }
    return 0;
}

RegularFile::Identity TextStore::fileIdentity() const
{
    return store_->lazy ? store_->indexed : RegularFile::Identity{};
}

bool TextStore::fileChanged() const
{
    return store_->fileChanged();
}

bool TextStore::isLazy() const
{
    return store_->lazy;
}

const QString *TextStore::held() const
{
    return store_->lazy ? nullptr : &store_->text;
}

qint64 TextStore::size() const
{
    return store_->size();
}

QChar TextStore::at(qint64 position) const
{
    const Store &s = *store_;
    if (!s.lazy)
        return s.text.at(position);
    const size_t i = s.blockAt(position);
    return s.block(i)->at(position - s.blockUnits[i]);
}

void TextStore::forEachPiece(qint64 from, qint64 to, const std::function<bool(QStringView, qint64)> &take) const
{
    const Store &s = *store_;
    from = std::clamp<qint64>(from, 0, s.size());
    to = std::clamp<qint64>(to, from, s.size());
    if (!s.lazy) {
        if (to > from)
            take(QStringView(s.text).sliced(from, to - from), from);
        return;
    }
    for (size_t i = s.blockAt(from); from < to; ++i) {
        const std::shared_ptr<const QString> block = s.block(i);
        const qint64 start = s.blockUnits[i];
        const qint64 end = std::min(to, s.blockUnits[i + 1]);
        if (end > from && !take(QStringView(*block).sliced(from - start, end - from), from))
            return;
        from = std::max(from, end);
    }
}

QString TextStore::mid(qint64 position, qint64 length) const
{
    const Store &s = *store_;
    if (!s.lazy)
        return s.text.mid(position, length);
    QString out;
    forEachPiece(position, position + std::max<qint64>(length, 0), [&](QStringView piece, qint64) {
        out.append(piece);
        return true;
    });
    return out;
}

QString TextStore::whole() const
{
    return mid(0, size());
}

qint64 TextStore::lineCount() const
{
    return qint64(store_->lineIndex().size());
}

qint64 TextStore::lineStart(qint64 line) const
{
    return store_->lineIndex()[size_t(line)];
}

const Positions &TextStore::lineStarts() const
{
    return store_->lineIndex();
}

qint64 TextStore::lineOf(qint64 position) const
{
    return std::max<qint64>(0, qint64(store_->lineIndex().countUpTo(position)) - 1);
}

QString TextStore::line(qint64 line) const
{
    const Positions &lines = store_->lineIndex();
    const qint64 start = lines[size_t(line)];
    const qint64 end = size_t(line) + 1 < lines.size() ? lines[size_t(line) + 1] - 1 : size();
    return mid(start, end - start);
}

qint64 TextStore::indexOf(QStringView word, qint64 from, Qt::CaseSensitivity cs) const
{
    const Store &s = *store_;
    if (!s.lazy)
        return s.text.indexOf(word, from, cs);
    if (from < 0 || from > s.size())
        return -1;
    if (word.isEmpty())
        return from;
    // Each piece is searched with the end of the one before it, so a word across two is found.
    QString hay;
    qint64 hayStart = from;
    qint64 found = -1;
    forEachPiece(from, s.size(), [&](QStringView piece, qint64) {
        hay.append(piece);
        const qsizetype at = hay.indexOf(word, 0, cs);
        if (at >= 0) {
            found = hayStart + at;
            return false;
        }
        const qsizetype keep = std::min<qsizetype>(hay.size(), word.size() - 1);
        hayStart += hay.size() - keep;
        hay.remove(0, hay.size() - keep);
        return true;
    });
    return found;
}

qint64 TextStore::lastIndexOf(QStringView word, qint64 from, Qt::CaseSensitivity cs) const
{
    const Store &s = *store_;
    if (!s.lazy)
        return s.text.lastIndexOf(word, from, cs);
    from = std::min<qint64>(from, s.size() - word.size());
    if (word.isEmpty() || from < 0)
        return -1;
    // Windows from the end backwards, each reaching into the one after it by the word less one.
    const qint64 window = std::max<qint64>(qint64(1) << 16, 2 * word.size());
    for (qint64 end = from + word.size(); end > 0;) {
        const qint64 start = std::max<qint64>(0, end - window);
        const qsizetype at = mid(start, end - start).lastIndexOf(word, -1, cs);
        if (at >= 0)
            return start + at;
        if (start == 0)
            break;
        end = start + word.size() - 1;
    }
    return -1;
}

qint64 TextStore::blocksDecoded() const
{
    const std::lock_guard lock(store_->cacheMutex);
    return store_->decoded;
}

QString TextStore::cp932Repertoire()
{
    static const QString made = [] {
        // Every single byte, every lead byte with every byte after it, and the mark of a byte that
        // is no character.
        QString all;
        all.append(QChar(0xFFFD));
        all.append(QLatin1Char('\n'));
        for (int b = 0; b < 0x100; ++b) {
            all.append(QChar(Cp932::decodeSingle(uchar(b))));
            for (int t = 0; t < 0x100; ++t)
                all.append(QChar(Cp932::decodePair(uchar(b), uchar(t))));
        }
        std::vector<bool> seen(0x10000);
        QString out;
        for (const QChar c : all) {
            if (!seen[c.unicode()]) {
                seen[c.unicode()] = true;
                out.append(c);
            }
        }
        return out;
    }();
    return made;
}

QStringView TextStore::Reader::range(qint64 from, qint64 to)
{
    const Store &s = *text_.store_;
    from = std::clamp<qint64>(from, 0, s.size());
    to = std::clamp<qint64>(to, from, s.size());
    if (!s.lazy)
        return QStringView(s.text).sliced(from, to - from);
    if (from < start_ || from > start_ + held_) {
        // Somewhere else: start again at the block that holds `from`.
        held_ = 0;
        next_ = s.blockAt(from);
        start_ = s.blockUnits[next_];
    } else if (from - start_ > held_ / 2) {
        // What lies before `from` is behind the reader: the rest moves to the front.
        const qsizetype drop = qsizetype(from - start_);
        std::copy(units_.begin() + drop, units_.begin() + held_, units_.begin());
        held_ -= drop;
        start_ = from;
    }
    while (start_ + held_ < to && next_ + 1 < s.blockUnits.size()) {
        const size_t need = size_t(held_ + s.blockRoom(next_));
        if (units_.size() < need)
            units_.resize(std::max(need, 2 * units_.size()));
        // Once the file changed, a block read before is all there is of it.
        const std::shared_ptr<const QString> read = s.fileChanged() ? s.cached(next_) : nullptr;
        if (read) {
            std::copy_n(read->utf16(), read->size(), units_.data() + held_);
            held_ += read->size();
            ++next_;
        } else {
            held_ += s.decodeBlock(next_++, bytes_, units_.data() + held_);
        }
    }
    return QStringView(units_.data() + (from - start_), qsizetype(to - from));
}

namespace {

// The first CR or LF in [p, end), or end.
const char *firstBreak(const char *p, const char *end)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))))
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n' || *p == '\r')
            return p;
    }
    return end;
}

// The bytes a line reader reads at a time.
constexpr qsizetype kLineReadBytes = 256 << 10;
// A line longer than this is read through the block reader rather than held as bytes too.
constexpr qint64 kLongLine = 1 << 20;

} // namespace

bool TextStore::LineReader::readMore()
{
    const Store &s = *text_.store_;
    if (cursor_ > 0) {
        std::memmove(bytes_.data(), bytes_.data() + cursor_, size_t(held_ - cursor_));
        bytesAt_ += cursor_;
        held_ -= cursor_;
        cursor_ = 0;
    }
    if (bytes_.size() < held_ + kLineReadBytes)
        bytes_.resize(held_ + kLineReadBytes);
    const qint64 got = s.readAt(bytesAt_ + held_, bytes_.data() + held_, bytes_.size() - held_);
    held_ += qsizetype(got);
    return got > 0;
}

void TextStore::LineReader::findBreak(qsizetype from, qsizetype &lineEnd, qsizetype &next)
{
    // A line feed or a carriage return is never part of a two-byte character: each is a line
    // break, a CR LF pair one break. Offsets count from cursor_, which readMore() moves.
    qsizetype offset = from - cursor_;
    for (;;) {
        const char *base = bytes_.constData() + cursor_;
        const char *end = bytes_.constData() + held_;
        const char *found = firstBreak(base + offset, end);
        // A CR as the last byte held may yet be followed by an LF.
        if (found < end && !(*found == '\r' && found + 1 == end)) {
            lineEnd = cursor_ + qsizetype(found - base);
            next = lineEnd + (*found == '\r' && found[1] == '\n' ? 2 : 1);
            return;
        }
        const qsizetype foundAt = found < end ? qsizetype(found - base) : -1;
        const qsizetype looked = qsizetype(end - base);
        const bool more = readMore();
        if (!more) {
            lineEnd = foundAt >= 0 ? cursor_ + foundAt : held_;
            next = foundAt >= 0 ? lineEnd + 1 : held_;
            return;
        }
        offset = foundAt >= 0 ? foundAt : looked;
    }
}

void TextStore::LineReader::seek(qint64 line)
{
    const Store &s = *text_.store_;
    const qint64 start = text_.lineStart(line);
    // The block that holds the line's start begins at a character; the first line that starts
    // in it is found after its first line break, unless it starts the block.
    const size_t block = s.blockAt(start);
    bytesAt_ = s.blockBytes[block];
    held_ = cursor_ = 0;
    qint64 at = text_.lineOf(s.blockUnits[block]);
    if (text_.lineStart(at) != s.blockUnits[block]) {
        qsizetype end, next;
        findBreak(cursor_, end, next);
        cursor_ = next;
        ++at;
    }
    cursorLine_ = at;
}

QStringView TextStore::LineReader::line(qint64 line)
{
    const Store &s = *text_.store_;
    const qint64 start = text_.lineStart(line);
    const qint64 end = line + 1 < text_.lineCount() ? text_.lineStart(line + 1) - 1 : text_.size();
    // Lines are found in the bytes of code page 932; another encoding's are read by block.
    if (!s.lazy || lost_ || end - start > kLongLine || s.detection.encoding != Encoding::Sjis) {
        cursorLine_ = -1;
        return units_.range(start, end);
    }
    // Far ahead, the line is found from its block rather than through every line before it.
    constexpr qint64 kFar = 256;
    if (cursorLine_ < 0 || line < cursorLine_ || line - cursorLine_ > kFar)
        seek(line);
    qsizetype lineEnd = 0, next = 0;
    for (; cursorLine_ < line; ++cursorLine_) {
        findBreak(cursor_, lineEnd, next);
        cursor_ = next;
    }
    findBreak(cursor_, lineEnd, next);
    const qsizetype length = lineEnd - cursor_;
    if (qsizetype(decoded_.size()) < length)
        decoded_.resize(size_t(length));
    // A line of bytes below 0x80 (never a CR or LF inside it) is the same units: widened at once.
    const auto *b = reinterpret_cast<const unsigned char *>(bytes_.constData() + cursor_);
    unsigned char high = 0;
    for (qsizetype i = 0; i < length; ++i)
        high |= b[i];
    qsizetype written = length;
    if (high < 0x80) {
        std::copy(b, b + length, decoded_.data());
    } else {
        Cp932::PieceDecoder decoder;
        written = decoder.decode(bytes_.constData() + cursor_, length, decoded_.data(), true).written;
    }
    cursor_ = std::min(next, held_);
    ++cursorLine_;
    if (written != end - start) {
        lost_ = true;
        cursorLine_ = -1;
        return units_.range(start, end);
    }
    return QStringView(decoded_.data(), written);
}
