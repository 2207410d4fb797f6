#pragma once

#include <QString>

namespace PathUtil {

// The parts SplitPath takes a path apart into, by their one-character names.
enum class PathPart : char {
    FileName = 'F', // the text after the last '/'
    Folder = 'D',   // up to and including the last '/'
};

// The part of the path; any other part gives the path unchanged.
QString SplitPath(const QString &path, PathPart part);

// A folder path carried with its trailing '/'.
QString withTrailingSlash(const QString &folder);

} // namespace PathUtil
