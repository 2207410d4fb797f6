#pragma once

#include "core/RegularFile.h"
#include "core/TextPlaces.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// Where the reader was in each file: the line at the top of the view and the caret, as places
// in the file's own text. Records are keyed by the caller's bytes (a file's exact path bytes,
// an archive member's joined path bytes), kept for the most recently visited files, and shared
// by every running window through one file they merge into under a lock.
class PositionStore {
public:
    static constexpr int kMaxRecords = 2000;
    // How many of a file's last bytes are kept, to tell a file that only grew from one rewritten.
    static constexpr int kTailBytes = 32;

    struct Record {
        qint64 size = -1;      // the file's size and mtime when its place was taken
        qint64 modifiedNs = 0;
        TextPlace top;         // the first shown line
        TextPlace caret;
        bool caretMoved = false; // the reader moved the caret, rather than only scrolling
        qint64 visitedMs = 0;  // when the file stopped being the viewed one (ms since the epoch)
        QByteArray tail;       // the file's last bytes up to its size then; empty when unknown
        bool operator==(const Record &) const = default;
    };

    // The store in `folder`, as file "positions"; nothing is read until read().
    explicit PositionStore(QString folder);
    // The per-user data folder's "Orlimbo" folder.
    static QString defaultFolder();
    QString filePath() const;

    // Reads the file. A damaged or foreign file is renamed with ".bad" and the store starts
    // empty, with a line on standard error and nothing else.
    void read();
    // Writes the records not yet written: under a lock, merged with what other windows wrote
    // meanwhile (the later visit of a file wins), through a temporary file renamed over the old.
    // False when the folder or the file could not be written.
    bool write();
    bool hasUnwritten() const { return unwritten_; }

    std::optional<Record> find(const QByteArray &key) const;
    // Keeps a record; beyond kMaxRecords the oldest visit goes.
    void remember(const QByteArray &key, Record record);
    qsizetype size() const { return records_.size(); }

    // What to do with a record for the file as it is now (its identity from the open read):
    // unchanged size and mtime, or a file that only grew (longer, and its old last bytes still
    // in their place), restores; anything else opens at the top.
    static bool restores(const Record &record, const QByteArray &nativePath, const RegularFile::Identity &now);
    // The last bytes of the file up to `identity`'s size, when it is still that file; empty
    // otherwise.
    static QByteArray tailOf(const QByteArray &nativePath, const RegularFile::Identity &identity);

private:
    using Records = QHash<QByteArray, Record>;
    enum class Parsed { Fine, Missing, Damaged };
    Parsed parseFile(Records &into) const;
    void setAside() const;
    static void bound(Records &records);

    QString folder_;
    Records records_;
    bool unwritten_ = false;
};
