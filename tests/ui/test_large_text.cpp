// A large file's text is read from the file as it is shown: the window moves through it,
// selects, copies and searches it as it does a text held whole.
#include "UiFixture.h"

#include "core/Cp932.h"
#include "core/Document.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRandomGenerator>

#include <limits>

class LargeTextTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        loading.load.readAsShownFrom = 1;
    }
};

TEST_F(LargeTextTest, AFileReadAsShownIsMovedThroughSelectedCopiedAndSearched)
{
    QString text;
    for (int i = 0; text.size() < 300'000; ++i)
        text += QStringLiteral("%1行目の文章、ｶﾀｶﾅ and words\tto wrap at the edge of the window %1\n").arg(i);
    const qsizetype near = text.size() - 40;
    text.insert(near, QStringLiteral("目印"));
    MainWindow &w = start({writeText(QStringLiteral("large.txt"), text)});
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

// Such a text is measured on two threads in pieces, with the wrap found in the same pass, and
// re-wrapped from the file on a resize: its display lines are those of the plain rule.
TEST_F(LargeTextTest, AFileReadAsShownWrapsAsThePlainRuleDoes)
{
    // Half the lines hold neither a tab nor a unit that may join, and take the quick wrap.
    static const QString pieces[] = {
        QStringLiteral("吾輩は猫である。"), QStringLiteral("word "), QStringLiteral("ＡＢＣ１２３"), QStringLiteral("x"),
        QStringLiteral("  "), QStringLiteral("①～"), QStringLiteral("ｶﾞｷﾞｸﾞ"), QStringLiteral("\t"),
    };
    QRandomGenerator random(3);
    QString text;
    // Each thread's half is more than one piece of the measure, so lines cross pieces.
    while (text.size() < (5 << 19)) {
        const int kind = int(random.bounded(8));
        const int length = kind == 0 ? 0 : kind < 6 ? int(random.bounded(40)) : 200 + int(random.bounded(300));
        const int kinds = random.bounded(2) ? int(std::size(pieces)) : int(std::size(pieces)) - 2;
        for (int i = 0; i < length; ++i)
            text += pieces[random.bounded(kinds)];
        text += QLatin1Char('\n');
    }
    text += QStringLiteral("終");
    MainWindow &w = start({writeText(QStringLiteral("wrapped.txt"), text)});
    ASSERT_TRUE(view()->store().isLazy());
    ASSERT_TRUE(view()->wraps());
    // Read again where the window has settled, so the first pass wraps at the room compared.
    action(QStringLiteral("ActionReLoad"))->trigger();
    for (const int wider : {0, 171}) {
        w.resize(w.width() + wider, w.height());
        QCoreApplication::processEvents();
        const std::vector<qint64> starts = view()->layout().plainLineStarts(true, view()->viewport()->width() - 8);
        ASSERT_EQ(view()->displayedLineCount(), qint64(starts.size())) << wider;
        for (size_t i = 0; i < starts.size(); ++i)
            ASSERT_EQ(view()->displayLineAt(starts[i]), std::make_pair(qint64(i), starts[i])) << wider;
    }
}
