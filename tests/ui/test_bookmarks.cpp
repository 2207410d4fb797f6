#include "UiFixture.h"

#include "resources/BookmarkTexts.h"
#include "resources/MainTexts.h"
#include "ui/BookmarkDialog.h"
#include "ui/BookmarkMenu.h"
#include "ui/CopyMoveDialog.h"
#include "ui/widgets/DirectoryListBox.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>

#include <functional>

namespace {

const QByteArray kHeader = "# Orlimbo - Bookmark File,\r\n";

const auto fileBytes = TestFiles::contents;

QStringList gridTexts(const BookmarkDialog &form)
{
    QStringList rows;
    for (const Bookmark &row : form.gridRows())
        rows << row.name + QLatin1Char('|') + row.path;
    return rows;
}

} // namespace

class BookmarkTest : public UiFixture {
protected:
    QString bookmarkFile() const { return programDir.filePath(QStringLiteral("BOOKMARK.CSV")); }
    void writeBookmarks(const QString &records)
    {
        QFile f(bookmarkFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kHeader + Cp932::encode(records));
    }

    std::unique_ptr<BookmarkDialog> openDialog(BookmarkDialogMode mode, const QString &fileNameNow = {})
    {
        auto dialog = std::make_unique<BookmarkDialog>(
            BookmarkDialogContext{fileNameNow, mode, bookmarkFile(), dialogs});
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    // Runs `steps` on the bookmark dialog once the main window has it open modally.
    void whenDialogOpens(std::function<void(BookmarkDialog &)> steps)
    {
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, steps] {
            auto *dialog = qobject_cast<BookmarkDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll->stop();
            poll->deleteLater();
            steps(*dialog);
            if (dialog->isVisible())
                dialog->reject(); // never leave a test waiting on the dialog
        });
        poll->start(10);
    }

    QStringList menuBookmarks() const
    {
        QStringList items;
        const QList<QAction *> actions = named<QMenu>(QStringLiteral("MenuBookmark"))->actions();
        for (qsizetype i = 3; i < actions.size(); ++i)
            items << actions[i]->text() + QLatin1Char('|') + actions[i]->toolTip();
        return items;
    }

    QWidget *focused() const { return QApplication::focusWidget(); }
    // The texts and captions of the boxes shown so far, and that each had the given kind.
    QStringList shown(Dialogs::Kind kind) const
    {
        QStringList texts;
        for (const auto &m : dialogs.messages) {
            EXPECT_EQ(m.kind, kind) << m.text.toStdString();
            texts << m.caption + QLatin1Char(':') + m.text;
        }
        return texts;
    }
    // The cell editor of the grid's current cell, opened as the cell became current.
    QLineEdit *cellEditor(BookmarkDialog &d) const
    {
        auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        EXPECT_TRUE(edit && d.StringGrid->isAncestorOf(edit));
        return edit;
    }
};

TEST_F(BookmarkTest, AddModeWithAFileOnViewAddsItsFolderAndSavesWithEnter)
{
    writeBookmarks(QStringLiteral("メモ,/memo/\n"));
    const QString viewed = writeText(QStringLiteral("日記.txt"), QStringLiteral("x"));
    auto d = openDialog(BookmarkDialogMode::Add, viewed);
    EXPECT_EQ(d->EditFolder->text(), filesDir.path() + QLatin1Char('/'));
    EXPECT_EQ(d->EditFile->text(), viewed);
    EXPECT_TRUE(d->rbFolder->isChecked());
    EXPECT_FALSE(d->LabelPath->isVisible() || d->BtnCellUp->isVisible() || d->LabelDirectEdit->isVisible());
    EXPECT_EQ(focused(), d->EditName);
    EXPECT_EQ(gridTexts(*d), QStringList({QStringLiteral("メモ|/memo/"), "|"}));

    // Enter in the name field presses the default button: an empty name becomes the folder.
    QTest::keyClick(d->EditName, Qt::Key_Return);
    const QString folder = filesDir.path() + QLatin1Char('/');
    EXPECT_EQ(gridTexts(*d), QStringList({QStringLiteral("メモ|/memo/"), folder + "|" + folder, "|"}));
    EXPECT_TRUE(d->EditName->text().isEmpty() && d->EditFolder->text().isEmpty() && d->EditFile->text().isEmpty());
    EXPECT_EQ(focused(), d->BitBtn1);
    EXPECT_TRUE(dialogs.messages.empty());

    QTest::keyClick(d->BitBtn1, Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(fileBytes(bookmarkFile()),
              kHeader + Cp932::encode(QStringLiteral("メモ,/memo/\n") + folder + "," + folder + "\n"));
}

TEST_F(BookmarkTest, AddModeTakesTheFileWhenItsButtonIsChosen)
{
    const QString viewed = writeText(QStringLiteral("a.txt"), QStringLiteral("x"));
    auto d = openDialog(BookmarkDialogMode::Add, viewed);
    d->rbFile->click();
    EXPECT_EQ(focused(), d->EditFile);
    d->EditName->setText(QStringLiteral("日記"));
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(gridTexts(*d), QStringList({QStringLiteral("日記|") + viewed, "|"}));
}

TEST_F(BookmarkTest, AddModeWithNothingOnViewRefusesBothEmptyPaths)
{
    auto d = openDialog(BookmarkDialogMode::Add);
    EXPECT_TRUE(d->EditFolder->text().isEmpty() && d->EditFile->text().isEmpty());
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    d->rbFile->click();
    d->EditFile->setText(filesDir.filePath(QStringLiteral("missing.txt")));
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    const QString caption = BookmarkTexts::kInputErrorCaption + QLatin1Char(':');
    EXPECT_EQ(shown(Dialogs::Kind::Warning),
              QStringList({caption + BookmarkTexts::kNoSuchFolder, caption + BookmarkTexts::kNoSuchFile}));
    EXPECT_EQ(d->EditFile->text(), filesDir.filePath(QStringLiteral("missing.txt"))); // kept for mending
    EXPECT_EQ(gridTexts(*d), QStringList({"|"}));
}

TEST_F(BookmarkTest, AddingRefusesCommasLeadingHashesAndPathsOutsideShiftJis)
{
    const QString hangul = filesDir.filePath(QStringLiteral("한글"));
    QDir().mkpath(hangul);
    auto d = openDialog(BookmarkDialogMode::Add);
    d->EditFolder->setText(filesDir.path());
    d->EditName->setText(QStringLiteral("a,b"));
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    d->EditName->setText(QStringLiteral(" #note"));
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    d->EditName->setText(QStringLiteral("ok"));
    d->EditFolder->setText(hangul);
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    const QString forbidden = BookmarkTexts::kForbiddenCaption + QLatin1Char(':');
    EXPECT_EQ(shown(Dialogs::Kind::Warning),
              QStringList({forbidden + BookmarkTexts::kCommaInName, forbidden + BookmarkTexts::kHashAtNameStart,
                           forbidden + BookmarkTexts::unrecordableText(QStringLiteral("한"))}));
    EXPECT_EQ(gridTexts(*d), QStringList({"|"}));
}

TEST_F(BookmarkTest, AddingRefusesWhatTheFileCannotRecordWithItsOwnMessage)
{
    writeBookmarks(QStringLiteral("a,/a\n"));
    const QByteArray before = fileBytes(bookmarkFile());
    const QString comma = filesDir.filePath(QStringLiteral("x,y"));
    const QString hangul = filesDir.filePath(QStringLiteral("한글"));
    const QString waveDash = filesDir.filePath(QStringLiteral("波\u301C線"));
    for (const QString &folder : {comma, hangul, waveDash})
        ASSERT_TRUE(QDir().mkpath(folder));
    struct Case {
        QString name;
        QString folder;
        QString text; // the message, caption "使用禁止文字の発見" and the warning icon
    };
    const Case cases[] = {
        // The path's own message, although the empty name would take the path.
        {QString(), comma, BookmarkTexts::kCommaInPath},
        {QStringLiteral("k,"), hangul, BookmarkTexts::kCommaInName},
        {QString(), hangul, BookmarkTexts::unrecordableText(QStringLiteral("한"))},
        {QStringLiteral("x😀y"), waveDash, BookmarkTexts::unrecordableText(QStringLiteral("😀"))},
    };
    auto d = openDialog(BookmarkDialogMode::Add);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        dialogs.messages.clear();
        d->EditName->setText(c.name);
        d->EditFolder->setText(c.folder);
        QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, c.text);
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("使用禁止文字の発見"));
        EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::Warning);
        EXPECT_EQ(gridTexts(*d), QStringList({"a|/a", "|"}));
        EXPECT_EQ(d->EditFolder->text(), c.folder); // kept for mending
    }
    EXPECT_EQ(fileBytes(bookmarkFile()), before);
}

TEST_F(BookmarkTest, SavingRefusesACellTheFileCannotRecordAndKeepsTheDialogOnThatCell)
{
    writeBookmarks(QStringLiteral("a,/a\nb,/b\n"));
    const QByteArray before = fileBytes(bookmarkFile());
    struct Case {
        int row;
        int column;
        QString cell;
        QString text;
    };
    const Case cases[] = {
        {1, 0, QStringLiteral("b한"), BookmarkTexts::unrecordableText(QStringLiteral("한"))},
        {1, 1, QStringLiteral("/b/\U0001F600"), BookmarkTexts::unrecordableText(QStringLiteral("\U0001F600"))},
        {0, 1, QStringLiteral("/a,b"), BookmarkTexts::kCommaInPath},
        {1, 0, QStringLiteral("b,c"), BookmarkTexts::kCommaInName},
    };
    auto d = openDialog(BookmarkDialogMode::Organise);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cell.toStdString());
        dialogs.messages.clear();
        d->StringGrid->setCurrentIndex(QModelIndex());
        const QString original = d->StringGrid->item(c.row, c.column)->text();
        d->StringGrid->item(c.row, c.column)->setText(c.cell);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, c.text);
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("使用禁止文字の発見"));
        EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::Warning);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->StringGrid->currentRow(), c.row);
        EXPECT_EQ(d->StringGrid->currentColumn(), c.column);
        EXPECT_EQ(d->StringGrid->item(c.row, c.column)->text(), c.cell); // nothing typed is lost
        EXPECT_EQ(fileBytes(bookmarkFile()), before);
        d->StringGrid->setCurrentIndex(QModelIndex());
        d->StringGrid->item(c.row, c.column)->setText(original);
    }
}

TEST_F(BookmarkTest, OrganiseModeEditsCellsAndDropsRowsWithoutAPath)
{
    writeBookmarks(QStringLiteral("one,/p1\ntwo,/p2\nthree,/p3\n"));
    auto d = openDialog(BookmarkDialogMode::Organise);
    EXPECT_FALSE(d->rbFile->isVisible() || d->EditFile->isVisible() || d->rbFolder->isVisible());
    EXPECT_TRUE(d->LabelPath->isVisible() && d->LabelDirectEdit->isVisible() && d->BtnCellUp->isVisible());

    // The grid has the focus with its editor open on the first name.
    EXPECT_EQ(d->StringGrid->currentRow(), 0);
    QLineEdit *editor = cellEditor(*d);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete); // "one" keeps its bookmark under its path
    d->StringGrid->setCurrentCell(1, 1);
    editor = cellEditor(*d);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete); // "two" loses its path and so its row
    d->StringGrid->setCurrentCell(2, 0);
    editor = cellEditor(*d);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End); // an opened editor has its text selected
    QTest::keyClicks(editor, QStringLiteral("3"));

    QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(fileBytes(bookmarkFile()), kHeader + "/p1,/p1\r\nthree3,/p3\r\n");
}

TEST_F(BookmarkTest, OrganiseModeTypingIntoTheBottomRowAddsAFreshOne)
{
    auto d = openDialog(BookmarkDialogMode::Organise);
    EXPECT_EQ(d->StringGrid->rowCount(), 1);
    QLineEdit *editor = cellEditor(*d);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A);
    EXPECT_EQ(d->StringGrid->rowCount(), 1); // the row was empty when the key came
    QTest::keyClicks(editor, QStringLiteral("b"));
    EXPECT_EQ(d->StringGrid->rowCount(), 2);
    EXPECT_EQ(gridTexts(*d), QStringList({"ab|", "|"}));
    // Handing each keystroke to the grid leaves the cursor where typing goes on.
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClicks(editor, QStringLiteral("xy"));
    EXPECT_EQ(editor->text(), "xyab");
    EXPECT_EQ(gridTexts(*d), QStringList({"xyab|", "|"}));

    // Esc in a cell cancels the whole dialog.
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(d->isVisible());
}

TEST_F(BookmarkTest, OrganiseModeAddsOnlyExistingFolders)
{
    const QString file = writeText(QStringLiteral("a.txt"), QStringLiteral("x"));
    auto d = openDialog(BookmarkDialogMode::Organise);
    d->EditFolder->setText(file);
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(shown(Dialogs::Kind::Warning),
              QStringList({BookmarkTexts::kInputErrorCaption + QLatin1Char(':') + BookmarkTexts::kNoSuchFolder}));
    d->EditFolder->setText(filesDir.path());
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(gridTexts(*d), QStringList({filesDir.path() + "|" + filesDir.path(), "|"}));
    EXPECT_EQ(focused(), d->EditName);
}

TEST_F(BookmarkTest, UpAndDownMoveRowsWithinTheirLimitsWhileTheGridHasTheFocus)
{
    writeBookmarks(QStringLiteral("a,/a\nb,/b\nc,/c\n"));
    auto d = openDialog(BookmarkDialogMode::Organise);
    EXPECT_TRUE(d->BtnCellUp->isEnabled() && d->BtnCellDown->isEnabled());
    auto up = [&] { QTest::mouseClick(d->BtnCellUp, Qt::LeftButton); };
    auto down = [&] { QTest::mouseClick(d->BtnCellDown, Qt::LeftButton); };

    up(); // the first bookmark stays
    EXPECT_EQ(gridTexts(*d), QStringList({"a|/a", "b|/b", "c|/c", "|"}));
    down();
    EXPECT_EQ(gridTexts(*d), QStringList({"b|/b", "a|/a", "c|/c", "|"}));
    EXPECT_EQ(d->StringGrid->currentRow(), 1);
    down();
    EXPECT_EQ(d->StringGrid->currentRow(), 2);
    down(); // the last bookmark stays
    EXPECT_EQ(gridTexts(*d), QStringList({"b|/b", "c|/c", "a|/a", "|"}));
    d->StringGrid->setCurrentCell(3, 0);
    down(); // so does the empty bottom row
    up();   // which goes above the last bookmark
    EXPECT_EQ(gridTexts(*d), QStringList({"b|/b", "c|/c", "|", "a|/a"}));
    EXPECT_EQ(d->StringGrid->currentRow(), 2);
    EXPECT_TRUE(d->BtnCellUp->isEnabled()); // the buttons left the focus in the grid

    d->EditName->setFocus();
    EXPECT_FALSE(d->BtnCellUp->isEnabled() || d->BtnCellDown->isEnabled());

    // The empty row in the middle is dropped on saving.
    QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(fileBytes(bookmarkFile()), kHeader + "b,/b\r\nc,/c\r\na,/a\r\n");
}

TEST_F(BookmarkTest, SavingRefusesCommasAndLeadingHashesInTheCells)
{
    writeBookmarks(QStringLiteral("a,/a\n"));
    const QByteArray before = fileBytes(bookmarkFile());
    auto d = openDialog(BookmarkDialogMode::Organise);
    d->StringGrid->setCurrentIndex(QModelIndex());
    d->StringGrid->item(0, 1)->setText(QStringLiteral("/x,y"));
    QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    d->StringGrid->item(0, 1)->setText(QStringLiteral("/a"));
    d->StringGrid->item(0, 0)->setText(QStringLiteral("  #a"));
    QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    const QString forbidden = BookmarkTexts::kForbiddenCaption + QLatin1Char(':');
    EXPECT_EQ(shown(Dialogs::Kind::Warning),
              QStringList({forbidden + BookmarkTexts::kCommaInPath, forbidden + BookmarkTexts::kHashAtNameStart}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->StringGrid->currentRow(), 0);
    EXPECT_EQ(fileBytes(bookmarkFile()), before);
}

TEST_F(BookmarkTest, CancelAfterAddingLeavesTheFileUnchanged)
{
    writeBookmarks(QStringLiteral("a,/a\n"));
    const QByteArray before = fileBytes(bookmarkFile());
    auto d = openDialog(BookmarkDialogMode::Add, writeText(QStringLiteral("a.txt"), QStringLiteral("x")));
    QTest::mouseClick(d->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(d->StringGrid->rowCount(), 3);
    QTest::keyClick(d->BitBtn1, Qt::Key_Escape);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(fileBytes(bookmarkFile()), before);
}

TEST_F(BookmarkTest, ReadOnlyFileReportsOpenErrorAndTheMenuComesFromTheUnchangedFile)
{
    writeBookmarks(QStringLiteral("a,/a\nb,/b\n"));
    const QByteArray before = fileBytes(bookmarkFile());
    QFile::setPermissions(bookmarkFile(), QFileDevice::ReadOwner);
    start({QStringLiteral("/n"), filesDir.path()});
    EXPECT_EQ(menuBookmarks(), QStringList({"a|/a", "b|/b"}));

    whenDialogOpens([](BookmarkDialog &d) {
        d.StringGrid->setCurrentIndex(QModelIndex());
        d.StringGrid->item(0, 0)->setText(QStringLiteral("renamed"));
        d.BitBtn1->click();
    });
    action(QStringLiteral("BookmarkOrganise"))->trigger();
    EXPECT_EQ(form->settings().flag(Flag::BookmarkDialogMode), QLatin1Char('E'));
    EXPECT_EQ(shown(Dialogs::Kind::Failure),
              QStringList({BookmarkTexts::kOpenErrorCaption + QLatin1Char(':') + BookmarkTexts::kOpenErrorText}));
    EXPECT_EQ(fileBytes(bookmarkFile()), before);
    EXPECT_EQ(menuBookmarks(), QStringList({"a|/a", "b|/b"}));
}

TEST_F(BookmarkTest, AddingFromTheMenuRebuildsTheMenuAndThePathList)
{
    const QString viewed = writeText(QStringLiteral("a.txt"), QStringLiteral("x"));
    start({viewed});
    ASSERT_EQ(form->FileNameNow(), viewed);
    EXPECT_TRUE(menuBookmarks().isEmpty());
    named<PathComboBox>(QStringLiteral("FilePathBox"))->showPopup();
    named<PathComboBox>(QStringLiteral("FilePathBox"))->hidePopup();
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->count(), 1);

    whenDialogOpens([](BookmarkDialog &d) {
        d.EditName->setText(QStringLiteral("フォルダ"));
        d.BtnAdd->click();
        d.BitBtn1->click();
    });
    action(QStringLiteral("BookmarkAdd"))->trigger();
    EXPECT_EQ(form->settings().flag(Flag::BookmarkDialogMode), QLatin1Char('A'));
    const QString folder = filesDir.path() + QLatin1Char('/');
    EXPECT_EQ(menuBookmarks(), QStringList({QStringLiteral("フォルダ|") + folder}));
    named<PathComboBox>(QStringLiteral("FilePathBox"))->showPopup();
    named<PathComboBox>(QStringLiteral("FilePathBox"))->hidePopup();
    ASSERT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->count(), 2);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->itemText(0), MainTexts::kPathAboutEntry);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->itemText(1), folder);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->currentText(), viewed); // the shown path stays in the bar
}

TEST_F(BookmarkTest, ChoosingBookmarksOpensTheFolderOrShowsTheFileIntoTheHistory)
{
    const QString sub = filesDir.filePath(QStringLiteral("sub"));
    writeText(QStringLiteral("in sub.txt"), QStringLiteral("in the folder"), sub);
    const QString first = writeText(QStringLiteral("first.txt"), QStringLiteral("first"));
    const QString page = writeText(QStringLiteral("page.html"), QStringLiteral("<p>page</p>"));
    writeBookmarks(QStringLiteral("フォルダ,%1/\nページ,%2\nなし,/no/such/path\n").arg(sub, page));
    start({first});
    ASSERT_EQ(menuBookmarks().size(), 3);
    const QList<QAction *> items = named<QMenu>(QStringLiteral("MenuBookmark"))->actions();

    items[3]->trigger();
    EXPECT_EQ(named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory(), sub + QLatin1Char('/'));
    EXPECT_EQ(fileList()->count(), 1);
    EXPECT_EQ(form->FileNameNow(), first); // the view keeps its file
    EXPECT_EQ(viewText(), "first");

    items[4]->trigger();
    EXPECT_EQ(viewText(), "<p>page</p>");
    EXPECT_EQ(form->FileNameNow(), page);
    EXPECT_EQ(form->settings().History.PreHistory[0], first);
    EXPECT_EQ(fileList()->selectedPath(), page); // selected although the mask leaves it out
    EXPECT_EQ(form->windowTitle(), QStringLiteral("page.html - Orlimbo  Ver 1.40"));

    items[5]->trigger();
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->currentText(), "/no/such/path");
    EXPECT_EQ(form->FileNameNow(), page);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(BookmarkTest, PathListBeforeTheMenuIsBuiltReportsAndRecovers)
{
    writeBookmarks(QStringLiteral("a,/a\n"));
    start({QStringLiteral("/n"), filesDir.path()});
    // The menu cleared and not yet rebuilt.
    QMenu *menu = named<QMenu>(QStringLiteral("MenuBookmark"));
    form->findChild<BookmarkMenu *>()->ClearBookmarkMenu();
    ASSERT_EQ(menu->actions().size(), 3); // the two fixed entries and the separator
    named<PathComboBox>(QStringLiteral("FilePathBox"))->showPopup();
    named<PathComboBox>(QStringLiteral("FilePathBox"))->hidePopup();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].caption + dialogs.messages[0].text,
              BookmarkTexts::kNotInitialisedCaption + BookmarkTexts::kNotInitialisedText);
    EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::Warning);
    EXPECT_EQ(dialogs.messages[1].caption + dialogs.messages[1].text,
              BookmarkTexts::kWorkedAroundCaption + BookmarkTexts::kWorkedAroundText);
    EXPECT_EQ(dialogs.messages[1].kind, Dialogs::Kind::Notice);
    // Rebuilt from the file: the fixed entries and the one bookmark.
    ASSERT_EQ(menu->actions().size(), 4);
    EXPECT_EQ(menu->actions()[3]->text(), "a");
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->count(), 1); // filled at the next drop-down
    named<PathComboBox>(QStringLiteral("FilePathBox"))->showPopup();
    named<PathComboBox>(QStringLiteral("FilePathBox"))->hidePopup();
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->count(), 2);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->itemText(1), "/a");
}

TEST_F(BookmarkTest, EveryReaderTakesTheOtherPlacesFileUntilTheFirstSaveBesideTheProgram)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString inData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/BOOKMARK.CSV";
    struct Restore {
        QString file;
        ~Restore()
        {
            QFile::remove(file);
            QStandardPaths::setTestModeEnabled(false);
        }
    } restore{inData};
    ASSERT_TRUE(QDir().mkpath(QFileInfo(inData).path()));
    const QString folder = filesDir.filePath(QStringLiteral("sub")) + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray stored = kHeader + Cp932::encode(QStringLiteral("d,") + folder + "\n");
    {
        QFile f(inData);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(stored);
    }
    start({writeText(QStringLiteral("a.txt"), QStringLiteral("x"))});

    EXPECT_EQ(menuBookmarks(), QStringList({"d|" + folder}));
    EXPECT_TRUE(withModal<CopyMoveDialog>([&] { action(QStringLiteral("ActionFileCopy"))->trigger(); }, [&](CopyMoveDialog &d) {
        ASSERT_EQ(d.cbBookmark->count(), 1);
        EXPECT_EQ(d.cbBookmark->itemText(0), folder);
    }));
    whenDialogOpens([&](BookmarkDialog &d) {
        EXPECT_EQ(gridTexts(d), QStringList({"d|" + folder, "|"}));
        d.BitBtn1->click();
    });
    action(QStringLiteral("BookmarkOrganise"))->trigger();
    // The program's folder is writable: the save goes there.
    EXPECT_EQ(fileBytes(bookmarkFile()), stored);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(BookmarkTest, APathPast256BytesIsAddedAndSavedWhole)
{
    QString deep = filesDir.path();
    for (int i = 0; i < 6; ++i)
        deep += QLatin1Char('/') + QString(50, QChar(u'a' + i));
    const QString viewed = writeText(QStringLiteral("長い.txt"), QStringLiteral("x"), deep);
    ASSERT_GT(viewed.size(), 300);
    auto d = openDialog(BookmarkDialogMode::Add, viewed);
    QTest::keyClick(d->EditName, Qt::Key_Return);
    QTest::keyClick(d->BitBtn1, Qt::Key_Return);
    // The name taken from the path keeps its limit of 254 bytes.
    const QString folder = deep + QLatin1Char('/');
    EXPECT_EQ(fileBytes(bookmarkFile()), kHeader + Cp932::encode(folder.left(254) + "," + folder + "\n"));
    EXPECT_TRUE(dialogs.messages.empty());
}
