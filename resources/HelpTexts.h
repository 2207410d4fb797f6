#pragma once

// The texts of the help commands and of the program's own help window.

#include <QString>

namespace HelpTexts {

inline const QString kHelpFileName = QStringLiteral("Skimlet.chm");
inline const QString kHelpMissingCaption = QStringLiteral("ヘルプ実行失敗");
inline const QString kHelpMissingText =
    QStringLiteral("ヘルプファイルが見つかりません。\n\nプログラムと同じフォルダに格納されているかどうか、確認して下さい。");
inline const QString kCannotShowCaption = QStringLiteral("ヘルプが表示されない場合");
inline const QString kCannotShowText = QStringLiteral(
    "このソフトウェアに付属のヘルプファイルは、Compiled HTML形式のヘルプファイルです。\n"
    "古いバージョンのWindowsでは表示できない場合があります。\n"
    "多くの場合は、最新のInternet Explorerなどをインストールすることで表示できるようになります。\n\n"
    "また、作者のホームページ上でもヘルプを公開しています。\nそちらもご利用下さい。（内容はほぼ一緒です。）");

// The author's addresses (under the reserved example domain).
inline const QString kVersionCheckAddress = QStringLiteral("https://www.example.org/orlimbo/version.html");
inline const QString kWebSiteAddress = QStringLiteral("https://www.example.org/orlimbo/");
inline const QString kSupportMail = QStringLiteral("orlimbo-support@example.org");
inline const QString kPersonalMail = QStringLiteral("author@example.org");

// The help window of our own.
inline const QString kHelpWindowCaption = QStringLiteral("Orlimbo ヘルプ");
inline const QString kHelpBack = QStringLiteral("戻る");
inline const QString kHelpForward = QStringLiteral("進む");
inline const QString kHelpHome = QStringLiteral("目次");
inline const QString kHelpClose = QStringLiteral("閉じる");

} // namespace HelpTexts
