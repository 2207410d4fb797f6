#include "UiFixture.h"

#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "ui/SettingsDialog.h"
#include "ui/CopyMoveDialog.h"
#include "ui/RenameDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Runs `act` on the dialog of type D once it is shown modally.
template <typename D>
void whenModal(std::function<void(D *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

using TestFiles::contents;

} // namespace

class FileOpsTest : public UiFixture {
protected:
    QString a, b, c;
    MainWindow &startOnThreeFiles(int shown = 1)
    {
        a = writeText("a.txt", "first");
        b = writeText("b.txt", "second");
        c = writeText("c.txt", "third");
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        fileList()->setFocus();
        for (int i = 0; i < shown; ++i)
            QTest::keyClick(fileList(), Qt::Key_Down);
        return w;
    }
    void pressDelete() { press(Qt::Key_Delete, Qt::ControlModifier); }
};

TEST_F(FileOpsTest, DeleteAsksWithNoTheDefaultAndWalksOnToTheNextFile)
{
    MainWindow &w = startOnThreeFiles();
    pressDelete(); // the scripted box takes its default: No
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("ファイル ") + a + QStringLiteral(" を削除しますか？"));
    EXPECT_EQ(dialogs.messages[0].caption, "削除確認");
    EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::Confirm);
    EXPECT_TRUE(QFile::exists(a));

    dialogs.answers = {Dialogs::Answer::Yes};
    pressDelete();
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(w.FileNameNow(), b);
    EXPECT_EQ(viewText(), "second");
    EXPECT_EQ(w.windowTitle(), "b.txt - Orlimbo  Ver 1.40");
    EXPECT_EQ(listed(), QStringList({"b.txt", "c.txt"}));
    EXPECT_EQ(fileList()->selectedPath(), b);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->currentText(), b);
}

TEST_F(FileOpsTest, DeletingTheLastEntryStepsOnceMoreOnTheReReadList)
{
    MainWindow &w = startOnThreeFiles(3);
    ASSERT_EQ(w.FileNameNow(), c);
    dialogs.answers = {Dialogs::Answer::Yes};
    pressDelete();
    EXPECT_FALSE(QFile::exists(c));
    EXPECT_EQ(listed(), QStringList({"a.txt", "b.txt"}));
    ASSERT_FALSE(fileList()->selectedPath().isEmpty());
    EXPECT_EQ(w.FileNameNow(), fileList()->selectedPath());
    EXPECT_EQ(viewText(), w.FileNameNow() == a ? "first" : "second");
}

TEST_F(FileOpsTest, Flag7LeavesViewAndListAfterDeleting)
{
    startOnThreeFiles();
    restartWith({{"AppliSetFlags", flagsWith(Flag::NoReloadAfterMove, QLatin1Char('1'))}}, {a});
    dialogs.answers = {Dialogs::Answer::Yes};
    pressDelete();
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(viewText(), "first");
    EXPECT_EQ(listed(), QStringList({"a.txt", "b.txt", "c.txt"}));
}

TEST_F(FileOpsTest, SafetyRuleAndReadOnlyFilesStopTheDelete)
{
    const QString bin = writeText("a.bin", "data");
    MainWindow &w = startOnThreeFiles();
    chooseFile(bin);
    pressDelete();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "安全機能");
    EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::Warning);
    EXPECT_TRUE(QFile::exists(bin));

    chooseFile(a);
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = true}).ok());
    EXPECT_TRUE(withModal<SettingsDialog>([this] { action(QStringLiteral("ActionOpenAppSetDialog"))->trigger(); },
                                       [](SettingsDialog &d) {
                                           d.cbSafeFileDel->setChecked(true);
                                           d.BitBtn1->click();
                                       }));
    pressDelete(); // no question for .txt, straight to the refusal
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "削除に失敗しました。\nファイルの属性などを確認して下さい。");
    EXPECT_EQ(dialogs.messages[1].caption, "削除失敗");
    EXPECT_EQ(dialogs.messages[1].kind, Dialogs::Kind::Failure);
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_EQ(viewText(), "first");
}

class CopyMoveDialogTest : public FileOpsTest {
protected:
    QString into;
    void SetUp() override
    {
        FileOpsTest::SetUp();
        into = filesDir.filePath("into");
        QDir().mkpath(into);
        a = writeText("a.txt", "mine");
        writeText("a.txt", "theirs", into);
    }
    std::unique_ptr<CopyMoveDialog> open(CopyMoveMode mode, CopyMoveMemory memory = {}, QStringList bookmarks = {})
    {
        auto form = std::make_unique<CopyMoveDialog>(dialogs, CopyMoveRequest{mode, a, bookmarks}, memory);
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }
};

TEST_F(CopyMoveDialogTest, ConflictYesAndANewNameCopiesUnderThatNameAndCloses)
{
    auto form = open(CopyMoveMode::Copy);
    EXPECT_EQ(form->windowTitle(), "コピー");
    EXPECT_EQ(form->BtnOk->text(), "コピー");
    EXPECT_TRUE(form->BtnNoReload->isHidden());
    form->EditToFolder->setText(into);
    dialogs.answers = {Dialogs::Answer::Yes};
    dialogs.inputAnswers = {QStringLiteral("b.txt")};
    form->BtnOk->click();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "ファイル名の競合");
    EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::QuestionAfterFailure);
    EXPECT_EQ(dialogs.inputPrompts, std::vector<QString>{"変更後のファイル名を入力して下さい。："});
    EXPECT_EQ(contents(into + "/b.txt"), QByteArray("mine"));
    EXPECT_EQ(contents(into + "/a.txt"), QByteArray("theirs"));
    EXPECT_EQ(contents(a), QByteArray("mine"));
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->EditToFolder->text(), into + "/"); // the slash is added where the user sees it
    EXPECT_EQ(form->memory().folder, into + "/");
    EXPECT_EQ(form->memory().choice, QLatin1Char('1'));
}

TEST_F(CopyMoveDialogTest, NoStaysOpenARetryEndingNoClosesAndRemembers)
{
    writeText("b.txt", "other", into);
    auto form = open(CopyMoveMode::Copy, {QString(), QChar(), 0, QLatin1Char('0')});
    form->EditToFolder->setText(into);
    dialogs.answers = {Dialogs::Answer::No};
    form->BtnOk->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->memory().folder, QString());

    // A forbidden name is refused and asked again; the retry meets another conflict.
    dialogs.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Ok, Dialogs::Answer::No};
    dialogs.inputAnswers = {QStringLiteral("x;y.txt"), QStringLiteral("b.txt")};
    form->BtnOk->click();
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[2].text, QStringLiteral("ファイル名には、次の文字は使用できません。\n\n\\/:,;*?\"<>|"));
    EXPECT_EQ(dialogs.messages[2].caption, "名前の変更");
    EXPECT_EQ(dialogs.messages[3].caption, "ファイル名の競合");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->memory().folder, into + "/");
    EXPECT_EQ(contents(into + "/b.txt"), QByteArray("other"));
}

TEST_F(CopyMoveDialogTest, FolderChecksBookmarksAndOtherFailures)
{
    const QString elsewhere = filesDir.filePath("elsewhere");
    QDir().mkpath(elsewhere);
    auto form = open(CopyMoveMode::Copy, {QStringLiteral("/no/such/folder"), QLatin1Char('2'), 5},
                     {a, QStringLiteral("/no/such/folder"), elsewhere});
    // Only existing folders are listed; an index past the end selects the first.
    ASSERT_EQ(form->cbBookmark->count(), 1);
    EXPECT_EQ(form->cbBookmark->currentText(), elsewhere);
    EXPECT_TRUE(form->rbBookmark->isChecked());
    form->BtnOk->click();
    EXPECT_EQ(contents(elsewhere + "/a.txt"), QByteArray("mine"));
    EXPECT_EQ(form->memory().choice, QLatin1Char('2'));
    EXPECT_EQ(form->memory().bookmarkIndex, 0);
    EXPECT_EQ(form->memory().folder, "/no/such/folder"); // the field's text, also with the bookmark choice

    // A missing typed folder: the warning once focus leaves, and a failure with the cause on Enter.
    form = open(CopyMoveMode::Copy, {QStringLiteral("/no/such/folder")});
    EXPECT_FALSE(form->LabelNoDirectory->isVisible()); // the field has the focus
    form->BtnSansyou->setFocus();
    EXPECT_TRUE(form->LabelNoDirectory->isVisible());
    EXPECT_FALSE(form->BtnOk->isEnabled());
    form->EditToFolder->setFocus();
    EXPECT_TRUE(form->BtnOk->isEnabled());
    QTest::keyClick(form->EditToFolder, Qt::Key_Return);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("コピーできませんでした。\n\n"));
    EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::Failure);
    EXPECT_TRUE(form->isVisible());

    // An empty folder tries nothing.
    form->EditToFolder->clear();
    form->BtnOk->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(form->LabelNoDirectory->isVisible());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(CopyMoveDialogTest, BrowsingStartsInTheTypedFolderElseBesideTheViewedFile)
{
    auto form = open(CopyMoveMode::Copy, {QStringLiteral("/no/such/folder")});
    dialogs.folderAnswers = {std::nullopt, into + QLatin1Char('/')};
    form->BtnSansyou->click();
    form->EditToFolder->setText(into);
    form->BtnSansyou->click();
    EXPECT_EQ(dialogs.folderStarts, (std::vector<QString>{filesDir.path() + QLatin1Char('/'), into}));
    EXPECT_EQ(form->EditToFolder->text(), into + QLatin1Char('/'));
}

TEST_F(FileOpsTest, MoveWithNoReloadSetsFlag7AndAnAbortedMoveStillStepsTheList)
{
    MainWindow &w = startOnThreeFiles();
    const QString into = filesDir.filePath("into");
    QDir().mkpath(into);
    writeText("BOOKMARK.CSV", QStringLiteral("# Orlimbo - Bookmark File,\nメモ,/no/such\n行き先,") + into + "\n",
              programDir.path());
    whenModal<CopyMoveDialog>([into](CopyMoveDialog *dialog) {
        // The bookmarked folders that exist are offered.
        EXPECT_EQ(dialog->cbBookmark->count(), 1);
        EXPECT_EQ(dialog->cbBookmark->itemText(0), into);
        dialog->BtnCancel->click();
    });
    press(Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(w.FileNameNow(), b); // nothing moved, yet the list stepped on
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_EQ(w.settings().CopyMoveFolder, QString());

    whenModal<CopyMoveDialog>([into](CopyMoveDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), "移動");
        EXPECT_TRUE(dialog->BtnNoReload->isVisible());
        dialog->EditToFolder->setText(into);
        dialog->BtnNoReload->setChecked(true);
        dialog->BtnOk->click();
    });
    press(Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(QFile::exists(b));
    EXPECT_EQ(contents(into + "/b.txt"), QByteArray("second"));
    EXPECT_EQ(w.settings().flag(Flag::NoReloadAfterMove), QLatin1Char('1'));
    EXPECT_EQ(w.settings().CopyMoveFolder, into + "/");
    EXPECT_EQ(listed(), QStringList({"a.txt", "b.txt", "c.txt"})); // the refresh was held back
    EXPECT_EQ(viewText(), "second");
}

TEST_F(FileOpsTest, RenamingAReadOnlyFileWithANewTimeLeavesItReadOnly)
{
    MainWindow &w = startOnThreeFiles();
    ASSERT_TRUE(FileOps::writeAttributes(a, {.readOnly = true}).ok());
    whenModal<RenameDialog>([](RenameDialog *dialog) {
        EXPECT_EQ(dialog->EditName->text(), "a");
        EXPECT_EQ(dialog->EditExp->text(), "txt");
        EXPECT_TRUE(dialog->cbReadOnly->isChecked());
        dialog->EditName->setText("z");
        dialog->EditYear->setText("2020");
        dialog->EditMonth->setText("1");
        dialog->EditDay->setText("2");
        dialog->EditHour->setText("3");
        dialog->EditMinute->setText("4");
        dialog->EditSecond->setText("33");
        dialog->BitBtn1->click();
    });
    press(Qt::Key_F2);
    const QString z = filesDir.filePath("z.txt");
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_TRUE(FileSystem::IsReadOnlyFile(z));
    EXPECT_EQ(FileSystem::lastWriteTime(z), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 32)));
    EXPECT_EQ(w.FileNameNow(), z);
    EXPECT_EQ(fileList()->selectedPath(), z);
    EXPECT_EQ(w.windowTitle(), "z.txt - Orlimbo  Ver 1.40");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileOpsTest, CancellingTheRenameStillReloads)
{
    MainWindow &w = startOnThreeFiles();
    writeText("a.txt", "changed on disk");
    whenModal<RenameDialog>([](RenameDialog *dialog) { dialog->BitBtn2->click(); });
    press(Qt::Key_F2);
    EXPECT_EQ(viewText(), "changed on disk");
    EXPECT_EQ(w.FileNameNow(), a);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileOpsTest, RenameRefusesForbiddenCharactersAndTakenNamesAndReportsABadTime)
{
    a = writeText("a.txt", "first");
    writeText("b.txt", "second");
    RenameDialog form(dialogs, a);
    form.show();
    form.EditName->setText(QStringLiteral("表\\x"));
    form.BitBtn1->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("ファイル名には、次の文字は使用できません。\n\n\\/:,;*?\"<>|"));
    EXPECT_EQ(dialogs.messages[0].caption, "名前の変更");
    form.EditName->setText(QStringLiteral("表"));
    form.EditExp->setText(QStringLiteral("t,t"));
    form.BitBtn1->click();
    EXPECT_TRUE(dialogs.messages[1].text.startsWith("ファイル拡張子には、次の文字は使用できません。"));
    EXPECT_TRUE(QFile::exists(a));

    form.EditName->setText("b");
    form.EditExp->setText("txt");
    form.BitBtn1->click();
    EXPECT_EQ(dialogs.messages[2].caption, "何らかのエラー");
    EXPECT_EQ(contents(a), QByteArray("first"));
    EXPECT_TRUE(form.isVisible());

    // A name with a double-byte character ending in the backslash byte is fine; a bad date is
    // reported, and the rename and read-only stand.
    form.EditName->setText(QStringLiteral("表"));
    form.cbReadOnly->setChecked(true);
    form.EditMonth->setText("13");
    form.BitBtn1->click();
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[3].text, "タイムスタンプの変更ができませんでした。");
    EXPECT_EQ(dialogs.messages[3].caption, "報告");
    EXPECT_EQ(dialogs.messages[3].kind, Dialogs::Kind::Notice);
    EXPECT_EQ(form.path(), filesDir.filePath(QStringLiteral("表.txt")));
    EXPECT_TRUE(FileSystem::IsReadOnlyFile(form.path()));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(FileOpsTest, CopyRefusesTheViewedPathOnceItLeadsToAnotherFile)
{
    startOnThreeFiles();
    const QString into = filesDir.filePath("into");
    QDir().mkpath(into);
    // Saved over by another program the way editors save: a new file renamed into place.
    const QString replacement = writeText("new.tmp", "replaced");
    ASSERT_EQ(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(a).constData()), 0);
    whenModal<CopyMoveDialog>([into](CopyMoveDialog *dialog) {
        dialog->EditToFolder->setText(into);
        dialog->BtnOk->click();
        dialog->BtnCancel->click();
    });
    press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "コピーできませんでした。\n\n表示していたファイルが別のファイルに置き換えられています。");
    EXPECT_EQ(dialogs.messages[0].caption, "コピー");
    EXPECT_FALSE(QFileInfo::exists(into + "/a.txt"));
    EXPECT_EQ(contents(a), QByteArray("replaced"));
}

TEST_F(FileOpsTest, ARenameCancelledOnAVanishedFileShowsOneMessage)
{
    MainWindow &w = startOnThreeFiles();
    QFile::remove(a);
    whenModal<RenameDialog>([](RenameDialog *dialog) { dialog->BitBtn2->click(); });
    press(Qt::Key_F2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "更新失敗");
    EXPECT_EQ(w.FileNameNow(), a);
}

// An immutable file refuses every change, also to the superuser: the attribute change fails,
// and so does putting read-only back after the time.
TEST_F(FileOpsTest, AnAttributeFailureIsReportedOnce)
{
    a = writeText("a.txt", "first");
    const int fd = ::open(QFile::encodeName(a).constData(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                           && (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        ::close(fd);
        GTEST_SKIP() << "files cannot be made immutable here: " << std::strerror(errno);
    }
    {
        RenameDialog form(dialogs, a);
        form.show();
        form.cbReadOnly->setChecked(true);
        form.BitBtn1->click();
    }
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "ファイル属性の変更ができませんでした。\n\nアクセスが拒否されました。");
    EXPECT_EQ(dialogs.messages[1].text, "タイムスタンプの変更ができませんでした。\n\nアクセスが拒否されました。");
}
