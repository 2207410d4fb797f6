#pragma once

#include "core/FileFilter.h"

#include <QString>
#include <QStringList>

// Folder contents read by their native names, each given in the path form (core/PathForm.h),
// so that a name that is not UTF-8 is listed and can be opened. Names starting with '.' are
// never listed; an unreadable or missing folder gives nothing.

// A folder inside an archive (core/ArchiveFolder.h) lists the archive's members and folders.

// listMatches (core/FileFilter.h) over the regular files of a folder; symlinks to regular files
// count, anything else (folders, FIFOs, devices, dangling links) does not.
QStringList listFolder(const QString &folder, const QString &mask, NameOrder order = NameOrder::Plain);

// The names of the folders in a folder (symlinks to folders count), by their shown names in the
// given order; the plain order compares them without regard to case.
QStringList listSubfolders(const QString &folder, NameOrder order = NameOrder::Plain);

// The archives among the regular files of a real folder, in the same order as its subfolders.
QStringList listArchives(const QString &folder, NameOrder order = NameOrder::Plain);
