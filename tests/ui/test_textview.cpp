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
