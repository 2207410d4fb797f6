#include "core/PathUtil.h"

namespace PathUtil {

QString SplitPath(const QString &path, PathPart part)
{
    // Paths are Unicode here, so the second byte of a double-byte character can never be
    // mistaken for a separator.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (part == PathPart::FileName)
        return path.mid(slash + 1);
    if (part == PathPart::Folder)
        return path.left(slash + 1);
    return path;
}

QString withTrailingSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

} // namespace PathUtil
