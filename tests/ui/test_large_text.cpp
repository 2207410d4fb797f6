// A large file's text is read from the file as it is shown: the window moves through it,
// selects, copies and searches it as it does a text held whole.
#include "UiFixture.h"

#include "core/Cp932.h"
#include "core/Document.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

#include <limits>

class LargeTextTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        Document::readAsShownFrom() = 1;
    }
    void TearDown() override
    {
        UiFixture::TearDown();
        Document::readAsShownFrom() = kFrom;
    }
    const qint64 kFrom = Document::readAsShownFrom();
};

TEST_F(LargeTextTest, AFileReadAsShownIsMovedThroughSelectedCopiedAndSearched)
{
    QString text;
    for (int i = 0; text.size() < 300'000; ++i)
        text += QStringLiteral("%1行目の文章、ｶﾀｶﾅ and words\tto wrap at the edge of the window %1\n").arg(i);
    const qsizetype near = text.size() - 40;
    text.insert(near, QStringLiteral("目印"));
    TForm1 &w = start({writeText(QStringLiteral("large.txt"), text)});
    ASSERT_TRUE(view()->store().isLazy());
    EXPECT_EQ(viewText(), text);

    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Right);
    EXPECT_EQ(view()->caretPosition(), view()->displayLineAt(view()->caretPosition()).second + 1);

    // The last line, selected from its end to its start and copied.
    QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view()->caretPosition(), text.size());
    QTest::keyClick(view(), Qt::Key_Left);
    QTest::keyClick(view(), Qt::Key_Home, Qt::ShiftModifier);
    action(QStringLiteral("ActionCopy"))->trigger();
    const qsizetype lastLine = text.lastIndexOf(QLatin1Char('\n'), text.size() - 2) + 1;
    const QString expected = text.mid(lastLine, text.size() - 1 - lastLine);
    EXPECT_EQ(QGuiApplication::clipboard()->text().right(20), expected.right(20));
    EXPECT_EQ(view()->selectionEnd(), text.size() - 1);

    QTest::keyClick(view(), Qt::Key_Home, Qt::ControlModifier);
    named<QLineEdit>(QStringLiteral("EditSearch"))->setText(QStringLiteral("目印"));
    action(QStringLiteral("ActionFindNext"))->trigger();
    EXPECT_EQ(view()->selectionStart(), near);
    EXPECT_EQ(view()->selectedText(), QStringLiteral("目印"));
}
