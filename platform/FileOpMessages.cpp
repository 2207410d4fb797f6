#include "platform/FileOpMessages.h"

#include "core/SystemErrors.h"
#include "resources/CmTexts.h"
#include "resources/DeleteTexts.h"
#include "resources/RenattTexts.h"

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
        const CmTexts::ModeTexts &texts = operation == Operation::Copy ? CmTexts::kCopy : CmTexts::kMove;
        if (result.status == Status::TargetExists)
            return {texts.conflictQuestion, CmTexts::kConflictCaption, Kind::QuestionAfterFailure};
        return {withCause(texts.failureLead, result), texts.caption, Kind::Failure};
    }
    case Operation::Rename:
        return {result.status == Status::TargetExists ? RenattTexts::kRenameFailed
                                                      : withCause(RenattTexts::kRenameFailed, result),
                RenattTexts::kRenameFailedCaption, Kind::Failure};
    case Operation::Attributes:
        return {withCause(RenattTexts::kAttributesFailed, result), RenattTexts::kReportCaption, Kind::Notice};
    case Operation::Time:
        return {withCause(RenattTexts::kTimeFailed, result), RenattTexts::kReportCaption, Kind::Notice};
    }
    return {withCause(QString(), result), QString(), Kind::Failure};
}

} // namespace FileOpMessages
