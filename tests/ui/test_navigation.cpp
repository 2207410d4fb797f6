#include "UiFixture.h"

#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/DriveComboBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QSplitter>
#include <QToolButton>

class NavigationTest : public UiFixture {
protected:
    QStringList files;

    // Three text files, a log and an HTML page the default mask leaves out.
    void makeFolder()
    {
        files << writeText(QStringLiteral("a.txt"), QStringLiteral("first"))
              << writeText(QStringLiteral("B.txt"), QStringLiteral("second"))
              << writeText(QStringLiteral("c.log"), QStringLiteral("third"));
        writeText(QStringLiteral("page.html"), QStringLiteral("<p>web</p>"));
        writeText(QStringLiteral(".hidden.txt"), QStringLiteral("hidden"));
        QDir(filesDir.path()).mkdir(QStringLiteral("sub.txt"));
    }
    MainWindow &startInFolder()
    {
        makeFolder();
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        fileList()->setFocus();
        return w;
    }
    void keyDown() { QTest::keyClick(fileList(), Qt::Key_Down); }
};

TEST_F(NavigationTest, CursorDownWalksTheFolderOneFileAtATime)
{
    MainWindow &w = startInFolder();
    EXPECT_EQ(listed(), QStringList({"a.txt", "B.txt", "c.log"}));
    EXPECT_TRUE(view()->isEmpty()); // a freshly read list shows nothing

    keyDown();
    EXPECT_EQ(viewText(), "first");
    EXPECT_EQ(w.windowTitle(), QStringLiteral("a.txt - Orlimbo  Ver 1.40"));
    keyDown();
    EXPECT_EQ(viewText(), "second");
    EXPECT_EQ(w.FileNameNow(), files[1]);
    EXPECT_EQ(w.settings().History.PreHistory[0], files[0]);
    keyDown();
    EXPECT_EQ(viewText(), "third");
    EXPECT_EQ(w.settings().History.PreHistory[0], files[1]);
    EXPECT_EQ(QApplication::focusWidget(), fileList());
    EXPECT_TRUE(action(QStringLiteral("ActionViewPre"))->isEnabled());

    // Down on the last item selects nothing new and loads nothing.
    keyDown();
    EXPECT_EQ(w.FileNameNow(), files[2]);
    EXPECT_EQ(w.settings().History.PreHistory[0], files[1]);
}

TEST_F(NavigationTest, AFileTheMaskLeavesOutIsShownAlone)
{
    MainWindow &w = startInFolder();
    const QString page = filesDir.filePath(QStringLiteral("page.html"));
    named<FileSelectionBox>(QStringLiteral("PanelDirBars"))->selectByPath(page);
    EXPECT_EQ(listed(), QStringList({"page.html"}));
    EXPECT_EQ(fileList()->selectedPath(), page);
    EXPECT_EQ(viewText(), "<p>web</p>");
    EXPECT_EQ(named<FilterComboBox>(QStringLiteral("FilterComboBox1"))->currentIndex(), 0);

    // Choosing an entry of the file types restores a normal list.
    named<FilterComboBox>(QStringLiteral("FilterComboBox1"))->setCurrentIndex(5);
    emit named<FilterComboBox>(QStringLiteral("FilterComboBox1"))->activated(5);
    EXPECT_EQ(listed(), QStringList({"a.txt", "B.txt", "c.log", "page.html"}));
}

TEST_F(NavigationTest, WildcardsAndInvalidNames)
{
    MainWindow &w = startInFolder();
    named<FileSelectionBox>(QStringLiteral("PanelDirBars"))->selectByPath(filesDir.filePath(QStringLiteral("*.log")));
    EXPECT_EQ(listed(), QStringList({"c.log"}));
    EXPECT_TRUE(view()->isEmpty());

    const QString bad = filesDir.filePath(QStringLiteral("nothing.txt"));
    named<FileSelectionBox>(QStringLiteral("PanelDirBars"))->selectByPath(bad);
    // Under the window's caption, which names no file yet.
    expectOnlyMessage(QStringLiteral("不正なファイル名 - ") + bad, QStringLiteral("Orlimbo"), Dialogs::Kind::Failure);
}

TEST_F(NavigationTest, BackAndForwardThroughTheDropDownLists)
{
    MainWindow &w = startInFolder();
    keyDown();
    keyDown();
    keyDown(); // a, B, c shown

    emit named<QMenu>(QStringLiteral("PopupMenuPre"))->aboutToShow();
    EXPECT_EQ(action(QStringLiteral("PopupPre0"))->text(), QStringLiteral("&0 ") + files[1]);
    EXPECT_EQ(action(QStringLiteral("PopupPre1"))->text(), QStringLiteral("&1 ") + files[0]);
    EXPECT_TRUE(action(QStringLiteral("PopupPre1"))->isVisible());
    EXPECT_FALSE(action(QStringLiteral("PopupPre3"))->isVisible()); // the empty entry of the "/n" start and beyond

    action(QStringLiteral("PopupPre1"))->trigger();
    EXPECT_EQ(viewText(), "first");
    EXPECT_EQ(fileList()->selectedPath(), files[0]);
    EXPECT_EQ(w.settings().History.NextHistory[0], files[1]);
    EXPECT_EQ(w.settings().History.NextHistory[1], files[2]);
    EXPECT_TRUE(action(QStringLiteral("ActionViewNext"))->isEnabled());

    emit named<QMenu>(QStringLiteral("PopupMenuNext"))->aboutToShow();
    action(QStringLiteral("PopupNext1"))->trigger();
    EXPECT_EQ(viewText(), "third");
    EXPECT_EQ(w.settings().History.PreHistory[0], files[1]);

    QTest::keyClick(&w, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(viewText(), "second");
    QTest::keyClick(&w, Qt::Key_Insert, Qt::AltModifier);
    EXPECT_EQ(viewText(), "third");
}

TEST_F(NavigationTest, AHistoryFileThatIsGoneChangesNothing)
{
    MainWindow &w = startInFolder();
    keyDown();
    keyDown();
    QFile::remove(files[0]);
    const BrowsingHistory before = w.settings().History;
    action(QStringLiteral("ActionViewPre"))->trigger();
    expectOnlyMessage(QStringLiteral("履歴にあるファイルは、削除されたか移動されたようです。\n\n読み込めませんでした。"),
                      QStringLiteral("読み込み失敗"), Dialogs::Kind::Failure);
    EXPECT_EQ(viewText(), "second");
    EXPECT_EQ(w.settings().History.PreHistory, before.PreHistory);
    EXPECT_EQ(w.settings().History.NextHistory, before.NextHistory);
}

TEST_F(NavigationTest, HistorySurvivesARestart)
{
    MainWindow &w = startInFolder();
    keyDown();
    keyDown();
    MainWindow &again = restart();
    EXPECT_EQ(again.FileNameNow(), files[1]); // reopened at start
    EXPECT_EQ(again.settings().History.PreHistory[0], files[0]);
    EXPECT_TRUE(action(QStringLiteral("ActionViewPre"))->isEnabled());
}

TEST_F(NavigationTest, TheDebugListingShowsBothLists)
{
    MainWindow &w = startInFolder();
    keyDown();
    action(QStringLiteral("DebugHistories"))->trigger();
    expectOnlyMessage(w.settings().History.DebugListing(), QStringLiteral("履歴管理状態一覧"), Dialogs::Kind::Plain);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("FileNameNow...\n  : ") + files[0]));
}

TEST_F(NavigationTest, DraggingTheBoxNarrowHidesItAndShowingRestoresIt)
{
    MainWindow &w = startInFolder();
    EXPECT_EQ(named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0], 169);
    const int total = named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0] + named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[1];
    named<QSplitter>(QStringLiteral("Splitter1"))->setSizes({20, total - 20});
    emit named<QSplitter>(QStringLiteral("Splitter1"))->splitterMoved(20, 1);
    EXPECT_EQ(named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0], 0);
    EXPECT_FALSE(action(QStringLiteral("ViewSelect"))->isChecked());
    // The remembered width was below 100, so the box comes back at 169.
    action(QStringLiteral("ViewSelect"))->trigger();
    EXPECT_EQ(named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0], 169);
    EXPECT_TRUE(action(QStringLiteral("ViewSelect"))->isChecked());

    named<QSplitter>(QStringLiteral("Splitter1"))->setSizes({240, total - 240});
    named<QToolButton>(QStringLiteral("BtnCloseFileSelectBox"))->click();
    EXPECT_EQ(named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0], 0);
    action(QStringLiteral("ViewSelect"))->trigger();
    EXPECT_EQ(named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0], 240);
    // The file list keeps the focus even while the box is hidden.
    named<QToolButton>(QStringLiteral("BtnCloseFileSelectBox"))->click();
    fileList()->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), fileList());

    // Dragging the handle out shows the box at the remembered width too.
    QSplitterHandle *handle = named<QSplitter>(QStringLiteral("Splitter1"))->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(60, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(60, 0));
    EXPECT_TRUE(action(QStringLiteral("ViewSelect"))->isChecked());
    EXPECT_EQ(named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0], 240);
}

TEST_F(NavigationTest, LayoutsAndStoredBoxState)
{
    makeFolder();
    storeValues({{"AppliSetFlags", QStringLiteral("111101B0001300S0")}});
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    EXPECT_TRUE(named<QToolButton>(QStringLiteral("BtnFileSelBoxBig"))->isChecked());
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelDirBarsDrive"))->isHidden());
    EXPECT_FALSE(named<QWidget>(QStringLiteral("PanelDirBarsFolder"))->isHidden());
    EXPECT_EQ(named<FilterComboBox>(QStringLiteral("FilterComboBox1"))->currentIndex(), 3);
    EXPECT_EQ(fileList()->mask(), QStringLiteral("*.ini;*.reg;*.htt;"));
    EXPECT_EQ(named<QSplitter>(QStringLiteral("Splitter1"))->sizes()[0], 0); // flag 4 hides the box
    EXPECT_FALSE(action(QStringLiteral("ViewSelect"))->isChecked());

    named<QToolButton>(QStringLiteral("BtnFileSelBoxAll"))->click();
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelDirBarsFolder"))->isHidden());
    EXPECT_FALSE(named<QWidget>(QStringLiteral("PanelDirBarsFilter"))->isHidden());
    EXPECT_EQ(w.settings().flag(Flag::FileBoxLayout), 'A');
    w.close();
    EXPECT_EQ(stored("AppliSetFlags"), QStringLiteral("111101A0001300S0"));
}

TEST_F(NavigationTest, FoldersOpenFromTheFolderListAndTheDrives)
{
    MainWindow &w = startInFolder();
    DirectoryListBox *folders = named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"));
    const QString sub = filesDir.filePath(QStringLiteral("sub.txt")) + QLatin1Char('/');
    writeText(QStringLiteral("inner.txt"), QStringLiteral("inner"), sub);
    const QList<QListWidgetItem *> found = folders->findItems(QStringLiteral("sub.txt"), Qt::MatchEndsWith);
    ASSERT_EQ(found.size(), 1);
    folders->setCurrentItem(found[0]);
    QTest::keyClick(folders, Qt::Key_Return);
    EXPECT_EQ(fileList()->directory(), sub);
    // Up from the current folder highlights its parent; Enter opens it.
    QTest::keyClick(folders, Qt::Key_Up);
    EXPECT_EQ(folders->directory(), sub);
    QTest::keyClick(folders, Qt::Key_Return);
    EXPECT_EQ(folders->directory(), filesDir.path() + QLatin1Char('/'));
    EXPECT_EQ(folders->currentItem()->data(Qt::UserRole).toString(), folders->directory());
    // Down from it highlights its first subfolder, which opens with Enter as well.
    QTest::keyClick(folders, Qt::Key_Down);
    QTest::keyClick(folders, Qt::Key_Return);
    EXPECT_EQ(fileList()->directory(), sub);
    EXPECT_EQ(listed(), QStringList({"inner.txt"}));
    EXPECT_TRUE(view()->isEmpty());

    // Each root keeps its own current folder: the home root starts at home, "/" comes back to sub.
    DriveComboBox *drives = named<DriveComboBox>(QStringLiteral("DriveComboBox1"));
    drives->setCurrentIndex(1);
    emit drives->activated(1);
    EXPECT_EQ(folders->directory(), QDir::homePath() + QLatin1Char('/'));
    drives->setCurrentIndex(0);
    emit drives->activated(0);
    EXPECT_EQ(folders->directory(), sub);
}

TEST_F(NavigationTest, TheTitleFollowsTheFocus)
{
    MainWindow &w = startInFolder();
    w.activateWindow();
    fileList()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(named<FileSelectionBox>(QStringLiteral("PanelDirBars"))->titleActive());
    view()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(named<FileSelectionBox>(QStringLiteral("PanelDirBars"))->titleActive());
}

// What the box tells the window: the file the user walks to, a folder it opens once, a name
// that leads nowhere; a file the window already shows is selected without being chosen again.
TEST_F(NavigationTest, TheBoxSignalsChosenFilesOpenedFoldersAndMissingNames)
{
    startInFolder();
    auto *box = named<FileSelectionBox>(QStringLiteral("PanelDirBars"));
    QSignalSpy chosen(box, &FileSelectionBox::fileChosen);
    QSignalSpy opened(box, &FileSelectionBox::folderOpened);
    QSignalSpy missing(box, &FileSelectionBox::fileNotFound);

    keyDown();
    EXPECT_EQ(chosen.takeFirst(), QList<QVariant>{files[0]});
    box->selectByPath(files[2]);
    EXPECT_EQ(chosen.takeFirst(), QList<QVariant>{files[2]});
    box->showFile(files[1]);
    EXPECT_EQ(fileList()->selectedPath(), files[1]);
    EXPECT_TRUE(chosen.isEmpty());

    const QString bad = filesDir.filePath(QStringLiteral("nothing.txt"));
    box->selectByPath(bad);
    EXPECT_EQ(missing.takeFirst(), QList<QVariant>{bad});
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(opened.isEmpty()); // its folder is the one already shown

    const QString sub = filesDir.filePath(QStringLiteral("sub.txt")) + QLatin1Char('/');
    box->openFolder(sub);
    box->openFolder(sub);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.value(0), QList<QVariant>{sub});
    EXPECT_EQ(box->folder(), sub);
}
