#include "UiFixture.h"

#include "platform/Desktop.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>

class SearchTest : public UiFixture {
protected:
    TForm1 &startWith(const QString &text)
    {
        TForm1 &w = start({writeText(QStringLiteral("t.txt"), text)});
        view()->moveCaretToStart();
        return w;
    }
    void search(const QString &word)
    {
        named<QLineEdit>(QStringLiteral("EditSearch"))->setText(word);
        action(QStringLiteral("ActionFindNext"))->trigger();
    }
};

TEST_F(SearchTest, F3FindsEachOccurrenceThenOnlyBeeps)
{
    TForm1 &w = startWith(QStringLiteral("one word, two word\nend"));
    search(QStringLiteral("word"));
    EXPECT_EQ(view()->selectionStart(), 4);
    EXPECT_EQ(view()->selectedText(), QStringLiteral("word"));
    EXPECT_EQ(QApplication::focusWidget(), view());
    QTest::keyClick(&w, Qt::Key_F3);
    EXPECT_EQ(view()->selectionStart(), 14);
    const int beeps = Desktop::beepCount();
    QTest::keyClick(&w, Qt::Key_F3);
    EXPECT_EQ(Desktop::beepCount(), beeps + 1);
    EXPECT_EQ(view()->selectionStart(), 14); // the second hit stays selected
    EXPECT_EQ(view()->selectionEnd(), 18);
}

TEST_F(SearchTest, ASelectionCoveringAHitIsSkipped)
{
    TForm1 &w = startWith(QStringLiteral("abc xx abc"));
    view()->selectRange(0, 5); // covers the first hit
    search(QStringLiteral("abc"));
    EXPECT_EQ(view()->selectionStart(), 7);
}

TEST_F(SearchTest, TheCaseOption)
{
    TForm1 &w = startWith(QStringLiteral("small word"));
    search(QStringLiteral("WORD"));
    EXPECT_EQ(view()->selectionStart(), 6);

    view()->moveCaretToStart();
    named<QCheckBox>(QStringLiteral("cbMatchCase"))->setChecked(true);
    const int beeps = Desktop::beepCount();
    search(QStringLiteral("WORD"));
    EXPECT_EQ(Desktop::beepCount(), beeps + 1);
    EXPECT_FALSE(view()->hasSelection());
}

TEST_F(SearchTest, CtrlFShowsTheBarThenDrawsAttention)
{
    TForm1 &w = startWith(QStringLiteral("text"));
    ASSERT_TRUE(named<QWidget>(QStringLiteral("PanelSearch"))->isHidden()); // hidden by default
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelSearch"))->isVisible());
    EXPECT_TRUE(action(QStringLiteral("ViewSearch"))->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), named<QLineEdit>(QStringLiteral("EditSearch")));
    EXPECT_FALSE(named<SearchBar>(QStringLiteral("PanelSearch"))->highlighted());
    QTest::keyClick(named<QLineEdit>(QStringLiteral("EditSearch")), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(named<SearchBar>(QStringLiteral("PanelSearch"))->highlighted());
    // Any key in the field restores the normal look.
    QTest::keyClick(named<QLineEdit>(QStringLiteral("EditSearch")), Qt::Key_X);
    EXPECT_FALSE(named<SearchBar>(QStringLiteral("PanelSearch"))->highlighted());
}

TEST_F(SearchTest, EnterSearchesAndInsertsNothing)
{
    TForm1 &w = startWith(QStringLiteral("find me here"));
    action(QStringLiteral("ActionOpenSearch"))->trigger();
    QTest::keyClicks(named<QLineEdit>(QStringLiteral("EditSearch")), QStringLiteral("me"));
    QTest::keyClick(named<QLineEdit>(QStringLiteral("EditSearch")), Qt::Key_Return);
    EXPECT_EQ(named<QLineEdit>(QStringLiteral("EditSearch"))->text(), QStringLiteral("me"));
    EXPECT_EQ(view()->selectionStart(), 5);
}

TEST_F(SearchTest, AnEmptyWordOpensTheBarAndTheCloseButtonHidesIt)
{
    TForm1 &w = startWith(QStringLiteral("text"));
    action(QStringLiteral("ActionGoSearch"))->trigger();
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelSearch"))->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), named<QLineEdit>(QStringLiteral("EditSearch")));
    named<QToolButton>(QStringLiteral("BtnClosePanelSearch"))->click();
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelSearch"))->isHidden());
    EXPECT_FALSE(action(QStringLiteral("ViewSearch"))->isChecked());
}

// What the bar tells the window: each search with its word and case option, and nothing for
// an empty word, which only opens the bar.
TEST_F(SearchTest, TheBarSignalsEachSearchWithItsCaseOption)
{
    startWith(QStringLiteral("Word word"));
    auto *bar = named<SearchBar>(QStringLiteral("PanelSearch"));
    QSignalSpy searched(bar, &SearchBar::searchRequested);
    QSignalSpy closed(bar, &SearchBar::closed);
    const struct {
        QString word;
        bool matchCase;
    } cases[] = {{QStringLiteral("word"), false}, {QStringLiteral("Word"), true}};
    for (const auto &c : cases) {
        named<QCheckBox>(QStringLiteral("cbMatchCase"))->setChecked(c.matchCase);
        bar->setWord(c.word);
        QTest::keyClick(named<QLineEdit>(QStringLiteral("EditSearch")), Qt::Key_Return);
        ASSERT_EQ(searched.size(), 1) << c.word.toStdString();
        EXPECT_EQ(searched.takeFirst(), (QList<QVariant>{c.word, c.matchCase}));
    }
    bar->setWord(QString());
    action(QStringLiteral("ActionFindNext"))->trigger();
    EXPECT_TRUE(searched.isEmpty());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(closed.isEmpty());
    named<QToolButton>(QStringLiteral("BtnClosePanelSearch"))->click();
    EXPECT_EQ(closed.size(), 1);
}
