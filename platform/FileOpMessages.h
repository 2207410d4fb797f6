#pragma once

#include "platform/Dialogs.h"
#include "platform/FileOperations.h"

// The one place where the result of a file operation becomes what the user is told.
namespace FileOpMessages {

enum class Operation { Delete, Copy, Move, Rename, Attributes, Time };

struct Message {
    QString text;
    QString caption;
    Dialogs::Kind kind;
};

// The message for a failed operation. The cause each message was written for gets its text as
// it stands; any other cause adds the platform's own text. A name conflict in copying or moving
// is the question whether to use another name (Yes the default).
Message failure(Operation operation, const FileOps::Result &result);

} // namespace FileOpMessages
