#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

// The panels of the status bar, left to right.
enum class StatusPanel { Date, ReadOnly, FileKind, Size, Lines, Position, Encoding };
constexpr int kStatusPanels = int(StatusPanel::Encoding) + 1;

// The texts of the status bar, computed from values without a window.
namespace StatusTexts {

// "L Bytes", with " ( K KB)" from 1024 bytes and " ( M MB)" from 1048576 bytes.
QString sizeText(qint64 bytes);
// "全N行".
QString lineCountText(qint64 lines);
// "現在: L行 C桁" for a 1-based line and column.
QString caretText(qint64 line, qint64 column);
// Short date, a blank and the long time (left out at exactly 0:00:00); the seconds are
// truncated to an even number. Times outside 1980-2107 give an empty text.
QString fileDateText(const QDateTime &lastWrite);
// Lines of an unwrapped text: a final line break opens no counted line, empty text counts 0.
qint64 logicalLineCount(QStringView text);

} // namespace StatusTexts
