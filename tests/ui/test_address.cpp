#include "UiFixture.h"

#include "platform/Desktop.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>

class AddressTest : public UiFixture {
protected:
    QLineEdit *pathEdit() const { return named<PathComboBox>(QStringLiteral("FilePathBox"))->lineEdit(); }
    void typeInto(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    void paste(const QString &text)
    {
        pathEdit()->clear();
        pathEdit()->setFocus();
        pathEdit()->insert(text); // an edit of the user's, as a paste is
        emit pathEdit()->textEdited(pathEdit()->text());
    }
};

TEST_F(AddressTest, TypingAFolderPathMovesTheListsAsItGoes)
{
    const QString folder = filesDir.filePath(QStringLiteral("deep"));
    writeText(QStringLiteral("x.txt"), QStringLiteral("x"), folder);
    MainWindow &w = start({QStringLiteral("/n"), QDir::homePath()});
    pathEdit()->clear();
    typeInto(pathEdit(), folder);
    EXPECT_EQ(named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory(), folder + QLatin1Char('/'));
    EXPECT_EQ(fileList()->count(), 1);
    EXPECT_TRUE(view()->isEmpty()); // a folder shows no file
    EXPECT_TRUE(w.FileNameNow().isEmpty());
}

TEST_F(AddressTest, PastingAFilePathShowsItOnceEvenWhenMaskedOut)
{
    const QString other = filesDir.filePath(QStringLiteral("other"));
    const QString page = writeText(QStringLiteral("page.html"), QStringLiteral("<b>hi</b>"), other);
    writeText(QStringLiteral("a.txt"), QStringLiteral("a"), other);
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    paste(page);
    EXPECT_EQ(viewText(), QStringLiteral("<b>hi</b>"));
    EXPECT_EQ(fileList()->count(), 1);
    EXPECT_EQ(fileList()->selectedPath(), page);
    EXPECT_EQ(w.FileNameNow(), page);

    // The path of the file already shown adds no history entry.
    const BrowsingHistory before = w.settings().History;
    paste(page);
    EXPECT_EQ(w.settings().History.PreHistory, before.PreHistory);
}

TEST_F(AddressTest, RelativeTextsResolveAgainstTheListedFolder)
{
    writeText(QStringLiteral("rel.txt"), QStringLiteral("relative"));
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    paste(QStringLiteral("rel.txt"));
    EXPECT_EQ(viewText(), QStringLiteral("relative"));
    EXPECT_EQ(w.FileNameNow(), filesDir.filePath(QStringLiteral("rel.txt")));
}

TEST_F(AddressTest, AboutTextsAndTheAddressColour)
{
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    action(QStringLiteral("ActionExport"))->setEnabled(true);
    paste(QStringLiteral("about:"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(action(QStringLiteral("ActionExport"))->isEnabled());

    named<PathComboBox>(QStringLiteral("FilePathBox"))->setCurrentIndex(0);
    emit named<PathComboBox>(QStringLiteral("FilePathBox"))->activated(0);
    expectOnlyMessage(MainTexts::kAboutText, QStringLiteral("about:"), Dialogs::Kind::Notice);
    EXPECT_FALSE(action(QStringLiteral("ActionExport"))->isEnabled());

    paste(QStringLiteral("http://example.com/"));
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->palette().color(QPalette::Text), QColor(Qt::blue));
    paste(QStringLiteral("HTTP://example.com/"));
    EXPECT_NE(named<PathComboBox>(QStringLiteral("FilePathBox"))->palette().color(QPalette::Text), QColor(Qt::blue));

    // Text set by the program runs nothing.
    named<PathComboBox>(QStringLiteral("FilePathBox"))->setEditText(QStringLiteral("about: 1 set by the program"));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(AddressTest, ReloadOfARenamedFileFailsAndKeepsTheText)
{
    const QString path = writeText(QStringLiteral("a.txt"), QStringLiteral("old text"));
    MainWindow &w = start({path});
    QFile::rename(path, filesDir.filePath(QStringLiteral("b.txt")));
    QTest::keyClick(&w, Qt::Key_F5);
    expectOnlyMessage(QStringLiteral("ファイルは削除されたか移動されたようです。\n\n表示の更新に失敗しました。"),
                      QStringLiteral("更新失敗"), Dialogs::Kind::Failure);
    EXPECT_EQ(viewText(), QStringLiteral("old text"));
    // The lists were refreshed already.
    ASSERT_EQ(fileList()->count(), 1);
    EXPECT_EQ(fileList()->item(0)->text(), QStringLiteral("b.txt"));
}

TEST_F(AddressTest, ReloadReadsTheFileAfreshWithoutAHistoryStep)
{
    const QString path = writeText(QStringLiteral("a.txt"), QStringLiteral("one"));
    MainWindow &w = start({path});
    writeText(QStringLiteral("a.txt"), QStringLiteral("two"));
    const BrowsingHistory before = w.settings().History;
    action(QStringLiteral("ActionReLoad"))->trigger();
    EXPECT_EQ(viewText(), QStringLiteral("two"));
    EXPECT_EQ(fileList()->selectedPath(), path);
    EXPECT_EQ(w.settings().History.PreHistory, before.PreHistory);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AddressTest, TheLastFileIsReopenedOrForgottenAtStart)
{
    const QString path = writeText(QStringLiteral("last.txt"), QStringLiteral("again"));
    // A key without the flag text would leave every flag NUL, so the defaults are stored.
    storeValues({{"FileNameNow", path}, {"AppliSetFlags", QStringLiteral("111111C0001000S0")}});
    MainWindow &w = start();
    EXPECT_EQ(viewText(), QStringLiteral("again"));
    EXPECT_EQ(fileList()->selectedPath(), path);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->currentText(), path);
    w.close();
    form.reset();

    QFile::remove(path);
    MainWindow &again = start();
    EXPECT_TRUE(again.FileNameNow().isEmpty());
    EXPECT_TRUE(view()->isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    again.close();
    form.reset();

    // With flag 0 off the file is not reopened even when it exists.
    writeText(QStringLiteral("last.txt"), QStringLiteral("again"));
    storeValues({{"FileNameNow", path}, {"AppliSetFlags", QStringLiteral("011111C0001000S0")}});
    EXPECT_TRUE(start().FileNameNow().isEmpty());
}

TEST_F(AddressTest, OpenFileAndOpenFolderGoThroughTheDialogs)
{
    const QString sub = filesDir.filePath(QStringLiteral("sub"));
    const QString file = writeText(QStringLiteral("opened.txt"), QStringLiteral("opened"), sub);
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    named<FilterComboBox>(QStringLiteral("FilterComboBox1"))->setCurrentIndex(3);

    dialogs.fileAnswers.push_back(file);
    action(QStringLiteral("ActionFileOpen"))->trigger();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].title, QStringLiteral("ファイルを開く"));
    EXPECT_EQ(dialogs.fileRequests[0].folder, filesDir.path() + QLatin1Char('/'));
    EXPECT_EQ(dialogs.fileRequests[0].filters.size(), 6);
    EXPECT_EQ(dialogs.fileRequests[0].selectedFilter, 0);
    EXPECT_EQ(viewText(), QStringLiteral("opened"));
    EXPECT_EQ(w.FileNameNow(), file);

    const QString missing = sub + QStringLiteral("/missing.txt");
    dialogs.fileAnswers.push_back(missing);
    action(QStringLiteral("ActionFileOpen"))->trigger();
    expectOnlyMessage(QStringLiteral("不正なファイル名 - ") + missing, QStringLiteral("opened.txt - Orlimbo  Ver 1.40"),
                      Dialogs::Kind::Failure);
    EXPECT_EQ(viewText(), QStringLiteral("opened"));

    dialogs.folderAnswers.push_back(filesDir.path());
    action(QStringLiteral("ActionFolderOpen"))->trigger();
    EXPECT_EQ(dialogs.folderTitles, std::vector<QString>{QStringLiteral("開きたいフォルダを選択して下さい。：")});
    EXPECT_EQ(named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory(), filesDir.path() + QLatin1Char('/'));
    EXPECT_EQ(fileList()->selectedPath(), QString());
    EXPECT_EQ(viewText(), QStringLiteral("opened"));
}

// The open and folder dialogs start beside the viewed file, else in the list's folder.
TEST_F(AddressTest, TheDialogsStartInTheViewedFilesFolder)
{
    const QString sub = filesDir.filePath(QStringLiteral("sub"));
    const QString file = writeText(QStringLiteral("shown.txt"), QStringLiteral("shown"), sub);
    start({QStringLiteral("/n"), filesDir.path()});
    action(QStringLiteral("ActionFileOpen"))->trigger();
    action(QStringLiteral("ActionFolderOpen"))->trigger();

    form->session().LoadDocument(file, LoadMode::New, 0);
    ASSERT_EQ(named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory(), filesDir.path() + QLatin1Char('/'));
    action(QStringLiteral("ActionFileOpen"))->trigger();
    action(QStringLiteral("ActionFolderOpen"))->trigger();

    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[0].folder, filesDir.path() + QLatin1Char('/'));
    EXPECT_EQ(dialogs.fileRequests[1].folder, sub + QLatin1Char('/'));
    EXPECT_EQ(dialogs.folderStarts, (std::vector<QString>{filesDir.path() + QLatin1Char('/'), sub + QLatin1Char('/')}));
}

// What the bar tells the window: each path the user types or picks, never one the program
// shows; Space in the field pages the view and types nothing.
TEST_F(AddressTest, TheBarSignalsEnteredPathsOnlyAndSpacePagesTheView)
{
    const QString page = writeText(QStringLiteral("a.txt"), QString(400, QLatin1Char('\n')));
    start({page});
    auto *bar = named<AddressBar>(QStringLiteral("PanelPathBar"));
    QSignalSpy entered(bar, &AddressBar::pathEntered);

    bar->showPath(QStringLiteral("/shown"));
    EXPECT_EQ(bar->path(), QStringLiteral("/shown"));
    typeInto(pathEdit(), QStringLiteral("ab"));
    ASSERT_EQ(entered.size(), 2); // one per key, as the lists follow the typing
    EXPECT_EQ(entered.at(1), QList<QVariant>{QStringLiteral("/shownab")});
    named<PathComboBox>(QStringLiteral("FilePathBox"))->setCurrentIndex(0);
    emit named<PathComboBox>(QStringLiteral("FilePathBox"))->activated(0);
    EXPECT_EQ(entered.size(), 3);
    EXPECT_EQ(entered.at(2), QList<QVariant>{MainTexts::kPathAboutEntry});

    entered.clear();
    QScrollBar *scroll = view()->verticalScrollBar();
    scroll->setValue(0);
    const QString before = pathEdit()->text();
    QTest::keyClick(pathEdit(), Qt::Key_Space);
    EXPECT_EQ(scroll->value(), scroll->pageStep());
    EXPECT_EQ(pathEdit()->text(), before);
    EXPECT_TRUE(entered.isEmpty());
}
