#pragma once

// The texts of the program's own open, save and folder dialogs.

#include <QString>

namespace FileDialogTexts {

inline const QString kFolderLabel = QStringLiteral("場所(&I)：");
inline const QString kUpHint = QStringLiteral("一つ上のフォルダへ (Alt+↑)");
inline const QString kEntriesLabel = QStringLiteral("フォルダとファイル(&L)：");
inline const QString kFoldersLabel = QStringLiteral("フォルダ(&L)：");
inline const QString kNameLabel = QStringLiteral("ファイル名(&N)：");
inline const QString kTypeLabel = QStringLiteral("ファイルの種類(&T)：");
inline const QString kOpenButton = QStringLiteral("開く(&O)");
inline const QString kSaveButton = QStringLiteral("保存(&S)");
inline const QString kChooseButton = QStringLiteral("選択(&S)");
inline const QString kCancelButton = QStringLiteral("キャンセル");
// %1 the typed folder.
inline const QString kNoSuchFolder = QStringLiteral("フォルダ「%1」は見つかりません。");

} // namespace FileDialogTexts
