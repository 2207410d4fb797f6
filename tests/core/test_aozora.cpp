#include "core/Aozora.h"

#include <archive.h>
#include <archive_entry.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

namespace {

using Aozora::Book;

QString operator""_q(const char16_t *s, size_t n)
{
    return QString::fromUtf16(s, qsizetype(n));
}

std::string str(const QString &s)
{
    return s.toStdString();
}

QString baseOf(const Book &book, const Aozora::Ruby &ruby)
{
    return book.text.mid(ruby.base.start, ruby.base.length);
}

// Every reading as "base:reading", in order.
QString readings(const Book &book)
{
    QStringList out;
    for (const Aozora::Ruby &ruby : book.ruby)
        out << baseOf(book, ruby) + u':' + book.reading(ruby).toString();
    return out.join(u' ');
}

TEST(Aozora, RubyBasesExplicitAndImplicit)
{
    struct Case {
        const char16_t *source;
        const char16_t *shown;
        const char16_t *readings;
    } cases[] = {
        {u"一人の下人《げにん》が、羅生門《らしょうもん》の下", u"一人の下人が、羅生門の下", u"下人:げにん 羅生門:らしょうもん"},
        {u"所々｜丹塗《にぬり》の剥《は》げた", u"所々丹塗の剥げた", u"丹塗:にぬり 剥:は"},
        {u"人々《ひとびと》と三ヶ月《さんかげつ》", u"人々と三ヶ月", u"人々:ひとびと 三ヶ月:さんかげつ"},
        // Implicitly only the kanji before the mark; with the bar, the kana too.
        {u"お嬢様《じょうさま》と｜お嬢様《おじょうさま》", u"お嬢様とお嬢様", u"嬢様:じょうさま お嬢様:おじょうさま"},
        {u"漢字《かんじ》漢字《かんじ》", u"漢字漢字", u"漢字:かんじ 漢字:かんじ"},
        {u"ハイカラ《はいから》な", u"ハイカラな", u"ハイカラ:はいから"},
        // A reading with a character named by a note in it.
        {u"山吹《※［＃「にんべん＋參」、第4水準2-1-79］》", u"山吹", u"山吹:傪"},
        // Nothing to read over, an unclosed mark, and a bar without a reading stay text.
        {u"《だけ》", u"《だけ》", u""},
        {u"閉じない《るび", u"閉じない《るび", u""},
        {u"縦｜線", u"縦｜線", u""},
    };
    for (const Case &c : cases) {
        const Book book = Aozora::parse(QString::fromUtf16(c.source));
        EXPECT_EQ(str(book.text), str(QString::fromUtf16(c.shown))) << str(QString::fromUtf16(c.source));
        EXPECT_EQ(str(readings(book)), str(QString::fromUtf16(c.readings))) << str(QString::fromUtf16(c.source));
    }
}

TEST(Aozora, GaijiByLevelByCodePointAndUnknown)
{
    EXPECT_EQ(Aozora::gaiji(u"「にんべん＋參」、第4水準2-1-79"_q), u"傪"_q);
    EXPECT_EQ(Aozora::gaiji(u"「口＋多」、第3水準1-15-2"_q), u"哆"_q);
    EXPECT_EQ(Aozora::gaiji(u"疑問符感嘆符、1-8-77"_q), u"⁈"_q);
    EXPECT_EQ(Aozora::gaiji(u"「さんずい＋垂」、U+6DB6、ページ数-行数"_q), u"涶"_q);
    EXPECT_EQ(Aozora::gaiji(u"「𠮟」、U+20B9F"_q), QString::fromUcs4(U"\U00020B9F", 1));
    // A page-and-line reference is no character; a cell past 94 names none.
    EXPECT_TRUE(Aozora::gaiji(u"「霙」の誤り？、400-7"_q).isEmpty());
    EXPECT_TRUE(Aozora::gaiji(u"「木＋大」、第3水準1-99-99"_q).isEmpty());

    const Book book = Aozora::parse(u"鼻を※［＃「てへん＋丑」、第4水準2-12-93］り、※［＃「木＋大」］と"_q);
    EXPECT_EQ(str(book.text), str(u"鼻を"_q + Aozora::gaiji(u"2-12-93"_q) + u"り、〔木＋大〕と"_q));
    ASSERT_EQ(book.dimmed.size(), 1u);
    EXPECT_EQ(book.text.mid(book.dimmed[0].start, book.dimmed[0].length), u"〔木＋大〕"_q);
}

TEST(Aozora, NotesMarkTheTextAndVanish)
{
    const Book book = Aozora::parse(
        u"これは人間［＃「人間」に傍点］だ。線［＃「線」に傍線］\n"_q
        u"［＃５字下げ］一［＃「一」は中見出し］\n"_q
        u"［＃ここから３字下げ］\n"_q
        u"引用\n"_q
        u"［＃ここで字下げ終わり］\n"_q
        u"［＃地から２字上げ］明治\n"_q
        u"［＃改ページ］\n"_q
        u"［＃中見出し］第二［＃中見出し終わり］\n"_q
        u"［＃「挿絵」のキャプション付きの図（fig1_01.png、横400×縦300）入る］\n"_q
        u"鼻※［＃「てへん＋丑」、第4水準2-12-93］［＃「※［＃「てへん＋丑」、第4水準2-12-93］」に傍点］［＃「所天」は底本では「所夫」］\n"_q
        u"開いたまま［＃閉じない"_q);
    const QStringList lines = book.text.split(u'\n');
    const QStringList expected{u"これは人間だ。線"_q, u"一"_q, u"引用"_q, u"明治"_q, u""_q, u"第二"_q, u"〔挿絵〕"_q,
                               u"鼻"_q + Aozora::gaiji(u"2-12-93"_q), u"開いたまま［＃閉じない"_q};
    EXPECT_EQ(lines, expected);
    ASSERT_EQ(book.lines.size(), size_t(expected.size()));
    // Lines that only opened or closed a block are dropped; each line knows its source line.
    EXPECT_EQ(book.lines[2].sourceLine, 3);
    EXPECT_EQ(book.lines[3].sourceLine, 5);

    ASSERT_EQ(book.emphasis.size(), 3u);
    EXPECT_EQ(book.text.mid(book.emphasis[0].span.start, book.emphasis[0].span.length), u"人間"_q);
    EXPECT_EQ(book.emphasis[0].kind, Aozora::Emphasis::Dots);
    EXPECT_EQ(book.text.mid(book.emphasis[1].span.start, book.emphasis[1].span.length), u"線"_q);
    EXPECT_EQ(book.emphasis[1].kind, Aozora::Emphasis::SideLine);
    EXPECT_EQ(book.text.mid(book.emphasis[2].span.start, book.emphasis[2].span.length), Aozora::gaiji(u"2-12-93"_q));

    EXPECT_EQ(book.lines[1].indent, 5);
    EXPECT_EQ(book.lines[1].heading, Aozora::Heading::Medium);
    EXPECT_EQ(book.lines[2].indent, 3);
    EXPECT_EQ(book.lines[3].indent, 0);
    EXPECT_EQ(book.lines[3].align, Aozora::Align::End);
    EXPECT_EQ(book.lines[3].raise, 2);
    EXPECT_TRUE(book.lines[4].pageBreak);
    EXPECT_EQ(book.lines[5].heading, Aozora::Heading::Medium);
    EXPECT_EQ(book.lines[6].heading, Aozora::Heading::None);
    ASSERT_EQ(book.pictures.size(), 1u);
    EXPECT_EQ(book.pictures[0].file, u"fig1_01.png"_q);
    EXPECT_EQ(book.pictures[0].caption, u"挿絵"_q);
    EXPECT_EQ(book.pictures[0].line, 6);
}

TEST(Aozora, ExplanationFoldsToOneDimmedLine)
{
    const QString source = u"羅生門\n芥川龍之介\n\n-------------------------------------------------------\n"_q
                           u"【テキスト中に現れる記号について】\n\n《》：ルビ\n（例）下人《げにん》\n"_q
                           u"-------------------------------------------------------\n\n本文《ほんぶん》"_q;
    const Book book = Aozora::parse(source);
    EXPECT_EQ(str(book.text), str(u"羅生門\n芥川龍之介\n\n【テキスト中に現れる記号について】\n\n本文"_q));
    EXPECT_EQ(book.explanationLine, 3);
    EXPECT_TRUE(book.explanation.contains(u"（例）下人《げにん》"_q));
    EXPECT_EQ(book.lines[4].sourceLine, 9);
    ASSERT_EQ(book.ruby.size(), 1u);
    EXPECT_EQ(baseOf(book, book.ruby[0]), u"本文"_q);
    EXPECT_TRUE(Aozora::isAozoraText(source));

    // Open, the block stands as it is in the file, dimmed, each line knowing its own.
    const Book open = Aozora::parse(source, true);
    EXPECT_EQ(str(open.text), str(u"羅生門\n芥川龍之介\n\n-------------------------------------------------------\n"_q
                                  u"【テキスト中に現れる記号について】\n\n《》：ルビ\n（例）下人《げにん》\n"_q
                                  u"-------------------------------------------------------\n\n本文"_q));
    EXPECT_EQ(open.explanationLine, 3);
    EXPECT_EQ(open.explanationLines, 6);
    EXPECT_EQ(book.explanationLines, 1);
    EXPECT_EQ(open.lines[7].sourceLine, 7);
    EXPECT_EQ(open.lines[10].sourceLine, 10);
    EXPECT_EQ(open.dimmed.size(), 6u);
    ASSERT_EQ(open.ruby.size(), 1u);
    EXPECT_EQ(baseOf(open, open.ruby[0]), u"本文"_q);
}

TEST(Aozora, RecognisedByExplanationRubyOrNotesWithBibliography)
{
    const QString prose = QString(u"ただの文章です。\n"_q).repeated(2000);
    EXPECT_FALSE(Aozora::isAozoraText(prose));
    EXPECT_FALSE(Aozora::isAozoraText(u"二つ《ふた》だけ《だけ》\n"_q + prose));
    EXPECT_TRUE(Aozora::isAozoraText(u"一《いち》二《に》三《さん》\n"_q + prose));
    // Readings past the first 64 KB do not count.
    EXPECT_FALSE(Aozora::isAozoraText(prose.repeated(3) + u"一《いち》二《に》三《さん》\n"_q));
    const QString note = u"※［＃「木＋大」、第3水準1-85-54］\n"_q;
    EXPECT_TRUE(Aozora::isAozoraText(note + prose + u"底本：「羅生門」岩波文庫\n入力：誰か\n"_q));
    EXPECT_FALSE(Aozora::isAozoraText(prose + u"底本：「羅生門」岩波文庫\n"_q));
    // The bibliography must be near the end.
    EXPECT_FALSE(Aozora::isAozoraText(note + u"底本：「羅生門」\n"_q + prose));
}

TEST(Aozora, CopyWithReadings)
{
    const Book book = Aozora::parse(u"所々｜丹塗《にぬり》の剥《は》げた円柱《まるばしら》"_q);
    EXPECT_EQ(str(Aozora::withReadings(book, {0, book.text.size()})),
              str(QString(u"所々丹塗（にぬり）の剥（は）げた円柱（まるばしら）"_q)));
    // A base cut by the span keeps no reading.
    EXPECT_EQ(str(Aozora::withReadings(book, {3, 4})), str(QString(u"塗の剥（は）げ"_q)));
}

// Eleven whole works as Aozora Bunko publishes them (kept for the benchmarks, xz-compressed).
QStringList realWorks()
{
    QStringList works;
    archive *a = archive_read_new();
    archive_read_support_filter_all(a);
    archive_read_support_format_raw(a);
    if (archive_read_open_filename(a, ORLIMBO_BENCH_DATA "/aozora.txt.xz", 1 << 16) != ARCHIVE_OK) {
        archive_read_free(a);
        return works;
    }
    archive_entry *entry = nullptr;
    QByteArray bytes;
    if (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
        char block[1 << 16];
        for (la_ssize_t n; (n = archive_read_data(a, block, sizeof block)) > 0;)
            bytes.append(block, n);
    }
    archive_read_free(a);
    return QString::fromUtf8(bytes).split(u"\f\n"_q);
}

TEST(Aozora, RealWorksLeaveNoNotationBehind)
{
    const QStringList works = realWorks();
    ASSERT_EQ(works.size(), 11);
    for (const QString &work : works) {
        EXPECT_TRUE(Aozora::isAozoraText(work)) << str(work.left(10));
        const Book book = Aozora::parse(work);
        EXPECT_FALSE(book.text.contains(u"［＃"_q)) << str(work.left(10));
        EXPECT_FALSE(book.text.contains(u'《')) << str(work.left(10));
        EXPECT_FALSE(book.text.contains(u'｜')) << str(work.left(10));
        EXPECT_GT(book.ruby.size(), 10u) << str(work.left(10));
        EXPECT_GE(book.explanationLine, 0) << str(work.left(10));
        // Every source line is accounted for, in order.
        for (size_t i = 1; i < book.lines.size(); ++i)
            EXPECT_LT(book.lines[i - 1].sourceLine, book.lines[i].sourceLine);
    }
}

} // namespace

// Every kind of emphasis the notation names, in both forms; the closing notes with and without
// し and わ; a heading or emphasis left open ends with its paragraph; a reading after the
// description of a character not found covers the whole description.
TEST(Aozora, EmphasisKindsClosingFormsAndStylesThatEndWithTheirParagraph)
{
    using Aozora::Emphasis;
    const std::vector<std::pair<QString, Emphasis>> kinds{
        {u"傍点"_q, Emphasis::Dots},          {u"白ゴマ傍点"_q, Emphasis::WhiteSesame},
        {u"丸傍点"_q, Emphasis::Circle},      {u"白丸傍点"_q, Emphasis::WhiteCircle},
        {u"黒三角傍点"_q, Emphasis::Triangle}, {u"白三角傍点"_q, Emphasis::WhiteTriangle},
        {u"二重丸傍点"_q, Emphasis::DoubleCircle}, {u"蛇の目傍点"_q, Emphasis::Bullseye},
        {u"ばつ傍点"_q, Emphasis::Cross},     {u"傍線"_q, Emphasis::SideLine},
        {u"二重傍線"_q, Emphasis::DoubleLine}, {u"鎖線"_q, Emphasis::ChainLine},
        {u"破線"_q, Emphasis::DashedLine},    {u"波線"_q, Emphasis::WavyLine},
    };
    for (const auto &[name, kind] : kinds) {
        SCOPED_TRACE(name.toStdString());
        const Aozora::Book quoted = Aozora::parse(u"あの人は強い［＃「強い」に"_q + name + u"］。"_q);
        ASSERT_EQ(quoted.emphasis.size(), 1u);
        EXPECT_EQ(quoted.emphasis[0].kind, kind);
        EXPECT_EQ(quoted.text.mid(quoted.emphasis[0].span.start, quoted.emphasis[0].span.length), u"強い"_q);
        const Aozora::Book paired =
            Aozora::parse(u"前［＃"_q + name + u"］中身［＃"_q + name + u"終り］後"_q);
        ASSERT_EQ(paired.emphasis.size(), 1u);
        EXPECT_EQ(paired.emphasis[0].kind, kind);
        EXPECT_EQ(paired.text.mid(paired.emphasis[0].span.start, paired.emphasis[0].span.length), u"中身"_q);
    }

    const Aozora::Book book = Aozora::parse(u"［＃中見出し］第一［＃中見出終わり］\n"_q
                                            u"本文一\n"_q
                                            u"［＃小見出し］第二［＃小見出し終り］\n"_q
                                            u"［＃大見出し］閉じない見出し\n"_q
                                            u"本文二［＃傍点］閉じない強調\n"_q
                                            u"本文三※［＃「にんべん＋皇」、第9水準9-99-99］《ほうこう》と〔ｅｔｅ〕《エテ》"_q);
    const QStringList lines = book.text.split(u'\n');
    ASSERT_EQ(lines.size(), 6);
    const Aozora::Heading expected[] = {Aozora::Heading::Medium, Aozora::Heading::None, Aozora::Heading::Small,
                                        Aozora::Heading::Large,  Aozora::Heading::None, Aozora::Heading::None};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(book.lines[size_t(i)].heading, expected[i]) << i;
    ASSERT_EQ(book.emphasis.size(), 1u);
    EXPECT_EQ(book.text.mid(book.emphasis[0].span.start, book.emphasis[0].span.length), u"閉じない強調"_q);
    EXPECT_EQ(lines[5], u"本文三〔にんべん＋皇〕と〔ｅｔｅ〕"_q);
    ASSERT_EQ(book.ruby.size(), 2u);
    EXPECT_EQ(book.text.mid(book.ruby[0].base.start, book.ruby[0].base.length), u"〔にんべん＋皇〕"_q);
    EXPECT_EQ(book.reading(book.ruby[0]), u"ほうこう"_q);
    EXPECT_EQ(book.text.mid(book.ruby[1].base.start, book.ruby[1].base.length), u"〔ｅｔｅ〕"_q);
}
