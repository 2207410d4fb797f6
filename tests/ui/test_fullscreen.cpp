#include "UiFixture.h"

#include "platform/Desktop.h"
#include "ui/FullScreenWindow.h"
#include "ui/widgets/ElidedLineEdit.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QClipboard>
#include <QScrollBar>
#include <QToolButton>

#include <functional>

class FullScreenTest : public UiFixture {
protected:
    enum class Closed { NotShown, ByTheStep, LeftOpen };
    // Opens the full-screen window with its key and runs `inside` while it is shown; tells
    // whether the window closed during `inside` or had to be closed afterwards.
    Closed whileFullScreen(const std::function<void(FullScreenWindow &)> &inside)
    {
        QApplication::setActiveWindow(form.get());
        bool leftOpen = false;
        const bool shown = withModal<FullScreenWindow>(
            [this] { QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier); },
            [&](FullScreenWindow &fs) {
                // The offscreen platform leaves a modal child inactive; a desktop activates it.
                QApplication::setActiveWindow(&fs);
                fs.view->setFocus();
                inside(fs);
                leftOpen = fs.isVisible();
            });
        return !shown ? Closed::NotShown : leftOpen ? Closed::LeftOpen : Closed::ByTheStep;
    }

    static QString manyLines(int count)
    {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("行 %1 の文章です。\n").arg(i);
        return text;
    }
};

TEST_F(FullScreenTest, ShowsTheTransformedTextFontAndPathAndLeavesTheMainWindowAlone)
{
    const QString path = writeText(QStringLiteral("m.txt"), QStringLiteral("a <b>b</b>\nc d\n"));
    MainWindow &w = start({path});
    action(QStringLiteral("ActionNoHtmlTag"))->trigger();
    QFont font = view()->font();
    font.setPointSize(14);
    view()->setFont(font);
    const QString shown = viewText();
    ASSERT_EQ(shown, QStringLiteral("a b\nc d\n"));

    EXPECT_EQ(Closed::ByTheStep, whileFullScreen([&](FullScreenWindow &fs) {
        EXPECT_EQ(fs.view->text(), shown);
        EXPECT_EQ(fs.view->font().pointSize(), 14);
        EXPECT_EQ(fs.EditNowFileName->wholeText(), path);
        EXPECT_TRUE(fs.EditNowFileName->isReadOnly());
        EXPECT_EQ(fs.view->caretPosition(), 0);
        EXPECT_EQ(fs.windowTitle(), QStringLiteral("Full Screen"));
        EXPECT_TRUE(fs.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(fs.geometry(), QRect(QPoint(0, 0), Desktop::screenSize()));
        QTest::keyClick(fs.view, Qt::Key_Escape);
    }));
    EXPECT_EQ(viewText(), shown);
    EXPECT_TRUE(action(QStringLiteral("ActionNoHtmlTag"))->isChecked());
    EXPECT_EQ(view()->font().pointSize(), 14);
}

TEST_F(FullScreenTest, WrapsLikeTheMainView)
{
    const QString longLine = QString(400, QLatin1Char('x'));
    MainWindow &w = start({writeText(QStringLiteral("w.txt"), longLine)});
    ASSERT_TRUE(view()->wraps());
    EXPECT_EQ(Closed::ByTheStep, whileFullScreen([](FullScreenWindow &fs) {
        EXPECT_TRUE(fs.view->wraps());
        EXPECT_GT(fs.view->displayedLineCount(), 1); // at its own, screen-wide edge
        QTest::keyClick(fs.view, Qt::Key_Backspace);
    }));
    action(QStringLiteral("ActionWrapNone"))->trigger();
    EXPECT_EQ(Closed::ByTheStep, whileFullScreen([](FullScreenWindow &fs) {
        EXPECT_FALSE(fs.view->wraps());
        EXPECT_EQ(fs.view->displayedLineCount(), 1);
        QTest::keyClick(fs.view, Qt::Key_Backspace);
    }));
    EXPECT_FALSE(view()->wraps());
}

TEST_F(FullScreenTest, BackspaceAndEscCloseFromTheViewAndThePathField)
{
    start({writeText(QStringLiteral("k.txt"), QStringLiteral("text"))});
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Escape}) {
        EXPECT_EQ(Closed::ByTheStep, whileFullScreen([key](FullScreenWindow &fs) { QTest::keyClick(fs.view, key); })) << key;
        EXPECT_EQ(Closed::ByTheStep, whileFullScreen([key](FullScreenWindow &fs) { QTest::keyClick(fs.EditNowFileName, key); })) << key;
    }
    EXPECT_EQ(Closed::ByTheStep, whileFullScreen([](FullScreenWindow &fs) { fs.BtnEndFullScreen->click(); }));
}

// Full screen shows the main window's own document: typing there changes nothing, even while
// the main view takes typing.
TEST_F(FullScreenTest, TheSharedDocumentCannotBeTypedIntoFromFullScreen)
{
    start({writeText(QStringLiteral("t.txt"), QStringLiteral("kept"))});
    action(QStringLiteral("DebugWriteMode"))->trigger();
    ASSERT_FALSE(view()->isReadOnly());
    EXPECT_EQ(Closed::ByTheStep, whileFullScreen([](FullScreenWindow &fs) {
        QTest::keyClicks(fs.view, QStringLiteral("xy"));
        QTest::keyClick(fs.view, Qt::Key_Delete);
        EXPECT_EQ(fs.view->text(), QStringLiteral("kept"));
        QTest::keyClick(fs.view, Qt::Key_Escape);
    }));
    EXPECT_EQ(viewText(), QStringLiteral("kept"));
}

TEST_F(FullScreenTest, SpacePagesDownAndShiftSpaceUp)
{
    start({writeText(QStringLiteral("p.txt"), manyLines(600))});
    // Space pages and leaves the window open.
    EXPECT_EQ(Closed::LeftOpen, whileFullScreen([](FullScreenWindow &fs) {
        QScrollBar *bar = fs.view->verticalScrollBar();
        ASSERT_EQ(bar->value(), 0);
        QTest::keyClick(fs.view, Qt::Key_Space);
        EXPECT_EQ(bar->value(), bar->pageStep());
        QTest::keyClick(fs.view, Qt::Key_Space);
        EXPECT_EQ(bar->value(), 2 * bar->pageStep());
        QTest::keyClick(fs.view, Qt::Key_Space, Qt::ShiftModifier);
        EXPECT_EQ(bar->value(), bar->pageStep());
    }));
}

TEST_F(FullScreenTest, PopupOffersCopyOnlyWithASelection)
{
    start({writeText(QStringLiteral("c.txt"), QStringLiteral("abc"))});
    EXPECT_EQ(Closed::LeftOpen, whileFullScreen([](FullScreenWindow &fs) {
        fs.PopupMenuPopup();
        EXPECT_FALSE(fs.PopupCopy->isEnabled());
        EXPECT_TRUE(fs.PopupSelectAll->isEnabled());
        QTest::keyClick(fs.view, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(fs.view->selectedText(), QStringLiteral("abc"));
        fs.PopupMenuPopup();
        EXPECT_TRUE(fs.PopupCopy->isEnabled());
        QTest::keyClick(fs.view, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
    }));
}

// A path longer than the header is shortened in the middle, so the file's name stays in sight;
// focused, the field holds the whole path for copying.
TEST_F(FullScreenTest, TheHeaderKeepsTheFileNameOfALongPath)
{
    const QString deep = QStringLiteral("とても長いフォルダーの名前/").repeated(8);
    const QString path =
        writeText(QStringLiteral("最後の名前.txt"), QStringLiteral("本文\n"), filesDir.path() + QLatin1Char('/') + deep.chopped(1));
    start({path});
    EXPECT_EQ(Closed::ByTheStep, whileFullScreen([&](FullScreenWindow &fs) {
        ElidedLineEdit *header = fs.EditNowFileName;
        const QString shown = header->text();
        EXPECT_TRUE(shown.contains(QStringLiteral("…"))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("最後の名前.txt"))) << shown.toStdString();
        EXPECT_LE(header->fontMetrics().horizontalAdvance(shown), header->width());
        header->setFocus();
        EXPECT_EQ(header->text(), path);
        QTest::keyClick(header, Qt::Key_Escape);
    }));
}

TEST_F(FullScreenTest, StepsAndCopiesWholeClusters)
{
    const QString family = QStringLiteral("👨‍👩‍👧");
    start({writeBytes(QStringLiteral("e.txt"), (family + QStringLiteral("e\u0301") + QStringLiteral("👍🏽")).toUtf8())});
    whileFullScreen([&](FullScreenWindow &fs) {
        QTest::keyClick(fs.view, Qt::Key_Right);
        EXPECT_EQ(fs.view->caretPosition(), family.size());
        QTest::keyClick(fs.view, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(fs.view, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(fs.view, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("e\u0301👍🏽"));
        QTest::keyClick(fs.view, Qt::Key_Escape);
    });
}
