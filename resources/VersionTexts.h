#pragma once

// The texts of the version dialog.

#include <QString>

namespace VersionTexts {

inline const QString kCaption = QStringLiteral("バージョン情報");
inline const QString kLabel1 = QStringLiteral("高機能テキストビューア");
inline const QString kLabel2 = QStringLiteral("Orlimbo");
inline const QString kLabel3 = QStringLiteral("Version 1.40");
inline const QString kLabel4 = QStringLiteral("Copyright (C) 2003-2026 Orlimbo Developers");
inline const QString kLabel5 = QStringLiteral("このソフトウェアはフリーソフトウェアです。");
inline const QString kLabel6 = QStringLiteral("無保証です。ご利用は各自の責任でお願いいたします。");
inline const QString kLabel7 = QStringLiteral("サポート窓口：");
inline const QString kLabel8 = QStringLiteral("製作者個人：");
inline const QString kLabel9 = QStringLiteral("ホームページ：");
inline const QString kHintSupport = QStringLiteral("ソフトウェアに関するご質問は、こちらへどうぞ。");
inline const QString kHintPersonal = QStringLiteral("製作者個人へのご連絡はこちらへどうぞ。");
inline const QString kHintWebSite = QStringLiteral("製作者運営のウェブサイトです。ぜひ来てね！");
inline const QString kPictureHint = QStringLiteral(
    "Orlimbo Developers\n\n※ご意見・ご感想、大歓迎！\n※新作ソフトのご提案、大歓迎！\n"
    "※お仕事のご依頼もお待ちしております。\n\nすべてのご連絡は、左記アドレスまで。");
inline const QString kOk = QStringLiteral("OK");
inline const QString kNewsCaption = QStringLiteral("製作者近況 2003,06,30.Mon.");
inline const QString kNewsText = QStringLiteral(
    "久しぶりのバージョンアップです。\nご意見を下さった方々、どうもありがとうございました。\n"
    "今後もバージョンアップを続けていきたいと思います。\n何かお気づきの点があれば、お気軽にメールでお知らせ下さい。\n\n"
    "気に入って下さる方が多かったら良いのですが。（＾＾;）");

} // namespace VersionTexts
