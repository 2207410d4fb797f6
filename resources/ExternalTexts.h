#pragma once

// The main window's texts for handing the viewed file to other programs and saving it as.

#include <QString>

namespace ExternalTexts {

inline const QString kNotepadFailedText = QStringLiteral("メモ帳(Notepad.exe)の起動に失敗しました。");
inline const QString kNotepadFailedCaption = QStringLiteral("自動検出の失敗");

inline const QString kNoEditorText =
    QStringLiteral("編集用アプリケーションの設定がありません。\n\n編集用アプリケーションの登録を行って下さい。");
inline const QString kNoEditorCaption = QStringLiteral("設定がありません");
inline const QString kEditorMissingText =
    QStringLiteral("編集用に指定されたアプリケーションが存在しません。\n\n代わりに、「メモ帳」を使いますか？");
inline const QString kEditorMissingCaption = QStringLiteral("実行に失敗しました");

inline const QString kNothingToPrintText =
    QStringLiteral("印刷すべきファイルが存在しないか、もしくは印刷すべきデータがありません。");
inline const QString kNothingToPrintCaption = QStringLiteral("印刷できません");
inline const QString kNoNotepadForPrintText =
    QStringLiteral("「メモ帳」を発見できませんでした。\n\n編集用アプリケーションの登録を行って下さい。");
inline const QString kNoNotepadForPrintCaption = QStringLiteral("印刷用アプリケーション起動失敗");

inline const QString kNothingToSaveText = QStringLiteral("保存すべきデータがありません。");
inline const QString kSaveCaption = QStringLiteral("保存");
inline const QString kSaveDialogTitle = QStringLiteral("名前を付けて保存");
// %1 the number of characters the file's encoding cannot hold, %2 the line of the first.
inline const QString kUnwritableText = QStringLiteral(
    "保存先の文字コードで表せない文字が %1 個あります（最初は %2 行目）。\n\nそれらを「?」に置き換えて保存しますか？");
inline const QString kUnwritableCaption = QStringLiteral("確認");

} // namespace ExternalTexts
