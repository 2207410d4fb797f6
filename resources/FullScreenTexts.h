#pragma once

// The texts of the full-screen window.

#include <QString>

namespace FullScreenTexts {

inline const QString kCaption = QStringLiteral("Full Screen");
inline const QString kEndFullScreen = QStringLiteral("全画面表示を終了");
inline const QString kEndFullScreenHint = QStringLiteral("通常表示に戻ります。 (ESC)");
inline const QString kAddressLabel = QStringLiteral(" ファイルパス：");
inline const QString kPopupCopy = QStringLiteral("コピー(&C)");
inline const QString kPopupSelectAll = QStringLiteral("すべて選択(&A)");
inline const QString kPopupScrollUp = QStringLiteral("1画面上へスクロール");
inline const QString kPopupScrollDown = QStringLiteral("1画面下へスクロール");
inline const QString kPopupExit = QStringLiteral("全画面表示を終了(&X)");

} // namespace FullScreenTexts
