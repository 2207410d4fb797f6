#pragma once

#include <QString>

namespace PathUtil {

// Part "F": the text after the last '/'; part "D": up to and including it;
// any other part: the path unchanged.
QString SplitPath(const QString &path, QChar part);

// A folder path carried with its trailing '/'.
QString withTrailingSlash(const QString &folder);

} // namespace PathUtil
