#pragma once

#include "core/EncodingDetect.h"
#include "core/Positions.h"
#include "core/RegularFile.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

// A document's text, either held whole or, for a large file, read from the file as it is
// needed: the load decodes the file once to index it (where each block of its bytes starts in
// the text and where each line starts) and keeps none of the text, so a file of any size costs
// its index and a few decoded blocks. Lines use '\n' as the text does.
// Copies share what they hold; reading is safe from several threads.
class TextStore {
public:
    // An empty text.
    TextStore();
    explicit TextStore(QString text);

    // Sees the text as the index decodes it, so that another pass needs no decoding of its own.
    struct IndexWatch {
        // A piece of the text, on one of the index's threads. The text is cut into runs, counted
        // from 0 in its order; the pieces of a run come in order, from one thread, while two
        // runs may be seen at once. `at` counts from the start of the run.
        std::function<void(size_t run, QStringView piece, qint64 at)> piece;
        // Where each run starts in the text, and the text's length, once the index is whole.
        std::function<void(std::vector<qint64> runStarts, qint64 size)> done;
    };

    // Indexes a file in the detected encoding whose bytes `read` gives in turn from the file's
    // start (0 at the end; it may throw to stop), each piece up to the size asked. Later the
    // text is read again from `file`. `byteLength` receives the length of the text's byte form
    // with CR LF breaks (code page 932 for such a file, else UTF-8). Every encoding but
    // ISO-2022-JP, whose bytes mean what earlier escapes say, can be read this way (canIndex).
    static TextStore index(RegularFile::Handle file, const EncodingDetect::Detection &detection,
                           const std::function<qsizetype(char *, qsizetype)> &read, qsizetype pieceBytes,
                           qint64 *byteLength, const IndexWatch &watch = {});
    static bool canIndex(EncodingDetect::Encoding encoding) { return encoding != EncodingDetect::Encoding::Jis; }
    // Bytes from within such a file, from a character's start to a line's end, decoded as the
    // whole file's bytes decode there (UTF-16 in the file's byte order): what a file that grows
    // adds to its text.
    static QString decodePiece(QByteArrayView bytes, const EncodingDetect::Detection &detection);
    // Where in `bytes` (from a character's start) the last whole line ends, just after its line
    // feed; 0 when no line ends in them.
    static qsizetype wholeLines(QByteArrayView bytes, const EncodingDetect::Detection &detection);
    // index() of a code page 932 file.
    static TextStore indexCp932(RegularFile::Handle file, const std::function<qsizetype(char *, qsizetype)> &read,
                                qsizetype pieceBytes, qint64 *byteLength, const IndexWatch &watch = {});

    // The file it is read from grew at its end: what it added is indexed too, in place, so that
    // copies of this text see it. The last block is indexed again with it, as it may have ended
    // in a character cut by the old end; a character still cut waits for its remaining bytes.
    // Gives the first position whose text may differ from before (after which only lines were
    // added or the last one lengthened), and adds to `byteLength` what the text's byte form
    // grew by; -1, with nothing changed, when the file is not the one indexed grown (cut, or a
    // text held whole). Not while another thread reads this text.
    qint64 extend(qint64 *byteLength = nullptr);
    // The file as it was last indexed; unknown for a text held whole.
    RegularFile::Identity fileIdentity() const;

    // Whether the text is read from its file rather than held.
    bool isLazy() const;
    // Whether the file it is read from changed since it was indexed. Nothing more is read from
    // such a file: what was not read before reads as blanks, so that no command may take it
    // for the text (see fileChanged before any command that reads the text through).
    bool fileChanged() const;
    // The whole text when it is held, for the paths that walk it directly; null when it is read
    // from its file.
    const QString *held() const;
    qint64 size() const;
    bool isEmpty() const { return size() == 0; }

    QChar at(qint64 position) const;
    // The units [position, position + length), clipped to the text.
    QString mid(qint64 position, qint64 length) const;
    // The whole text in one string. A file's text is read and decoded whole: only for the few
    // commands that need all of it at once.
    QString whole() const;

    // Lines: a final line break opens one more, empty line; an empty text has one line.
    qint64 lineCount() const;
    qint64 lineStart(qint64 line) const;
    // Where every line starts, for the passes that go through them all: valid while this text is.
    const Positions &lineStarts() const;
    // The line holding the position.
    qint64 lineOf(qint64 position) const;
    // A line's text without its line break.
    QString line(qint64 line) const;

    // The first position at or after `from` where `word` occurs, or -1.
    qint64 indexOf(QStringView word, qint64 from, Qt::CaseSensitivity cs) const;
    // The last position at or before `from` where `word` occurs, or -1.
    qint64 lastIndexOf(QStringView word, qint64 from, Qt::CaseSensitivity cs) const;

    // Gives [from, to) in consecutive pieces, each with the position it starts at, until `take`
    // returns false. A piece is valid only during its call.
    void forEachPiece(qint64 from, qint64 to, const std::function<bool(QStringView piece, qint64 start)> &take) const;

    // How many blocks were decoded from the file since the load (a test sees the cache used).
    qint64 blocksDecoded() const;

    // Every unit a code page 932 file's text can hold, once each: what a pass over such a text
    // on several threads must know the widths of beforehand.
    static QString cp932Repertoire();

    // Reads the text from one thread, forward, past the shared cache: each block it needs is
    // decoded once into its own buffer and the blocks it skips are not read at all. For the
    // passes that walk a large text from end to end.
    class Reader {
    public:
        explicit Reader(const TextStore &text) : text_(text) {}
        // The units [from, to), clipped to the text; valid until the next call. Cheapest when
        // `from` does not go back before the last call's `from`.
        QStringView range(qint64 from, qint64 to);

    private:
        const TextStore &text_;
        std::vector<char16_t> units_;
        qsizetype held_ = 0; // how many of units_ are text
        qint64 start_ = 0;   // where units_ starts in the text
        size_t next_ = 0;  // the block that follows units_
        QByteArray bytes_;
    };

    // Reads whole lines from one thread, forward. A file's lines are found in its bytes: a line
    // passed over costs only a search for its line break and a line asked for is decoded alone,
    // so a pass that needs some of the lines decodes no more than those. Where the bytes do not
    // agree with the index (the file changed since the load) it reads as Reader does.
    class LineReader {
    public:
        explicit LineReader(const TextStore &text) : text_(text), units_(text) {}
        // The text of `line` without its line break, `line` never before the last one asked;
        // valid until the next call.
        QStringView line(qint64 line);
        // Whether the bytes were found not to agree with the index, so that the lines are read
        // through the blocks from then on (a test sees the bytes followed).
        bool lost() const { return lost_; }

    private:
        // Reads on after what is held, keeping [cursor_, held_); false at the end of the file.
        bool readMore();
        // From `from` (in bytes_, at or after cursor_): where the next line break starts and
        // where the line after it starts; both at held_ when the file ends first. May move
        // what is held (readMore), so `from` and the answers count from cursor_.
        void findBreak(qsizetype from, qsizetype &lineEnd, qsizetype &next);
        // Sets cursor_ to the first byte of `line`.
        void seek(qint64 line);

        const TextStore &text_;
        Reader units_; // for a held text, a line too long to read alone, or bytes that disagree
        bool lost_ = false;
        QByteArray bytes_;
        qint64 bytesAt_ = 0; // where bytes_ starts in the file
        qsizetype held_ = 0;
        qsizetype cursor_ = 0; // the first byte of line cursorLine_
        qint64 cursorLine_ = -1;
        std::vector<char16_t> decoded_;
    };

private:
    struct Store;
    std::shared_ptr<Store> store_;
};
