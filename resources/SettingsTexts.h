#pragma once

// The texts of the settings dialog.

#include <QString>

#include <array>

namespace SettingsTexts {

inline const QString kCaption = QStringLiteral("Orlimbo 設定");
inline const QString kOk = QStringLiteral("OK");
inline const QString kCancel = QStringLiteral("Cancel");

// Page "動作設定全般".
inline const QString kPageGeneral = QStringLiteral("動作設定全般");
inline const QString kGroupHistory = QStringLiteral("履歴管理の指定(&R)");
inline const QString kCheckBox1 = QStringLiteral("起動時に、前回の最後に開いていたファイルを自動的に開く。(&A)");
inline const QString kCheckBox2 = QStringLiteral("今回の読み込み履歴を、次回起動時にも履歴として再現する。(&R)");
inline const QString kHintCheckBox1 = QStringLiteral(
    "チェックを入れておく方が便利です。\n※チェックを入れておくと、次回起動時に「ファイル選択BOX」も前回終了時のフォルダにセットされます。");
inline const QString kHintCheckBox2 = QStringLiteral(
    "チェックを外すと、履歴情報をレジストリに記録しません。\n履歴は、起動してから終了するまでの履歴情報のみを扱うようになります。");
inline const QString kRememberPosition = QStringLiteral("閲覧位置をファイルごとに記憶する(&M)");
inline const QString kGroupMaintenance = QStringLiteral("管理(&M)");
inline const QString kClearHistory = QStringLiteral("履歴情報をすべて削除する(&H)");
inline const QString kHintClearHistory = QStringLiteral("今すぐ、すべての履歴情報を消去します。");
inline const QString kHistoryClearedText = QStringLiteral("履歴情報をクリアしました。");
inline const QString kHistoryClearedCaption = QStringLiteral("報告");
inline const QString kForDebugMode = QStringLiteral("開発用");
inline const QString kHintForDebugMode = QStringLiteral("デバッグ用");
inline const QString kDebugEnabledText = QStringLiteral("デバッグメニューを有効にしました。");

// Page "フィルタ設定".
inline const QString kPageFilters = QStringLiteral("フィルタ設定");
inline const QString kGroupFilters = QStringLiteral("ファイルフィルタ設定(&F)");
inline const QString kNameOpen = QStringLiteral("「");
inline const QString kNameClose = QStringLiteral("」の定義：");
inline const QString kRename = QStringLiteral("名称変更");
inline const QString kPlus = QStringLiteral("＋");
inline const QString kAllTextLabel = QStringLiteral("「すべてのテキストファイル」の定義：");
inline const std::array<QString, 3> kSelectTextFile{
    QStringLiteral("1段目の定義＋2段目の定義のファイル"),
    QStringLiteral("上記のうち4段目の定義を除く全てのファイル"),
    QStringLiteral("上記のすべてのファイル"),
};
inline const std::array<QString, 3> kNotExtras{
    QStringLiteral("各右側の入力欄に記入"),
    QStringLiteral("された拡張子は、ここに"),
    QStringLiteral("は、含みません。"),
};
inline const std::array<QString, 2> kExtrasNote{
    QStringLiteral("他の項目に存在する拡張子は"),
    QStringLiteral("必ずこちら側に記入して下さい。"),
};
inline const QString kNaturalSort = QStringLiteral("数字を数値として並べる(&U)");
inline const QString kArrowDown = QStringLiteral("↓");
inline const QString kHintFilterName = QStringLiteral("定義名も編集できます。");
inline const QString kHintFilterMain = QStringLiteral("他の項目にも存在する拡張子は右側の入力欄へ");
inline const QString kHintFilterExtra = QStringLiteral(
    "ここに記述した拡張子は「すべてのテキストファイル」定義には\n含まれません。\n他の項目と重複する拡張子は、こちらへ記入して下さい。");

// Page "編集用ソフト".
inline const QString kPageEditors = QStringLiteral("編集用ソフト");
inline const QString kGroupEditors = QStringLiteral("編集用連携アプリケーションの指定(&A)");
inline const QString kEditorsIntro = QStringLiteral("編集用として呼び出すテキストエディタのフルパスを指定して下さい。");
inline const QString kCaption1 = QStringLiteral("表示名(&C)：");
inline const QString kMenuNote = QStringLiteral("（メニューに表示されます。）");
inline const QString kPath1 = QStringLiteral("フルパス(&P)：");
inline const QString kBrowse1 = QStringLiteral("参照(&S)...");
inline const QString kNotepadNote = QStringLiteral("※指定しない場合は、「メモ帳」が自動的に使用されます。");
inline const QString kCallableNote = QStringLiteral("※外部からの呼び出しに対応していないソフトウェアとは連携できません。");
inline const QString kUseEditors = QStringLiteral("複数のエディタを使い分ける(&E)");
inline const std::array<QString, 3> kCaptionN{QStringLiteral("表示名(&2)："), QStringLiteral("表示名(&3)："),
                                              QStringLiteral("表示名(&4)：")};
inline const std::array<QString, 3> kPathN{QStringLiteral("フルパス(&X)："), QStringLiteral("フルパス(&Y)："),
                                           QStringLiteral("フルパス(&Z)：")};
inline const std::array<QString, 3> kBrowseN{QStringLiteral("参照(&T)"), QStringLiteral("参照(&U)"),
                                             QStringLiteral("参照(&V)")};

// Page "印刷用ソフト".
inline const QString kPagePrint = QStringLiteral("印刷用ソフト");
inline const QString kGroupPrint = QStringLiteral("印刷用連携アプリケーションの指定(&A)");
inline const QString kPrintLabel = QStringLiteral("印刷用として呼び出すテキストエディタのフルパスを指定して下さい。(&E)：");
inline const QString kPrintNote1 = QStringLiteral("※外部からの印刷指示（ /p パラメータ ）が使えないソフトウェアとは連携でき");
inline const QString kPrintNote2 = QStringLiteral("ません。");

// The browse buttons' file dialog.
inline const QString kBrowseTitle = QStringLiteral("ファイルを開く");
// Programs on this system carry no extension, so the applications entry lists every file.
inline const QStringList kBrowseFilters{QStringLiteral("アプリケーション (*)"),
                                        QStringLiteral("すべてのファイル(*.*) (*)")};

// Page "安全機能".
inline const QString kPageSafety = QStringLiteral("安全機能");
inline const std::array<QString, 3> kSafetyIntro{
    QStringLiteral("このソフトウェアは標準で、誤操作に対する安全機能が有効になってい"),
    QStringLiteral("ます。下記の設定を行うことで、その安全機能を無効にできてしまいます。"),
    QStringLiteral("設定を行う場合は、効果を理解した上で行って下さい。"),
};
inline const QString kGroupFileOps = QStringLiteral("ファイル操作関連");
inline const QString kSafeNotOnlyText = QStringLiteral("テキストファイル以外のファイルの削除を許可する。(&T)");
inline const QString kTextFilesNote = QStringLiteral("※ここでのテキストファイルとは、狭義のテキストとWeb関連テキストファイルです。");
inline const QString kSafeFileDel = QStringLiteral("ファイルを削除する際、確認ダイアログを表示しない。(&D)");
inline const QString kHintSafeNotOnlyText =
    QStringLiteral("ここでの「テキストファイル」とは、拡張子が txt または log のファイルを指します。");
inline const QString kHintSafeFileDel =
    QStringLiteral("削除は、[Ctrl]+[Delete]キーでも可能です。\n誤操作対策として、この機能はOFFにしておくことを強く推奨します。");
inline const QString kDangerText = QStringLiteral(
    "あなたは、ソフトウェアの必須ファイルを誤って削除してしまった場合でも、自力で対処・解決できる程の知識を持っていますか？\n"
    "もし持っていないなら、この設定は非常に危険ですので、お勧めできません。");
inline const QString kDangerCaption = QStringLiteral("警告");

// Page "表示色".
inline const QString kPageColors = QStringLiteral("表示色");
inline const QString kGroupColors = QStringLiteral("表示色(&C)");
inline const QString kColor1 = QStringLiteral("Windows標準色(&S)");
inline const QString kColor2 = QStringLiteral("MS-DOS(&M)");
inline const QString kColor3 = QStringLiteral("液晶グリーン(&G)");
inline const QString kColor4 = QStringLiteral("ツールチップ標準色(&T)");
inline const QString kColor0 = QStringLiteral("任意(&U)");
inline const QString kFrontColor = QStringLiteral("文字色(&F)");
inline const QString kBackColor = QStringLiteral("背景色(&B)");
inline const QString kNoColorYet = QStringLiteral("---");
inline const QString kGroupReverse = QStringLiteral("反転");
inline const QString kReverseColor = QStringLiteral("文字色と背景色を反転する(&R)");
inline const QString kColorPreview = QStringLiteral("色のプレビュー");

} // namespace SettingsTexts
