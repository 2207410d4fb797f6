#pragma once

// The texts of the bookmark dialog and of the main window's bookmark menu and path list.

#include <QString>

namespace BookmarkTexts {

// The bookmark dialog.
inline const QString kCaption = QStringLiteral("ブックマーク管理");
inline const QString kGroupAdd = QStringLiteral("新しいブックマークの追加");
inline const QString kLabelName = QStringLiteral("名称(&N)：");
inline const QString kFolder = QStringLiteral("フォルダをブックマークに追加(&D)");
inline const QString kFile = QStringLiteral("ファイルをブックマークに追加(&F)");
inline const QString kLabelPath = QStringLiteral("フォルダまたはファイルのフルパス(&P)：");
inline const QString kAdd = QStringLiteral("追加(&A)");
inline const QString kDirectEdit = QStringLiteral("▼直接編集できます。");
inline const QString kUp = QStringLiteral("上へ");
inline const QString kDown = QStringLiteral("下へ");
inline const QString kSave = QStringLiteral("保存(&S)");
inline const QString kCancel = QStringLiteral("やめる(&X)");
inline const QString kHeaderName = QStringLiteral("名称（半角254文字以内）");
inline const QString kHeaderPath = QStringLiteral("パス（半角256文字以内）");

inline const QString kHintName = QStringLiteral("ここに入力した内容が、メニューに表示されます。\nデータ保存形式の都合上、半角カンマは使えません。");
inline const QString kHintGridReadOnly = QStringLiteral("この領域を直接編集することはできません。\n編集したい場合は、メインメニュー内の「ブックマークの整理」からどうぞ。");

inline const QString kInputErrorCaption = QStringLiteral("入力エラー");
inline const QString kNoSuchFolder = QStringLiteral("存在しないパスが入力されています。登録できません。");
inline const QString kNoSuchFile = QStringLiteral("存在しないファイル名が入力されています。登録できません。");
inline const QString kForbiddenCaption = QStringLiteral("使用禁止文字の発見");
inline const QString kCommaInName = QStringLiteral("名称に半角カンマが含まれています。\n\nデータ記録形式の都合上、名称に半角カンマを含めることはできません。\n修正して下さい。");
inline const QString kCommaInPath = QStringLiteral("パスに半角カンマが含まれています。\n\nデータ記録形式の都合上、パスに半角カンマを含めることはできません。");
// `character` is the first character of the name or path that the file cannot hold.
inline QString unrecordableText(const QString &character)
{
    return QStringLiteral("「%1」はブックマークファイルに記録できない文字です。\n\n名称またはパスから取り除いて下さい。").arg(character);
}
inline const QString kHashAtNameStart = QStringLiteral("名称の先頭に半角の「#」は使えません。\n\nデータ記録形式の都合上、「#」で始まる行はコメントとして扱われます。\n修正して下さい。");

// Saving the bookmark file.
inline const QString kOpenErrorText = QStringLiteral("ブックマークファイルを開けませんでした。\n\nRead Only属性が付いていたり、メディアがライトプロテクトされていませんか？");
inline const QString kOpenErrorCaption = QStringLiteral("FILE OPEN ERROR");
inline const QString kWriteErrorText = QStringLiteral("ブックマーク情報をファイルに書き込めませんでした。\n\nディスク容量が不足していませんか？");
inline const QString kWriteErrorCaption = QStringLiteral("致命的なエラー");

// The address bar's list asked for before the bookmark menu was built.
inline const QString kNotInitialisedText = QStringLiteral("[実装上のミス] Need bookmark initializing before filepath-list initializing.\n\n※製作者までご連絡頂けるとありたがいです。\nその際、上記のエラーメッセージをお教え願います。");
inline const QString kNotInitialisedCaption = QStringLiteral("デバッグ");
inline const QString kWorkedAroundText = QStringLiteral("直前の操作を無効にしました。\n再度、同じ操作をお願いいたします。\n（うまくいくよう一時的に対策済みです。）");
inline const QString kWorkedAroundCaption = QStringLiteral("一時的な解決");

} // namespace BookmarkTexts
