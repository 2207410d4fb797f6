#include "UiFixture.h"

#include <QScrollBar>

class PositionsTest : public UiFixture {
protected:
    // A long file whose lines wrap at the window's width, and a short one beside it.
    void makeFolder()
    {
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("%1 ").arg(i, 4, 10, QLatin1Char('0')) + QStringLiteral("読書の続き ").repeated(12)
                    + QLatin1Char('\n');
        longFile = writeText(QStringLiteral("a-long.txt"), text);
        writeText(QStringLiteral("b-short.txt"), QStringLiteral("short"));
    }
    MainWindow &startInFolder()
    {
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        w.resize(700, 500);
        fileList()->setFocus();
        return w;
    }
    void walk(Qt::Key key) { QTest::keyClick(fileList(), key); }
    // Reads on: pages down and moves the caret a few lines.
    void readOn()
    {
        view()->setFocus();
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(view(), Qt::Key_PageDown);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view(), Qt::Key_Down);
        QTest::keyClick(view(), Qt::Key_Right);
        fileList()->setFocus();
    }
    int topLine() const { return view()->verticalScrollBar()->value(); }
    QString longFile;
};

TEST_F(PositionsTest, WalkingAwayAndBackAndRestartingShowTheSameTopLineAndCaret)
{
    makeFolder();
    startInFolder();
    walk(Qt::Key_Down);
    ASSERT_TRUE(viewText().startsWith(QStringLiteral("0000 ")));
    readOn();
    const qint64 top = view()->topPosition();
    const qint64 caret = view()->caretPosition();
    ASSERT_GT(top, 1000);
    ASSERT_GT(caret, top);

    walk(Qt::Key_Down);
    EXPECT_EQ(viewText(), QStringLiteral("short"));
    walk(Qt::Key_Up);
    EXPECT_EQ(view()->topPosition(), top);
    EXPECT_EQ(view()->caretPosition(), caret);

    // Back through the history, and after a restart, too.
    walk(Qt::Key_Down);
    action(QStringLiteral("ActionViewPre"))->trigger();
    EXPECT_EQ(view()->topPosition(), top);
    EXPECT_EQ(view()->caretPosition(), caret);
    restart({QStringLiteral("/n"), filesDir.path()});
    chooseFile(longFile);
    EXPECT_EQ(view()->topPosition(), top);
    EXPECT_EQ(view()->caretPosition(), caret);
}

TEST_F(PositionsTest, AnotherWrapWidthKeepsTheSameLineAtTheTop)
{
    makeFolder();
    MainWindow &w = startInFolder();
    walk(Qt::Key_Down);
    readOn();
    const qint64 top = view()->topPosition();
    const int rowsBefore = topLine();
    walk(Qt::Key_Down);

    w.resize(420, 500);
    walk(Qt::Key_Up);
    // The text at the top is the same; narrower lines put it on a later display line.
    EXPECT_EQ(view()->topPosition(), view()->displayLineAt(top).second);
    EXPECT_EQ(view()->displayLineAt(top).first, topLine());
    EXPECT_GT(topLine(), rowsBefore);
}

TEST_F(PositionsTest, WithTheSettingOffEveryFileOpensAtTheTopAndNothingIsWritten)
{
    makeFolder();
    storeValues({{"RememberPosition", QStringLiteral("0")}});
    startInFolder();
    walk(Qt::Key_Down);
    readOn();
    ASSERT_GT(view()->topPosition(), 0);
    walk(Qt::Key_Down);
    walk(Qt::Key_Up);
    EXPECT_EQ(view()->topPosition(), 0);
    EXPECT_EQ(view()->caretPosition(), 0);
    form->close();
    EXPECT_FALSE(QFile::exists(programDir.filePath(QStringLiteral("data/Orlimbo/positions"))));
    EXPECT_EQ(stored("RememberPosition"), QStringLiteral("0"));
}

TEST_F(PositionsTest, APlaceTakenWithLineNumbersOnComesBackInTheFilesOwnText)
{
    makeFolder();
    startInFolder();
    walk(Qt::Key_Down);
    action(QStringLiteral("ActionNumbering"))->trigger();
    ASSERT_TRUE(viewText().startsWith(QStringLiteral("0001 0000 ")));
    readOn();
    const QString atCaret = viewText().mid(view()->caretPosition(), 12);
    const qint64 line = viewText().first(view()->caretPosition()).count(QLatin1Char('\n'));
    ASSERT_GT(line, 20);

    walk(Qt::Key_Down);
    walk(Qt::Key_Up);
    ASSERT_TRUE(viewText().startsWith(QStringLiteral("0000 "))); // shown again without effects
    EXPECT_EQ(viewText().first(view()->caretPosition()).count(QLatin1Char('\n')), line);
    EXPECT_EQ(viewText().mid(view()->caretPosition(), 12), atCaret);
}
