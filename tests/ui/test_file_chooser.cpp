#include "core/PathForm.h"
#include "platform/FileChooser.h"
#include "platform/FileSystem.h"
#include "tests/TestPrinters.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeNative(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    EXPECT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

const QByteArray kCp932Folder = "\x83\x66\x81\x5b\x83\x5e"; // "データ" as Windows wrote it
const QByteArray kCp932File = "\x82\xa0.txt";              // "あ.txt"

// A folder holding a CP932-named folder (with a file inside) and file, and a UTF-8 file.
class FileChooserTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path()) + '/';

    // QTemporaryDir cannot remove what it cannot name.
    void TearDown() override { std::filesystem::remove_all(root.constData()); }
    void SetUp() override
    {
        ASSERT_EQ(::mkdir((root + kCp932Folder).constData(), 0755), 0);
        writeNative(root + kCp932Folder + "/inner.txt", "inner");
        writeNative(root + kCp932File, "cp932 named");
        writeNative(root + "い.txt", "utf-8 named");
        ASSERT_EQ(::mkdir((root + "plain").constData(), 0755), 0);
    }

    static QStringList shown(FileChooser &chooser)
    {
        auto *list = chooser.findChild<QListWidget *>(QStringLiteral("entryList"));
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        return texts;
    }
    static void showActive(FileChooser &chooser)
    {
        chooser.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&chooser));
    }
    template <class T>
    static T *part(FileChooser &chooser, const char *name)
    {
        return chooser.findChild<T *>(QLatin1String(name));
    }
};

const QStringList kAllFiles{QStringLiteral("すべてのファイル(*.*) (*)"), QStringLiteral("文書 (*.doc)")};

} // namespace

TEST_F(FileChooserTest, ListsCp932NamesDecodedAndReachesTheirBytesByKeys)
{
    FileChooser chooser(nullptr, FileChooser::Mode::Open, QStringLiteral("ファイルを開く"));
    chooser.setFilters(kAllFiles, 1);
    // A missing folder starts at the nearest one above it; no file fits the second filter.
    chooser.setFolder(PathForm::fromNative(root + "missing/deeper/"));
    showActive(chooser);
    EXPECT_EQ(PathForm::toNative(chooser.folder()), root);
    EXPECT_EQ(shown(chooser), (QStringList{QStringLiteral("plain"), QStringLiteral("データ")}));
    part<QComboBox>(chooser, "fileTypeCombo")->setCurrentIndex(0);
    EXPECT_EQ(shown(chooser), (QStringList{QStringLiteral("plain"), QStringLiteral("データ"), QStringLiteral("あ.txt"),
                                           QStringLiteral("い.txt")}));

    auto *list = part<QListWidget>(chooser, "entryList");
    ASSERT_EQ(QApplication::focusWidget(), list);
    // Into the CP932 folder and out again: the field holds the folder's own bytes.
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(PathForm::toNative(chooser.folder()), root + kCp932Folder + '/');
    EXPECT_EQ(PathForm::toNative(part<QLineEdit>(chooser, "folderField")->text()), root + kCp932Folder + '/');
    EXPECT_EQ(shown(chooser), QStringList{QStringLiteral("inner.txt")});
    QTest::keyClick(list, Qt::Key_Backspace);
    EXPECT_EQ(PathForm::toNative(chooser.folder()), root);
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("データ"));

    // The CP932 file: its name goes to the name field, and Return hands back its bytes.
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(PathForm::displayName(part<QLineEdit>(chooser, "nameField")->text()), QStringLiteral("あ.txt"));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(PathForm::toNative(chooser.chosenPath()), root + kCp932File);
    EXPECT_EQ(FileSystem::readWholeFile(chooser.chosenPath()).bytes, QByteArray("cp932 named"));
}

TEST_F(FileChooserTest, SaveSelectsTheStemSoTypingReplacesIt)
{
    struct Case {
        QString start;
        QString selected;
        QString typed;
        QByteArray chosen; // relative to the folder
    };
    const QString cp932Name = PathForm::fromNative(kCp932File);
    const Case cases[] = {
        {QStringLiteral("report.old.txt"), QStringLiteral("report.old"), QStringLiteral("new"), "new.txt"},
        {QStringLiteral("README"), QStringLiteral("README"), QStringLiteral("notes"), "notes"},
        // The CP932 name kept as it is replaces that very file; a typed stem is a UTF-8 name.
        {cp932Name, cp932Name.chopped(4), QString(), kCp932File},
        {cp932Name, cp932Name.chopped(4), QStringLiteral("copy"), "copy.txt"},
        // The CP932 name typed as it is shown stands for that file.
        {QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("あ.txt"), kCp932File},
        // A typed folder is entered and the name typed next is saved inside it.
        {QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("plain"), "plain/"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.start.toStdString());
        FileChooser chooser(nullptr, FileChooser::Mode::Save, QStringLiteral("名前を付けて保存"));
        chooser.setFilters(kAllFiles, 0);
        chooser.setFolder(PathForm::fromNative(root));
        chooser.setName(c.start);
        showActive(chooser);
        auto *name = part<QLineEdit>(chooser, "nameField");
        ASSERT_EQ(QApplication::focusWidget(), name);
        EXPECT_EQ(name->selectedText(), c.selected);
        if (!c.typed.isEmpty())
            name->insert(c.typed); // as typing does: over the selection
        QTest::keyClick(name, Qt::Key_Return);
        if (c.chosen.endsWith('/')) {
            EXPECT_TRUE(chooser.isVisible());
            EXPECT_EQ(PathForm::toNative(chooser.folder()), root + c.chosen);
            QTest::keyClicks(name, QStringLiteral("inside.txt"));
            QTest::keyClick(name, Qt::Key_Return);
            EXPECT_EQ(PathForm::toNative(chooser.chosenPath()), root + c.chosen + "inside.txt");
            continue;
        }
        EXPECT_EQ(chooser.result(), QDialog::Accepted);
        EXPECT_EQ(PathForm::toNative(chooser.chosenPath()), root + c.chosen);
    }
}

TEST_F(FileChooserTest, TheFolderDialogListsFoldersAndChoosesTheSelectedOrShownOne)
{
    FileChooser chooser(nullptr, FileChooser::Mode::Folder, QStringLiteral("フォルダ"));
    chooser.setFolder(PathForm::fromNative(root));
    showActive(chooser);
    EXPECT_EQ(shown(chooser), (QStringList{QStringLiteral("plain"), QStringLiteral("データ")}));
    auto *list = part<QListWidget>(chooser, "entryList");
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    part<QPushButton>(chooser, "acceptButton")->click();
    EXPECT_EQ(PathForm::toNative(chooser.chosenPath()), root + kCp932Folder + '/');

    // With nothing selected the shown folder is the one chosen: in the CP932 folder, and back
    // up with Alt+Up (which marks the folder left without selecting it).
    showActive(chooser);
    QTest::keyClick(list, Qt::Key_Return);
    part<QPushButton>(chooser, "acceptButton")->click();
    EXPECT_EQ(PathForm::toNative(chooser.chosenPath()), root + kCp932Folder + '/');
    showActive(chooser);
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("データ"));
    part<QPushButton>(chooser, "acceptButton")->click();
    EXPECT_EQ(PathForm::toNative(chooser.chosenPath()), root);
}

TEST_F(FileChooserTest, EveryTextIsJapanese)
{
    // Access keys and the key name "Alt" aside, no Latin letter is shown.
    const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    for (FileChooser::Mode mode : {FileChooser::Mode::Open, FileChooser::Mode::Save, FileChooser::Mode::Folder}) {
        FileChooser chooser(nullptr, mode, QStringLiteral("題"));
        chooser.setFolder(PathForm::fromNative(root));
        QStringList texts;
        for (const QLabel *label : chooser.findChildren<QLabel *>())
            texts << label->text();
        for (const QAbstractButton *button : chooser.findChildren<QAbstractButton *>())
            texts << button->text() << button->toolTip();
        EXPECT_GE(texts.size(), mode == FileChooser::Mode::Folder ? 5 : 7);
        for (QString text : texts) {
            text.remove(QRegularExpression(QStringLiteral("\\(&[A-Z]\\)|Alt\\+")));
            EXPECT_FALSE(text.contains(latin)) << text.toStdString();
        }
    }
}
