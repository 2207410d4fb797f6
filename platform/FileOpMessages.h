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

// The message for a failed operation: its own caption and first sentence, then the cause from
// the one table of system errors. A cause the text already names (a read-only file refused by
// our own rule, a taken name in renaming) adds nothing. A name conflict in copying or moving is
// the question whether to use another name (Yes the default).
Message failure(Operation operation, const FileOps::Result &result);

} // namespace FileOpMessages
