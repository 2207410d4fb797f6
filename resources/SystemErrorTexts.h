#pragma once

// The causes a failure message names after its own first sentence.

#include <QString>

namespace SystemErrorTexts {

inline const QString kOutOfMemory = QStringLiteral("メモリが足りません。");
inline const QString kNotRegular = QStringLiteral("通常のファイルではありません（FIFO、デバイスまたはソケットです）。");
inline const QString kArchiveNotRegular =
    QStringLiteral("書庫が通常のファイルではありません（FIFO、デバイスまたはソケットです）。");
inline const QString kOtherFile = QStringLiteral("表示していたファイルが別のファイルに置き換えられています。");
inline const QString kNoSpace = QStringLiteral("ディスクの空き容量が足りません。");
inline const QString kQuota = QStringLiteral("ディスク使用量の上限に達しました。");
inline const QString kAccess = QStringLiteral("アクセスが拒否されました。");
inline const QString kReadOnlyFileSystem = QStringLiteral("読み取り専用のファイルシステムです。");
inline const QString kNameTooLong = QStringLiteral("名前が長すぎます。");
inline const QString kFileTooLarge = QStringLiteral("ファイルが大きすぎます。");
inline const QString kInputOutput = QStringLiteral("入出力エラーが起きました。");
inline const QString kCrossDevice = QStringLiteral("別のファイルシステムへは直接移動できません。");
inline const QString kNotFound = QStringLiteral("ファイルまたはフォルダが見つかりません。");
inline const QString kExists = QStringLiteral("同じ名前のファイルまたはフォルダが既にあります。");
inline const QString kNotFolder = QStringLiteral("パスの途中にフォルダでないものがあります。");
inline const QString kFolder = QStringLiteral("ファイルではなくフォルダです。");
inline const QString kLinkLoop = QStringLiteral("シンボリックリンクが多すぎるか、循環しています。");
// %1: the errno's symbolic name.
inline const QString kUnknown = QStringLiteral("未知のエラー（%1）");

} // namespace SystemErrorTexts
