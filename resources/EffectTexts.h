#pragma once

// The texts of the display effects, exactly as the user sees them: each command's menu caption,
// its tool button's hint and the notes shown before an effect that would change nothing.

namespace EffectTexts {

inline constexpr const char16_t *kNoCRLF = u"改行を除外する(&C)";
inline constexpr const char16_t *kNoSpace = u"空白を除外する(&S)";
inline constexpr const char16_t *kNoHtmlTag = u"HTMLタグを除外する(&T)";
inline constexpr const char16_t *kNoTFS = u"最初の空白行まで除外(&F)";
inline constexpr const char16_t *kNumbering = u"行番号を付加する(&N)";

inline constexpr const char16_t *kHintNoCRLF = u"すべての改行を除外して表示します。";
inline constexpr const char16_t *kHintNoSpace = u"すべての空白文字を除外して表示します。";
inline constexpr const char16_t *kHintNoTag = u"すべてのHTMLタグを除外して表示します。\nHTMLファイルの中身だけを閲覧したい場合にどうぞ。";
inline constexpr const char16_t *kHintNoTFS = u"最初の空白行までを全て除外して表示します。\nメールのヘッダを省略して閲覧したい場合などにどうぞ。";
inline constexpr const char16_t *kHintNumbering = u"行番号を付加して表示します。\n（見た目の行ではなく、データとして改行が入っている位置までを１行とカウントします。）";

inline constexpr const char16_t *kNoteNumberingAfterNoCRLF = u"改行が無視されていますので、１行しか存在しません。（＾＾;）";
inline constexpr const char16_t *kNoteNoTFSAfterNumbering = u"行番号が付加されていますので、空白行は存在しないと思います。（＾＾;）";
inline constexpr const char16_t *kNoteNoTFSAfterNoCRLF = u"改行が無視されていますので、空白行は存在しないと思います。（＾＾;）";

} // namespace EffectTexts
