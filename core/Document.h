#pragma once

#include "core/Aozora.h"
#include "core/Archive.h"
#include "core/DocumentEncoding.h"
#include "core/EffectList.h"
#include "core/EncodingDetect.h"
#include "core/RegularFile.h"
#include "core/TextPlaces.h"
#include "core/TextStore.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The effects applied to a document, as a set of kinds.
class EffectSet {
public:
    bool has(EffectKind kind) const { return bits_ & bit(kind); }
    void insert(EffectKind kind) { bits_ |= bit(kind); }
    void remove(EffectKind kind) { bits_ &= ~bit(kind); }
    void clear() { bits_ = 0; }
    bool empty() const { return bits_ == 0; }
    bool operator==(const EffectSet &) const = default;

private:
    static unsigned bit(EffectKind kind)
    {
        if (kind == EffectKind::Aozora)
            return 1u << kEffects.size();
        for (size_t i = 0; i < kEffects.size(); ++i)
            if (kEffects[i].kind == kind)
                return 1u << i;
        return 0;
    }
    unsigned bits_ = 0;
};

// What is shown: the file it came from, the encoding it was read in, the effects applied, the
// shown text and the text the effects started from. It is held once; the view renders it and
// every command that needs the text or its bytes reads it here.
class Document {
public:
    // Where the shown text came from; an empty path for a text given directly.
    struct Source {
        QString path;
        QByteArray nativePath; // the path in its exact bytes
        RegularFile::Identity identity;
    };

    Document() = default;
    // A text of no file, in the given byte form.
    explicit Document(QString text, DocumentEncoding::ByteForm form = DocumentEncoding::ByteForm::Cp932);

    const Source &source() const { return source_; }
    const EncodingDetect::Detection &detection() const { return detection_; }
    DocumentEncoding::ByteForm byteForm() const { return form_; }

    // The shown text as it is held: whole, or read from a large file as needed; the book's
    // while the text is shown as a book.
    const TextStore &store() const { return book_ ? bookText_ : shown_.text; }
    // The whole shown text; a large file's is decoded for the call, so the view and the
    // commands read through store() instead.
    QString text() const { return store().whole(); }
    bool isEmpty() const { return shown_.text.isEmpty(); }
    // The length of the text in its byte form with CR LF breaks.
    qint64 byteLength() const;
    // Whether the text was typed into since it was read: it is then no longer what the
    // source's bytes decode into.
    bool isModified() const { return shown_.modified; }
    // Typing into the text (the write mode).
    void replace(qint64 start, qint64 length, QStringView with);
    // Text that followed the end of a text held whole, with no effect and no book on it; false,
    // with nothing changed, for any other text.
    bool append(QStringView text);
    // The file of a text read as it is shown grew: what it added is read in place (see
    // TextStore::extend). Gives the first position whose text may differ, or -1, with nothing
    // changed, for a text held whole, with an effect or a book on it, or a file that did not grow.
    qint64 grow();
    // The file grew and what it added was appended: the source is the file as it is now.
    void grewTo(const RegularFile::Identity &now) { source_.identity = now; }

    // The file's own text: the one the effects started from while any are on, else the shown one.
    const TextStore &ownText() const { return unprocessed_ ? unprocessed_->text : shown_.text; }
    // A position of the file's own text as a place no layout can move, and back.
    TextPlace placeOf(qint64 position) const;
    qint64 positionOf(const TextPlace &place) const;

    const EffectSet &effects() const { return effects_; }
    // The text the effects started from while any are applied; null otherwise.
    std::optional<QString> unprocessedText() const
    {
        return unprocessed_ ? std::optional<QString>(unprocessed_->text.whole()) : std::nullopt;
    }
    // The bytes (in the byte form) the next effect starts from: the last effect's output, else
    // the file's own bytes when the file is unchanged, else the text's.
    QByteArray effectInput() const;
    // Shows an effect's output; the text before the first effect is kept to come back.
    void applyEffect(EffectKind kind, QByteArray output);
    // Every effect off: the text the effects started from comes back.
    void restoreUnprocessed();
    // Every effect off, the shown text kept as it is and the one before forgotten.
    void forgetUnprocessed();

    // Aozora Bunko's notation read from the text (after the byte effects) and shown as a book:
    // readings over their bases, notes hidden. Off, the text is shown as it is.
    void showAsBook(bool on);
    const Aozora::Book *book() const { return book_.get(); }
    std::shared_ptr<const Aozora::Book> sharedBook() const { return book_; }
    // The book's explanation of the marks shown whole, or folded to one line.
    void openExplanation(bool open);
    bool explanationOpen() const { return explanationOpen_; }
    // The bytes of a picture the book names, read once from beside the text or from the same
    // archive; empty when there is no such file or its name could lead elsewhere.
    QByteArray pictureFile(const QString &name) const;
    // The text beneath the book: the byte effects' output, else the file's own text.
    const TextStore &textBeneathBook() const { return shown_.text; }
    // A position of the shown text as one of the text beneath the book, and back, line by line
    // at the line's start: a book folds and drops whole lines and takes the notation out of
    // the rest. Without a book both give the position itself.
    qint64 beneathBook(qint64 position) const;
    qint64 overBook(qint64 position) const;
    // The lines of the text beneath the book that the book does not show (the folded
    // explanation, lines that only opened or closed a block); 0 without a book.
    qint64 linesHiddenByBook() const;

    // The bytes save-as writes: the effects' output, else the file's own bytes, else (the file
    // changed, or the text was typed into) the text in the document's encoding. A book is saved
    // with its notation: it is a way of showing the text, like the wrap.
    DocumentEncoding::Saved saveForm() const;

    // How a load ends.
    enum class Failure { None, Unreadable, Cancelled, OutOfMemory };
    struct Loaded {
        std::shared_ptr<Document> document; // set only without a failure
        Failure failure = Failure::None;
        int error = 0; // the errno of an unreadable file
        // A member of an archive: how reading it ended; a damaged one shows what came before
        // the break at `brokenAt`.
        Archive::Status archiveStatus = Archive::Status::Ok;
        qint64 brokenAt = -1;
        // With Archive::Status::Unwritable, the folder the member was to be unpacked in, the
        // bytes it needed and those free there (-1 where not known).
        QString unpackFolder;
        qint64 unpackNeeded = -1;
        qint64 unpackFree = -1;
        // With Archive::Status::TooLarge, the size the member's header claims; -1 where it
        // claims none and was found too large while unpacked.
        qint64 memberSize = -1;
        // Whether the work asked of the loaded document (see DocumentLoader) was done to it.
        bool prepared = false;
    };
    // What a load may be asked and told while it runs, from any thread, and how it reads.
    struct LoadControl {
        const std::atomic<bool> *cancel = nullptr;
        // The share read so far, 0 to 100, each time it grows.
        std::function<void(int percent)> progress;
        // How many bytes are read at a time.
        qsizetype pieceBytes = qsizetype(4) << 20;
        // Sees the text of a file read as shown while it is indexed.
        TextStore::IndexWatch watch;
        // Files of at least this many bytes are indexed and read as shown, not held decoded
        // whole (all but ISO-2022-JP, see TextStore::canIndex): smaller ones cost less decoded
        // whole than an index.
        qint64 readAsShownFrom = qint64(16) << 20;
        // Called with the bytes read so far before each piece is decoded; tests slow a load
        // down or make an allocation fail through it. Null in the program.
        std::function<void(qint64 read)> beforePiece;
        // Called with the bytes read so far before each piece the encoding is recognised from.
        std::function<void(qint64 read)> beforeDetectionPiece;
    };
    // Reads a file in the chosen encoding, or in the recognised one when none is chosen. The
    // bytes are read in pieces and decoded as they come, so they are never held whole beside
    // the text. A cancel or a failed allocation leaves nothing behind.
    static Loaded load(const QString &path, std::optional<EncodingDetect::Encoding> chosen,
                       const LoadControl &control);
    static Loaded load(const QString &path, std::optional<EncodingDetect::Encoding> chosen);
    // The same for a file already open that no path leads to (an archive's member unpacked into
    // an unlinked file), read from its start and named by `path`. It cannot change under the
    // document, nor be opened again, so the source has no identity on the disk.
    static Loaded load(const QString &path, RegularFile::Handle file, std::optional<EncodingDetect::Encoding> chosen,
                       const LoadControl &control);
    // The whole lines within the first `bytes` of a file, held and named by `path`: what is
    // shown of a large file while the rest of it is read. The document's byte length is that of
    // those lines. Nothing when the file cannot be read or holds no line break that early.
    static std::shared_ptr<Document> firstLines(const QString &path, std::optional<EncodingDetect::Encoding> chosen,
                                                qsizetype bytes);
    // A document of bytes read elsewhere (an archive's member), named by `path`.
    static Loaded fromBytes(const QString &path, const QByteArray &bytes,
                            std::optional<EncodingDetect::Encoding> chosen);
    // How many loads have opened a file in this run (a test sees a file read once).
    static qint64 loadsOpened();

private:
    // The file's text as it reads, with no effect and no book on it: what a growing file extends.
    bool showsOwnText() const { return !book_ && !unprocessed_ && !shown_.effectBytes; }
    static Loaded loadOpen(Source source, RegularFile::Handle file, std::optional<EncodingDetect::Encoding> chosen,
                           const LoadControl &control);
    // The own text's byte length when known, else -1.
    qint64 ownBytes() const { return unprocessed_ ? unprocessed_->byteLength : byteLength(); }

    struct Shown {
        TextStore text;
        // The bytes the effects made the text from; none while the text is the file's own.
        std::optional<QByteArray> effectBytes;
        bool modified = false;
        mutable qint64 byteLength = -1;
    };

    Source source_;
    EncodingDetect::Detection detection_;
    DocumentEncoding::ByteForm form_ = DocumentEncoding::ByteForm::Cp932;
    EffectSet effects_;
    Shown shown_;
    std::optional<Shown> unprocessed_;
    std::shared_ptr<const Aozora::Book> book_;
    // Counted with the book, on the thread that made it: counting needs the lines of the text
    // beneath, which nothing else on the window's thread asks for.
    qint64 linesHiddenByBook_ = 0;
    bool explanationOpen_ = false;
    mutable QHash<QString, QByteArray> pictureFiles_;
    TextStore bookText_; // shares the book's text
};
