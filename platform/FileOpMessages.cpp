#include "platform/FileOpMessages.h"

#include "core/SystemErrors.h"
#include "resources/CopyMoveTexts.h"
#include "resources/DeleteTexts.h"
#include "resources/RenameTexts.h"

namespace FileOpMessages {

namespace {

QString withCause(const QString &text, const FileOps::Result &result)
{
    return result.error == 0 ? text : text + QStringLiteral("\n\n") + SystemErrors::text(result.error);
}

} // namespace

Message failure(Operation operation, const FileOps::Result &result)
{
    using FileOps::Status;
    using Kind = Dialogs::Kind;
    switch (operation) {
    case Operation::Delete:
        return {withCause(DeleteTexts::kFailedText, result), DeleteTexts::kFailedCaption, Kind::Failure};
    case Operation::Copy:
    case Operation::Move: {
        const CopyMoveTexts::ModeTexts &texts = operation == Operation::Copy ? CopyMoveTexts::kCopy : CopyMoveTexts::kMove;
        if (result.status == Status::TargetExists)
            return {texts.conflictQuestion, CopyMoveTexts::kConflictCaption, Kind::QuestionAfterFailure};
        return {withCause(texts.failureLead, result), texts.caption, Kind::Failure};
    }
    case Operation::Rename:
        return {result.status == Status::TargetExists ? RenameTexts::kRenameFailed
                                                      : withCause(RenameTexts::kRenameFailed, result),
                RenameTexts::kRenameFailedCaption, Kind::Failure};
    case Operation::Attributes:
        return {withCause(RenameTexts::kAttributesFailed, result), RenameTexts::kReportCaption, Kind::Notice};
    case Operation::Time:
        return {withCause(RenameTexts::kTimeFailed, result), RenameTexts::kReportCaption, Kind::Notice};
    }
    return {withCause(QString(), result), QString(), Kind::Failure};
}

} // namespace FileOpMessages
