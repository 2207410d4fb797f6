#pragma once

#include "core/Archive.h"
#include "core/FileFilter.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

// Archives walked as folders: "/books/hashire.zip/" is a folder whose files are the archive's
// members, "/books/hashire.zip/merosu.txt" one of them. Listings are kept per archive while
// the archive is unchanged on disk, and each archive read from keeps its Archive::Reader, so
// stepping through a solid archive goes on from the member read last. Every function may be
// called from any thread.
namespace ArchiveFolder {

// Whether the file is an archive read here. Its first bytes must carry a known signature
// before libarchive is asked, so that a folder of many texts costs one small read each.
bool isArchiveFile(const QString &path);

// Where a path lies in an archive: the archive and the path inside, empty for its top. A
// trailing '/' is allowed. Nothing for a path that exists as it is, or that leads into no
// archive.
std::optional<Archive::SplitPath> locate(const QString &path);

// The archive's listing, read once while it is unchanged on disk. A listing cancelled through
// the control comes back with Status::Cancelled and is not kept.
std::shared_ptr<const Archive::Listing> listing(const QString &archivePath, const Archive::Control &control = {});
// Whether the archive's listing is kept, so that asking for it reads nothing but its status.
bool isListed(const QString &archivePath);

// A member's header, when the path names a file inside an archive.
std::optional<Archive::Entry> member(const QString &path);
// The header of whatever the path names inside an archive but a folder: a file, or a link or
// special file that is never read.
std::optional<Archive::Entry> entry(const QString &path);
// Whether the name ends as an archive's of a format read here does. Only what cannot be opened
// is judged by its name: everything else by its content.
bool hasArchiveName(const QString &path);
// Whether the path names an archive, or a folder inside one (with or without its '/').
bool isFolder(const QString &path);

// The names of the files directly in an archive folder that fit the mask, in the given order,
// and the names of its folders (those listed and those implied by a member's path).
QStringList files(const QString &folder, const QString &mask, NameOrder order);
QStringList folders(const QString &folder, NameOrder order);

// Reads a member through the reader kept for its archive.
Archive::Member read(const QString &path, const Archive::Control &control = {});

// The archives among the regular files of a real folder, by their names.
QStringList archivesIn(const QString &folder, const QStringList &fileNames);

} // namespace ArchiveFolder
