#pragma once

#include "core/EffectList.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The display effects' two work files in the work folder: FORWORK.TMP holds the bytes an
// effect starts from, EFFECT.TMP what it makes of them. The folder may be shared with other
// users and programs, so neither name is ever followed as a link: a stale entry is unlinked,
// the files are created anew and exclusively, and they are read back without following links.
namespace WorkFiles {

inline const QString kInputName = QStringLiteral("FORWORK.TMP");
inline const QString kOutputName = QStringLiteral("EFFECT.TMP");

// The step that failed, each with its own message.
enum class Failure {
    None,
    WriteInput,   // FORWORK.TMP could not be created or written
    CreateOutput, // EFFECT.TMP could not be created
    OpenInput,    // FORWORK.TMP could not be opened again for reading
    Transform,    // the pass between them, or reading EFFECT.TMP back, failed
};

struct Run {
    std::optional<QByteArray> output; // EFFECT.TMP's bytes when the effect ran
    Failure failure = Failure::None;
    int error = 0; // errno of the failed step, where the system gave one
    QString path;  // the work file of the failed step
};

// Runs the effect `kind` over `input` through the two work files in `folder` (with its
// trailing '/'). The files stay after a failure, as they are after a success, until remove().
Run runEffect(EffectKind kind, const QByteArray &input, const QString &folder);

// Unlinks both work files; a link under either name goes, its target stays as it was.
void remove(const QString &folder);

// Copies of archive members handed to editors and other programs, which need a file: each
// under its own name in the folder kMembersName of the work folder, made for the owner only.
inline const QString kMembersName = QStringLiteral("MEMBERS.TMP");
// The copy's path, or nothing with `error` set when it could not be written.
std::optional<QString> writeMemberCopy(const QString &folder, const QString &name, const QByteArray &bytes,
                                       int *error = nullptr);
// Unlinks the copies and their folder.
void removeMemberCopies(const QString &folder);

} // namespace WorkFiles
