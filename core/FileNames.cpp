#include "core/FileNames.h"

namespace FileNames {

bool containsForbiddenCharacter(QStringView text)
{
    // The text is Unicode, so every element is a whole character (or half of a surrogate pair,
    // which is never one of the eleven).
    for (QChar c : text) {
        if (kForbiddenCharacters.contains(c))
            return true;
    }
    return false;
}

NameParts splitName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == fileName.size() - 1)
        return {fileName, {}};
    return {fileName.left(dot), fileName.mid(dot + 1)};
}

QString joinName(const QString &name, const QString &extension)
{
    if (extension.isEmpty())
        return name;
    return name + QLatin1Char('.') + extension;
}

} // namespace FileNames
