// The main window as a desktop user meets it: the box's keys and mouse, the font dialog,
// reloading a file that has gone, tool-tips and what a screen reader reads.
#include "UiFixture.h"

#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/DriveComboBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>

#include <vector>

namespace {

QString rowPath(const QListWidgetItem *item)
{
    return item ? item->data(Qt::UserRole).toString() : QString();
}

} // namespace

class WindowTest : public UiFixture {
protected:
    QString longText;

    // A folder with a long text file and two subfolders, shown by a "/n" start.
    MainWindow &startInFolder()
    {
        for (int i = 0; i < 400; ++i)
            longText += QStringLiteral("line %1\n").arg(i);
        writeText(QStringLiteral("a.txt"), longText);
        writeText(QStringLiteral("b.txt"), QStringLiteral("second"));
        QDir(filesDir.path()).mkdir(QStringLiteral("one"));
        QDir(filesDir.path()).mkdir(QStringLiteral("two"));
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        return w;
    }
    QString folder() const { return filesDir.path() + QLatin1Char('/'); }
    DirectoryListBox *folders() const { return named<DirectoryListBox>(QStringLiteral("DirectoryListBox1")); }

    // A right click through the window, as the platform delivers it (press brings the menu).
    void rightClick(QWidget *list, int row)
    {
        auto *view = static_cast<QListWidget *>(list);
        view->scrollToItem(view->item(row));
        const QRect box = view->visualItemRect(view->item(row));
        const QPoint at = view->viewport()->mapTo(form.get(), box.center());
        QTest::mouseClick(form->windowHandle(), Qt::RightButton, {}, at);
    }
};

TEST_F(WindowTest, SpacePagesTheViewFromEveryControlOfTheBoxAndDoesNothingElse)
{
    MainWindow &w = startInFolder();
    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Down);
    ASSERT_EQ(viewText(), longText);
    QScrollBar *bar = view()->verticalScrollBar();
    const QString shownFolder = folders()->directory();
    const QString highlighted = rowPath(folders()->currentItem());

    ASSERT_EQ(bar->value(), 0);
    for (QWidget *control : std::initializer_list<QWidget *>{folders(), named<DriveComboBox>(QStringLiteral("DriveComboBox1")),
                                                             named<FilterComboBox>(QStringLiteral("FilterComboBox1")), fileList()}) {
        SCOPED_TRACE(control->objectName().toStdString());
        control->setFocus();
        const int before = bar->value();
        QTest::keyClick(control, Qt::Key_Space);
        const int paged = bar->value();
        EXPECT_GT(paged, before);
        QTest::keyClick(control, Qt::Key_Space, Qt::ShiftModifier); // back by exactly the page
        EXPECT_EQ(bar->value(), before);
        QTest::keyClick(control, Qt::Key_Space);
        EXPECT_EQ(bar->value(), paged);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    // The folder list searched for no blank and opened nothing; the file list kept its selection.
    EXPECT_EQ(folders()->directory(), shownFolder);
    EXPECT_EQ(rowPath(folders()->currentItem()), highlighted);
    EXPECT_EQ(w.FileNameNow(), folder() + QStringLiteral("a.txt"));
    EXPECT_EQ(viewText(), longText);
}

TEST_F(WindowTest, SpaceInAFileListWithoutSelectionLoadsNothing)
{
    MainWindow &w = startInFolder();
    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Space);
    EXPECT_TRUE(fileList()->selectedPath().isEmpty());
    EXPECT_TRUE(view()->isEmpty());
    EXPECT_TRUE(w.FileNameNow().isEmpty());
}

TEST_F(WindowTest, CursorKeysMoveTheFolderHighlightAndEnterOpensIt)
{
    startInFolder();
    folders()->setFocus();
    const QString shown = folders()->directory();
    QTest::keyClick(folders(), Qt::Key_Down);
    EXPECT_EQ(rowPath(folders()->currentItem()), folder() + QStringLiteral("one/"));
    QTest::keyClick(folders(), Qt::Key_Down);
    EXPECT_EQ(rowPath(folders()->currentItem()), folder() + QStringLiteral("two/"));
    EXPECT_EQ(folders()->directory(), shown); // nothing opened on the way
    EXPECT_EQ(fileList()->directory(), shown);

    QTest::keyClick(folders(), Qt::Key_Return);
    EXPECT_EQ(folders()->directory(), folder() + QStringLiteral("two/"));
    EXPECT_EQ(fileList()->directory(), folder() + QStringLiteral("two/"));

    // A left click opens the clicked folder.
    QListWidgetItem *parent = folders()->findItems(QDir(filesDir.path()).dirName(), Qt::MatchEndsWith).value(0);
    ASSERT_NE(parent, nullptr);
    QTest::mouseClick(folders()->viewport(), Qt::LeftButton, {}, folders()->visualItemRect(parent).center());
    EXPECT_EQ(fileList()->directory(), folder());
}

TEST_F(WindowTest, RightClickOpensThePopUpsWithoutSelectingOrOpening)
{
    MainWindow &w = startInFolder();
    rightClick(fileList(), 0);
    QTRY_VERIFY(named<QMenu>(QStringLiteral("PopupMenuFile"))->isVisible());
    named<QMenu>(QStringLiteral("PopupMenuFile"))->close();
    EXPECT_TRUE(fileList()->selectedPath().isEmpty());
    EXPECT_TRUE(view()->isEmpty());
    EXPECT_TRUE(w.FileNameNow().isEmpty());

    const QString shown = folders()->directory();
    const int last = folders()->count() - 1; // the subfolder "two"
    rightClick(folders(), last);
    QTRY_VERIFY(named<QMenu>(QStringLiteral("PopupMenuFolder"))->isVisible());
    named<QMenu>(QStringLiteral("PopupMenuFolder"))->close();
    QApplication::processEvents();
    EXPECT_EQ(folders()->directory(), shown);
    EXPECT_EQ(fileList()->directory(), shown);
}

TEST_F(WindowTest, TheReloadEntriesOfThePopUpsAreEnabledWithTheCommand)
{
    MainWindow &w = startInFolder();
    const auto entry = [](QMenu *menu, const char *caption) {
        for (QAction *a : menu->actions())
            if (a->text() == QString::fromUtf8(caption))
                return a;
        return static_cast<QAction *>(nullptr);
    };
    QAction *reView = entry(named<QMenu>(QStringLiteral("PopupMenuFile")), "中身を再閲覧(&V)");
    QAction *reRead = entry(named<QMenu>(QStringLiteral("PopupMenuFolder")), "再読み込み(&R)");
    ASSERT_NE(reView, nullptr);
    ASSERT_NE(reRead, nullptr);
    EXPECT_FALSE(action(QStringLiteral("ActionReLoad"))->isEnabled()); // nothing shown yet
    EXPECT_FALSE(reView->isEnabled());
    EXPECT_FALSE(reRead->isEnabled());

    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Down);
    EXPECT_TRUE(reView->isEnabled());
    EXPECT_TRUE(reRead->isEnabled());
    writeText(QStringLiteral("a.txt"), QStringLiteral("changed"));
    reView->trigger();
    EXPECT_EQ(viewText(), QStringLiteral("changed"));
}

TEST_F(WindowTest, ReloadingAFileThatHasGoneClearsTheEffectMarksAndTheStatus)
{
    const QString path = writeText(QStringLiteral("gone.txt"), QStringLiteral("a b c"));
    MainWindow &w = start({path});
    action(QStringLiteral("ActionNoSpace"))->trigger();
    ASSERT_TRUE(action(QStringLiteral("ActionNoSpace"))->isChecked());
    ASSERT_EQ(viewText(), QStringLiteral("abc"));
    ASSERT_FALSE(statusText(StatusPanel::Date).isEmpty());

    QFile::remove(path);
    action(QStringLiteral("ActionReLoad"))->trigger();
    expectOnlyMessage(QStringLiteral("ファイルは削除されたか移動されたようです。\n\n表示の更新に失敗しました。"),
                      QStringLiteral("更新失敗"), Dialogs::Kind::Failure);
    EXPECT_FALSE(action(QStringLiteral("ActionNoSpace"))->isChecked());
    EXPECT_FALSE(named<QToolButton>(QStringLiteral("ToolButton13"))->isChecked());
    EXPECT_EQ(viewText(), QStringLiteral("abc")); // the view keeps what it showed
    EXPECT_TRUE(statusText(StatusPanel::Date).isEmpty());
    EXPECT_FALSE(action(QStringLiteral("ActionExport"))->isEnabled());
}

TEST_F(WindowTest, TheFontDialogStartsOnTheViewsFaceAndOkWithoutChangeKeepsTheStoredName)
{
    storeValues({{"FontName", QStringLiteral("ＭＳ ゴシック")}, {"FontSize", QStringLiteral("12")}});
    MainWindow &w = start();
    QFont offered;
    dialogs.fontScript = [&](const QFont &initial, const std::function<void(const QFont &)> &apply) {
        offered = initial;
        apply(initial);
        return std::optional<QFont>(initial);
    };
    action(QStringLiteral("ActionSetFont"))->trigger();
    // The dialog lists real faces: it is given the face that stands in for the stored name.
    EXPECT_EQ(offered.family(), QFontInfo(QFont(QStringLiteral("ＭＳ ゴシック"))).family());
    EXPECT_NE(offered.family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(offered.pointSize(), 12);
    EXPECT_EQ(view()->font().family(), QStringLiteral("ＭＳ ゴシック"));
    w.close();
    EXPECT_EQ(stored("FontName"), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(stored("FontSize"), QStringLiteral("12"));
}

TEST_F(WindowTest, EveryToolTipStaysTwentyFiveSeconds)
{
    MainWindow &w = startInFolder();
    int withHints = 0;
    for (QWidget *widget : w.findChildren<QWidget *>()) {
        if (widget->toolTip().isEmpty())
            continue;
        ++withHints;
        EXPECT_EQ(widget->toolTipDuration(), 25000) << widget->metaObject()->className() << " "
                                                    << widget->objectName().toStdString() << " "
                                                    << widget->toolTip().toStdString();
    }
    EXPECT_GE(withHints, 25);
    EXPECT_EQ(named<QToolButton>(QStringLiteral("btnGoSearch"))->toolTip(), QStringLiteral("カーソル位置から下を検索します (F3)"));
    EXPECT_EQ(named<QSplitter>(QStringLiteral("SplitterBox"))->handle(1)->toolTipDuration(), 25000);
}

TEST_F(WindowTest, ButtonsWithoutWordsHaveAccessibleNames)
{
    MainWindow &w = startInFolder();
    const auto name = [](QWidget *widget) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
        return face ? face->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(name(named<QToolButton>(QStringLiteral("ToolButton12"))), QStringLiteral("改行を除外する"));
    EXPECT_EQ(name(named<QToolButton>(QStringLiteral("ToolButton13"))), QStringLiteral("空白を除外する"));
    EXPECT_EQ(name(named<QToolButton>(QStringLiteral("ToolButton14"))), QStringLiteral("HTMLタグを除外する"));
    EXPECT_EQ(name(named<QToolButton>(QStringLiteral("ToolButton18"))), QStringLiteral("最初の空白行まで除外"));
    EXPECT_EQ(name(named<QToolButton>(QStringLiteral("ToolButton17"))), QStringLiteral("行番号を付加する"));
    EXPECT_EQ(name(named<QToolButton>(QStringLiteral("BtnClosePanelSearch"))), QStringLiteral("検索バーを閉じる"));
    EXPECT_EQ(name(named<QToolButton>(QStringLiteral("BtnCloseFileSelectBox"))), QStringLiteral("ファイル選択BOXを閉じる"));
}

TEST_F(WindowTest, AScreenReaderReadsTheViewThroughItsTextInterface)
{
    const QString path = writeText(QStringLiteral("読む.txt"), QStringLiteral("一行目です\nsecond line here\n三"));
    MainWindow &w = start({path});
    action(QStringLiteral("ActionWrapNone"))->trigger();
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(view());
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::EditableText);
    EXPECT_TRUE(face->state().readOnly);
    EXPECT_TRUE(face->state().multiLine);
    QAccessibleTextInterface *text = face->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 24);
    EXPECT_EQ(text->text(0, text->characterCount()), viewText());

    int start = -1, end = -1;
    EXPECT_EQ(text->textAtOffset(2, QAccessible::LineBoundary, &start, &end), QStringLiteral("一行目です\n"));
    EXPECT_EQ(std::pair(start, end), std::pair(0, 6));
    EXPECT_EQ(text->textAfterOffset(2, QAccessible::LineBoundary, &start, &end), QStringLiteral("second line here\n"));
    EXPECT_EQ(text->textBeforeOffset(7, QAccessible::LineBoundary, &start, &end), QStringLiteral("一行目です\n"));
    EXPECT_EQ(text->textAtOffset(23, QAccessible::LineBoundary, &start, &end), QStringLiteral("三"));
    EXPECT_EQ(text->textAfterOffset(23, QAccessible::LineBoundary, &start, &end), QString());
    EXPECT_EQ(text->textAtOffset(14, QAccessible::WordBoundary, &start, &end), QStringLiteral("line"));
    EXPECT_EQ(std::pair(start, end), std::pair(13, 17));
    EXPECT_EQ(text->textAtOffset(1, QAccessible::CharBoundary, &start, &end), QStringLiteral("行"));
    EXPECT_EQ(std::pair(start, end), std::pair(1, 2));

    // Characters have boxes on the screen, left to right, and a point finds its character.
    const QRect first = text->characterRect(0);
    const QRect second = text->characterRect(1);
    EXPECT_GT(first.width(), 0);
    EXPECT_GT(second.left(), first.left());
    EXPECT_GT(text->characterRect(6).top(), first.top()); // the next line lies below
    EXPECT_EQ(text->offsetAtPoint(second.center()), 1);

    // Caret and selection, read and set; their events reach the bus (checked under X).
    text->setSelection(0, 6, 12);
    EXPECT_EQ(view()->selectedText(), QStringLiteral("second"));
    EXPECT_EQ(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(6, 12));
    EXPECT_EQ(text->cursorPosition(), 12);
    QTest::keyClick(view(), Qt::Key_Right);
    EXPECT_EQ(text->cursorPosition(), 12);
    EXPECT_EQ(text->selectionCount(), 0);
    text->setCursorPosition(3);
    EXPECT_EQ(view()->caretPosition(), 3);
    chooseFile(writeText(QStringLiteral("次.txt"), QStringLiteral("next")));
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("next"));
    EXPECT_EQ(text->cursorPosition(), 0);

    action(QStringLiteral("DebugWriteMode"))->trigger();
    EXPECT_FALSE(face->state().readOnly);
    EXPECT_TRUE(face->state().editable);
}
