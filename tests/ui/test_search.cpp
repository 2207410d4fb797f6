#include "UiFixture.h"

#include "platform/Desktop.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>

class SearchTest : public UiFixture {
protected:
    TForm1 &startWith(const QString &text)
    {
        TForm1 &w = start({writeText(QStringLiteral("t.txt"), text)});
        w.RichEdit->moveCaretToStart();
        return w;
    }
    void search(const QString &word)
    {
        form->PanelSearch->EditSearch->setText(word);
        form->ActionFindNext->trigger();
    }
};

TEST_F(SearchTest, F3FindsEachOccurrenceThenOnlyBeeps)
{
    TForm1 &w = startWith(QStringLiteral("one word, two word\nend"));
    search(QStringLiteral("word"));
    EXPECT_EQ(w.RichEdit->selectionStart(), 4);
    EXPECT_EQ(w.RichEdit->selectedText(), QStringLiteral("word"));
    EXPECT_EQ(QApplication::focusWidget(), w.RichEdit);
    QTest::keyClick(&w, Qt::Key_F3);
    EXPECT_EQ(w.RichEdit->selectionStart(), 14);
    const int beeps = Desktop::beepCount();
    QTest::keyClick(&w, Qt::Key_F3);
    EXPECT_EQ(Desktop::beepCount(), beeps + 1);
    EXPECT_EQ(w.RichEdit->selectionStart(), 14); // the second hit stays selected
    EXPECT_EQ(w.RichEdit->selectionEnd(), 18);
}

TEST_F(SearchTest, ASelectionCoveringAHitIsSkipped)
{
    TForm1 &w = startWith(QStringLiteral("abc xx abc"));
    w.RichEdit->selectRange(0, 5); // covers the first hit
    search(QStringLiteral("abc"));
    EXPECT_EQ(w.RichEdit->selectionStart(), 7);
}

TEST_F(SearchTest, TheCaseOption)
{
    TForm1 &w = startWith(QStringLiteral("small word"));
    search(QStringLiteral("WORD"));
    EXPECT_EQ(w.RichEdit->selectionStart(), 6);

    w.RichEdit->moveCaretToStart();
    w.PanelSearch->cbMatchCase->setChecked(true);
    const int beeps = Desktop::beepCount();
    search(QStringLiteral("WORD"));
    EXPECT_EQ(Desktop::beepCount(), beeps + 1);
    EXPECT_FALSE(w.RichEdit->hasSelection());
}

TEST_F(SearchTest, CtrlFShowsTheBarThenDrawsAttention)
{
    TForm1 &w = startWith(QStringLiteral("text"));
    ASSERT_TRUE(w.PanelSearch->isHidden()); // hidden by default
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(w.PanelSearch->isVisible());
    EXPECT_TRUE(w.ViewSearch->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), w.PanelSearch->EditSearch);
    EXPECT_FALSE(w.PanelSearch->highlighted());
    QTest::keyClick(w.PanelSearch->EditSearch, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(w.PanelSearch->highlighted());
    // Any key in the field restores the normal look.
    QTest::keyClick(w.PanelSearch->EditSearch, Qt::Key_X);
    EXPECT_FALSE(w.PanelSearch->highlighted());
}

TEST_F(SearchTest, EnterSearchesAndInsertsNothing)
{
    TForm1 &w = startWith(QStringLiteral("find me here"));
    w.ActionOpenSearch->trigger();
    QTest::keyClicks(w.PanelSearch->EditSearch, QStringLiteral("me"));
    QTest::keyClick(w.PanelSearch->EditSearch, Qt::Key_Return);
    EXPECT_EQ(w.PanelSearch->EditSearch->text(), QStringLiteral("me"));
    EXPECT_EQ(w.RichEdit->selectionStart(), 5);
}

TEST_F(SearchTest, AnEmptyWordOpensTheBarAndTheCloseButtonHidesIt)
{
    TForm1 &w = startWith(QStringLiteral("text"));
    w.ActionGoSearch->trigger();
    EXPECT_TRUE(w.PanelSearch->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), w.PanelSearch->EditSearch);
    w.PanelSearch->BtnClosePanelSearch->click();
    EXPECT_TRUE(w.PanelSearch->isHidden());
    EXPECT_FALSE(w.ViewSearch->isChecked());
}
