#include "UiFixture.h"

#include "core/BookmarkFile.h"
#include "core/PathForm.h"
#include "platform/FileSystem.h"
#include "ui/CopyMoveDialog.h"
#include "ui/RenameDialog.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace {

const QByteArray kCp932Name = "\x82\xa0.txt"; // "あ.txt" as Windows wrote it
const QString kTitle = QStringLiteral("あ.txt - Orlimbo  Ver 1.40");

QByteArray native(const QString &path)
{
    return PathForm::toNative(path);
}

void writeNative(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    EXPECT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

bool existsNative(const QByteArray &path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

QByteArray readNative(const QByteArray &path)
{
    const FileSystem::ReadResult read = FileSystem::readWholeFile(PathForm::fromNative(path));
    return read.bytes.value_or(QByteArray("<missing>"));
}

} // namespace

// A folder where an archive from Windows left "あ.txt" in code page 932, beside a UTF-8 "あ.txt".
class Cp932NamesTest : public UiFixture {
protected:
    QByteArray root;
    // The copy and move dialog on a file, shown and active, as the window opens it.
    std::unique_ptr<CopyMoveDialog> openCopyMove(CopyMoveMode mode, const QByteArray &file)
    {
        auto dialog = std::make_unique<CopyMoveDialog>(dialogs, CopyMoveRequest{mode, PathForm::fromNative(file), {}},
                                                CopyMoveMemory{});
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }
    QByteArray windowsFile, linuxFile;
    void SetUp() override
    {
        UiFixture::SetUp();
        root = QFile::encodeName(filesDir.path()) + '/';
        windowsFile = root + kCp932Name;
        linuxFile = root + QStringLiteral("あ.txt").toUtf8();
        writeNative(windowsFile, "from windows");
        writeNative(linuxFile, "from linux");
    }
    void TearDown() override
    {
        UiFixture::TearDown();
        // QTemporaryDir removes by Qt's decoding of the names, which cannot reach these.
        std::filesystem::remove_all(root.toStdString());
    }
    MainWindow &startOnFirst()
    {
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        fileList()->setFocus();
        QTest::keyClick(fileList(), Qt::Key_Down);
        return w;
    }
    // Walks down the list until the file with these bytes is shown.
    void showNative(const QByteArray &path)
    {
        for (int i = 0; i < fileList()->count() && native(form->FileNameNow()) != path; ++i)
            QTest::keyClick(fileList(), i == 0 ? Qt::Key_Home : Qt::Key_Down);
        ASSERT_EQ(native(form->FileNameNow()), path);
    }
};

TEST_F(Cp932NamesTest, BothAreListedShownAndKeptThroughTheHistoryAndARestart)
{
    MainWindow &w = startOnFirst();
    EXPECT_EQ(listed(), QStringList({"あ.txt", "あ.txt"}));
    const QString first = w.FileNameNow();
    const QString firstText = viewText();
    EXPECT_EQ(w.windowTitle(), kTitle);
    QTest::keyClick(fileList(), Qt::Key_Down);
    const QString second = w.FileNameNow();
    EXPECT_EQ(w.windowTitle(), kTitle);
    EXPECT_EQ(QSet<QByteArray>({native(first), native(second)}), QSet<QByteArray>({windowsFile, linuxFile}));
    EXPECT_EQ(QSet<QString>({firstText, viewText()}), QSet<QString>({"from windows", "from linux"}));
    EXPECT_EQ(w.settings().History.PreHistory[0], first);

    // Back to the CP932-named one through the history, then a restart.
    showNative(linuxFile);
    showNative(windowsFile);
    EXPECT_EQ(viewText(), "from windows");
    const QString cp932 = w.FileNameNow();
    EXPECT_EQ(w.settings().History.PreHistory[0], PathForm::fromNative(linuxFile));
    action(QStringLiteral("ActionViewPre"))->trigger();
    EXPECT_EQ(viewText(), "from linux");
    action(QStringLiteral("ActionViewNext"))->trigger();
    EXPECT_EQ(viewText(), "from windows");
    EXPECT_EQ(fileList()->selectedPath(), cp932);
    MainWindow &again = restart();
    EXPECT_EQ(again.FileNameNow(), cp932);
    EXPECT_EQ(viewText(), "from windows");
    EXPECT_EQ(again.windowTitle(), kTitle);
    EXPECT_EQ(again.settings().History.PreHistory[0], PathForm::fromNative(linuxFile));
    action(QStringLiteral("ActionViewPre"))->trigger();
    EXPECT_EQ(viewText(), "from linux");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Cp932NamesTest, CopyMoveRenameAndDeleteReachItsBytes)
{
    const QByteArray into = root + "\x83\x66/"; // a CP932-named folder too
    ASSERT_EQ(::mkdir(into.left(into.size() - 1).constData(), 0755), 0);
    {
        auto copy = openCopyMove(CopyMoveMode::Copy, windowsFile);
        copy->EditToFolder->setText(PathForm::fromNative(into));
        copy->BtnOk->click();
        EXPECT_EQ(readNative(into + kCp932Name), "from windows");
        EXPECT_EQ(readNative(windowsFile), "from windows");
    }
    {
        QDir().mkpath(filesDir.path() + QStringLiteral("/moved"));
        auto move = openCopyMove(CopyMoveMode::Move, into + kCp932Name);
        move->EditToFolder->setText(filesDir.path() + QStringLiteral("/moved"));
        move->BtnOk->click();
        EXPECT_FALSE(existsNative(into + kCp932Name));
        EXPECT_EQ(readNative(root + "moved/" + kCp932Name), "from windows");
    }
    EXPECT_TRUE(dialogs.messages.empty());

    MainWindow &w = startOnFirst();
    showNative(windowsFile);
    EXPECT_TRUE(withModal<RenameDialog>([&] { press(Qt::Key_F2); }, [](RenameDialog &dialog) {
        EXPECT_EQ(PathForm::displayName(dialog.EditName->text()), "あ");
        dialog.EditName->setText(dialog.EditName->text() + QStringLiteral("い"));
        dialog.BitBtn1->click();
    }));
    const QByteArray renamed = root + "\x82\xa0\x82\xa2.txt";
    EXPECT_FALSE(existsNative(windowsFile));
    EXPECT_EQ(readNative(renamed), "from windows");
    EXPECT_EQ(native(w.FileNameNow()), renamed);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("あい.txt - Orlimbo  Ver 1.40"));

    dialogs.answers = {Dialogs::Answer::Yes};
    press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(existsNative(renamed));
    EXPECT_EQ(readNative(linuxFile), "from linux");
    EXPECT_EQ(listed(), QStringList({"あ.txt"}));
}

TEST_F(Cp932NamesTest, ABookmarkOfItRoundTrips)
{
    ::unlink(linuxFile.constData()); // with both present, a CP932 path names the UTF-8 one
    const QString cp932 = PathForm::fromNative(windowsFile);
    const QString bookmarks = programDir.filePath(QStringLiteral("BOOKMARK.CSV"));
    ASSERT_EQ(WriteBookmarkFile(bookmarks, {{QStringLiteral("窓"), cp932}}).status,
              BookmarkWriteResult::Status::Written);
    EXPECT_TRUE(readNative(QFile::encodeName(bookmarks)).endsWith("," + windowsFile + "\r\n"));

    start({QStringLiteral("/n"), QStringLiteral("/")});
    action(QStringLiteral("ActionViewBookmark"))->trigger();
    const QList<QAction *> items = named<QMenu>(QStringLiteral("MenuBookmark"))->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[3]->toolTip(), cp932);
    items[3]->trigger();
    EXPECT_EQ(form->FileNameNow(), cp932);
    EXPECT_EQ(viewText(), "from windows");
    EXPECT_TRUE(dialogs.messages.empty());
}
