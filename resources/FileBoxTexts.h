#pragma once

// The texts of the file-selection box.

#include <QString>

namespace FileBoxTexts {

inline const QString kTitle = QStringLiteral(" ファイル選択");
inline const QString kClose = QStringLiteral("×");
// What a screen reader says for the "×" button.
inline const QString kCloseName = QStringLiteral("ファイル選択BOXを閉じる");
inline const QString kShowLabel = QStringLiteral("表示：");
inline const QString kComplete = QStringLiteral("完全型");
inline const QString kLarge = QStringLiteral("拡大型");
inline const QString kFull = QStringLiteral("占有型");
inline const QString kInvalidFileName = QStringLiteral("不正なファイル名 - %1");

inline const QString kHintSplitterBox = QStringLiteral("ドラッグして上下のサイズを自由に変更できます。");
inline const QString kHintDrive = QStringLiteral("表示したいドライブを選択します。");
inline const QString kHintFolder = QStringLiteral("表示したいフォルダを選択します。\n（カーソルキーを使う場合は、[Enter]キーで選択。）");
inline const QString kHintFilter = QStringLiteral("ファイル一覧に表示させたいファイルの種類を選択します。\n（「動作設定」で該当拡張子を自由に指定できます。）");
inline const QString kHintTitle = QStringLiteral(
    "右端をドラッグすれば、ウインドウサイズを変更できます。\n（30ピクセル未満にすると消えます。100ピクセル未満にした場合、\n"
    "再起動後は100ピクセルに再設定されます。）\n\n[×]ボタンをクリックすれば、ウインドウを消すことができます。\n"
    "復活させる際は、「表示」メニューの「ファイル選択BOX」をクリックして下さい。");

} // namespace FileBoxTexts
