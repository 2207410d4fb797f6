#pragma once

#include <QString>

// The folder of the running executable with a trailing '/'; tests may point it elsewhere.
QString ProgramFolder();
// An empty text restores the real folder.
void SetProgramFolderOverride(const QString &folder);
// The full path of the running program file.
QString ProgramFilePath();
// Whether the program may keep its own files (work files, bookmark file) in its folder.
// A folder whose owner-write bit is clear counts as not writable even for root, as a
// read-only file does.
bool ProgramFolderWritable();
// The data folder of an installed copy (the help file, the samples), with a trailing '/';
// empty when the program runs from a folder that has none beside it (the build folder).
QString InstalledDataFolder();
// An empty text restores the real folder; tests point it at a temporary one.
void SetInstalledDataFolderOverride(const QString &folder);
// The program's read-only file NAME: in the program's folder when it is there, else in the
// installed data folder when it is there, else the program's folder (for the message).
QString ProgramDataFile(const QString &name);
// Where the work files go: the program's folder, or the per-user cache folder when the
// program's folder cannot be written (an installed copy).
QString WorkFolder();
