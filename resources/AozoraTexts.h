#pragma once

#include <QString>

// Texts of the Aozora Bunko book view.
namespace AozoraTexts {

inline const QString kCommand = QStringLiteral("青空文庫形式(&Z)");
inline const QString kHint = QStringLiteral("青空文庫の注記を読み取り、ルビを漢字の上に表示します。\n"
                                            "注記の説明や編集上の注は隠します。");
inline const QString kCopyWithReadings = QStringLiteral("ルビ付きでコピー(&R)");

} // namespace AozoraTexts
