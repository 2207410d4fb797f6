#pragma once

// The texts of the print dialog.

#include <QString>

namespace PrintTexts {

inline const QString kCaption = QStringLiteral("印刷");
inline const QString kGroupFile = QStringLiteral("印刷対象ファイル");
inline const QString kGroupApplication = QStringLiteral("印刷アプリケーションの選択");
inline const QString kRadioApp = QStringLiteral("設定で指定したアプリケーションを使って印刷(&U)");
inline const QString kRadioNotepad = QStringLiteral("「メモ帳」を使って印刷(&N)");
inline const QString kBtnPrint = QStringLiteral("印刷");
inline const QString kBtnCancel = QStringLiteral("中止");
inline const QString kChooseText =
    QStringLiteral("印刷アプリケーションを選択して下さい。\n\n印刷しない場合は、キャンセルボタンをクリックして下さい。");

} // namespace PrintTexts
