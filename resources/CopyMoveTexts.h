#pragma once

// The texts of the copy/move dialog.

#include <QString>

namespace CopyMoveTexts {

inline const QString kTargetGroup = QStringLiteral("対象ファイル");
inline const QString kUserSet = QStringLiteral("&1 任意のフォルダへ");
inline const QString kBrowse = QStringLiteral("参照(&R)");
inline const QString kNoDirectory = QStringLiteral("▲そのようなフォルダは存在しません。");
inline const QString kBookmark = QStringLiteral("&2 ブックマークに登録されているフォルダへ");
inline const QString kCancel = QStringLiteral("中止");
inline const QString kCancelHint = QStringLiteral("操作を取りやめます。(ESC)");
inline const QString kNoReload = QStringLiteral("一覧更新抑制");
inline const QString kNoReloadHint = QStringLiteral(
    "このボタンを押し下げておくと、移動処理後、\n「ファイル選択BOX」のファイル一覧表示の更新を\n抑制できます。");

// The texts that differ between copying and moving.
struct ModeTexts {
    QString caption;
    QString folderGroup;
    QString ok;
    QString okHint;
    QString browsePrompt;
    QString conflictQuestion;
    QString failureLead; // before the platform's text when the cause is not a name conflict
};
inline const ModeTexts kCopy{
    QStringLiteral("コピー"),
    QStringLiteral("コピー先フォルダの指定"),
    QStringLiteral("コピー"),
    QStringLiteral("コピーを実行します。(Enter)"),
    QStringLiteral("コピー先フォルダを選択して下さい。："),
    QStringLiteral("コピー先に同名のファイルが存在するため、コピーできませんでした。\n\n違うファイル名としてコピーしますか？"),
    QStringLiteral("コピーできませんでした。"),
};
inline const ModeTexts kMove{
    QStringLiteral("移動"),
    QStringLiteral("移動先フォルダの指定"),
    QStringLiteral("移動"),
    QStringLiteral("移動を実行します。(Enter)"),
    QStringLiteral("移動先フォルダを選択して下さい。："),
    QStringLiteral("移動先に同名のファイルが存在するため、移動できませんでした。\n\nファイル名を変更してコピーしますか？"),
    QStringLiteral("移動できませんでした。"),
};
inline const QString kConflictCaption = QStringLiteral("ファイル名の競合");

inline const QString kAltNameCaption = QStringLiteral("ファイル名の変更");
inline const QString kAltNamePrompt = QStringLiteral("変更後のファイル名を入力して下さい。：");
// Followed by the eleven forbidden characters.
inline const QString kForbiddenName = QStringLiteral("ファイル名には、次の文字は使用できません。\n\n");
inline const QString kForbiddenCaption = QStringLiteral("名前の変更");

inline const QString kModeBugText =
    QStringLiteral("[ERROR] No flags for dialog construction.\n\nNeed \"DialogFlagOfCopyAndMove\" flag.");
inline const QString kModeBugCaption = QStringLiteral("実装上のバグ");

} // namespace CopyMoveTexts
