#pragma once

#include <QString>

// The folder of the running executable with a trailing '/'; tests may point it elsewhere.
QString ProgramFolder();
// An empty text restores the real folder.
void SetProgramFolderOverride(const QString &folder);
// The full path of the running program file.
QString ProgramFilePath();
// Where the work files go: the program's folder, or the per-user cache folder when the
// program's folder cannot be written (an installed copy).
QString WorkFolder();
