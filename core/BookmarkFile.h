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

// Field limits in bytes of code page 932, for both the writer and the reader.
inline constexpr qsizetype kBookmarkNameLimit = 254;
inline constexpr qsizetype kBookmarkPathLimit = 256;
// One read of a line takes at most this many bytes; the rest of a longer line is no record.
inline constexpr qsizetype kBookmarkLineLimit = 511;

// Where BOOKMARK.CSV lives: in the program's folder (given with its trailing '/'), or in the
// per-user data folder when the program's folder cannot be written (an installed copy).
QString BookmarkFilePath(const QString &programFolder, bool programFolderWritable);

// The records of a bookmark file in file order; a missing or unreadable file has none. Paths
// are written in code page 932 and a file name that is not UTF-8 as its own bytes; with
// `exists`, such bytes are read back as that file (PathForm::fromCp932).
QList<Bookmark> ReadBookmarkFile(const QString &filePath, const PathForm::NativeExists &exists = {});
// The records of a bookmark file's bytes in file order. Never fails: a line that does not
// yield both a name and a path gives no record.
QList<Bookmark> parseBookmarkFile(const QByteArray &bytes, const PathForm::NativeExists &exists = {});

struct BookmarkWriteResult {
    enum class Status {
        Written,    // the file was replaced
        OpenFailed, // the file is read-only or could not be created; it is untouched
        WriteFailed // writing failed; the old file is kept unchanged
    };
    Status status = Status::Written;
    // Record lines whose writing failed; 0 with WriteFailed when the header or the final
    // replacement failed.
    int failedRecords = 0;
};

// A grid row as it is saved: name and path trimmed of blanks and control characters at
// both ends, an empty name replaced by the path. A row whose path is then empty is dropped.
Bookmark TidyBookmarkRow(const Bookmark &row);

// Replaces the file by the header and the tidied rows, each field cut to its limit on a
// character boundary. The file is replaced at once (a temporary file beside it, then a
// rename), so a failure never leaves a partly written file.
BookmarkWriteResult WriteBookmarkFile(const QString &filePath, const QList<Bookmark> &rows);
