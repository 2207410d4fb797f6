#include "tests/TestPrinters.h"
#include "ui/widgets/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class TextViewTest : public ::testing::Test {
protected:
    TextView view;

    void SetUp() override
    {
        view.setFont(QFont(QStringLiteral("IPAGothic"), 10));
        view.resize(300, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    // The first position of every display line, found through the public lookup.
    std::vector<qint64> lineStarts() const
    {
        std::vector<qint64> starts;
        for (qint64 p = 0; p <= view.text().size(); ++p) {
            const auto [line, start] = view.displayLineAt(p);
            if (qint64(starts.size()) == line)
                starts.push_back(start);
        }
        return starts;
    }
    QString lineText(const std::vector<qint64> &starts, size_t i) const
    {
        const qint64 end = i + 1 < starts.size() ? starts[i + 1] : view.text().size();
        return view.text().mid(starts[i], end - starts[i]);
    }
    qreal room() const { return view.viewport()->width() - 8; }
};

} // namespace

TEST_F(TextViewTest, CountsLinesAsDisplayed)
{
    view.setText(QString());
    EXPECT_EQ(view.displayedLineCount(), 0);
    view.setText(QStringLiteral("a\n"));
    EXPECT_EQ(view.displayedLineCount(), 1);
    view.setText(QStringLiteral("a\n\nb"));
    EXPECT_EQ(view.displayedLineCount(), 3);
    view.setText(QString(500, QLatin1Char('x')));
    view.setWrap(false);
    EXPECT_EQ(view.displayedLineCount(), 1);
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
    view.setWrap(true);
    EXPECT_GT(view.displayedLineCount(), 3);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
}

TEST_F(TextViewTest, WrapsWordsWholeAndEveryLineFits)
{
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    view.setText(text);
    const QFontMetricsF metrics(view.font());
    const std::vector<qint64> starts = lineStarts();
    ASSERT_GT(starts.size(), 2u);
    for (size_t i = 0; i < starts.size(); ++i) {
        const QString line = lineText(starts, i);
        EXPECT_TRUE(line.startsWith(QStringLiteral("word"))) << line.toStdString();
        EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), room()) << line.toStdString();
    }
}

TEST_F(TextViewTest, JapaneseWrapsAnywhereAtItsFullWidth)
{
    const QString kana = QString(200, QChar(0x3042)); // あ
    const QString ascii = QString(200, QLatin1Char('a'));
    view.setText(kana);
    const qint64 kanaLines = view.displayedLineCount();
    view.setText(ascii);
    const qint64 asciiLines = view.displayedLineCount();
    // The full-width character is twice as wide in the Japanese face, so it needs about twice the lines.
    EXPECT_GE(kanaLines, 2 * asciiLines - 1);
    view.setText(kana);
    const QFontMetricsF metrics(view.font());
    const std::vector<qint64> starts = lineStarts();
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
        const QString line = lineText(starts, i);
        EXPECT_LE(metrics.horizontalAdvance(line), room());
        EXPECT_GT(metrics.horizontalAdvance(line + QChar(0x3042)), room()); // filled to the edge
    }
}

TEST_F(TextViewTest, DrawsEachLineAsThePainterDrawsItsText)
{
    // Lines of the face's own glyphs are drawn glyph by glyph at the laid-out positions; a line
    // with a character from another face (the Thai one) goes through the painter's text path.
    const QStringList lines = {QStringLiteral("吾輩は猫である。名前はまだ無い。"), QStringLiteral("plain words, 123 ＡＢＣ ｶﾀｶﾅ ～①"),
                               QStringLiteral("mixed \u0E01\u0E02 漢字")};
    view.setWrap(false);
    view.setText(lines.join(QLatin1Char('\n')));
    view.clearFocus(); // no caret in the picture
    QImage shown(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    view.viewport()->render(&shown);

    QImage expected(shown.size(), shown.format());
    expected.fill(view.palette().color(QPalette::Base));
    QPainter painter(&expected);
    painter.setFont(view.font());
    painter.setPen(view.palette().color(QPalette::Text));
    const QFontMetricsF metrics(view.font());
    const int height = QFontMetrics(view.font()).lineSpacing();
    for (int row = 0; row < lines.size(); ++row)
        painter.drawText(QPointF(4, 2 + row * height + metrics.ascent()), lines[row]);
    painter.end();
    for (int row = 0; row < lines.size(); ++row) {
        const QRect band(0, 2 + row * height, shown.width(), height);
        EXPECT_EQ(shown.copy(band), expected.copy(band)) << row;
    }
}

TEST_F(TextViewTest, AFontChangeLaysOutAgain)
{
    view.setText(QString(300, QLatin1Char('m')));
    const qint64 before = view.displayedLineCount();
    QFont bigger = view.font();
    bigger.setPointSize(20);
    view.setFont(bigger);
    EXPECT_GT(view.displayedLineCount(), before);
}

TEST_F(TextViewTest, KeysMoveTheCaretAndSelect)
{
    view.setWrap(false);
    view.setText(QStringLiteral("abcdef\nxy\nlonger line"));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.caretPosition(), 9); // column 2 of "xy"
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.caretPosition(), 12); // back at column 2 of the third line
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.caretPosition(), view.text().size());
    QTest::keyClick(&view, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("longer line"));
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.caretPosition(), 0);
    EXPECT_FALSE(view.hasSelection());
    EXPECT_EQ(view.displayLineAt(9).first, 1);
}

TEST_F(TextViewTest, ReadOnlyIgnoresTypingAndWritableEdits)
{
    view.setText(QStringLiteral("abc"));
    view.setFocus();
    QSignalSpy changed(&view, &TextView::textChanged);
    QTest::keyClicks(&view, QStringLiteral("zz"));
    EXPECT_EQ(view.text(), QStringLiteral("abc"));
    EXPECT_EQ(changed.count(), 0);

    view.setReadOnly(false);
    QTest::keyClick(&view, Qt::Key_End);
    QKeyEvent kanji(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("漢"));
    QApplication::sendEvent(&view, &kanji);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Home);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(view.text(), QStringLiteral("bc漢"));
    EXPECT_EQ(view.byteLength(), 4);
    EXPECT_GT(changed.count(), 0);
}

// A view keeps its own place while another view types into the model they share or text
// follows at its end.
TEST_F(TextViewTest, AViewFollowsWhatAnotherTypesAndWhatIsAppendedKeepingItsPlace)
{
    DocumentModel model;
    view.setModel(&model);
    model.setDocument(std::make_shared<Document>(QStringLiteral("one two\nthree four\n")));
    TextView writer;
    writer.setModel(&model);
    writer.setReadOnly(false);
    view.selectRange(8, 5); // "three"
    writer.selectRange(0, 3);
    writer.setFocus();
    QTest::keyClicks(&writer, QStringLiteral("1"));
    EXPECT_EQ(view.text(), QStringLiteral("1 two\nthree four\n"));
    EXPECT_EQ(view.selectedText(), QStringLiteral("three")); // moved with its text
    EXPECT_EQ(writer.caretPosition(), 1);

    // An edit over the start of the other view's selection leaves what is left of it selected.
    writer.selectRange(4, 6);
    QTest::keyClicks(&writer, QStringLiteral("X"));
    EXPECT_EQ(view.text(), QStringLiteral("1 twXe four\n"));
    EXPECT_EQ(view.selectedText(), QStringLiteral("e"));

    model.setDocument(std::make_shared<Document>(QStringLiteral("a\nb\n")));
    view.selectRange(2, 1);
    QSignalSpy lines(&view, &TextView::displayLinesChanged);
    ASSERT_TRUE(model.append(QStringLiteral("c\nd")));
    EXPECT_EQ(view.text(), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(view.displayedLineCount(), 4);
    EXPECT_EQ(view.selectedText(), QStringLiteral("b"));
    EXPECT_EQ(lines.count(), 1);
}

TEST_F(TextViewTest, MouseClicksPlaceTheCaretAndCopyTakesTheSelection)
{
    view.setText(QStringLiteral("first line\nsecond line"));
    const int lineHeight = QFontMetrics(view.font()).lineSpacing();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(4, 2 + lineHeight + lineHeight / 2));
    EXPECT_EQ(view.caretPosition(), 11);
    view.selectRange(0, 5);
    view.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("first"));
    view.selectAll();
    EXPECT_EQ(view.selectedText(), view.text());
}

TEST_F(TextViewTest, PagingAndScrollingToTheCaret)
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("%1\n").arg(i);
    view.setText(text);
    QScrollBar *bar = view.verticalScrollBar();
    view.pageDown();
    EXPECT_EQ(bar->value(), bar->pageStep());
    view.pageUp();
    EXPECT_EQ(bar->value(), 0);
    view.selectRange(text.indexOf(QStringLiteral("150\n")), 0);
    EXPECT_LE(bar->value(), 150);
    EXPECT_GT(bar->value() + bar->pageStep(), 150);
}

TEST_F(TextViewTest, AHiddenViewKeepsItsTextWithoutALayout)
{
    TextView hidden;
    hidden.setText(QStringLiteral("kept\ntext"));
    EXPECT_EQ(hidden.text(), QStringLiteral("kept\ntext"));
    EXPECT_EQ(hidden.byteLength(), 10);
    EXPECT_FALSE(hidden.isEmpty());
}

// What a reader sees as one character is stepped over, selected, copied and deleted whole.
TEST_F(TextViewTest, CaretSelectionCopyAndDeletionTakeWholeClusters)
{
    const struct {
        const char *name;
        QStringList pieces; // one cluster each
    } cases[] = {
        {"combining accent", {QStringLiteral("e\u0301"), QStringLiteral("t"), QStringLiteral("e\u0301")}},
        {"skin tone", {QStringLiteral("👍🏽"), QStringLiteral("a"), QStringLiteral("👍🏽")}},
        {"family", {QStringLiteral("👨‍👩‍👧"), QStringLiteral("漢"), QStringLiteral("👨‍👩‍👧")}},
        {"variation selectors", {QStringLiteral("葛\U000E0100"), QStringLiteral("☺\uFE0E"), QStringLiteral("x")}},
        {"code page 932", {QStringLiteral("吾"), QStringLiteral("ｶ"), QStringLiteral("①"), QStringLiteral("a")}},
    };
    view.setWrap(false);
    view.setFocus();
    for (const auto &[name, pieces] : cases) {
        const QString text = pieces.join(QString());
        view.setReadOnly(true);
        view.setText(text);
        std::vector<qint64> edges{0};
        for (const QString &piece : pieces)
            edges.push_back(edges.back() + piece.size());
        for (size_t k = 1; k < edges.size(); ++k) {
            QTest::keyClick(&view, Qt::Key_Right);
            EXPECT_EQ(view.caretPosition(), edges[k]) << name;
        }
        QTest::keyClick(&view, Qt::Key_Left);
        EXPECT_EQ(view.caretPosition(), edges[edges.size() - 2]) << name;
        QTest::keyClick(&view, Qt::Key_Home);
        QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        view.copy();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), pieces[0]) << name;
        // A range asked for inside a cluster takes the whole of it; so does a click on its far half.
        view.selectRange(1, 0);
        EXPECT_EQ(view.caretPosition(), *(std::upper_bound(edges.begin(), edges.end(), 1) - 1)) << name;
        view.selectRange(1, edges[2]);
        const qint64 from = *(std::upper_bound(edges.begin(), edges.end(), 1) - 1);
        const qint64 to = *std::lower_bound(edges.begin(), edges.end(), edges[2] + 1);
        EXPECT_EQ(view.selectedText(), text.mid(from, to - from)) << name;
        const QRect first = view.characterRect(0);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(first.right() - 1, first.center().y()));
        EXPECT_EQ(view.caretPosition(), edges[1]) << name;
        view.setReadOnly(false);
        QTest::keyClick(&view, Qt::Key_Backspace);
        QTest::keyClick(&view, Qt::Key_End);
        QTest::keyClick(&view, Qt::Key_Backspace);
        EXPECT_EQ(view.text(), pieces.mid(1, pieces.size() - 2).join(QString())) << name;
        // Down keeps the column, counted in clusters.
        view.setText(text + QLatin1Char('\n') + text);
        view.selectRange(edges[1], 0);
        QTest::keyClick(&view, Qt::Key_Down);
        EXPECT_EQ(view.caretPosition(), text.size() + 1 + edges[1]) << name;
    }
}

// A cluster is as wide as the font shapes it, and a line never breaks inside one, also where
// nothing else gives a place to break.
TEST_F(TextViewTest, WrapsBetweenClustersAtTheirShapedWidths)
{
    const QFontMetricsF metrics(view.shownFont());
    for (const QString &cluster : {QStringLiteral("👨‍👩‍👧"), QStringLiteral("👍🏽"), QStringLiteral("e\u0301"),
                                   QStringLiteral("葛\U000E0100")}) {
        view.setText(cluster.repeated(120));
        const qreal width = metrics.horizontalAdvance(cluster);
        const auto perLine = qint64(room() / width);
        ASSERT_GT(perLine, 1);
        const std::vector<qint64> starts = lineStarts();
        ASSERT_GT(starts.size(), 2u);
        for (size_t i = 0; i + 1 < starts.size(); ++i)
            EXPECT_EQ(lineText(starts, i), cluster.repeated(perLine)) << cluster.toStdString() << " line " << i;
        // The caret at the end of a display line sits after its last picture, one cluster wide each.
        EXPECT_NEAR(view.characterRect(starts[1] - cluster.size()).width(), width, 1.0);
    }
}

// Emoji sequences are drawn as the font shapes them whole: one picture each, in colour.
TEST_F(TextViewTest, DrawsEmojiSequencesAsOneColouredPictureEach)
{
    const QString line = QStringLiteral("家族👨‍👩‍👧と👍🏽です");
    view.setWrap(false);
    view.setText(line);
    view.clearFocus();
    QImage shown(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    view.viewport()->render(&shown);
    QImage expected(shown.size(), shown.format());
    expected.fill(view.palette().color(QPalette::Base));
    QPainter painter(&expected);
    painter.setFont(view.shownFont());
    painter.setPen(view.palette().color(QPalette::Text));
    const QFontMetricsF metrics(view.font());
    painter.drawText(QPointF(4, 2 + metrics.ascent()), line);
    painter.end();
    const QRect band(0, 2, shown.width(), QFontMetrics(view.font()).lineSpacing());
    EXPECT_EQ(shown.copy(band), expected.copy(band));
    int coloured = 0;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60;
        }
    EXPECT_GT(coloured, 20);
}
