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
    MainWindow &startWith(const QString &text)
    {
        MainWindow &w = start({writeText(QStringLiteral("t.txt"), text)});
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
    MainWindow &w = startWith(QStringLiteral("one word, two word\nend"));
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
    MainWindow &w = startWith(QStringLiteral("abc xx abc"));
    view()->selectRange(0, 5); // covers the first hit
    search(QStringLiteral("abc"));
    EXPECT_EQ(view()->selectionStart(), 7);
}

TEST_F(SearchTest, TheCaseOption)
{
    MainWindow &w = startWith(QStringLiteral("small word"));
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
    MainWindow &w = startWith(QStringLiteral("text"));
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
    MainWindow &w = startWith(QStringLiteral("find me here"));
    action(QStringLiteral("ActionOpenSearch"))->trigger();
    QTest::keyClicks(named<QLineEdit>(QStringLiteral("EditSearch")), QStringLiteral("me"));
    QTest::keyClick(named<QLineEdit>(QStringLiteral("EditSearch")), Qt::Key_Return);
    EXPECT_EQ(named<QLineEdit>(QStringLiteral("EditSearch"))->text(), QStringLiteral("me"));
    EXPECT_EQ(view()->selectionStart(), 5);
}

TEST_F(SearchTest, AnEmptyWordOpensTheBarAndTheCloseButtonHidesIt)
{
    MainWindow &w = startWith(QStringLiteral("text"));
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

// The field keeps the keys a text field has: Ctrl+A selects the word, not the view's text;
// Ctrl+F on the open bar selects the word so that typing replaces it; Esc closes the bar and
// gives the view the focus.
TEST_F(SearchTest, TheFieldsOwnKeys)
{
    MainWindow &w = startWith(QStringLiteral("some text to read"));
    auto *field = named<QLineEdit>(QStringLiteral("EditSearch"));
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(field, QStringLiteral("text"));
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(field->selectedText(), QStringLiteral("text"));
    EXPECT_FALSE(view()->hasSelection());

    field->deselect();
    QTest::keyClick(field, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(field->selectedText(), QStringLiteral("text"));
    QTest::keyClicks(field, QStringLiteral("read"));
    EXPECT_EQ(field->text(), QStringLiteral("read"));

    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelSearch"))->isHidden());
    EXPECT_FALSE(action(QStringLiteral("ViewSearch"))->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), view());

    // Opened again from the view, the bar comes with the last word selected.
    QTest::keyClick(view(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->selectedText(), QStringLiteral("read"));
}

// A word that is not found is said in the first status panel, with no message box, until the
// next key press, a command's key included; then the panel shows the file's date again.
TEST_F(SearchTest, AWordNotFoundIsSaidInTheFirstPanelUntilTheNextKey)
{
    startWith(QStringLiteral("nothing here"));
    const QString date = statusText(StatusPanel::Date);
    ASSERT_FALSE(date.isEmpty());
    auto *field = named<QLineEdit>(QStringLiteral("EditSearch"));
    action(QStringLiteral("ActionOpenSearch"))->trigger();
    field->setText(QStringLiteral("語"));
    const int beeps = Desktop::beepCount();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(Desktop::beepCount(), beeps + 1);
    EXPECT_EQ(statusText(StatusPanel::Date), QStringLiteral("「語」は見つかりませんでした"));
    EXPECT_TRUE(dialogs.messages.empty());

    QTest::keyClick(field, Qt::Key_F3); // searches again, and again finds nothing
    EXPECT_EQ(Desktop::beepCount(), beeps + 2);
    EXPECT_EQ(statusText(StatusPanel::Date), QStringLiteral("「語」は見つかりませんでした"));
    QTest::keyClick(field, Qt::Key_Home);
    EXPECT_EQ(statusText(StatusPanel::Date), date);
    QTest::keyClick(field, Qt::Key_End);
    EXPECT_EQ(statusText(StatusPanel::Date), date);
    EXPECT_TRUE(dialogs.messages.empty());
}

// Shift+F3 and the "前" button search upward from the selection start, hit after hit, and
// then only sound, the first hit staying selected.
TEST_F(SearchTest, ShiftF3FindsEachOccurrenceUpwardThenOnlyBeeps)
{
    MainWindow &w = startWith(QStringLiteral("one word, two word\nend"));
    view()->selectRange(20, 0);
    named<QLineEdit>(QStringLiteral("EditSearch"))->setText(QStringLiteral("word"));
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(view()->selectionStart(), 14);
    EXPECT_EQ(view()->selectedText(), QStringLiteral("word"));
    named<QToolButton>(QStringLiteral("btnFindPrevious"))->click();
    EXPECT_EQ(view()->selectionStart(), 4);
    const int beeps = Desktop::beepCount();
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Desktop::beepCount(), beeps + 1);
    EXPECT_EQ(view()->selectionStart(), 4);
    EXPECT_EQ(view()->selectionEnd(), 8);
    EXPECT_EQ(named<QToolButton>(QStringLiteral("btnFindPrevious"))->text(), QStringLiteral("前"));
}

TEST_F(SearchTest, TheFolderOptionIsClearAtFirstAndSurvivesARestart)
{
    startWith(QStringLiteral("text"));
    auto *box = named<QCheckBox>(QStringLiteral("cbSearchFolder"));
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(box->text(), QStringLiteral("後続のファイルも検索(&O)"));
    box->setChecked(true);
    restart();
    EXPECT_EQ(stored("SearchFolder"), QStringLiteral("1"));
    EXPECT_TRUE(named<QCheckBox>(QStringLiteral("cbSearchFolder"))->isChecked());
    named<QCheckBox>(QStringLiteral("cbSearchFolder"))->setChecked(false);
    restart();
    EXPECT_EQ(stored("SearchFolder"), QStringLiteral("0"));
    EXPECT_FALSE(named<QCheckBox>(QStringLiteral("cbSearchFolder"))->isChecked());
}
