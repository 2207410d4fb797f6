#pragma once

// The texts of members read from inside an archive.

#include <QString>

namespace ArchiveTexts {

inline const QString kCaption = QStringLiteral("書庫内のファイル");
inline const QString kRefused = QStringLiteral("書庫の中のファイルには、この操作はできません。");
inline const QString kEncrypted = QStringLiteral("暗号化されているため表示できません。");
// %1 is the size the member's header claims and %2 the limit, as the size panel writes them.
inline const QString kTooLarge =
    QStringLiteral("展開後の大きさが上限を超えるため表示できません。\n大きさ: %1\n上限: %2");
// A member found to pass the limit while unpacked, its size not told beforehand. %1 is the limit.
inline const QString kTooLargeUnpacked = QStringLiteral("展開後の大きさが上限を超えるため表示できません。\n上限: %1");
inline const QString kLink = QStringLiteral("書庫の中のシンボリックリンクのため表示できません。");
inline const QString kSpecial = QStringLiteral("書庫の中のデバイス、FIFO またはソケットのため表示できません。");
inline const QString kBomb = QStringLiteral(
    "展開後の大きさが書庫の中の大きさに比べて極端に大きいため、展開を中止しました。\n"
    "壊れた書庫か、悪意をもって作られた書庫の可能性があります。");
inline const QString kTooManyEntries =
    QStringLiteral("書庫の中のファイルが 200,000 個を超えるため、開くことができません。");
// %1 is the name of the last entry read whole.
inline const QString kListBroken = QStringLiteral(
    "書庫が壊れているか、途中で切れています。\n「%1」より後のファイルは読み取れませんでした。");
inline const QString kListBrokenAtStart =
    QStringLiteral("書庫が壊れているか、途中で切れています。\nファイルを一つも読み取れませんでした。");
// %1 is the number of bytes read before the break.
inline const QString kMemberBroken = QStringLiteral(
    "書庫が壊れているか、途中で切れているため、先頭から %1 バイトまでしか読み取れませんでした。");
inline const QString kNoSuchMember = QStringLiteral("書庫の中に、このファイルは見つかりませんでした。");
inline const QString kNotArchive = QStringLiteral("このファイルは、読み取れる形式の書庫ではありません。");
// The status bar's mark for a file shown from inside an archive.
inline const QString kInArchive = QStringLiteral("書庫内");
inline const QString kReading = QStringLiteral("書庫から読み込み中…（Esc で中止）");
// %1 is the share done, 0 to 100.
inline const QString kReadingProgress = QStringLiteral("書庫から読み込み中… %1%（Esc で中止）");
// A member too large to hold in memory is unpacked into a temporary file. %1 is the size it
// needs and %2 the size free, as the size panel writes them; %3 is the folder.
inline const QString kNoRoom =
    QStringLiteral("書庫のファイルを展開する空き領域が足りません。\n必要: %1、空き: %2（%3）");
// %1 is the folder, %2 the system's reason.
inline const QString kNoUnpackFile =
    QStringLiteral("書庫のファイルを展開する一時ファイルを「%1」に作れませんでした。\n%2");
// While an archive's listing is read, before its members are shown.
inline const QString kListing = QStringLiteral("書庫を読んでいます…（Esc で中止）");

} // namespace ArchiveTexts
