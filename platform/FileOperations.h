#pragma once

#include "core/RegularFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The operations on the viewed file. None of them ever replaces an existing file, and each
// returns what happened rather than a bare success flag.
namespace FileOps {

enum class Status {
    Done,
    TargetExists,
    NotFound,
    PermissionDenied,
    ReadOnly, // a read-only file, or a read-only file system
    NoSpace,
    SourceChanged, // the source is no regular file, or not the one expected
    Other,
};

struct Result {
    Status status = Status::Done;
    // errno of the failure, or RegularFile's kNotRegular / kOtherFile; 0 for a refusal of our
    // own rules that no system error stands behind
    int error = 0;
    bool ok() const { return status == Status::Done; }
};

// Makes a write past the file-size limit fail with EFBIG, which the operations report and
// clean up after, instead of the signal ending the program. Called once at start.
void ignoreFileSizeSignal();

// Copies to a target that is created exclusively, with the source's permissions, user
// attributes and times, flushed to disk. A failed copy leaves no target behind. The source is
// opened without blocking and must be a regular file; with `expected`, it must be that very
// file (device and inode) and is copied from the descriptor that was checked.
Result copyFile(const QString &from, const QString &to,
                const std::optional<RegularFile::Identity> &expected = std::nullopt);

// Writes bytes read elsewhere (an archive's member) to a target created exclusively, with the
// given modification time, flushed to disk. A failed write leaves no target behind.
Result writeNewFile(const QString &to, const QByteArray &bytes, std::optional<qint64> modifiedNs = std::nullopt);

// How a move reaches another file system.
enum class Crossing {
    WhenNeeded, // rename in place; copy and delete only across file systems
    AlwaysCopy, // take the copy path even within one file system (for tests)
};
// Renames without replacing; across file systems copies, then deletes the source only once the
// copy and its folder are on the disk, and takes the copy back when the source cannot be
// deleted. Moving a file onto its own path succeeds and changes nothing. The source must be a
// regular file (links followed), and with `expected` that very file, checked right before the
// rename and again before a copied source is deleted.
Result moveFile(const QString &from, const QString &to, Crossing crossing = Crossing::WhenNeeded,
                const std::optional<RegularFile::Identity> &expected = std::nullopt);

// Unlinks the file; a read-only file is refused, also for the superuser.
Result deleteFile(const QString &path);

struct Attributes {
    bool readOnly = false;
    bool archive = false;
    bool archiveSupported = false; // the file system keeps user attributes
};
// Read-only is the owner-write bit clear; archive is the user attribute "user.archive".
std::optional<Attributes> readAttributes(const QString &path);
// Sets read-only (all write bits cleared) or writable (the owner's bit set) and the archive
// mark; every other permission bit and attribute stays as it was.
Result writeAttributes(const QString &path, const Attributes &attributes);

// Opens the file for writing and sets its last-write time; the access time is kept.
Result setLastWriteTime(const QString &path, const QDateTime &time);

} // namespace FileOps
