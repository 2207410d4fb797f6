#pragma once

#include <QString>
#include <QStringView>

// Rules for the names users give to files.
namespace FileNames {

// The eleven characters a name may not contain, in the order the messages list them.
inline const QString kForbiddenCharacters = QStringLiteral("\\/:,;*?\"<>|");

// Tested on whole characters: a double-byte character whose code page 932 form ends in the
// backslash byte (such as "表" or "ソ") is no backslash.
bool containsForbiddenCharacter(QStringView text);

struct NameParts {
    QString name;      // before the last "."
    QString extension; // after it, without the dot
};
// Splits at the last "."; a name without a dot, or with its only dot at the end, is all name.
// joinName(splitName(n)) gives n back for every n.
NameParts splitName(const QString &fileName);
// name "." extension; an empty extension joins without a dot.
QString joinName(const QString &name, const QString &extension);

} // namespace FileNames
