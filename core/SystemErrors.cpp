#include "core/SystemErrors.h"

#include "core/RegularFile.h"

#include <cerrno>
#include <cstring>

namespace SystemErrors {

QString text(int error)
{
    switch (error) {
    case RegularFile::kNotRegular:
        return QStringLiteral("通常のファイルではありません（FIFO、デバイスまたはソケットです）。");
    case RegularFile::kOtherFile:
        return QStringLiteral("表示していたファイルが別のファイルに置き換えられています。");
    case ENOSPC:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case EDQUOT:
        return QStringLiteral("ディスク使用量の上限に達しました。");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが拒否されました。");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです。");
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます。");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます。");
    case EIO:
        return QStringLiteral("入出力エラーが起きました。");
    case EXDEV:
        return QStringLiteral("別のファイルシステムへは直接移動できません。");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダが見つかりません。");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルまたはフォルダが既にあります。");
    case ENOTDIR:
        return QStringLiteral("パスの途中にフォルダでないものがあります。");
    case EISDIR:
        return QStringLiteral("ファイルではなくフォルダです。");
    case ELOOP:
        return QStringLiteral("シンボリックリンクが多すぎるか、循環しています。");
    default:
        break;
    }
    const char *name = error > 0 ? ::strerrorname_np(error) : nullptr;
    return QStringLiteral("未知のエラー（%1）").arg(name ? QString::fromLatin1(name) : QString::number(error));
}

} // namespace SystemErrors
