#include "core/SystemErrors.h"

#include "core/RegularFile.h"
#include "resources/SystemErrorTexts.h"

#include <cerrno>
#include <cstring>

namespace SystemErrors {

QString text(int error)
{
    using namespace SystemErrorTexts;
    switch (error) {
    case RegularFile::kNotRegular:
        return kNotRegular;
    case RegularFile::kOtherFile:
        return kOtherFile;
    case RegularFile::kArchiveNotRegular:
        return kArchiveNotRegular;
    case ENOSPC:
        return kNoSpace;
    case EDQUOT:
        return kQuota;
    case EACCES:
    case EPERM:
        return kAccess;
    case EROFS:
        return kReadOnlyFileSystem;
    case ENAMETOOLONG:
        return kNameTooLong;
    case EFBIG:
        return kFileTooLarge;
    case EIO:
        return kInputOutput;
    case EXDEV:
        return kCrossDevice;
    case ENOENT:
        return kNotFound;
    case EEXIST:
        return kExists;
    case ENOTDIR:
        return kNotFolder;
    case EISDIR:
        return kFolder;
    case ELOOP:
        return kLinkLoop;
    default:
        break;
    }
    const char *name = error > 0 ? ::strerrorname_np(error) : nullptr;
    return kUnknown.arg(name ? QString::fromLatin1(name) : QString::number(error));
}

} // namespace SystemErrors
