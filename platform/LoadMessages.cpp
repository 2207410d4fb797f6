#include "platform/LoadMessages.h"

#include "core/PathForm.h"
#include "core/StatusTexts.h"
#include "core/SystemErrors.h"
#include "resources/ArchiveTexts.h"
#include "resources/MainTexts.h"

#include <algorithm>
#include <cerrno>

namespace LoadMessages {

namespace {

QString archiveCause(const Document::Loaded &ended)
{
    using Archive::Status;
    switch (ended.archiveStatus) {
    case Status::Ok:
    case Status::Cancelled: return {};
    case Status::Encrypted: return ArchiveTexts::kEncrypted;
    case Status::TooLarge: {
        const QString limit = StatusTexts::sizeText(Archive::kMaxUnpackedSize);
        return ended.memberSize > Archive::kMaxUnpackedSize
                   ? ArchiveTexts::kTooLarge.arg(StatusTexts::sizeText(ended.memberSize), limit)
                   : ArchiveTexts::kTooLargeUnpacked.arg(limit);
    }
    case Status::Link: return ArchiveTexts::kLink;
    case Status::Special: return ArchiveTexts::kSpecial;
    case Status::Bomb: return ArchiveTexts::kBomb;
    case Status::TooManyEntries: return ArchiveTexts::kTooManyEntries;
    case Status::Damaged: return ArchiveTexts::kMemberBroken.arg(std::max<qint64>(ended.brokenAt, 0));
    case Status::NoSuchMember: return ArchiveTexts::kNoSuchMember;
    case Status::NotArchive: return ArchiveTexts::kNotArchive;
    case Status::OpenFailed: return SystemErrors::text(ended.error);
    case Status::Unwritable: {
        const QString folder = PathForm::displayName(ended.unpackFolder);
        if ((ended.error == ENOSPC || ended.error == EDQUOT) && ended.unpackFree >= 0)
            return ArchiveTexts::kNoRoom.arg(StatusTexts::sizeText(ended.unpackNeeded),
                                             StatusTexts::sizeText(ended.unpackFree), folder);
        return ArchiveTexts::kNoUnpackFile.arg(folder, SystemErrors::text(ended.error));
    }
    }
    return {};
}

} // namespace

QString cause(const Document::Loaded &ended)
{
    if (ended.failure == Document::Failure::OutOfMemory)
        return MainTexts::kOutOfMemoryText;
    if (ended.archiveStatus != Archive::Status::Ok)
        return archiveCause(ended);
    return ended.failure == Document::Failure::Unreadable ? SystemErrors::text(ended.error) : QString();
}

Message refusal(const QString &path, const Document::Loaded &ended, const QString &windowTitle)
{
    const bool member = ended.archiveStatus != Archive::Status::Ok;
    return {PathForm::displayName(path) + QStringLiteral("\n\n") + cause(ended),
            member ? ArchiveTexts::kCaption : windowTitle, Dialogs::Kind::Failure};
}

} // namespace LoadMessages
