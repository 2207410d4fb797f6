#include "UiFixture.h"

#include "resources/HelpTexts.h"
#include "resources/VersionTexts.h"
#include "ui/HelpWindow.h"
#include "ui/VersionDialog.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>

using Kind = Dialogs::Kind;

class HelpTest : public UiFixture {
protected:
    static QString builtHelpFile() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Skimlet.chm"); }
    void putHelpFileInProgramFolder()
    {
        ASSERT_TRUE(QFile::copy(builtHelpFile(), programDir.filePath(QStringLiteral("Skimlet.chm"))));
    }
};

TEST_F(HelpTest, TheBuildCompilesTheHelpFileIntoTheProgramFolder)
{
    QFile chm(builtHelpFile());
    ASSERT_TRUE(chm.open(QIODevice::ReadOnly)) << builtHelpFile().toStdString();
    EXPECT_EQ(chm.read(4), QByteArray("ITSF")); // the compiled HTML help signature
    EXPECT_GT(chm.size(), 4000);
}

TEST_F(HelpTest, F1WithoutTheHelpFileWarnsAndStartsNothing)
{
    MainWindow &w = start();
    QTest::keyClick(&w, Qt::Key_F1);
    expectOnlyMessage(
        QStringLiteral("ヘルプファイルが見つかりません。\n\nプログラムと同じフォルダに格納されているかどうか、確認して下さい。"),
        QStringLiteral("ヘルプ実行失敗"), Kind::Warning);
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_EQ(w.findChild<HelpWindow *>(), nullptr);
}

TEST_F(HelpTest, F1HandsTheHelpFileToTheDesktopViewer)
{
    putHelpFileInProgramFolder();
    MainWindow &w = start();
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_TRUE(dialogs.messages.empty());
    expectLaunches({{QStringLiteral("open"), ProgramFolder() + QStringLiteral("Skimlet.chm"), {}}});
}

TEST_F(HelpTest, WithoutADesktopViewerTheHelpOpensInItsOwnWindowAtTheFirstPage)
{
    putHelpFileInProgramFolder();
    shell.viewerRegistered = false;
    MainWindow &w = start();
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_TRUE(shell.launches.empty());
    auto *help = w.findChild<HelpWindow *>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("はじめに - Orlimbo ヘルプ"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("テキストビューア")));
    // The pages link to each other inside the window.
    help->browser()->setSource(QUrl(QStringLiteral("keys.html")));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("全画面表示")));
    QTest::keyClick(&w, Qt::Key_F1); // a second F1 reuses the window, back at the first page
    EXPECT_EQ(w.findChildren<HelpWindow *>().size(), 1);
    EXPECT_EQ(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
}

TEST_F(HelpTest, TheAuthorsAddressesOpenThroughTheShellAndTheAdviceIsANotice)
{
    MainWindow &w = start();
    action(QStringLiteral("ActionVerCheck"))->trigger();
    action(QStringLiteral("ActionGoMyWebSite"))->trigger();
    action(QStringLiteral("ActionSendMail"))->trigger();
    expectLaunches({{QStringLiteral("open"), QStringLiteral("https://www.example.org/orlimbo/version.html"), {}},
                    {QStringLiteral("open"), QStringLiteral("https://www.example.org/orlimbo/"), {}},
                    {QStringLiteral("open"), QStringLiteral("mailto:orlimbo-support@example.org"), {}}});

    action(QStringLiteral("HelpCannotShow"))->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("ヘルプが表示されない場合"));
    EXPECT_EQ(dialogs.messages[0].kind, Kind::Notice);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("このソフトウェアに付属のヘルプファイルは、Compiled HTML形式")));
}

TEST_F(HelpTest, VersionDialogShowsTheVersionAndItsIconTellsTheNews)
{
    MainWindow &w = start();
    const bool shown = withModal<VersionDialog>([this] { action(QStringLiteral("ActionVerInfo"))->trigger(); }, [this](VersionDialog &info) {
        EXPECT_EQ(info.windowTitle(), QStringLiteral("バージョン情報"));
        EXPECT_EQ(info.size(), QSize(392, 233));
        EXPECT_EQ(info.Label3->text(), QStringLiteral("Version 1.40"));
        EXPECT_EQ(info.Edit1->text(), QStringLiteral("orlimbo-support@example.org"));
        EXPECT_TRUE(info.Edit1->isReadOnly() && info.Edit2->isReadOnly() && info.Edit3->isReadOnly());
        EXPECT_FALSE(info.Image1->pixmap().isNull());
        EXPECT_TRUE(info.Image2->toolTip().endsWith(QStringLiteral("すべてのご連絡は、左記アドレスまで。")));

        QTest::mouseClick(info.Image2, Qt::LeftButton);
        QTest::mouseClick(info.Label2, Qt::LeftButton);
        EXPECT_TRUE(dialogs.messages.empty()); // only the icon answers a click
        QTest::mouseClick(info.Image1, Qt::LeftButton);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("製作者近況 2003,06,30.Mon."));
        EXPECT_EQ(dialogs.messages[0].kind, Kind::Notice);
        QTest::keyClick(&info, Qt::Key_Escape);
        EXPECT_FALSE(info.isVisible()); // Esc closes it
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
