#include "core/Document.h"

#include "core/ArchiveFolder.h"
#include "core/Cp932.h"
#include "core/PathForm.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <unistd.h>

namespace {

using EncodingDetect::Encoding;

// The file's bytes as they are now, when it is still the file the document was read from.
std::optional<QByteArray> ownBytesIfUnchanged(const Document::Source &source)
{
    if (!source.identity.known())
        return std::nullopt;
    RegularFile::Read read = RegularFile::readAll(source.nativePath);
    // The size read counts too: a file written to while it is read may keep its stat a moment.
    if (!read.bytes || !(RegularFile::identityOf(read.status) == source.identity)
        || read.bytes->size() != source.identity.size)
        return std::nullopt;
    return std::move(read.bytes);
}

struct Cancelled {};
struct ReadFailed {
    int error;
};

// Reads the descriptor on in pieces, checking for a cancel and reporting progress between them.
class PieceReader {
public:
    PieceReader(int fd, qint64 size, const Document::LoadControl &control) : fd_(fd), size_(size), control_(control) {}

    // Reads up to `room` bytes into `into`; 0 at the end of the file.
    qsizetype next(char *into, qsizetype room)
    {
        if (control_.cancel && control_.cancel->load())
            throw Cancelled{};
        if (control_.beforePiece)
            control_.beforePiece(done_);
        if (control_.cancel && control_.cancel->load())
            throw Cancelled{};
        for (;;) {
            const ssize_t n = ::read(fd_, into, size_t(room));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw ReadFailed{errno};
            done_ += n;
            report();
            return qsizetype(n);
        }
    }
    qint64 done() const { return done_; }

private:
    void report()
    {
        if (!control_.progress || size_ <= 0)
            return;
        const int percent = int(std::min<qint64>(100, done_ * 100 / size_));
        if (percent != percent_)
            control_.progress(percent_ = percent);
    }

    int fd_;
    qint64 size_;
    const Document::LoadControl &control_;
    qint64 done_ = 0;
    int percent_ = -1;
};

// The whole rest of the file.
QByteArray readRest(PieceReader &reader, qint64 size, qsizetype piece)
{
    QByteArray bytes(qsizetype(std::max<qint64>(size, 0)), Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (bytes.size() - got < piece)
            bytes.resize(std::max(bytes.size() + piece, got + piece));
        const qsizetype n = reader.next(bytes.data() + got, std::min(piece, bytes.size() - got));
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

// Recognises the encoding from the file read in pieces from its start, without moving the
// descriptor's offset: only as far as the recognition needs, checking for a cancel between
// pieces. A file that shrinks meanwhile just ends sooner.
EncodingDetect::Detection detectInPieces(int fd, std::optional<Encoding> chosen, const Document::LoadControl &control,
                                         qsizetype piece)
{
    QByteArray buffer(chosen ? 4 : std::min<qsizetype>(piece, qsizetype(1) << 20), Qt::Uninitialized);
    EncodingDetect::PieceDetector detector;
    QByteArray head;
    for (qint64 offset = 0;;) {
        if (control.cancel && control.cancel->load())
            throw Cancelled{};
        if (control.beforeDetectionPiece)
            control.beforeDetectionPiece(offset);
        const ssize_t n = ::pread(fd, buffer.data(), size_t(buffer.size()), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw ReadFailed{errno};
        offset += n;
        // A chosen encoding only looks for its byte-order mark.
        if (chosen) {
            head.append(buffer.constData(), qsizetype(n));
            if (n == 0 || head.size() >= 4)
                return DocumentEncoding::detection(head, chosen);
            continue;
        }
        if (n == 0 || !detector.feed(buffer.constData(), qsizetype(n)))
            return detector.finish();
    }
}

// A code page 932 file, decoded piece by piece into a text made as long as the file: each byte
// gives at most one unit, and the part of it never written is never brought into memory.
DocumentEncoding::Loaded decodeCp932(PieceReader &reader, qint64 size, qsizetype piece)
{
    DocumentEncoding::Loaded loaded;
    QString text(qsizetype(std::max<qint64>(size, 0)), Qt::Uninitialized);
    QByteArray buffer(piece, Qt::Uninitialized);
    Cp932::PieceDecoder decoder;
    qsizetype written = 0;
    qsizetype held = 0;
    for (bool last = false; !last;) {
        if (held == buffer.size()) // no byte of the piece could end one: read on with it
            buffer.resize(buffer.size() * 2);
        const qsizetype n = reader.next(buffer.data() + held, buffer.size() - held);
        last = n == 0;
        held += n;
        if (written + held > text.size()) // the file grew while read
            text.resize(std::max(text.size() + text.size() / 2, written + held));
        const Cp932::PieceDecoder::Step step =
            decoder.decode(buffer.constData(), held, reinterpret_cast<char16_t *>(text.data()) + written, last);
        written += step.written;
        held -= step.taken;
        std::memmove(buffer.data(), buffer.constData() + step.taken, size_t(held));
    }
    // Shortening keeps the allocation, whose unwritten end was never brought into memory.
    text.truncate(written);
    loaded.byteLength = decoder.byteLength(text);
    loaded.text = std::move(text);
    return loaded;
}

} // namespace

Document::Document(QString text, DocumentEncoding::ByteForm form) : form_(form)
{
    shown_.text = TextStore(std::move(text));
}

qint64 Document::byteLength() const
{
    if (shown_.byteLength < 0)
        shown_.byteLength = DocumentEncoding::byteLength(shown_.text.whole(), form_);
    return shown_.byteLength;
}

void Document::replace(qint64 start, qint64 length, QStringView with)
{
    // Typing goes into what is seen: the book's text becomes the text.
    if (book_) {
        shown_.text = TextStore(book_->text);
        bookText_ = TextStore();
        book_.reset();
        effects_.remove(EffectKind::Aozora);
    }
    // Typed into, a text is held whole.
    QString text = shown_.text.whole();
    shown_.text = TextStore();
    text.replace(start, length, with.toString());
    shown_.text = TextStore(std::move(text));
    shown_.modified = true;
    shown_.byteLength = -1;
}

bool Document::append(QStringView text)
{
    if (!showsOwnText() || !shown_.text.held())
        return false;
    QString grown = shown_.text.whole();
    shown_.text = TextStore();
    grown.append(text);
    shown_.text = TextStore(std::move(grown));
    if (shown_.byteLength >= 0)
        shown_.byteLength += DocumentEncoding::byteLength(text, form_);
    return true;
}

qint64 Document::grow()
{
    if (!showsOwnText() || !shown_.text.isLazy() || shown_.modified)
        return -1;
    const qint64 from = shown_.text.extend(shown_.byteLength >= 0 ? &shown_.byteLength : nullptr);
    if (from >= 0)
        source_.identity = shown_.text.fileIdentity();
    return from;
}

QByteArray Document::effectInput() const
{
    if (!shown_.modified) {
        if (shown_.effectBytes)
            return *shown_.effectBytes;
        if (const std::optional<QByteArray> own = ownBytesIfUnchanged(source_))
            return DocumentEncoding::byteFormOfFile(*own, detection_);
    }
    return DocumentEncoding::encode(shown_.text.whole(), form_);
}

void Document::applyEffect(EffectKind kind, QByteArray output)
{
    if (!unprocessed_)
        unprocessed_ = shown_;
    shown_.text = TextStore(DocumentEncoding::decode(output, form_));
    shown_.effectBytes = std::move(output);
    shown_.byteLength = -1;
    effects_.insert(kind);
    // The book comes last: it is read again from the new text.
    if (book_)
        showAsBook(true);
}

void Document::restoreUnprocessed()
{
    if (unprocessed_)
        shown_ = *std::exchange(unprocessed_, std::nullopt);
    effects_.clear();
    // The book is a way of showing, not one of the byte effects: it stays, over the text back.
    if (book_)
        showAsBook(true);
}

void Document::showAsBook(bool on)
{
    bookText_ = TextStore();
    if (!on) {
        book_.reset();
        effects_.remove(EffectKind::Aozora);
        return;
    }
    book_ = std::make_shared<const Aozora::Book>(Aozora::parse(shown_.text.whole(), explanationOpen_));
    linesHiddenByBook_ = std::max<qint64>(shown_.text.lineCount() - qint64(book_->lines.size()), 0);
    bookText_ = TextStore(book_->text);
    effects_.insert(EffectKind::Aozora);
}

void Document::openExplanation(bool open)
{
    explanationOpen_ = open;
    if (book_)
        showAsBook(true);
}

QByteArray Document::pictureFile(const QString &name) const
{
    // Pictures are small; a larger file is no picture of a book.
    constexpr qint64 kPictureLimit = qint64(32) << 20;
    const auto kept = pictureFiles_.constFind(name);
    if (kept != pictureFiles_.constEnd())
        return *kept;
    QByteArray bytes;
    // Only a name beside the text or below it: never one that climbs out or starts anew.
    const QStringList parts = name.split(QLatin1Char('/'));
    const bool safe = !source_.path.isEmpty() && !name.contains(QLatin1Char('\\'))
                      && std::none_of(parts.begin(), parts.end(), [](const QString &part) {
                             return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
                         });
    if (safe) {
        const QString path = source_.path.left(source_.path.lastIndexOf(QLatin1Char('/')) + 1) + name;
        if (ArchiveFolder::locate(path)) {
            Archive::Member member = ArchiveFolder::read(path);
            if (member.status == Archive::Status::Ok && member.bytes.size() <= kPictureLimit)
                bytes = std::move(member.bytes);
        } else {
            RegularFile::Read read = RegularFile::readAll(QFile::encodeName(path), kPictureLimit);
            if (read.bytes && !read.truncated)
                bytes = std::move(*read.bytes);
        }
    }
    pictureFiles_.insert(name, bytes);
    return bytes;
}

qint64 Document::beneathBook(qint64 position) const
{
    if (!book_)
        return position;
    const Aozora::LineStyle *line = Aozora::lineAt(*book_, position);
    return line ? shown_.text.lineStart(std::min<qint64>(line->sourceLine, shown_.text.lineCount() - 1)) : 0;
}

qint64 Document::overBook(qint64 position) const
{
    if (!book_)
        return position;
    const qint64 source = shown_.text.lineOf(position);
    // The last shown line made from this source line or one before it.
    const auto after = std::upper_bound(book_->lines.begin(), book_->lines.end(), source,
                                        [](qint64 at, const Aozora::LineStyle &line) { return at < line.sourceLine; });
    return after == book_->lines.begin() ? 0 : (after - 1)->start;
}

qint64 Document::linesHiddenByBook() const
{
    return book_ ? linesHiddenByBook_ : 0;
}

void Document::forgetUnprocessed()
{
    unprocessed_.reset();
    effects_.clear();
    // The book is no byte effect: it stays as it is shown.
    if (book_)
        effects_.insert(EffectKind::Aozora);
}

DocumentEncoding::Saved Document::saveForm() const
{
    if (!shown_.modified) {
        if (shown_.effectBytes)
            return DocumentEncoding::saveFormOfByteForm(*shown_.effectBytes, detection_);
        // Read again rather than kept since the load: a large file is held once, as its text.
        if (std::optional<QByteArray> own = ownBytesIfUnchanged(source_))
            return {std::move(*own)};
    }
    return DocumentEncoding::saveFormCounting(shown_.text.whole(), detection_);
}

namespace {
std::atomic<qint64> opened{0};
} // namespace

qint64 Document::loadsOpened()
{
    return opened.load();
}

Document::Loaded Document::load(const QString &path, std::optional<Encoding> chosen)
{
    return load(path, chosen, LoadControl{});
}

Document::Loaded Document::load(const QString &path, std::optional<Encoding> chosen, const LoadControl &control)
{
    Loaded result;
    const QByteArray native = PathForm::toNative(path);
    RegularFile::Handle file = RegularFile::openForReading(native);
    if (!file.isOpen()) {
        result.failure = Failure::Unreadable;
        result.error = file.error();
        return result;
    }
    ++opened;
    const RegularFile::Identity identity = RegularFile::identityOf(file.status());
    return loadOpen({path, native, identity}, std::move(file), chosen, control);
}

Document::Loaded Document::load(const QString &path, RegularFile::Handle file, std::optional<Encoding> chosen,
                                const LoadControl &control)
{
    // Written to until now: its size is the written one, and its offset at its end.
    if (!file.refresh() || ::lseek(file.fd(), 0, SEEK_SET) != 0) {
        Loaded failed;
        failed.failure = Failure::Unreadable;
        failed.error = errno;
        return failed;
    }
    return loadOpen({path, PathForm::toNative(path), {}}, std::move(file), chosen, control);
}

Document::Loaded Document::loadOpen(Source source, RegularFile::Handle file, std::optional<Encoding> chosen,
                                    const LoadControl &control)
{
    Loaded result;
    try {
        auto document = std::make_shared<Document>();
        document->source_ = std::move(source);
        const qint64 size = std::max<qint64>(file.status().st_size, 0);
        const qsizetype piece = std::max<qsizetype>(control.pieceBytes, 16);
        PieceReader reader(file.fd(), size, control);
        DocumentEncoding::Loaded loaded;
        const EncodingDetect::Detection detected = detectInPieces(file.fd(), chosen, control, piece);
        if (TextStore::canIndex(detected.encoding) && size >= control.readAsShownFrom) {
            document->detection_ = detected;
            document->form_ = DocumentEncoding::byteFormOf(detected.encoding);
            qint64 byteLength = 0;
            document->shown_.text = TextStore::index(
                std::move(file), detected, [&reader](char *into, qsizetype room) { return reader.next(into, room); },
                piece, &byteLength, control.watch);
            document->shown_.byteLength = byteLength;
            result.document = std::move(document);
            return result;
        }
        if (detected.encoding == Encoding::Sjis) {
            loaded = decodeCp932(reader, size, piece);
        } else {
            const QByteArray bytes = readRest(reader, size, piece);
            loaded = DocumentEncoding::load(bytes, detected.encoding);
        }
        loaded.detection = detected;
        document->detection_ = loaded.detection;
        document->form_ = DocumentEncoding::byteFormOf(loaded.detection.encoding);
        document->shown_.text = TextStore(std::move(loaded.text));
        document->shown_.byteLength = loaded.byteLength;
        result.document = std::move(document);
    } catch (const Cancelled &) {
        result.failure = Failure::Cancelled;
    } catch (const ReadFailed &failed) {
        result.failure = Failure::Unreadable;
        result.error = failed.error;
    } catch (const std::bad_alloc &) {
        result.failure = Failure::OutOfMemory;
    }
    return result;
}

Document::Loaded Document::fromBytes(const QString &path, const QByteArray &bytes, std::optional<Encoding> chosen)
{
    Loaded result;
    try {
        auto document = std::make_shared<Document>();
        document->source_ = {path, PathForm::toNative(path), {}};
        DocumentEncoding::Loaded loaded = DocumentEncoding::load(bytes, chosen);
        document->detection_ = loaded.detection;
        document->form_ = DocumentEncoding::byteFormOf(loaded.detection.encoding);
        document->shown_.text = TextStore(std::move(loaded.text));
        document->shown_.byteLength = loaded.byteLength;
        result.document = std::move(document);
    } catch (const std::bad_alloc &) {
        result.failure = Failure::OutOfMemory;
    }
    return result;
}

std::shared_ptr<Document> Document::firstLines(const QString &path, std::optional<Encoding> chosen, qsizetype bytes)
{
    RegularFile::Handle file = RegularFile::openForReading(PathForm::toNative(path));
    if (!file.isOpen())
        return nullptr;
    try {
        const qint64 size = std::max<qint64>(file.status().st_size, 0);
        QByteArray head(qsizetype(std::min<qint64>(size, bytes)), Qt::Uninitialized);
        const LoadControl plain;
        PieceReader reader(file.fd(), size, plain);
        qsizetype got = 0;
        while (got < head.size()) {
            const qsizetype n = reader.next(head.data() + got, head.size() - got);
            if (n <= 0)
                break;
            got += n;
        }
        head.truncate(got);
        // Recognised from whole lines only: a character cut at the end is no sign of another
        // encoding. A line feed's byte ends a line in every encoding but UTF-16, which is cut
        // where its text is.
        const qsizetype lastFeed = head.lastIndexOf('\n');
        if (lastFeed < 0)
            return nullptr;
        const Encoding encoding = chosen.value_or(EncodingDetect::detect(head.left(lastFeed + 1)).encoding);
        if (encoding != Encoding::Utf16)
            head.truncate(lastFeed + 1);
        std::shared_ptr<Document> document = fromBytes(path, head, encoding).document;
        if (!document)
            return nullptr;
        // The last line may be cut short, a character even: only whole lines are shown.
        const QString &text = *document->shown_.text.held();
        const qsizetype lastBreak = text.lastIndexOf(u'\n');
        if (lastBreak < 0)
            return nullptr;
        QString lines = text.left(lastBreak);
        document->shown_.byteLength = DocumentEncoding::byteLength(lines, document->form_);
        document->shown_.text = TextStore(std::move(lines));
        return document;
    } catch (const std::bad_alloc &) {
        return nullptr;
    } catch (const ReadFailed &) {
        return nullptr;
    }
}

TextPlace Document::placeOf(qint64 position) const
{
    const TextStore &own = ownText();
    if (const QString *held = own.held())
        return TextPlaces::placeOf(*held, form_, position, ownBytes());
    // A text read from its file is measured piece by piece, never made whole.
    position = std::clamp<qint64>(position, 0, own.size());
    qint64 bytes = 0;
    own.forEachPiece(0, position, [&](QStringView piece, qint64) {
        bytes += DocumentEncoding::byteLength(piece, form_);
        return true;
    });
    return {bytes, own.lineOf(position)};
}

qint64 Document::positionOf(const TextPlace &place) const
{
    const TextStore &own = ownText();
    if (const QString *held = own.held())
        return TextPlaces::positionOf(*held, form_, place, ownBytes());
    // The offset alone finds the place; pieces are measured until the one that holds it.
    qint64 bytes = 0;
    qint64 found = own.size();
    own.forEachPiece(0, own.size(), [&](QStringView piece, qint64 start) {
        const qint64 pieceBytes = DocumentEncoding::byteLength(piece, form_);
        if (bytes + pieceBytes <= place.byteOffset) {
            bytes += pieceBytes;
            return true;
        }
        found = start + TextPlaces::positionOf(piece, form_, {place.byteOffset - bytes, 0});
        return false;
    });
    return found;
}
