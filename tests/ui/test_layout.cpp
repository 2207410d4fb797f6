// The line index and the width tables: fast paths that must show exactly what the plain
// character-by-character layout shows, and work that must not be repeated.
#include "core/StatusTexts.h"
#include "platform/FileSystem.h"
#include "tests/ui/UiFixture.h"
#include "ui/widgets/TextLayout.h"

#include <QFontMetricsF>
#include <QRandomGenerator>

#include <cmath>
#include <unordered_map>

namespace {

// The display line starts as the plain layout gives them: every character measured on its
// own through the font's metrics, wrapped greedily at the room.
std::vector<qint64> referenceStarts(const QString &text, const QFont &font, bool wrap, qreal room)
{
    const QFontMetricsF metrics(font);
    std::unordered_map<char16_t, qreal> cache;
    const auto width = [&](char16_t c) {
        auto it = cache.find(c);
        if (it != cache.end())
            return it->second;
        qreal w = QChar::isLowSurrogate(c)    ? 0
                  : QChar::isHighSurrogate(c) ? metrics.horizontalAdvance(QChar(0x56FD))
                                              : metrics.horizontalAdvance(QChar(c));
        return cache[c] = w;
    };
    const qreal stop = TextLayout::kTabColumns * width(u' ');
    const auto advance = [&](char16_t c, qreal x) { return c == u'\t' ? stop - std::fmod(x, stop) : width(c); };
    const auto breaks = [](char16_t c) {
        return c >= 0x2E80 && !(c >= 0xFF61 && c <= 0xFF9F) && !(c >= 0xD800 && c <= 0xDFFF);
    };
    std::vector<qint64> starts{0};
    qsizetype lineStart = 0, lastBreak = -1;
    qreal x = 0, xAtBreak = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n') {
            starts.push_back(i + 1);
            lineStart = i + 1;
            lastBreak = -1;
            x = 0;
            continue;
        }
        const qreal w = advance(c, x);
        if (wrap) {
            if (i > lineStart && (breaks(c) || breaks(text[i - 1].unicode()))) {
                lastBreak = i;
                xAtBreak = x;
            }
            if (x + w > room && i > lineStart && c != u' ') {
                if (lastBreak > lineStart) {
                    lineStart = lastBreak;
                    x -= xAtBreak;
                } else {
                    lineStart = i;
                    x = 0;
                }
                starts.push_back(lineStart);
                lastBreak = -1;
                if (x + w > room && i > lineStart) {
                    lineStart = i;
                    x = 0;
                    starts.push_back(lineStart);
                }
            }
        }
        x += w;
        if (c == u' ' || c == u'\t') {
            lastBreak = i + 1;
            xAtBreak = x;
        }
    }
    return starts;
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
    void expectSameAsReference(TForm1 &w, const char *what)
    {
        TextView *view = w.RichEdit;
        const QString text = view->text();
        const qreal room = view->viewport()->width() - 8;
        const std::vector<qint64> starts = referenceStarts(text, view->font(), view->wraps(), room);
        EXPECT_EQ(view->displayedLineCount(), referenceCount(text, starts)) << what;
        // The status bar follows a re-wrap as it follows a load.
        EXPECT_EQ(w.statusText(StatusPanel::Lines), StatusTexts::lineCountText(referenceCount(text, starts))) << what;
        const qint64 caret = view->caretPosition();
        const auto caretLine = std::upper_bound(starts.begin(), starts.end(), caret) - starts.begin() - 1;
        EXPECT_EQ(w.statusText(StatusPanel::Position), StatusTexts::caretText(caretLine + 1, caret - starts[size_t(caretLine)] + 1)) << what;
        // Spot checks of the caret panel across the whole text.
        QRandomGenerator random(7);
        for (int k = 0; k < 40; ++k) {
            const qint64 at = k == 0 ? 0 : k == 1 ? text.size() : qint64(random.bounded(text.size() + 1));
            view->selectRange(at, 0);
            const auto it = std::upper_bound(starts.begin(), starts.end(), at);
            const qint64 line = qint64(it - starts.begin()) - 1;
            ASSERT_EQ(w.statusText(StatusPanel::Position), StatusTexts::caretText(line + 1, at - starts[size_t(line)] + 1))
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
    EXPECT_EQ(CharWidths::of(font), CharWidths::of(QFont(QStringLiteral("IPAGothic"), 10)));
    EXPECT_NE(CharWidths::of(font), CharWidths::of(QFont(QStringLiteral("IPAGothic"), 11)));
}

TEST_F(LayoutTest, CommandLineFileIsReadOnceAndEntersTheHistoryOnce)
{
    const QString last = writeText(QStringLiteral("last.txt"), QStringLiteral("before"));
    const QString path = writeText(QStringLiteral("shown.txt"), QStringLiteral("一行目\n二行目"));
    const QString next = writeText(QStringLiteral("shown2.txt"), QStringLiteral("三行目"));
    storeValues({{"FileNameNow", last}, {"rp0", QStringLiteral("/older.txt")}, {"rn0", QStringLiteral("/ahead.txt")}});
    const qint64 reads = FileSystem::wholeFileReads();
    TForm1 &w = start({path});
    EXPECT_EQ(FileSystem::wholeFileReads() - reads, 1);
    EXPECT_EQ(viewText(), QStringLiteral("一行目\n二行目"));
    EXPECT_EQ(fileList()->selectedPath(), path);
    EXPECT_EQ(w.FileNameNow(), path);
    EXPECT_EQ(w.Settings.History.PreHistory[0], last);
    EXPECT_EQ(w.Settings.History.PreHistory[1], QStringLiteral("/older.txt"));
    EXPECT_TRUE(w.Settings.History.NextHistory[0].isEmpty());
    EXPECT_EQ(w.statusText(StatusPanel::Lines), QStringLiteral("全2行"));
    // Laid out once, at the width it is shown in.
    EXPECT_EQ(w.RichEdit->layout().hardBuilds(), 1);
    EXPECT_EQ(w.RichEdit->layout().wrapBuilds(), 1);

    // Walking on reads each file once too.
    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Down);
    EXPECT_EQ(w.FileNameNow(), next);
    EXPECT_EQ(FileSystem::wholeFileReads() - reads, 2);
}

TEST_F(LayoutTest, LineCountAndCaretPanelMatchThePlainLayout)
{
    const QString path = writeText(QStringLiteral("mixed.txt"), mixedText(60000, 1));
    TForm1 &w = start({path});
    ASSERT_GT(viewText().size(), 50000);
    ASSERT_TRUE(w.RichEdit->wraps());
    EXPECT_EQ(w.statusText(StatusPanel::Lines), StatusTexts::lineCountText(w.RichEdit->displayedLineCount()));
    expectSameAsReference(w, "wrap on");

    // A width change re-wraps from the measured hard lines.
    w.resize(w.width() + 173, w.height());
    QCoreApplication::processEvents();
    expectSameAsReference(w, "wrap on, wider");
    w.resize(w.width() - 360, w.height());
    QCoreApplication::processEvents();
    expectSameAsReference(w, "wrap on, narrower");
    EXPECT_EQ(w.RichEdit->layout().hardBuilds(), 1);
    EXPECT_GE(w.RichEdit->layout().wrapBuilds(), 3);

    w.ActionWrapNone->trigger();
    ASSERT_FALSE(w.RichEdit->wraps());
    expectSameAsReference(w, "wrap off");
    EXPECT_EQ(w.RichEdit->layout().hardBuilds(), 1);
    w.ActionWrapSide->trigger();
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
            const std::vector<qint64> starts =
                referenceStarts(text, view.font(), wrap, view.viewport()->width() - 8);
            ASSERT_EQ(view.displayedLineCount(), referenceCount(text, starts)) << wrap;
            for (size_t i = 0; i < starts.size(); ++i)
                ASSERT_EQ(view.displayLineAt(starts[i]), std::make_pair(qint64(i), starts[i])) << wrap;
            EXPECT_EQ(view.displayLineAt(text.size()).first, qint64(starts.size()) - 1);
        }
    }
}
