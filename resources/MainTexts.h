#pragma once

// The texts of the main window, exactly as the user sees them.

#include <QString>

#include <array>

namespace MainTexts {

inline const QString kAppTitle = QStringLiteral("Orlimbo");
inline const QString kVersionTitle = QStringLiteral("Orlimbo  Ver 1.40");
inline const QString kVersion = QStringLiteral("1.40");

// The command table: object name, menu caption, key. The display effects' commands come from
// their own list (core/EffectList.h).
struct CommandText {
    const char *name;
    const char16_t *caption;
    const char *key;
};

inline constexpr std::array<CommandText, 39> kCommands{{
    {"ActionNewWindow", u"新しいウインドウを開く(&W)", "Ctrl+W"},
    {"ActionFileOpen", u"ファイルを開く(&O)...", "Ctrl+O"},
    {"ActionFolderOpen", u"フォルダを開く(&F)...", "Ctrl+Alt+O"},
    {"ActionFolderExplorer", u"フォルダをエクスプローラで開く(&E)", "Ctrl+Alt+E"},
    {"ActionFileCopy", u"指定のフォルダへコピー(&C)...", "Ctrl+Alt+C"},
    {"ActionFileMove", u"指定のフォルダへ移動(&M)...", "Ctrl+Alt+M"},
    {"ActionFileRename", u"ファイル名・属性・タイムスタンプを変更(&R)...", "F2"},
    {"ActionFileDelete", u"フォルダから削除(&D)", "Ctrl+Del"},
    {"ActionEdit", u"閲覧中のファイルを編集(&E)", "Ctrl+E"},
    {"ActionExport", u"アプリケーションから開く(&A)", "Ctrl+Alt+A"},
    {"ActionSaveAs", u"閲覧中のファイルを別名で保存(&S)...", "Ctrl+S"},
    {"ActionPrint", u"閲覧中のファイルを印刷(&P)...", "Ctrl+P"},
    {"ActionAppQuit", u"終了(&X)", "Ctrl+Q"},
    {"ActionCopy", u"コピー(&C)", "Ctrl+C"},
    {"ActionSelectAll", u"すべて選択(&A)", "Ctrl+A"},
    {"ActionOpenSearch", u"検索(&F)", "Ctrl+F"},
    {"ActionFindNext", u"次を検索(&N)", "F3"},
    {"ActionGoSearch", u"検索", ""},
    {"ActionFindPrevious", u"前を検索(&P)", "Shift+F3"},
    {"ActionViewPre", u"１つ前へ戻る(&B)", "Alt+Backspace"},
    {"ActionViewNext", u"１つ先へ進む(&G)", "Alt+Ins"},
    {"ActionReLoad", u"更新（再読込）(&R)", "F5"},
    {"ActionFollowTail", u"末尾を追跡(&L)", "Shift+F5"},
    {"ActionSetFont", u"フォント(&F)...", "Ctrl+Alt+F"},
    {"ActionFullScreen", u"全画面表示(&S)", "Ctrl+Alt+Z"},
    {"ActionWrapNone", u"折り返さない(&T)", "Ctrl+T"},
    {"ActionWrapNum", u"指定桁で折り返す", ""},
    {"ActionWrapSide", u"右端で折り返す(&R)", "Ctrl+R"},
    {"ActionFontSizeUp", u"文字サイズを 1pt大きく(&U)", "Alt+PgUp"},
    {"ActionFontSizeDown", u"文字サイズを 1pt小さく(&D)", "Alt+PgDown"},
    {"ActionViewBookmark", u"ブックマーク(&B)", ""},
    {"ActionBookmarkClick", u"", ""},
    {"ActionOpenAddBookmarkDialog", u"", ""},
    // The key is shown beside the entry but reaches the copy command, which comes first in the menus.
    {"ActionOpenAppSetDialog", u"動作設定(&C)...", ""},
    {"ActionOpenHelp", u"ヘルプ(&H)", "F1"},
    {"ActionVerInfo", u"バージョン情報(&V)...", ""},
    {"ActionVerCheck", u"最新バージョンの存在確認(&S)", ""},
    {"ActionGoMyWebSite", u"作者のホームページへ(&A)", ""},
    {"ActionSendMail", u"作者へメールを送る(&M)", ""},
}};
inline const QString kAppSetShownKey = QStringLiteral("Ctrl+Alt+C");

// Menus.
inline const QString kMenuFile = QStringLiteral("ファイル(&F)");
inline const QString kMenuFileOperations = QStringLiteral("閲覧中のファイルを操作(&C)");
inline const QString kMenuEdit = QStringLiteral("編集・検索(&E)");
inline const QString kMenuView = QStringLiteral("表示(&V)");
inline const QString kViewTool = QStringLiteral("ツールバー(&T)");
inline const QString kViewPath = QStringLiteral("アドレスバー(&A)");
inline const QString kViewSelect = QStringLiteral("ファイル選択BOX(&B)");
inline const QString kViewStyle = QStringLiteral("形式ツールバー(K)");
inline const QString kViewSearch = QStringLiteral("検索バー(&F)");
inline const QString kMenuEncoding = QStringLiteral("文字コード(&J)");
inline const QString kEncodingAuto = QStringLiteral("自動判別");
inline const QString kEncodingSjis = QStringLiteral("Shift_JIS");
inline const QString kEncodingUtf8 = QStringLiteral("UTF-8");
inline const QString kEncodingEuc = QStringLiteral("EUC-JP");
inline const QString kEncodingJis = QStringLiteral("JIS");
inline const QString kMenuStyle = QStringLiteral("形式(&S)");
inline const QString kMenuBookmark = QStringLiteral("ブックマーク(&B)");
inline const QString kBookmarkAdd = QStringLiteral("ブックマークへ追加(&A)...");
inline const QString kBookmarkOrganise = QStringLiteral("ブックマークの整理(&E)...");
inline const QString kMenuSettings = QStringLiteral("設定(&C)");
inline const QString kSetUninstall = QStringLiteral("アンインストール(&U)...");
inline const QString kMenuDebug = QStringLiteral("デバッグ(&D)");
inline const QString kDebugHistories = QStringLiteral("履歴管理状態一覧(&R)");
inline const QString kDebugWriteMode = QStringLiteral("閲覧領域への直接書き込みを許可(&W)");
inline const QString kMenuHelp = QStringLiteral("ヘルプ(&H)");
inline const QString kHelpCannotShow = QStringLiteral("ヘルプが表示されない場合(&N)...");
inline const QString kPopupFontChange = QStringLiteral("フォント変更(&F)");
inline const QString kPopupReView = QStringLiteral("中身を再閲覧(&V)");
inline const QString kPopupReRead = QStringLiteral("再読み込み(&R)");
inline const QString kEditor = QStringLiteral("エディタ%1");

// Tool buttons.
inline const QString kBtnFile = QStringLiteral("ファイル");
inline const QString kBtnFolder = QStringLiteral("フォルダ");
inline const QString kBtnBack = QStringLiteral("戻る");
inline const QString kBtnForward = QStringLiteral("進む");
inline const QString kBtnReload = QStringLiteral("更新");
inline const QString kBtnFont = QStringLiteral("フォント");
inline const QString kBtnFullScreen = QStringLiteral("全画面");
inline const QString kBtnEdit = QStringLiteral("編集");
inline const QString kBtnPrint = QStringLiteral("印刷");
inline const QString kBtnSave = QStringLiteral("保存");
inline const QString kBtnHelp = QStringLiteral("ヘルプ");
inline const QString kBtnExport = QStringLiteral("Shell Exec.");
inline const QString kPathLabel = QStringLiteral("ファイルパス(&P)：");
inline const QString kPathAboutEntry = QStringLiteral("about: #1 この欄に項目を追加するにはどうすればいいの？");

// Tool-tips.
inline const QString kHintFile = QStringLiteral("ファイルを開きます。");
inline const QString kHintFolder = QStringLiteral("フォルダを開きます。");
inline const QString kHintBack = QStringLiteral("履歴を戻ります。");
inline const QString kHintForward = QStringLiteral("履歴を進みます。");
inline const QString kHintReload = QStringLiteral("現在表示中のファイルを読み込み直します。");
inline const QString kHintFont = QStringLiteral("表示用フォントを変更します。\n（文字サイズに制限はありません。）");
inline const QString kHintFullScreen = QStringLiteral("現在表示中のファイルを全画面で表示します。\n画面を広く使って閲覧したい場合にどうぞ。");
inline const QString kHintEdit = QStringLiteral("現在表示中のファイルを、指定のエディタで編集します。");
inline const QString kHintPrint = QStringLiteral("現在表示中のファイルを、指定のソフトウェアで印刷します。");
inline const QString kHintSave = QStringLiteral("現在表示中のファイルに、別名を付けて保存します。");
inline const QString kHintHelp = QStringLiteral("ヘルプを表示します。\nバージョン情報などを見たい場合は、\nドロップダウンリストからどうぞ。");
inline const QString kHintPathBox = QStringLiteral("フォルダまたはファイルをフルパスで入力して下さい。\n（入力内容はリアルタイムに反映されます。）");
inline const QString kHintExport = QStringLiteral("指定ファイルをアプリケーションから開きます。\n（関連付けされていない場合は実行できません。）\n「http://」で始まっていれば、ブラウザと連携できます。");
inline const QString kHintWrap1 = QStringLiteral("折り返さずに表示");
inline const QString kHintWrap3 = QStringLiteral("右端で折り返して表示");
inline const QString kHintFontUp = QStringLiteral("フォントサイズを1pt大きくします。\n（現在は、%1ptです。）");
inline const QString kHintFontDown = QStringLiteral("フォントサイズを1pt小さくします。\n（現在は、%1ptです。）");

// Status bar.
inline const QString kReadOnly = QStringLiteral("ReadOnly");
inline const QString kBinary = QStringLiteral("BINARY");
inline const QString kText = QStringLiteral("TEXT");

// Messages.
inline const QString kRegistryWriteFailed = QStringLiteral("レジストリに書き込めませんでした。");
inline const QString kUninstallCaption = QStringLiteral("アンインストール支援");
inline const QString kUninstallText = QStringLiteral(
    "[アンインストール機能]\n\nレジストリに記録された、このソフトウェアに関する全ての設定を削除しますか？\n\n"
    "※この処理を実行後、アプリケーションの格納されたフォルダをまるごと削除していただくだけでアンインストールは完全に完了します。\n"
    "（ファイルの削除は自動では行われませんので、手動でお願いいたします。）");
inline const QString kAuthorCaption = QStringLiteral("作者よりメッセージ");
inline const QString kAuthorText = QStringLiteral(
    "Orlimbo をご愛用いただき、ありがとうございます！\n\nこのソフトウェアは、あなたのお役に立てていますでしょうか。\n"
    "ご意見・ご感想・ご要望などがありましたら、ぜひ作者までお寄せ下さい。\nユーザの方々からのメッセージが、明日の開発意欲の源ですっ！\n\n"
    "バージョンアップ版が公開されている場合もありますので、たまには、ぜひ、作者サイトまでお越し下さい。\n"
    "作者サイトへは、「ヘルプ」メニューから手軽にアクセスできます。\n\n今後とも、Orlimbo をご愛用頂ければ幸いです。\n\n"
    "   From Orlimbo Developers\n");
inline const QString kHistoryMissingText = QStringLiteral("履歴にあるファイルは、削除されたか移動されたようです。\n\n読み込めませんでした。");
inline const QString kHistoryMissingCaption = QStringLiteral("読み込み失敗");
inline const QString kReloadMissingText = QStringLiteral("ファイルは削除されたか移動されたようです。\n\n表示の更新に失敗しました。");
inline const QString kReloadMissingCaption = QStringLiteral("更新失敗");
inline const QString kAboutCaption = QStringLiteral("about:");
inline const QString kAboutText = QStringLiteral(
    "この「ファイルパス」欄のドロップダウンリストは、「ブックマーク」と連動しています。\n"
    "つまり、ここには、ブックマークとして登録したフォルダやファイルが表示されます。\n"
    "ここに追加するには、「ブックマーク」メニューを利用して下さい。");
inline const QString kFileOpenTitle = QStringLiteral("ファイルを開く");
inline const QString kFolderOpenTitle = QStringLiteral("開きたいフォルダを選択して下さい。：");

// The search bar.
inline const QString kSearchLabel = QStringLiteral("検索語(&W)：");
inline const QString kSearchButton = QStringLiteral("検索");
inline const QString kSearchButtonHint = QStringLiteral("カーソル位置から下を検索します (F3)");
inline const QString kMatchCase = QStringLiteral("大文字小文字を区別する(&C)");
inline const QString kFindPreviousButton = QStringLiteral("前");
inline const QString kSearchFolder = QStringLiteral("後続のファイルも検索(&O)");
inline const QString kSearchFolderHint = QStringLiteral("見つからないときは、ファイル一覧の次のファイルへ進んで検索を続けます");
inline const QString kCloseSearch = QStringLiteral("×");
inline const QString kCloseSearchHint = QStringLiteral("検索バーを閉じる");
// Shown in the first status panel after a search that found nothing, until the next key.
inline QString notFoundText(const QString &word)
{
    return QStringLiteral("「%1」は見つかりませんでした").arg(word);
}

// The search going on through the folder: its progress in the first status panel, and what
// it says when no further file holds the word, with the files it could not read.
inline QString folderSearchProgressText(qsizetype done, qsizetype total)
{
    return QStringLiteral("検索中… %1 / %2 ファイル").arg(done).arg(total);
}
inline QString folderNotFoundText(const QString &word, bool forward)
{
    return forward ? QStringLiteral("「%1」はフォルダの最後まで見つかりませんでした").arg(word)
                   : QStringLiteral("「%1」はフォルダの最初まで見つかりませんでした").arg(word);
}
inline QString passedOverText(qsizetype files)
{
    return QStringLiteral("（読めないファイル%1件を飛ばしました）").arg(files);
}

// Several files dropped on the window: the first is shown, the others are not.
inline QString droppedRestIgnoredText(int others)
{
    return QStringLiteral("最初の1件だけを開きました（残りの%1件は開いていません）").arg(others);
}

// View commands.
inline const QString kFontTooSmallText = QStringLiteral("これ以上は小さくできません。現在1ptです。");
// The font dialog can go beyond the size-up command's ceiling, so the text names the size in force.
inline QString fontTooLargeText(int points)
{
    return QStringLiteral("これ以上は大きくできません。現在%1ptです。").arg(points);
}
inline const QString kFontSizeCaption = QStringLiteral("フォントサイズ変更");

// Display effects.
inline const QString kEffectNoteCaption = QStringLiteral("無意味だと思われる操作の実行前解説");
inline const QString kLargeEffectText = QStringLiteral("データサイズが大きいため、エフェクト処理に膨大な時間がかかると予測されます。\nそれでも実行しますか？");
inline const QString kLargeEffectCaption = QStringLiteral("確認");
// A load that runs on: how far it got, in the line-count panel; and the failure it can end in.
inline const QString kLoadingProgress = QStringLiteral("読み込み中… %1%（Escで中止）");
inline const QString kChangedOnDisk = QStringLiteral("表示中のファイルが変更されました。F5 キーで読み直します。");
inline const QString kChangedCannotRead =
    QStringLiteral("表示中のファイルが変更されたため、この操作はできません。\n\n読み直しますか？");
inline const QString kReplacedReadAgain = QStringLiteral("ファイルが置き換えられたため、最初から読み直しました。");
inline const QString kHintFollowTail = QStringLiteral("末尾を追跡（Shift+F5）");
inline const QString kPositionsNotSaved = QStringLiteral("読書位置を保存できません。この実行中の位置は次回に残りません。");
inline const QString kChangedOnDiskReload = QStringLiteral("読み直す(&R)");
inline const QString kCountingProgress = QStringLiteral("行数を数えています… %1%（Escで中止）");
inline const QString kOutOfMemoryText =
    QStringLiteral("メモリが足りないため、このファイルを表示できませんでした。\n\n表示中のファイルはそのまま残っています。");

inline const QString kWorkFileCreateText = QStringLiteral("作業用ファイルの作成に失敗しました。\n\n処理を続行できません。");
inline const QString kWorkFileCreateCaption = QStringLiteral("一時ファイル作成失敗");
inline const QString kWorkFileOpenText = QStringLiteral("作業用ファイルを開けませんでした。\n\n処理を続行できません。");
inline const QString kWorkFileOpenCaption = QStringLiteral("TemporaryFile Open Error");

inline const QString kHistoryListingCaption = QStringLiteral("履歴管理状態一覧");

} // namespace MainTexts
