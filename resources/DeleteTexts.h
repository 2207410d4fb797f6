#pragma once

// The texts of deleting the viewed file.

#include <QString>

namespace DeleteTexts {

inline const QString kSafetyText = QStringLiteral(
    "（狭義の）テキストファイルではないファイルを削除しようとしています。\nこの操作は、安全機能によって中止されました。\n\n"
    "※安全機能は「設定」から解除することができます。");
inline const QString kSafetyCaption = QStringLiteral("安全機能");
// %1 is the path in each question.
inline const QString kTextQuestion = QStringLiteral("ファイル %1 を削除しますか？");
inline const QString kOtherQuestion = QStringLiteral(
    "ファイル %1 を削除しますか？\n\nこのファイルは、何らかのアプリケーションに必要なファイルである可能性があります。\n"
    "このファイルを削除することによって、システムに影響を与えてしまう可能性がないとは言い切れません。\n"
    "本当に削除しても大丈夫だと判っている場合のみ実行して下さい。\n\n削除してもよろしいですか？");
inline const QString kUnsuppressibleQuestion = QStringLiteral(
    "テキストファイル（.txt/.log）以外のファイルを削除しようとしています。\n\nファイル %1 を削除しますか？\n\n"
    "（この確認を抑制することはできません。）");
inline const QString kConfirmCaption = QStringLiteral("削除確認");
inline const QString kFailedText = QStringLiteral("削除に失敗しました。\nファイルの属性などを確認して下さい。");
inline const QString kFailedCaption = QStringLiteral("削除失敗");

} // namespace DeleteTexts
