#pragma once

#include "core/FileFilter.h"

#include <QString>
#include <QStringList>

// Folder contents read by their native names, each given in the path form (core/PathForm.h),
// so that a name that is not UTF-8 is listed and can be opened. Names starting with '.' are
// never listed; an unreadable or missing folder gives nothing.

// listMatches (core/FileFilter.h) over the regular files of a folder; symlinks to regular files
// count, anything else (folders, FIFOs, devices, dangling links) does not.
QStringList listFolder(const QString &folder, const QString &mask, NameOrder order = NameOrder::Plain);

// The names of the folders in a folder (symlinks to folders count), by their shown names in the
// given order; the plain order compares them without regard to case.
QStringList listSubfolders(const QString &folder, NameOrder order = NameOrder::Plain);
