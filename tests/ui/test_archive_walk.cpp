#include "UiFixture.h"

#include "tests/support/TestArchives.h"

#include "core/Archive.h"
#include "core/ArchiveFolder.h"
#include "core/PathForm.h"
#include "core/StatusTexts.h"
#include "platform/WorkFiles.h"
#include "resources/ArchiveTexts.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/CopyMoveDialog.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

namespace {

constexpr qint64 kMemberTime = TestArchives::kTime;

// A ZIP written by libarchive under a UTF-8 locale, so that its names carry the UTF-8 flag.
void writeZip(const QString &path, const QList<std::pair<QString, QByteArray>> &members,
              const char *passphrase = nullptr)
{
    QList<TestArchives::Item> items;
    for (const auto &[name, data] : members)
        items.push_back({name.toUtf8(), data});
    TestArchives::Writing how;
    if (passphrase) {
        how.options = "zip:encryption=zipcrypt";
        how.passphrase = passphrase;
    }
    TestArchives::write(path, how, items);
}

class ArchiveWalkTest : public UiFixture {
protected:
    QString book;
    void SetUp() override
    {
        UiFixture::SetUp();
        writeText("a.txt", "real");
        QDir().mkpath(filesDir.filePath("sub"));
        book = filesDir.filePath("book.zip");
        writeZip(book, {{"第一章.txt", Cp932::encode(QStringLiteral("一の本文"))},
                        {"第二章.txt", Cp932::encode(QStringLiteral("二の本文\n続き"))},
                        {"絵.png", QByteArray("\x89PNG")},
                        {"中/三.txt", Cp932::encode(QStringLiteral("三"))}});
    }
    QString member(const QString &name) const { return book + "/" + name; }
    void enterPath(const QString &path) const { named<AddressBar>("PanelPathBar")->enterPath(path); }
    DirectoryListBox *folders() const { return named<DirectoryListBox>("DirectoryListBox1"); }
    QStringList folderNames() const
    {
        QStringList names;
        for (int i = 0; i < folders()->count(); ++i)
            names << folders()->item(i)->text().trimmed();
        return names;
    }
    void openFolderRow(int row) const
    {
        folders()->setCurrentRow(row);
        folders()->setFocus();
        QTest::keyClick(folders(), Qt::Key_Return);
    }
    void keyDown() const { key(Qt::Key_Down); }
    void keyUp() const { key(Qt::Key_Up); }
    void key(Qt::Key key) const
    {
        fileList()->setFocus();
        QTest::keyClick(fileList(), key);
    }
};

TEST_F(ArchiveWalkTest, EnteredWalkedAndLeftLikeAFolder)
{
    MainWindow &w = start();
    enterPath(filesDir.path());
    QStringList names = folderNames();
    // After the real subfolders, with the archive's own icon.
    ASSERT_EQ(names.mid(names.size() - 2), QStringList({"sub", "book.zip"}));
    EXPECT_NE(folders()->item(names.size() - 1)->icon().cacheKey(), folders()->item(names.size() - 2)->icon().cacheKey());
    EXPECT_EQ(listed(), QStringList({"a.txt"}));
    // Under "*.*" it is a file as well, yet it is listed only as a folder: walking the files
    // passes it by.
    auto *types = named<FilterComboBox>("FilterComboBox1");
    for (const int type : {5, 0}) {
        types->setCurrentIndex(type);
        emit types->activated(type);
        EXPECT_EQ(listed(), QStringList({"a.txt"}));
    }

    openFolderRow(int(names.size()) - 1);
    EXPECT_EQ(listed(), QStringList({"第一章.txt", "第二章.txt"})); // the mask leaves the picture out
    EXPECT_EQ(folderNames().last(), "中");

    keyDown();
    EXPECT_EQ(viewText(), "一の本文");
    EXPECT_EQ(w.FileNameNow(), member("第一章.txt"));
    EXPECT_EQ(w.windowTitle(), "第一章.txt - " + MainTexts::kVersionTitle);
    EXPECT_EQ(statusText(StatusPanel::ReadOnly), ArchiveTexts::kInArchive);
    EXPECT_EQ(statusText(StatusPanel::Date), StatusTexts::fileDateText(QDateTime::fromSecsSinceEpoch(kMemberTime)));
    keyDown();
    EXPECT_EQ(viewText(), "二の本文\n続き");
    EXPECT_EQ(statusText(StatusPanel::Size), StatusTexts::sizeText(Cp932::encode(QStringLiteral("二の本文\n続き")).size()));
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(2));
    EXPECT_TRUE(dialogs.messages.empty());

    // The folder the archive lies in is the step before it in the chain.
    openFolderRow(int(folderNames().indexOf("book.zip")) - 1);
    EXPECT_EQ(listed(), QStringList({"a.txt"}));
    keyDown();
    EXPECT_EQ(viewText(), "real");
    EXPECT_TRUE(statusText(StatusPanel::ReadOnly).isEmpty());
}

// Every step of every archive read the window's loader runs waits until the test lets it go: a
// slow archive.
class SlowArchiveTest : public ArchiveWalkTest {
protected:
    void SetUp() override
    {
        ArchiveWalkTest::SetUp();
        // Bounded, so that a read the window's thread waits for fails the test rather than hangs it.
        loading.archiveStep = [this](qint64) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!release && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    }
    void TearDown() override
    {
        release = true;
        ArchiveWalkTest::TearDown();
    }
    void hold() { release = false; }
    std::atomic<bool> release{true};
};

TEST_F(SlowArchiveTest, ListingAndUnpackingRunOnWhileTheWindowAnswersAndEscStopsThem)
{
    const QString real = filesDir.filePath("a.txt");
    MainWindow &w = start({real});
    const QStringList outside = folderNames();
    hold();
    openFolderRow(int(folderNames().indexOf("book.zip")));
    EXPECT_EQ(statusText(StatusPanel::Lines), ArchiveTexts::kListing);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view()->caretPosition(), 4);
    QTest::keyClick(&w, Qt::Key_Escape);
    release = true;
    QTest::qWait(50);
    // The folder shown before stays, and the stopped listing ends without a trace.
    EXPECT_EQ(folderNames(), outside);
    EXPECT_EQ(listed(), QStringList({"a.txt"}));
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(1));
    EXPECT_FALSE(action("ActionCancelLoad")->isEnabled());

    // A member slow to unpack: the shown file stays while it runs on, and Esc stops it.
    enterPath(book);
    hold();
    keyDown();
    EXPECT_EQ(statusText(StatusPanel::Lines), ArchiveTexts::kReading);
    QTest::keyClick(&w, Qt::Key_Escape);
    release = true;
    QTest::qWait(50);
    EXPECT_EQ(viewText(), "real");
    EXPECT_EQ(w.FileNameNow(), real);
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(1));

    // At start the window comes up while an archive not listed yet is read, says so, and
    // enters it once it is read.
    const QString copy = filesDir.filePath("copy.zip");
    ASSERT_TRUE(QFile::copy(book, copy));
    hold();
    restart({"/n", copy});
    EXPECT_EQ(statusText(StatusPanel::Lines), ArchiveTexts::kListing);
    release = true;
    QTRY_COMPARE(listed(), QStringList({"第一章.txt", "第二章.txt"}));
    EXPECT_TRUE(dialogs.messages.empty());

    // A member named at start and read on while the window comes up is selected among the
    // archive's members once shown, so that the cursor keys walk them.
    hold();
    MainWindow &third = restart({copy + "/第二章.txt"});
    EXPECT_EQ(statusText(StatusPanel::Lines), ArchiveTexts::kReading);
    release = true;
    QTRY_COMPARE(third.FileNameNow(), copy + "/第二章.txt");
    EXPECT_EQ(listed(), QStringList({"第一章.txt", "第二章.txt"}));
    keyUp();
    EXPECT_EQ(third.FileNameNow(), copy + "/第一章.txt");
}

TEST_F(SlowArchiveTest, AMemberIsReadForACopyOrAnEditorWhileTheWindowAnswersAndEscStopsIt)
{
    shell.editor = QStringLiteral("/usr/bin/editor");
    const QString into = filesDir.filePath("into");
    QDir().mkpath(into);
    MainWindow &w = start({member("第二章.txt")});
    // Written anew, the archive is read anew: nothing is kept from showing the member. Only
    // the member's own read is to be held, so its listing is read here.
    const QString again = filesDir.filePath("again.zip");
    ASSERT_TRUE(QFile::copy(book, again));
    ASSERT_EQ(std::rename(QFile::encodeName(again).constData(), QFile::encodeName(book).constData()), 0);
    ArchiveFolder::listing(book);

    for (const char *command : {"ActionFileCopy", "ActionEdit"}) {
        hold();
        action(command)->trigger();
        EXPECT_EQ(statusText(StatusPanel::Lines), ArchiveTexts::kReading) << command;
        view()->setFocus();
        QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(view()->caretPosition(), 7) << command;
        QTest::keyClick(&w, Qt::Key_Escape);
        release = true;
        QTest::qWait(50);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << command;
        EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(2)) << command;
        EXPECT_FALSE(action("ActionCancelLoad")->isEnabled()) << command;
    }
    EXPECT_TRUE(QDir(into).isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries));
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_EQ(viewText(), "二の本文\n続き");

    // Let go, the read ends and only then does the dialog open.
    hold();
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *form = qobject_cast<CopyMoveDialog *>(QApplication::activeModalWidget())) {
            answer.stop();
            form->EditToFolder->setText(into);
            form->BtnOk->click();
        }
    });
    answer.start(10);
    action("ActionFileCopy")->trigger();
    EXPECT_TRUE(answer.isActive());
    release = true;
    QTRY_COMPARE(TestFiles::contents(into + "/第二章.txt"), Cp932::encode(QStringLiteral("二の本文\n続き")));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ArchiveWalkTest, HistoryAndARestartComeBackToAMember)
{
    MainWindow &w = start();
    enterPath(member("第一章.txt"));
    EXPECT_EQ(viewText(), "一の本文");
    enterPath(member("中/三.txt"));
    EXPECT_EQ(viewText(), "三");
    action("ActionViewPre")->trigger();
    EXPECT_EQ(viewText(), "一の本文");
    EXPECT_EQ(w.settings().History.NextHistory[0], member("中/三.txt"));

    MainWindow &again = restart();
    EXPECT_EQ(again.FileNameNow(), member("第一章.txt"));
    EXPECT_EQ(viewText(), "一の本文");
    action("ActionViewNext")->trigger();
    EXPECT_EQ(viewText(), "三");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ArchiveWalkTest, TheCommandLineEntersAnArchiveOrShowsAMember)
{
    MainWindow &w = start({book});
    EXPECT_EQ(w.FileNameNow(), member("第一章.txt"));
    EXPECT_EQ(viewText(), "一の本文");
    MainWindow &again = restart({member("第二章.txt")});
    EXPECT_EQ(viewText(), "二の本文\n続き");
    EXPECT_EQ(again.FileNameNow(), member("第二章.txt"));
}

TEST_F(ArchiveWalkTest, CopyWritesTheMembersBytesUnderTheFileRules)
{
    const QString into = filesDir.filePath("into");
    QDir().mkpath(into);
    start({member("第二章.txt")});
    for (int round = 0; round < 2; ++round) {
        // The second copy meets the first: the conflict question comes, and No leaves it.
        dialogs.answers = {Dialogs::Answer::No};
        EXPECT_TRUE(withModal<CopyMoveDialog>([&] { action("ActionFileCopy")->trigger(); }, [&](CopyMoveDialog &form) {
            form.EditToFolder->setText(into);
            form.BtnOk->click();
        }));
        // The member's own bytes, its lone LF too, not the text as shown.
        EXPECT_EQ(TestFiles::contents(into + "/第二章.txt"), Cp932::encode(QStringLiteral("二の本文\n続き")));
        ASSERT_EQ(dialogs.messages.size(), size_t(round));
    }
    EXPECT_EQ(dialogs.messages[0].caption, "ファイル名の競合");
    EXPECT_EQ(QFileInfo(into + "/第二章.txt").lastModified().toSecsSinceEpoch(), kMemberTime);
}

TEST_F(ArchiveWalkTest, DeleteMoveAndRenameAreRefused)
{
    start({member("第一章.txt")});
    for (const char *command : {"ActionFileDelete", "ActionFileMove", "ActionFileRename"}) {
        action(command)->trigger();
        takeOnlyMessage(ArchiveTexts::kRefused, ArchiveTexts::kCaption, Dialogs::Kind::Notice);
    }
    EXPECT_TRUE(QFileInfo::exists(book));
    EXPECT_EQ(viewText(), "一の本文");
}

TEST_F(ArchiveWalkTest, AnEncryptedMemberAndABrokenArchiveAreSaid)
{
    const QString secret = filesDir.filePath("secret.zip");
    writeZip(secret, {{"秘密.txt", Cp932::encode(QStringLiteral("見せない"))}}, "pass");
    start({member("第一章.txt")});
    chooseFile(secret + "/秘密.txt");
    takeOnlyMessage(secret + "/秘密.txt\n\n" + ArchiveTexts::kEncrypted, ArchiveTexts::kCaption, Dialogs::Kind::Failure);
    EXPECT_EQ(viewText(), "一の本文"); // the shown file stays

    // Cut off inside its last member: what came before is listed, and where it broke is said.
    QByteArray whole = TestFiles::contents(book);
    const QString cut = filesDir.filePath("cut.zip");
    TestFiles::write(cut, whole.left(whole.indexOf("中/三.txt") + 12));
    named<AddressBar>("PanelPathBar")->enterPath(cut);
    takeOnlyMessage(ArchiveTexts::kListBroken.arg("絵.png"), ArchiveTexts::kCaption, Dialogs::Kind::Warning);
    EXPECT_EQ(listed(), QStringList({"第一章.txt", "第二章.txt"}));
}

TEST_F(ArchiveWalkTest, AnEditorGetsACopyInTheWorkFolderRemovedAtExit)
{
    shell.editor = QStringLiteral("/usr/bin/editor");
    start({member("第二章.txt")});
    action("ActionEdit")->trigger();
    const QString copy = WorkFolder() + WorkFiles::kMembersName + "/第二章.txt";
    expectLaunches({{"start", "/usr/bin/editor", {copy}}});
    EXPECT_EQ(TestFiles::contents(copy), Cp932::encode(QStringLiteral("二の本文\n続き")));
    form->close();
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_FALSE(QFileInfo::exists(WorkFolder() + WorkFiles::kMembersName));
}

TEST_F(ArchiveWalkTest, SaveAsWritesTheMembersTextStartingBesideTheArchive)
{
    start({member("第二章.txt")});
    const QString saved = filesDir.filePath("saved.txt");
    dialogs.fileAnswers = {saved};
    action("ActionSaveAs")->trigger();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].folder, filesDir.path() + "/");
    EXPECT_EQ(dialogs.fileRequests[0].name, "第二章.txt");
    EXPECT_EQ(TestFiles::contents(saved), Cp932::encode(QStringLiteral("二の本文\n続き")));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ArchiveWalkTest, ABookmarkedMemberAndAnArchiveAreReachedFromTheMenu)
{
    TestFiles::write(programDir.filePath("BOOKMARK.CSV"),
                     "# Orlimbo - Bookmark File,\r\n"
                         + Cp932::encode(QStringLiteral("章,%1\n本,%2\n").arg(member("中/三.txt"), book)));
    start();
    const QList<QAction *> items = named<QMenu>("MenuBookmark")->actions();
    ASSERT_EQ(items.size(), 5);
    items[3]->trigger();
    EXPECT_EQ(viewText(), "三");
    EXPECT_EQ(form->FileNameNow(), member("中/三.txt"));
    items[4]->trigger();
    EXPECT_EQ(folders()->directory(), book + "/");
    EXPECT_EQ(listed(), QStringList({"第一章.txt", "第二章.txt"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace

TEST_F(ArchiveWalkTest, F3GoesOnThroughTheMembersOfTheArchive)
{
    MainWindow &w = start({member("第一章.txt")});
    ASSERT_EQ(viewText(), "一の本文");
    named<QCheckBox>("cbSearchFolder")->setChecked(true);
    named<QLineEdit>("EditSearch")->setText("続き");
    QTest::keyClick(&w, Qt::Key_F3);
    QTRY_COMPARE(w.FileNameNow(), member("第二章.txt"));
    EXPECT_EQ(view()->selectedText(), "続き");
}

TEST_F(ArchiveWalkTest, AMemberOpensWhereTheReaderLeftIt)
{
    MainWindow &w = start({member("第二章.txt")});
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Right);
    const qint64 caret = view()->caretPosition();
    ASSERT_GT(caret, 5);
    chooseFile(member("第一章.txt"));
    ASSERT_EQ(view()->caretPosition(), 0);
    chooseFile(member("第二章.txt"));
    EXPECT_EQ(w.FileNameNow(), member("第二章.txt"));
    EXPECT_EQ(view()->caretPosition(), caret);
}

// A member of at least the size read as shown is unpacked into a file with no name and read as
// a file on the disk is: shown, counted, searched and copied as one held in memory, leaving
// nothing in the folder. Unpacking shows its share and Esc stops it; too little room is said.
class LargeMemberTest : public SlowArchiveTest {
protected:
    void SetUp() override
    {
        SlowArchiveTest::SetUp();
        loading.load.readAsShownFrom = 1000;
        loading.freeSpace = [this](const QString &) { return free; };
        for (int i = 0; text.size() < 400'000; ++i)
            text += QStringLiteral("%1行目、書庫の中の長い本文\n").arg(i * 7919 % 100003);
        text += QStringLiteral("目印\n");
        writeZip(large, {{"長い.txt", Cp932::encode(text)}, {"短い.txt", "short"}});
    }
    QString text;
    const QString large = filesDir.filePath("large.zip");
    qint64 free = qint64(1) << 40;
};

TEST_F(LargeMemberTest, IsReadFromAFileWithNoNameAsAFileOnTheDisk)
{
    const auto entries = [] { return QDir(WorkFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System); };
    const QStringList before = entries();
    MainWindow &w = start({large + "/短い.txt"});
    chooseFile(large + "/長い.txt");
    QTRY_COMPARE(w.FileNameNow(), large + "/長い.txt");
    ASSERT_TRUE(view()->store().isLazy());
    EXPECT_EQ(viewText(), text);
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(text.count(u'\n')));
    named<QLineEdit>("EditSearch")->setText("目印");
    action("ActionFindNext")->trigger();
    EXPECT_EQ(view()->selectionStart(), text.indexOf(u"目印"));
    action("ActionSelectAll")->trigger();
    action("ActionCopy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
    EXPECT_EQ(entries(), before);

    chooseFile(large + "/短い.txt");
    hold();
    chooseFile(large + "/長い.txt");
    QTRY_VERIFY(statusText(StatusPanel::Lines) != ArchiveTexts::kReading);
    bool percent = false;
    for (int p = 0; p <= 100; ++p)
        percent = percent || statusText(StatusPanel::Lines) == ArchiveTexts::kReadingProgress.arg(p);
    EXPECT_TRUE(percent);
    QTest::keyClick(&w, Qt::Key_Escape);
    release = true;
    QTest::qWait(50);
    EXPECT_EQ(viewText(), "short");
    EXPECT_EQ(entries(), before);

    free = 5000;
    chooseFile(large + "/長い.txt");
    takeOnlyMessage(large + "/長い.txt\n\n" + ArchiveTexts::kNoRoom.arg(StatusTexts::sizeText(Cp932::encode(text).size()),
                                              StatusTexts::sizeText(5000), PathForm::displayName(WorkFolder())),
                    ArchiveTexts::kCaption, Dialogs::Kind::Failure);
    EXPECT_EQ(viewText(), "short");
}
