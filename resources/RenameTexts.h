#pragma once

// The texts of the rename, attributes and timestamp dialog.

#include <QString>

namespace RenameTexts {

inline const QString kCaption = QStringLiteral("ファイル名・属性・タイムスタンプ変更");
inline const QString kNameGroup = QStringLiteral("ファイル名の変更");
inline const QString kName = QStringLiteral("ファイル名(&N)：");
inline const QString kExtension = QStringLiteral("拡張子(&E)：");
inline const QString kAttributeGroup = QStringLiteral("ファイル属性の変更");
inline const QString kReadOnly = QStringLiteral("読み取り専用(&R)");
inline const QString kArchive = QStringLiteral("アーカイブ(&A)");
inline const QString kTimeGroup = QStringLiteral("タイムスタンプの変更");
inline const QString kYear = QStringLiteral("年");
inline const QString kMonth = QStringLiteral("月");
inline const QString kDay = QStringLiteral("日");
inline const QString kHour = QStringLiteral("時");
inline const QString kMinute = QStringLiteral("分");
inline const QString kSecond = QStringLiteral("秒");
inline const QString kChange = QStringLiteral("変更");
inline const QString kCancel = QStringLiteral("中止");

// Each followed by the eleven forbidden characters.
inline const QString kForbiddenName = QStringLiteral("ファイル名には、次の文字は使用できません。\n\n");
inline const QString kForbiddenExtension = QStringLiteral("ファイル拡張子には、次の文字は使用できません。\n\n");
inline const QString kForbiddenCaption = QStringLiteral("名前の変更");

inline const QString kRenameFailed =
    QStringLiteral("ファイル名の変更に失敗しました。\n\n既に存在するファイル名を指定していないか確認して下さい。");
inline const QString kRenameFailedCaption = QStringLiteral("何らかのエラー");
inline const QString kAttributesFailed = QStringLiteral("ファイル属性の変更ができませんでした。");
inline const QString kTimeFailed = QStringLiteral("タイムスタンプの変更ができませんでした。");
inline const QString kReportCaption = QStringLiteral("報告");

} // namespace RenameTexts
