#pragma once

#include "core/PathForm.h"

#include <QByteArray>
#include <QList>
#include <QString>

// BOOKMARK.CSV: code page 932 bytes, CR LF line ends, a header comment line, then one
// "name,path" record per line. The format has no quoting; lines starting with '#' are comments.

struct Bookmark {
    QString name;
    QString path;
};

// The name's limit in bytes of code page 932, for both the writer and the reader; a longer
// name is cut on a character boundary. Paths have no limit of their own: they are written and
// read whole, at any length the system gives them.
inline constexpr qsizetype kBookmarkNameLimit = 254;
// No more than this is read of a bookmark file.
inline constexpr qint64 kBookmarkFileLimit = qint64(16) << 20;

// Where BOOKMARK.CSV is saved: in the program's folder (given with its trailing '/'), or in the
// per-user data folder when the program's folder cannot be written (an installed copy).
QString BookmarkFilePath(const QString &programFolder, bool programFolderWritable);

struct BookmarkPlaces {
    QString saveTo;   // as BookmarkFilePath
    QString readFrom; // saveTo when a file stands there, else the other place's when one stands there
};
// Where bookmarks are saved and read, so an installed copy keeps the bookmarks that stand
// beside the program until its first save. `dataFolder` is the per-user data folder.
BookmarkPlaces BookmarkFilePlaces(const QString &programFolder, bool programFolderWritable,
                                  const QString &dataFolder);
// The same with the real per-user data folder, made when saves go there.
BookmarkPlaces BookmarkFilePlaces(const QString &programFolder, bool programFolderWritable);

// The records of a bookmark file in file order. A missing file, or anything that is not a
// regular file (a FIFO, a device, a dangling link), has none, at once; no more than
// kBookmarkFileLimit bytes are read, and a line cut there gives no record. Paths are written
// in code page 932 and a file name that is not UTF-8 as its own bytes; with `exists`, such
// bytes are read back as that file (PathForm::fromCp932).
QList<Bookmark> ReadBookmarkFile(const QString &filePath, const PathForm::NativeExists &exists = {});
// The records of a bookmark file's bytes in file order. CR, LF and CR LF each end a line.
// Never fails: a line that does not yield both a name and a path gives no record.
QList<Bookmark> parseBookmarkFile(const QByteArray &bytes, const PathForm::NativeExists &exists = {});

// Why a grid row cannot be recorded as it is.
struct BookmarkFault {
    enum class Kind {
        None,
        Comma,       // would split the record
        Unrecordable // a character without a code page 932 form, or a line break
    };
    enum class Field { Name, Path };
    Kind kind = Kind::None;
    Field field = Field::Name;
    char32_t character = 0; // with Unrecordable, the first such character
    explicit operator bool() const { return kind != Kind::None; }
};

// A grid row as it is saved: name and path trimmed of blanks and control characters at
// both ends, an empty name replaced by the path. A row whose path is then empty is dropped.
Bookmark TidyBookmarkRow(const Bookmark &row);
// The first fault of a tidied row: a comma in the name, then in the path; then an unrecordable
// character in the name, then in the path.
BookmarkFault BookmarkRowFault(const Bookmark &tidy);

struct BookmarkWriteResult {
    enum class Status {
        Written,     // the file was replaced
        Refused,     // a row cannot be recorded; nothing was written
        OpenFailed,  // the file is read-only or could not be created; it is untouched
        WriteFailed  // writing failed; the old file is kept unchanged
    };
    Status status = Status::Written;
    // Record lines whose writing failed; 0 with WriteFailed when the header or the final
    // replacement failed.
    int failedRecords = 0;
    // With Refused: the first row that cannot be recorded (an index into the rows given) and why.
    int refusedRow = -1;
    BookmarkFault fault;
};

// Replaces the file by the header and the tidied rows, each name cut to its limit on a
// character boundary. A row that cannot be recorded as it is refuses the whole writing before
// anything is opened. The file is replaced at once (a temporary file beside it, then a
// rename), so a failure never leaves a partly written file.
BookmarkWriteResult WriteBookmarkFile(const QString &filePath, const QList<Bookmark> &rows);
