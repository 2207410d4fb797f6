#include "tests/corpus/JapaneseCorpus.h"

#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace JapaneseCorpus {
namespace {

using EncodingDetect::Encoding;

class Writer {
public:
    explicit Writer(quint32 seed) : rng_(seed) {}

    int number(int from, int to) { return std::uniform_int_distribution<int>(from, to)(rng_); }
    bool chance(int percent) { return number(1, 100) <= percent; }
    template <size_t N> QString pick(const char *const (&words)[N])
    {
        return QString::fromUtf8(words[number(0, int(N) - 1)]);
    }

    QString sentence();
    QStringList prose(int lines);
    QStringList mail(int lines, Encoding encoding);
    QStringList html(int lines, Encoding encoding);
    QStringList source(int lines);
    QStringList halfKana(int lines);

private:
    std::mt19937 rng_;
};

const char *const kNouns[] = {
    "私", "彼", "彼女", "先生", "友達", "町", "山", "川", "海", "空", "雨", "風", "花", "森", "道",
    "駅", "電車", "手紙", "本", "部屋", "窓", "夜", "朝", "子供", "母", "父", "猫", "犬", "時間",
    "言葉", "心", "夢", "記憶", "季節", "学校", "会社", "机", "鏡", "影", "光", "声", "音楽",
    "物語", "旅", "港", "橋", "村", "庭", "星", "月", "雪", "祖母", "兄", "妹", "病院", "図書館",
};
const char *const kLoanwords[] = {
    "コーヒー", "テーブル", "ドア", "カメラ", "ピアノ", "ノート", "バス", "ホテル", "レストラン",
    "テレビ", "ラジオ", "メール", "パソコン", "ニュース", "カーテン", "ギター", "タクシー",
};
const char *const kParticles[] = {"は", "が", "を", "に", "で", "と", "へ", "の", "から", "まで", "も"};
const char *const kVerbs[] = {
    "歩いた", "見ていた", "思い出した", "走り出した", "待っていた", "笑った", "泣いた", "考えた",
    "言った", "書いた", "読んでいた", "聞こえた", "消えた", "始まった", "終わった", "知らなかった",
    "座っていた", "眺めていた", "呟いた", "囁いた", "振り返った", "黙っていた",
};
const char *const kAdjectives[] = {
    "静かな", "古い", "新しい", "美しい", "暗い", "明るい", "小さな", "大きな", "遠い",
    "懐かしい", "冷たい", "優しい", "白い", "青い",
};
const char *const kAdverbs[] = {"ゆっくりと", "突然", "まだ", "もう", "少し", "いつも", "ずっと", "何度も", "そっと"};
const char *const kSpeech[] = {
    "どうしたの", "ありがとう", "また明日", "本当にそう思う？", "待って", "ごめんなさい",
    "それは違うよ", "行ってきます", "少し休もうか", "誰もいないね",
};

const char *const kMailLines[] = {
    "お世話になっております。", "山田です。", "明日の会議の件でご連絡いたします。",
    "資料を添付しましたので、ご確認ください。", "ご不明な点がありましたらお知らせください。",
    "よろしくお願いいたします。", "以上、取り急ぎご報告まで。", "日程は下記のとおりです。",
    "※会場が変更になりました。", "出欠を金曜日までにご返信ください。",
};
const char *const kSubjects[] = {"会議の件", "見積もりについて", "Re: 資料送付", "お知らせ", "打ち合わせ日程"};

const char *const kComments[] = {
    "設定を読み込む", "ファイルを開く", "結果を返す", "エラーの場合は終了する", "一時ファイルを削除する",
    "文字列を比較する", "次の行へ進む", "件数を数える", "画面を更新する", "入力を確認する",
    "ここで例外が起きることがある", "後で直す", "上限を超えたら打ち切る", "初期化",
};
const char *const kCode[] = {
    "int count = 0;", "if (value > limit) {", "    return false;", "}", "for (int i = 0; i < n; ++i) {",
    "    total += items[i].size;", "std::string name = path.substr(pos + 1);", "while (!queue.empty()) {",
    "    queue.pop();", "return result;", "static const int kMax = 256;", "else {", "    ++errors;",
    "def load(path):", "    with open(path) as f:", "        return f.read()", "x = [i * 2 for i in range(10)]",
};
const char *const kMessages[] = {"保存しました", "ファイルが見つかりません", "処理を中止しますか？", "完了"};

const char *const kHalfWords[] = {
    "ｺﾝﾆﾁﾊ", "ｹﾞﾝｷﾃﾞｽｶ", "ﾃﾞｰﾀ", "ｿｳｼﾝ", "ｼﾏｼﾀ", "ｼｮｳﾋﾝ", "ｺｰﾄﾞ", "ｽｳﾘｮｳ", "ｵﾂｶﾚｻﾏﾃﾞｼﾀ",
    "ｱﾘｶﾞﾄｳｺﾞｻﾞｲﾏｽ", "ﾆｭｳｷﾝ", "ｶﾞｸ", "ｴﾝ", "ｶﾌﾞｼｷｶﾞｲｼｬ", "ﾔﾏﾀﾞ", "ｼｮｳｼﾞ", "ﾄｳｷｮｳﾄ", "ﾁﾖﾀﾞｸ",
    "ｺﾞﾁｭｳﾓﾝ", "ｦ", "ｳｹﾀﾏﾜﾘﾏｼﾀ", "ﾌﾘｺﾐ", "ｻﾞﾝﾀﾞｶ", "ﾃｽｳﾘｮｳ", "ｼﾃﾝ", "ﾎﾝﾃﾝ", "ﾖｷﾝ", "ﾐﾂｲ", "ｽﾐﾄﾓ",
    "ｷﾞﾝｺｳ", "ｶｲｲﾝ", "ﾊﾞﾝｺﾞｳ", "ｼﾒｲ", "ﾀﾅｶ", "ｲﾁﾛｳ", "ﾒｰﾙ", "ﾍﾝｼﾝ",
};

QString Writer::sentence()
{
    QString s;
    if (chance(25)) {
        s = QStringLiteral("「") + pick(kSpeech) + QStringLiteral("」と") + pick(kNouns)
            + QStringLiteral("は") + pick(kVerbs);
    } else {
        if (chance(30))
            s += pick(kAdverbs) + QStringLiteral("、");
        const int parts = number(1, 3);
        for (int i = 0; i < parts; ++i) {
            if (chance(40))
                s += pick(kAdjectives);
            s += chance(20) ? pick(kLoanwords) : pick(kNouns);
            s += pick(kParticles);
            if (i + 1 < parts && chance(30))
                s += QStringLiteral("、");
        }
        s += pick(kVerbs);
    }
    return s + QStringLiteral("。");
}

QStringList Writer::prose(int lines)
{
    QStringList out;
    if (chance(50))
        out << QStringLiteral("第%1章　").arg(number(1, 20)) + pick(kNouns) + QStringLiteral("の") + pick(kNouns) << QString();
    while (out.size() < lines) {
        QString paragraph = QStringLiteral("　");
        for (int k = number(1, 4); k > 0; --k)
            paragraph += sentence();
        out << paragraph;
        if (chance(15))
            out << QString();
    }
    return out;
}

QStringList Writer::mail(int lines, Encoding encoding)
{
    static const char *const charset[] = {"Shift_JIS", "UTF-8", "UTF-16", "EUC-JP", "ISO-2022-JP"};
    QStringList out;
    out << QStringLiteral("Return-Path: <yamada@example.co.jp>")
        << QStringLiteral("Received: from mail.example.co.jp (mail.example.co.jp [192.0.2.%1])").arg(number(1, 254))
        << QStringLiteral("Date: Tue, %1 Mar 2009 10:%2:00 +0900").arg(number(1, 28)).arg(number(10, 59))
        << QStringLiteral("From: Taro Yamada <yamada@example.co.jp>")
        << QStringLiteral("To: suzuki@example.com")
        << QStringLiteral("Message-ID: <%1.%2@example.co.jp>").arg(number(100000, 999999)).arg(number(1000, 9999));
    out << (chance(50) ? QStringLiteral("Subject: ") + pick(kSubjects) : QStringLiteral("Subject: meeting"));
    out << QStringLiteral("MIME-Version: 1.0")
        << QStringLiteral("Content-Type: text/plain; charset=%1").arg(QLatin1String(charset[int(encoding)]))
        << QString() << QStringLiteral("鈴木様") << QString();
    while (out.size() < lines) {
        out << (chance(60) ? pick(kMailLines) : sentence());
        if (chance(10))
            out << QString();
        if (chance(5))
            out << QStringLiteral("> ") + sentence();
    }
    out << QString() << QStringLiteral("-- ") << QStringLiteral("山田 太郎 <yamada@example.co.jp>");
    return out;
}

QStringList Writer::html(int lines, Encoding encoding)
{
    static const char *const charset[] = {"Shift_JIS", "UTF-8", "UTF-16", "EUC-JP", "ISO-2022-JP"};
    const QString title = pick(kNouns) + QStringLiteral("と") + pick(kNouns);
    QStringList out;
    out << QStringLiteral("<!DOCTYPE html>") << QStringLiteral("<html lang=\"ja\">") << QStringLiteral("<head>")
        << QStringLiteral("<meta charset=\"%1\">").arg(QLatin1String(charset[int(encoding)]))
        << QStringLiteral("<title>") + title + QStringLiteral("</title>")
        << QStringLiteral("<link rel=\"stylesheet\" href=\"style.css\">") << QStringLiteral("</head>")
        << QStringLiteral("<body>") << QStringLiteral("<h1>") + title + QStringLiteral("</h1>");
    while (out.size() < lines) {
        const int kind = number(0, 9);
        if (kind < 5) {
            out << QStringLiteral("<p>") + sentence() + sentence() + QStringLiteral("</p>");
        } else if (kind < 8) {
            out << QStringLiteral("<ul>");
            for (int k = number(1, 4); k > 0; --k)
                out << QStringLiteral("  <li><a href=\"/news/%1.html\">").arg(number(100, 9999)) + pick(kNouns)
                           + QStringLiteral("について</a></li>");
            out << QStringLiteral("</ul>");
        } else {
            out << QStringLiteral("<div class=\"note\"><img src=\"img/%1.png\" alt=\"").arg(number(1, 99))
                       + pick(kLoanwords) + QStringLiteral("\"></div>");
        }
    }
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out;
}

QStringList Writer::source(int lines)
{
    QStringList out;
    out << QStringLiteral("/* ") + pick(kComments) + QStringLiteral(" */") << QStringLiteral("#include <string>")
        << QString();
    while (out.size() < lines) {
        const int kind = number(0, 9);
        if (kind < 5)
            out << pick(kCode);
        else if (kind < 7)
            out << pick(kCode) + QStringLiteral(" // ") + pick(kComments);
        else if (kind < 9)
            out << QStringLiteral("    // ") + pick(kComments) + QStringLiteral("。");
        else
            out << QStringLiteral("    show(\"") + pick(kMessages) + QStringLiteral("\");");
    }
    return out;
}

QStringList Writer::halfKana(int lines)
{
    QStringList out;
    while (out.size() < lines) {
        QString line;
        for (int k = number(2, 8); k > 0; --k) {
            if (!line.isEmpty())
                line += chance(80) ? QStringLiteral(" ") : QStringLiteral("､");
            line += chance(15) ? QString::number(number(1, 99999)) : pick(kHalfWords);
        }
        if (chance(40))
            line += QStringLiteral("｡");
        out << line;
    }
    return out;
}

QByteArray bom(Encoding encoding, bool bigEndian)
{
    if (encoding == Encoding::Utf8)
        return QByteArray("\xEF\xBB\xBF");
    if (encoding == Encoding::Utf16)
        return bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    return {};
}

QStringEncoder encoderFor(Encoding encoding, bool bigEndian)
{
    if (encoding == Encoding::Utf16)
        return QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    return QStringEncoder(EncodingDetect::converterName(encoding));
}

bool hasNonAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return true;
    return false;
}

// Encodes lines one after another while they fit, then as much of the next line as fits.
Sample fit(const QStringList &lines, const QString &lineBreak, Encoding encoding, bool withBom, bool bigEndian,
           qsizetype targetSize)
{
    Sample s;
    s.encoding = encoding;
    s.targetSize = targetSize;
    s.bigEndian = encoding == Encoding::Utf16 && bigEndian;
    s.bytes = withBom ? bom(encoding, bigEndian) : QByteArray();
    QString text;
    for (const QString &line : lines) {
        const QString whole = line + lineBreak;
        // Each line ends in ASCII, so encoding it apart gives the bytes it has in the whole text.
        QByteArray bytes = encoderFor(encoding, bigEndian).encode(whole);
        if (s.bytes.size() + bytes.size() <= targetSize) {
            s.bytes += bytes;
            text += whole;
            continue;
        }
        qsizetype low = 0, high = whole.size();
        QByteArray best;
        while (low < high) { // the longest prefix that fits
            const qsizetype mid = (low + high + 1) / 2;
            const QString part = whole.left(mid);
            bytes = encoderFor(encoding, bigEndian).encode(part);
            if (s.bytes.size() + bytes.size() <= targetSize) {
                low = mid;
                best = bytes;
            } else {
                high = mid - 1;
            }
        }
        // Never cut between the halves of a surrogate pair or a CR LF.
        QString part = whole.left(low);
        if (!part.isEmpty() && (part.back().isHighSurrogate() || part.back() == QLatin1Char('\r'))) {
            part.chop(1);
            best = encoderFor(encoding, bigEndian).encode(part);
        }
        s.bytes += best;
        text += part;
        break;
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.text = text;
    return s;
}

constexpr char16_t kReplacement = 0xFFFD;

// The bytes from 0x80 up that decode, alone before a line break, to one U+FFFD.
const std::vector<char> &strayBytes(Encoding encoding)
{
    static std::map<int, std::vector<char>> cache;
    std::vector<char> &bytes = cache[int(encoding)];
    if (bytes.empty()) {
        for (int b = 0x80; b < 0x100; ++b)
            if (EncodingDetect::decode(QByteArray(1, char(b)) + "\r\n", encoding) == QStringLiteral("\uFFFD\n"))
                bytes.push_back(char(b));
    }
    return bytes;
}

qsizetype markSize(const Sample &s)
{
    if (s.encoding == Encoding::Utf8 && s.bytes.startsWith("\xEF\xBB\xBF"))
        return 3;
    if (s.encoding == Encoding::Utf16 && (s.bytes.startsWith("\xFF\xFE") || s.bytes.startsWith("\xFE\xFF")))
        return 2;
    return 0;
}

// A damaged place: where in the bytes and where in the text.
struct Place {
    qsizetype byte;
    qsizetype unit;
};

// The places a stray byte may go: before each line break, or in UTF-16 each unit beyond ASCII
// that is no half of a pair.
std::vector<Place> strayPlaces(const Sample &s)
{
    std::vector<Place> places;
    const qsizetype mark = markSize(s);
    qsizetype unit = 0;
    if (s.encoding == Encoding::Utf16) {
        const auto *p = reinterpret_cast<const uchar *>(s.bytes.constData());
        const qsizetype units = (s.bytes.size() - mark) / 2;
        for (qsizetype k = 0; k < units; ++k) {
            const qsizetype at = mark + 2 * k;
            const auto unitAt = [&](qsizetype i) {
                return s.bigEndian ? char16_t(p[i] << 8 | p[i + 1]) : char16_t(p[i + 1] << 8 | p[i]);
            };
            const char16_t u = unitAt(at);
            if (u >= 0x80 && !QChar::isSurrogate(u))
                places.push_back({at, unit});
            // CR LF is one unit of the text.
            if (!(u == '\r' && k + 1 < units && unitAt(at + 2) == '\n'))
                ++unit;
        }
        return places;
    }
    for (qsizetype at = s.bytes.indexOf('\n'); at >= 0; at = s.bytes.indexOf('\n', at + 1)) {
        unit = s.text.indexOf(QLatin1Char('\n'), places.empty() ? 0 : places.back().unit + 1);
        places.push_back({at > 0 && s.bytes[at - 1] == '\r' ? at - 1 : at, unit});
    }
    return places;
}

Sample withStrays(const Sample &s, bool perThousand, std::mt19937 &rng)
{
    const std::vector<Place> places = strayPlaces(s);
    std::vector<Place> chosen;
    if (!perThousand) {
        // The place nearest the middle.
        const auto middle = std::lower_bound(places.begin(), places.end(), s.bytes.size() / 2,
                                             [](const Place &p, qsizetype at) { return p.byte < at; });
        if (middle != places.end())
            chosen.push_back(*middle);
        else if (!places.empty())
            chosen.push_back(places.back());
    } else {
        // One in each of as many equal stretches as there are whole thousands of bytes.
        const qsizetype count = std::max<qsizetype>(1, s.bytes.size() / 1000);
        for (qsizetype k = 0; k < count; ++k) {
            const qsizetype from = s.bytes.size() * k / count;
            const qsizetype to = s.bytes.size() * (k + 1) / count;
            std::vector<Place> in;
            for (const Place &p : places)
                if (p.byte >= from && p.byte < to)
                    in.push_back(p);
            if (!in.empty())
                chosen.push_back(in[rng() % in.size()]);
        }
    }
    Sample out = s;
    const std::vector<char> &strays = strayBytes(s.encoding);
    // From the back, so that the places before stay where they are.
    for (auto p = chosen.rbegin(); p != chosen.rend(); ++p) {
        if (s.encoding == Encoding::Utf16) {
            // The high byte of the unit made 0xDC to 0xDF: a second half without its first.
            out.bytes[p->byte + (s.bigEndian ? 0 : 1)] = char(0xDC + rng() % 4);
            out.text[p->unit] = QChar(kReplacement);
        } else {
            out.bytes.insert(p->byte, strays[rng() % strays.size()]);
            out.text.insert(p->unit, QChar(kReplacement));
        }
    }
    return out;
}

Sample withLastCharacterCut(const Sample &s)
{
    // The last character that takes more than one byte, with nothing after it.
    qsizetype last = s.text.size() - 1;
    const auto bytesOf = [&s](QStringView part) -> QByteArray { return encoderFor(s.encoding, s.bigEndian).encode(part); };
    while (last >= 0
           && (s.text[last].unicode() < 0x80 || s.text[last].isSurrogate() || bytesOf(QStringView(s.text).mid(last, 1)).size() < 2))
        --last;
    Sample out = s;
    if (last < 0)
        return out;
    const bool crlf = s.encoding == Encoding::Utf16 ? s.bytes.contains(s.bigEndian ? QByteArray("\0\r\0\n", 4) : QByteArray("\r\0\n\0", 4))
                                                    : s.bytes.contains("\r\n");
    QString prefix = s.text.left(last + 1);
    if (crlf)
        prefix.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QByteArray bytes = encoderFor(s.encoding, s.bigEndian).encode(prefix);
    if (s.encoding == Encoding::Jis && bytes.endsWith("\x1B(B"))
        bytes.chop(3); // the switch back to ASCII comes after the character
    bytes.chop(1);
    out.bytes = s.bytes.left(markSize(s)) + bytes;
    out.text = s.text.left(last) + QChar(kReplacement);
    return out;
}

} // namespace

Sample fromText(const QString &text, Encoding encoding, bool crlf, bool withBom, bool bigEndian)
{
    Sample s;
    s.encoding = encoding;
    s.bigEndian = encoding == Encoding::Utf16 && bigEndian;
    s.bytes = withBom ? bom(encoding, bigEndian) : QByteArray();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString line = k + 1 < lines.size() ? lines[k] + (crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")) : lines[k];
        s.bytes += encoderFor(encoding, bigEndian).encode(line);
    }
    s.targetSize = s.bytes.size();
    EncodingDetect::Detection as{encoding, withBom, s.bigEndian};
    s.text = EncodingDetect::decode(s.bytes, as);
    return s;
}

QString damageName(Damage damage)
{
    static const char *const names[] = {"last character cut", "one stray byte", "stray bytes, 1 in 1,000"};
    return QString::fromLatin1(names[int(damage)]);
}

Sample damaged(const Sample &sample, Damage damage, quint32 seed)
{
    std::mt19937 rng(seed);
    if (damage == Damage::CutLastCharacter)
        return withLastCharacterCut(sample);
    return withStrays(sample, damage == Damage::StrayBytesPerThousand, rng);
}

Sample withoutMark(const Sample &sample)
{
    Sample out = sample;
    out.bytes = sample.bytes.mid(markSize(sample));
    return out;
}

QString genreName(Genre genre)
{
    static const char *const names[] = {"prose", "mail", "html", "source", "half-width kana"};
    return QString::fromLatin1(names[int(genre)]);
}

Sample generate(Genre genre, Encoding encoding, qsizetype targetSize, quint32 seed)
{
    Writer w(seed);
    // Enough lines for the size: about 40 bytes each in the narrowest of the encodings.
    const int lines = int(std::min<qsizetype>(targetSize / 16 + 4, 200000));
    QStringList text;
    switch (genre) {
    case Genre::Prose:
        text = w.prose(lines);
        break;
    case Genre::Mail:
        text = w.mail(lines, encoding);
        break;
    case Genre::Html:
        text = w.html(lines, encoding);
        break;
    case Genre::Source:
        text = w.source(lines);
        break;
    case Genre::HalfKana:
        text = w.halfKana(lines);
        break;
    }
    // ISO-2022-JP has no half-width kana: a mailer writes them full-width.
    if (encoding == Encoding::Jis)
        for (QString &line : text)
            line = line.normalized(QString::NormalizationForm_KC);
    const bool crlf = genre == Genre::Mail || (genre != Genre::Source && w.chance(50));
    const bool withBom = encoding == Encoding::Utf16 || (encoding == Encoding::Utf8 && w.chance(20));
    const bool bigEndian = encoding == Encoding::Utf16 && w.chance(20);
    const QString lineBreak = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    Sample s = fit(text, lineBreak, encoding, withBom, bigEndian, targetSize);
    // A short cut of a text that opens with ASCII (headers, markup, code) starts at its first
    // Japanese line instead, since pure ASCII is no Japanese text.
    while (!hasNonAscii(s.text) && !text.isEmpty()) {
        text.removeFirst();
        while (!text.isEmpty() && !hasNonAscii(text.first()))
            text.removeFirst();
        s = fit(text, lineBreak, encoding, withBom, bigEndian, targetSize);
    }
    s.genre = genre;
    return s;
}

std::vector<Sample> generateCorpus(int perEncoding, qsizetype minSize, qsizetype maxSize, quint32 seed)
{
    std::vector<Sample> out;
    out.reserve(size_t(perEncoding) * 5);
    const double ratio = double(maxSize) / double(minSize);
    for (Encoding encoding : {Encoding::Sjis, Encoding::Utf8, Encoding::Utf16, Encoding::Euc, Encoding::Jis}) {
        for (int k = 0; k < perEncoding; ++k) {
            const double at = perEncoding > 1 ? double(k) / (perEncoding - 1) : 0.0;
            const auto size = qsizetype(std::llround(double(minSize) * std::pow(ratio, at)));
            const auto genre = Genre(k % kGenres);
            const quint32 textSeed = seed * 7919u + quint32(int(encoding)) * 100003u + quint32(k);
            out.push_back(generate(genre, encoding, size, textSeed));
        }
    }
    return out;
}

} // namespace JapaneseCorpus
