#pragma once

#include "core/Document.h"
#include "platform/Dialogs.h"

#include <QString>

// The one place where a load, a member's read or an archive's listing that ended short of what
// was asked becomes what the reader is told.
namespace LoadMessages {

struct Message {
    QString text;
    QString caption;
    Dialogs::Kind kind;
};

// Why it ended so: running out of memory, else the member's or the archive's status (a damaged
// member's too, shown as far as it was read), else the system's reason, RegularFile's refusals
// among them. Empty for what ended whole or was cancelled.
QString cause(const Document::Loaded &ended);

// A file or member that is not shown: its path, then the cause. A member's message is captioned
// as the archive's; a file's with `windowTitle`.
Message refusal(const QString &path, const Document::Loaded &ended, const QString &windowTitle);

} // namespace LoadMessages
