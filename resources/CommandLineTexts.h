#pragma once

#include <QString>

// What `orlimbo --help` and `orlimbo --version` print on standard output.
namespace CommandLineTexts {
inline const QString kVersion = QStringLiteral("Orlimbo 1.40\n");
inline const QString kUsage = QStringLiteral(
    "使い方: orlimbo [ファイル | フォルダ]\n"
    "        orlimbo /n フォルダ\n"
    "        orlimbo --help | --version\n"
    "\n"
    "テキストファイルを次々に閲覧するビューアです。\n"
    "\n"
    "  ファイル      このファイルを表示して始めます。\n"
    "  フォルダ      このフォルダを開いて始めます。\n"
    "  /n フォルダ   新しいウインドウとして、このフォルダから始めます。\n"
    "  -h, --help    この説明を表示して終了します。\n"
    "  --version     バージョンを表示して終了します。\n");
} // namespace CommandLineTexts
