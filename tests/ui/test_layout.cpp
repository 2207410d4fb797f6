// The line index and the width tables: fast paths that must show exactly what the layout's plain
// character-by-character rule gives, that rule where a line breaks, and work that must not be
// repeated.
#include <QScrollBar>
#include "core/Cp932.h"
#include "core/StatusTexts.h"
#include "core/TextStore.h"
#include "platform/FileSystem.h"
#include "tests/ui/UiFixture.h"
#include "ui/widgets/TextLayout.h"

#include <QFontMetricsF>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// The layout's widths are the font's own advances for every character of the text, a
// supplementary character as wide as a kanji: the plain rule walks what the font gives.
void expectTheFontsWidths(const TextLayout &layout, const QString &text, const QFont &font)
{
    const QFontMetricsF metrics(font);
    std::vector<bool> seen(0x10000);
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (seen[c] || c == u'\n' || c == u'\t')
            continue;
        seen[c] = true;
        const qreal width = QChar::isLowSurrogate(c)    ? 0
                            : QChar::isHighSurrogate(c) ? metrics.horizontalAdvance(QChar(0x56FD))
                                                        : metrics.horizontalAdvance(ch);
        ASSERT_FLOAT_EQ(layout.widths().known(c), float(width)) << int(c);
    }
}

qint64 referenceCount(const QString &text, const std::vector<qint64> &starts)
{
    if (text.isEmpty())
        return 0;
    return qint64(starts.size()) - (text.endsWith(QLatin1Char('\n')) ? 1 : 0);
}

// Lines of wide, half-width and ASCII text with blanks and tabs, short and far longer than
// any window, some without a single break opportunity; the same for the same seed.
QString mixedText(qsizetype characters, quint32 seed)
{
    static const QString pieces[] = {
        QStringLiteral("吾輩は猫である。"), QStringLiteral("ｶﾀｶﾅﾊﾝｶｸ"), QStringLiteral("word "),
        QStringLiteral("\t"), QStringLiteral("ＡＢＣ１２３"), QStringLiteral("x"),
        QStringLiteral("𠮷"), QStringLiteral("～①ソ表"), QStringLiteral("  "), QStringLiteral("\uFFFD"),
    };
    QRandomGenerator random(seed);
    QString text;
    text.reserve(characters + 200);
    while (text.size() < characters) {
        const int kind = int(random.bounded(10));
        const int length = kind == 0 ? 0 : kind < 7 ? int(random.bounded(60)) : 100 + int(random.bounded(400));
        if (kind == 9) {
            text += QString(length, QLatin1Char('m')); // no break anywhere
        } else {
            for (int i = 0; i < length; ++i)
                text += pieces[random.bounded(10)];
        }
        text += QLatin1Char('\n');
    }
    return text;
}

class LayoutTest : public UiFixture {
protected:
    // The viewed text's display lines as the view reports them, position by position.
    void expectSameAsReference(MainWindow &w, const char *what)
    {
        TextView *view = this->view();
        const QString text = view->text();
        const int room = view->viewport()->width() - 8;
        expectTheFontsWidths(view->layout(), text, view->shownFont());
        const std::vector<qint64> starts = view->layout().plainLineStarts(view->wraps(), room);
        EXPECT_EQ(view->displayedLineCount(), referenceCount(text, starts)) << what;
        // The status bar follows a re-wrap as it follows a load.
        EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(referenceCount(text, starts))) << what;
        const qint64 caret = view->caretPosition();
        const auto caretLine = std::upper_bound(starts.begin(), starts.end(), caret) - starts.begin() - 1;
        EXPECT_EQ(statusText(StatusPanel::Position), StatusTexts::caretText(caretLine + 1, caret - starts[size_t(caretLine)] + 1)) << what;
        // Spot checks of the caret panel across the whole text.
        QRandomGenerator random(7);
        for (int k = 0; k < 40; ++k) {
            const qint64 at = k == 0 ? 0 : k == 1 ? text.size() : qint64(random.bounded(text.size() + 1));
            view->selectRange(at, 0);
            const auto it = std::upper_bound(starts.begin(), starts.end(), at);
            const qint64 line = qint64(it - starts.begin()) - 1;
            ASSERT_EQ(statusText(StatusPanel::Position), StatusTexts::caretText(line + 1, at - starts[size_t(line)] + 1))
                << what << " at " << at;
        }
    }
};

} // namespace

TEST_F(LayoutTest, TheBulkWidthsAreTheFontsOwnAdvances)
{
    const QFont font(QStringLiteral("IPAGothic"), 10);
    CharWidths widths(font);
    const QString sample = QStringLiteral("aZ 9~\\あア漢字ｱﾝ！＼～①表ソ\uFFFD\u00E9\u0E01\u0301");
    widths.learn(sample);
    EXPECT_EQ(widths.learnt(), sample.size());
    const QFontMetricsF metrics(font);
    for (QChar c : sample)
        EXPECT_FLOAT_EQ(widths.known(c.unicode()), float(metrics.horizontalAdvance(c))) << int(c.unicode());
    // In bulk, as a load learns them: every kana and a thousand kanji.
    QString many;
    for (char16_t c = 0x3041; c < 0x30FF; ++c)
        many += QChar(c);
    for (char16_t c = 0x4E00; c < 0x4E00 + 1000; ++c)
        many += QChar(c);
    CharWidths bulk(font);
    bulk.learn(many);
    for (QChar c : many)
        ASSERT_FLOAT_EQ(bulk.known(c.unicode()), float(metrics.horizontalAdvance(c))) << int(c.unicode());
    // Learnt once: a second text with the same characters asks the font for nothing.
    widths.learn(sample + sample);
    EXPECT_EQ(widths.learnt(), sample.size());
    // A copy knows what its source knew, a width of zero included, and nothing more.
    CharWidths copy(widths);
    copy.learn(sample);
    EXPECT_EQ(copy.learnt(), sample.size());
    EXPECT_TRUE(copy.isKnown(u'\u0301'));
    EXPECT_EQ(copy.known(u'\u0301'), 0.0f);
    EXPECT_FALSE(copy.isKnown(u'\u4E01'));
    EXPECT_EQ(CharWidths::of(font), CharWidths::of(QFont(QStringLiteral("IPAGothic"), 10)));
    EXPECT_NE(CharWidths::of(font), CharWidths::of(QFont(QStringLiteral("IPAGothic"), 11)));
}

TEST_F(LayoutTest, CommandLineFileIsReadOnceAndEntersTheHistoryOnce)
{
    const QString last = writeText(QStringLiteral("last.txt"), QStringLiteral("before"));
    const QString path = writeText(QStringLiteral("shown.txt"), QStringLiteral("一行目\n二行目"));
    const QString next = writeText(QStringLiteral("shown2.txt"), QStringLiteral("三行目"));
    storeValues({{"FileNameNow", last}, {"rp0", QStringLiteral("/older.txt")}, {"rn0", QStringLiteral("/ahead.txt")}});
    const qint64 reads = Document::loadsOpened();
    MainWindow &w = start({path});
    EXPECT_EQ(Document::loadsOpened() - reads, 1);
    EXPECT_EQ(viewText(), QStringLiteral("一行目\n二行目"));
    EXPECT_EQ(fileList()->selectedPath(), path);
    EXPECT_EQ(w.FileNameNow(), path);
    EXPECT_EQ(w.settings().History.PreHistory[0], last);
    EXPECT_EQ(w.settings().History.PreHistory[1], QStringLiteral("/older.txt"));
    EXPECT_TRUE(w.settings().History.NextHistory[0].isEmpty());
    EXPECT_EQ(statusText(StatusPanel::Lines), QStringLiteral("全2行"));
    // Laid out once, at the width it is shown in.
    EXPECT_EQ(view()->layout().hardBuilds(), 1);
    EXPECT_EQ(view()->layout().wrapBuilds(), 1);

    // Walking on reads each file once too.
    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Down);
    EXPECT_EQ(w.FileNameNow(), next);
    EXPECT_EQ(Document::loadsOpened() - reads, 2);
}

TEST_F(LayoutTest, LineCountAndCaretPanelMatchThePlainLayout)
{
    const QString path = writeText(QStringLiteral("mixed.txt"), mixedText(60000, 1));
    MainWindow &w = start({path});
    ASSERT_GT(viewText().size(), 50000);
    ASSERT_TRUE(view()->wraps());
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(view()->displayedLineCount()));
    expectSameAsReference(w, "wrap on");

    // A width change re-wraps from the measured hard lines.
    w.resize(w.width() + 173, w.height());
    QCoreApplication::processEvents();
    expectSameAsReference(w, "wrap on, wider");
    w.resize(w.width() - 360, w.height());
    QCoreApplication::processEvents();
    expectSameAsReference(w, "wrap on, narrower");
    EXPECT_EQ(view()->layout().hardBuilds(), 1);
    EXPECT_GE(view()->layout().wrapBuilds(), 3);

    action(QStringLiteral("ActionWrapNone"))->trigger();
    ASSERT_FALSE(view()->wraps());
    expectSameAsReference(w, "wrap off");
    EXPECT_EQ(view()->layout().hardBuilds(), 1);
    action(QStringLiteral("ActionWrapSide"))->trigger();
    expectSameAsReference(w, "wrap on again");
}

TEST_F(LayoutTest, ALargeTextLaidOutOnTwoThreadsMatchesThePlainLayout)
{
    TextView view;
    view.setFont(QFont(QStringLiteral("IPAGothic"), 10));
    view.resize(500, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    // Lines far longer than any window, one with breaks throughout and one with none.
    const QString longLines = QStringLiteral("吾輩は猫である。 word ｶﾀｶﾅ").repeated(600) + QLatin1Char('\n')
                              + QString(9000, QLatin1Char('m')) + QLatin1Char('\n');
    const QString withTabs = mixedText(1 << 21, 2) + longLines + QStringLiteral("end without a break 終");
    // Lines without a tab take the quick wrap; with one, the general walk.
    for (const QString &text : {withTabs, QString(withTabs).remove(QLatin1Char('\t'))}) {
        view.setText(text);
        for (bool wrap : {true, false}) {
            view.setWrap(wrap);
            expectTheFontsWidths(view.layout(), text, view.shownFont());
            const std::vector<qint64> starts = view.layout().plainLineStarts(wrap, view.viewport()->width() - 8);
            ASSERT_EQ(view.displayedLineCount(), referenceCount(text, starts)) << wrap;
            for (size_t i = 0; i < starts.size(); ++i)
                ASSERT_EQ(view.displayLineAt(starts[i]), std::make_pair(qint64(i), starts[i])) << wrap;
            EXPECT_EQ(view.displayLineAt(text.size()).first, qint64(starts.size()) - 1);
        }
    }
}

// The rule itself, written out by hand on a font whose half-width characters are 10 pixels wide
// and wide ones 20, at a room of 100: the quick paths and the plain walk both give it.
TEST_F(LayoutTest, LinesBreakBesideWideCharactersAndAfterBlanksOnly)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(20);
    const auto widths = std::make_shared<CharWidths>(font);
    ASSERT_EQ(widths->width(u'a'), 10);
    ASSERT_EQ(widths->width(u' '), 10);
    ASSERT_EQ(widths->width(u'ｶ'), 10);
    ASSERT_EQ(widths->width(u'漢'), 20);
    const struct {
        const char16_t *text;
        std::vector<qint64> starts;
    } cases[] = {
        {u"吾輩は猫である。吾輩は猫である。", {0, 5, 10, 15}}, // between any two wide characters
        {u"aaaaaaaaa漢", {0, 9}},                            // before a wide character
        {u"abc漢字defghij", {0, 5}},                         // after one
        {u"word word word", {0, 10}},                        // after a blank, not inside a word
        {u"aaaaaaaaaa   b", {0, 13}},                        // blanks hang past the edge
        {u"ab ｶﾀｶﾅﾊﾝｶｸｶﾀ", {0, 3}},                          // half-width kana hold together
        {u"mmmmmmmmmmmmmmmmmmmmmmmmm", {0, 10, 20}},         // no break anywhere: cut at the edge
        {u"abcdefg\tabc", {0, 8}},                           // a tab runs to the next eighth column
        {u"ab\ncd\n", {0, 3, 6}},                            // hard lines
    };
    for (const auto &[text, starts] : cases) {
        const QString s = QString::fromUtf16(text);
        TextLayout layout(s);
        layout.setWidths(widths);
        EXPECT_EQ(layout.lineStarts(true, 100).all(), starts) << s.toStdString();
        EXPECT_EQ(layout.plainLineStarts(true, 100), starts) << s.toStdString();
    }

    // A line with room kept beside it wraps that much earlier; a line in a font of its own is
    // measured in it; the others are left as they were.
    QFont large = font;
    large.setPixelSize(40);
    const QString lines = QStringLiteral("吾輩は猫である。吾輩は猫である。\n吾輩は猫である。吾輩は猫である。\n吾輩は猫である。");
    TextLayout layout(lines);
    layout.setWidths(widths);
    layout.setLineShapes({{0, 40, false, nullptr}, {1, 0, false, std::make_shared<CharWidths>(large)}});
    const std::vector<qint64> shaped{0, 3, 6, 9, 12, 15, 17, 19, 21, 23, 25, 27, 29, 31, 34, 39};
    EXPECT_EQ(layout.lineStarts(true, 100).all(), shaped);
    EXPECT_EQ(layout.plainLineStarts(true, 100), shaped);
    EXPECT_EQ(layout.maxLineWidth(), 16 * 40);
    EXPECT_EQ(layout.shapeAt(20)->line, 1u);
    EXPECT_EQ(layout.shapeAt(36), nullptr);
}

// A base kept together with its reading goes to the next line whole, or is cut at the edge when
// it is longer than a line; the quick wrap and the plain walk agree on lines full of bases.
TEST_F(LayoutTest, BasesKeptTogetherMoveWholeAndTheQuickWrapAgrees)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(20);
    const auto widths = std::make_shared<CharWidths>(font);
    ASSERT_EQ(widths->width(u'漢'), 20);
    const struct {
        const char16_t *text;
        std::vector<std::pair<qint64, qint64>> together;
        std::vector<qint64> starts;
    } cases[] = {
        {u"吾輩は猫である。吾輩", {{4, 7}}, {0, 4, 9}},   // the base moves down whole
        {u"吾輩は猫である。吾輩は", {{5, 7}}, {0, 5, 10}}, // a base that starts the next line as it is
        {u"漢字漢字漢字漢字", {{1, 8}}, {0, 1, 6}},       // longer than a line: cut at the edge
        {u"漢abcdefghijklmno", {{3, 12}}, {0, 1, 3, 13}}, // a base begun before a wrap, measured after it
        {u"吾輩は\n猫である。吾輩は猫", {{9, 12}}, {0, 4, 9}}, // spans count in the whole text
    };
    for (const auto &[text, together, starts] : cases) {
        const QString s = QString::fromUtf16(text);
        TextLayout layout(s);
        layout.setWidths(widths);
        layout.setKeepTogether(together);
        EXPECT_EQ(layout.lineStarts(true, 100).all(), starts) << s.toStdString();
        EXPECT_EQ(layout.plainLineStarts(true, 100), starts) << s.toStdString();
    }

    const QString text = mixedText(1 << 16, 5);
    QRandomGenerator random(11);
    std::vector<std::pair<qint64, qint64>> together;
    for (qint64 at = random.bounded(20); at < text.size(); at += 1 + random.bounded(30)) {
        const qint64 end = std::min<qint64>(text.size(), at + 1 + random.bounded(8));
        together.emplace_back(at, end);
        at = end;
    }
    for (const QString &shown : {text, QString(text).remove(QLatin1Char('\t'))}) {
        TextLayout layout(shown);
        layout.setWidths(widths);
        layout.setKeepTogether(together);
        for (const int room : {37, 100, 333})
            EXPECT_EQ(layout.lineStarts(true, room).all(), layout.plainLineStarts(true, room)) << room;
    }
}

// A line of characters of one width that may break between any two is wrapped again at another
// room from what the last wrap learnt of it, without its text: the plain walk agrees at every
// room, one narrower than a character and whole numbers of characters among them, for lines
// that only look even, and once bases are kept together.
TEST_F(LayoutTest, EvenLinesWrapAgainAsThePlainWalkDoes)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(20);
    const auto widths = std::make_shared<CharWidths>(font);
    const QString text = QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。\n"
                                        "吾輩は猫である。ｶﾀｶﾅ名前はまだ無い。\n"
                                        "吾輩は 猫である。名前は　まだ無い。\n"
                                        "①②③④⑤⑥⑦⑧⑨⑩①②③④⑤⑥⑦⑧⑨⑩\n"
                                        "漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a漢a\n"
                                        "ＡＢＣ１２３ＡＢＣ１２３ＡＢＣ１２３\n"
                                        "\n吾\n吾輩");
    TextLayout layout(text);
    layout.setWidths(widths);
    for (const int room : {100, 57, 60, 19, 20, 1, 400, 61, 100})
        EXPECT_EQ(layout.lineStarts(true, room).all(), layout.plainLineStarts(true, room)) << room;
    layout.setKeepTogether({{2, 5}, {30, 34}});
    for (const int room : {57, 100})
        EXPECT_EQ(layout.lineStarts(true, room).all(), layout.plainLineStarts(true, room)) << room;
}

// Line starts are held in 32 bits; a text past 2^32 units keeps its upper parts apart, and the
// display lines, hard starts and wrap points merged, are found by number and by position.
TEST(LinePositionsTest, PositionsPastFourGigaUnitsAndMergedDisplayLines)
{
    constexpr qint64 k4G = qint64(1) << 32;
    const std::vector<qint64> hardAt = {0, 10, k4G - 1, k4G + 5, 3 * k4G + 7, 3 * k4G + 9};
    const std::vector<qint64> wrapAt = {4, 6, k4G, 2 * k4G, 3 * k4G + 8};
    Positions hard, firstWraps, laterWraps;
    for (qint64 p : hardAt)
        hard.push_back(p);
    for (size_t i = 0; i < wrapAt.size(); ++i)
        (i < 2 ? firstWraps : laterWraps).push_back(wrapAt[i]);
    firstWraps.append(laterWraps);
    EXPECT_TRUE(laterWraps.empty());
    ASSERT_EQ(firstWraps.size(), wrapAt.size());
    for (size_t i = 0; i < hardAt.size(); ++i)
        EXPECT_EQ(hard[i], hardAt[i]) << i;
    std::vector<qint64> merged = hardAt;
    merged.insert(merged.end(), wrapAt.begin(), wrapAt.end());
    std::sort(merged.begin(), merged.end());
    const LineStarts lines(hard, &firstWraps);
    EXPECT_EQ(lines.all(), merged);
    ASSERT_EQ(lines.size(), merged.size());
    for (size_t i = 0; i < merged.size(); ++i) {
        EXPECT_EQ(lines[i], merged[i]) << i;
        EXPECT_EQ(lines.lineAt(merged[i]), qint64(i)) << i;
        EXPECT_EQ(lines.lineAt(merged[i] - 1), std::max<qint64>(0, qint64(i) - 1)) << i;
    }
    EXPECT_EQ(hard.countUpTo(-1), 0u);
    EXPECT_EQ(hard.countUpTo(k4G + 4), 3u);
    EXPECT_EQ(hard.countUpTo(5 * k4G), hardAt.size());

    // Merged in place below 2^32, and past it the other way; both keep the order.
    Positions all = hard;
    all.merge(firstWraps);
    Positions small, few;
    for (qint64 p : {0, 2, 3, 8, 20})
        small.push_back(p);
    for (qint64 p : {1, 5, 9, 30})
        few.push_back(p);
    small.merge(few);
    const std::vector<qint64> smallMerged = {0, 1, 2, 3, 5, 8, 9, 20, 30};
    EXPECT_EQ(LineStarts(all, nullptr).all(), merged);
    EXPECT_EQ(LineStarts(small, nullptr).all(), smallMerged);
}

namespace {

// The bytes written to a file in dir and indexed as a large file is: read from the file in
// blocks of 1 MB whenever a line is asked for.
TextStore storeReadFromFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    TestFiles::write(path, bytes);
    RegularFile::Handle file = RegularFile::openForReading(path.toLocal8Bit());
    const int fd = file.fd();
    return TextStore::indexCp932(
        std::move(file), [fd](char *into, qsizetype room) { return qsizetype(::read(fd, into, size_t(room))); },
        qsizetype(1) << 20, nullptr);
}

} // namespace

// A text read from its file in blocks lays out exactly as the same text held whole: the hard
// lines are measured across block ends and the wrap reads each long line back.
TEST(LayoutInPiecesTest, ATextReadFromItsFileLaysOutAsTheTextHeldWhole)
{
    // With sound marks after a hiragana and doubled: clusters no table holds beforehand.
    const QByteArray bytes = Cp932::encode(mixedText(400'000, 11).replace(QStringLiteral("ﾊﾝ"), QStringLiteral("きﾞﾊﾟﾟ")));
    QTemporaryDir dir;
    const TextStore store = storeReadFromFile(dir, bytes);
    const QString held = Cp932::decode(bytes);
    const QFont font(QStringLiteral("IPAGothic"), 10);
    const auto widths = std::make_shared<CharWidths>(font);
    TextLayout inPieces(store);
    TextLayout whole(held);
    inPieces.setWidths(widths);
    whole.setWidths(widths);
    ASSERT_TRUE(store.isLazy());
    // Measured first, while the table has not learnt the clusters the draft meets.
    const qreal widest = inPieces.maxLineWidth();
    EXPECT_EQ(widest, whole.maxLineWidth());
    EXPECT_EQ(inPieces.lineStarts(false, 0).all(), whole.lineStarts(false, 0).all());
    // Wrapped again at rooms met before and not: from what the last wrap learnt of each line.
    for (int room : {90, 600, 37, 90}) {
        SCOPED_TRACE(room);
        EXPECT_EQ(inPieces.lineStarts(true, room).all(), whole.lineStarts(true, room).all());
    }
    // Wrapped in the pass that measures it, on its two threads.
    TextLayout wrappedFirst(store);
    wrappedFirst.setWidths(std::make_shared<CharWidths>(font));
    EXPECT_EQ(wrappedFirst.lineStarts(true, 600).all(), whole.lineStarts(true, 600).all());
}

// Lines of Japanese text between lines of words, as a large file holds them, read from the file
// on two threads and wrapped again and again: the lines of even width are wrapped from what was
// learnt of them, the others read back line by line across breaks of every kind.
TEST(LayoutInPiecesTest, EvenLinesReadFromTheFileWrapAgainAsTheTextHeldWhole)
{
    const QByteArray breaks[] = {"\r\n", "\n", "\r", "\r\n"};
    QRandomGenerator random(3);
    QByteArray bytes;
    for (int line = 0; bytes.size() < (1 << 20); ++line) {
        const QString even = QStringLiteral("吾輩は猫である。名前はまだ無い。").repeated(1 + line % 5).left(5 + line % 70);
        const QString words = mixedText(20 + random.bounded(200), quint32(line)).remove(QLatin1Char('\n'));
        bytes += Cp932::encode(line % 2 ? words : even) + breaks[line % 4];
    }
    QTemporaryDir dir;
    const TextStore store = storeReadFromFile(dir, bytes);
    const auto widths = std::make_shared<CharWidths>(QFont(QStringLiteral("IPAGothic"), 10));
    TextLayout inPieces(store);
    TextLayout whole(Cp932::decode(bytes));
    inPieces.setWidths(widths);
    whole.setWidths(widths);
    ASSERT_TRUE(store.isLazy());
    for (int room : {600, 300, 130, 57, 13, 300, 600}) {
        SCOPED_TRACE(room);
        EXPECT_EQ(inPieces.lineStarts(true, room).all(), whole.lineStarts(true, room).all());
    }
}

// The line at the top stays at the top, and the caret where it was, whatever lays the text out
// anew: a narrower and a wider window, a zoom, the wrap off and on.
TEST_F(LayoutTest, TheTopLineStaysAtTheTopThroughEveryNewLayout)
{
    QString text = QStringLiteral("題名\n作者\n\n");
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("第%1段、｜吾輩《わがはい》は猫である。").arg(i) + QString(30 + i % 50, QChar(u'名'))
                + QStringLiteral("まだ無い。\n");
    MainWindow &w = start({writeText(QStringLiteral("novel.txt"), text)});
    ASSERT_TRUE(view()->wraps());
    // A display line inside a wrapped paragraph, half way through.
    const qint64 paragraph = view()->store().lineStart(203);
    qint64 top = paragraph;
    while (view()->displayLineAt(top).first == view()->displayLineAt(paragraph).first)
        ++top;
    ASSERT_LT(top, view()->store().lineStart(204));
    view()->showPlace(top, top + 3, true);
    const auto expectPlace = [&](const char *after) {
        QCoreApplication::processEvents();
        const auto [line, start] = view()->displayLineAt(top);
        EXPECT_EQ(line, view()->verticalScrollBar()->value()) << after;
        EXPECT_EQ(start, view()->topPosition()) << after;
        EXPECT_EQ(view()->caretPosition(), top + 3) << after;
    };
    for (const int wider : {-260, 410}) {
        w.resize(w.width() + wider, w.height());
        expectPlace(wider < 0 ? "narrower" : "wider");
    }
    action(QStringLiteral("ActionFontSizeUp"))->trigger();
    expectPlace("zoomed");
    action(QStringLiteral("ActionWrapNone"))->trigger();
    expectPlace("unwrapped");
    action(QStringLiteral("ActionWrapSide"))->trigger();
    expectPlace("wrapped again");
}
