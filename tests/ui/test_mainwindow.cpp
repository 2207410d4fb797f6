#include "UiFixture.h"
#include "ui/StatusBar.h"

#include "core/StatusTexts.h"
#include "platform/FileSystem.h"
#include "resources/MainTexts.h"
#include "ui/widgets/ElidingLabel.h"
#include "ui/QtJapaneseTranslator.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QScreen>
#include <QToolButton>

using Kind = Dialogs::Kind;

class MainWindowTest : public UiFixture {};

TEST_F(MainWindowTest, StartingWithAFileShowsItWithCaptionStatusAndCommands)
{
    const QString path = writeText(QStringLiteral("日記.txt"), QStringLiteral("一行目\nsecond\n"));
    MainWindow &w = start({path});

    EXPECT_EQ(viewText(), QStringLiteral("一行目\nsecond\n"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("日記.txt - Orlimbo  Ver 1.40"));
    // Qt on X11 would append a display name to every other window's title.
    EXPECT_NE(QApplication::applicationDisplayName(), w.windowTitle());
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->currentText(), path);
    EXPECT_EQ(w.FileNameNow(), path);
    EXPECT_EQ(statusText(StatusPanel::Date), StatusTexts::fileDateText(FileSystem::lastWriteTime(path)));
    EXPECT_FALSE(statusText(StatusPanel::Date).isEmpty());
    EXPECT_EQ(statusText(StatusPanel::ReadOnly), QString());
    EXPECT_EQ(statusWidth(StatusPanel::FileKind), 0);
    EXPECT_EQ(statusText(StatusPanel::Size), QStringLiteral("16 Bytes")); // 6 + 2 + 6 + 2
    EXPECT_EQ(statusText(StatusPanel::Lines), QStringLiteral("全2行"));
    EXPECT_TRUE(action(QStringLiteral("ActionReLoad"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("ActionFullScreen"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("ActionExport"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("ActionNoCRLF"))->isEnabled());
    EXPECT_TRUE(named<QToolButton>(QStringLiteral("ToolButton12"))->isEnabled());
    EXPECT_FALSE(action(QStringLiteral("ActionViewPre"))->isEnabled()); // nothing was shown before
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, AReadOnlyFileAndTheDebugPanel)
{
    const QString path = writeBytes(QStringLiteral("tabbed.txt"), QByteArray("a\tb"));
    QFile::setPermissions(path, QFile::ReadOwner);
    MainWindow &w = start({path});
    EXPECT_EQ(statusText(StatusPanel::ReadOnly), QStringLiteral("ReadOnly"));

    named<QMenu>(QStringLiteral("MenuDebug"))->menuAction()->setVisible(true);
    w.resize(1200, w.height());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    action(QStringLiteral("ActionReLoad"))->trigger();
    EXPECT_EQ(statusWidth(StatusPanel::FileKind), 50);
    EXPECT_EQ(statusText(StatusPanel::FileKind), QStringLiteral("BINARY"));

    const QString text = writeBytes(QStringLiteral("plain.txt"), QByteArray("a\0b\r\n", 5));
    chooseFile(text);
    EXPECT_EQ(statusText(StatusPanel::FileKind), QStringLiteral("TEXT"));
}

TEST_F(MainWindowTest, AnEmptyFileShowsNothingAndOffersNoEffects)
{
    MainWindow &w = start({writeBytes(QStringLiteral("empty.txt"), QByteArray())});
    EXPECT_EQ(statusText(StatusPanel::Size), QStringLiteral("0 Bytes"));
    EXPECT_EQ(statusText(StatusPanel::Lines), QStringLiteral("全0行"));
    for (QAction *a : {action(QStringLiteral("ActionNoCRLF")), action(QStringLiteral("ActionNoSpace")), action(QStringLiteral("ActionNoHtmlTag")), action(QStringLiteral("ActionNoTFS")), action(QStringLiteral("ActionNumbering"))})
        EXPECT_FALSE(a->isEnabled());
}

TEST_F(MainWindowTest, LinesAreCountedAsDisplayedWithWrapping)
{
    const QString longLine = QString(400, QLatin1Char('x'));
    MainWindow &w = start({writeText(QStringLiteral("long.txt"), longLine + QStringLiteral("\nshort\n"))});
    const qint64 wrapped = statusText(StatusPanel::Lines).mid(1).chopped(1).toLongLong();
    EXPECT_GT(wrapped, 2); // the long line takes several display lines

    action(QStringLiteral("ActionWrapNone"))->trigger();
    EXPECT_EQ(statusText(StatusPanel::Lines), QStringLiteral("全2行"));
}

TEST_F(MainWindowTest, AnythingButAReadableFileLeavesTheViewAsItWas)
{
    const QString path = writeText(QStringLiteral("a.txt"), QStringLiteral("kept"));
    MainWindow &w = start({path});
    // A folder or a missing path only refreshes, without a word.
    chooseFile(filesDir.path());
    chooseFile(filesDir.filePath(QStringLiteral("gone.txt")));
    EXPECT_EQ(viewText(), QStringLiteral("kept"));
    EXPECT_EQ(w.FileNameNow(), path);
    EXPECT_TRUE(dialogs.messages.empty());

    // Reading this file fails even for the superuser.
    chooseFile(QStringLiteral("/proc/self/mem"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, Kind::Failure);
    EXPECT_FALSE(dialogs.messages[0].text.isEmpty());
    EXPECT_EQ(viewText(), QStringLiteral("kept"));
    EXPECT_EQ(w.FileNameNow(), path);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->currentText(), path);
    EXPECT_TRUE(w.settings().History.PreHistory[0].isEmpty());
}

TEST_F(MainWindowTest, NewWindowStartLeavesTheViewEmptyAndKeepsTheStoredPosition)
{
    storeValues({{"WindowX", QStringLiteral("33")}, {"WindowY", QStringLiteral("44")},
                 {"FileNameNow", writeText(QStringLiteral("last.txt"), QStringLiteral("last"))}});
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    EXPECT_TRUE(view()->isEmpty());
    EXPECT_TRUE(w.FileNameNow().isEmpty());
    EXPECT_EQ(fileList()->directory(), filesDir.path() + QLatin1Char('/'));
    w.move(200, 150);
    w.close();
    EXPECT_EQ(stored("WindowX"), QStringLiteral("33"));
    EXPECT_EQ(stored("WindowY"), QStringLiteral("44"));
    EXPECT_EQ(stored("FileNameNow"), QString());
}

// A folder as the only argument opens it as "/n" does, but as the user's own window: at the
// stored position, which it stores again when it closes.
TEST_F(MainWindowTest, AFolderAloneOpensThereAtTheStoredPosition)
{
    storeValues({{"WindowX", QStringLiteral("33")}, {"WindowY", QStringLiteral("44")},
                 {"FileNameNow", writeText(QStringLiteral("last.txt"), QStringLiteral("last"))}});
    const QString folder = filesDir.filePath(QStringLiteral("books"));
    writeText(QStringLiteral("1.txt"), QStringLiteral("one"), folder);
    MainWindow &w = start({folder});
    EXPECT_TRUE(view()->isEmpty());
    EXPECT_TRUE(w.FileNameNow().isEmpty());
    EXPECT_EQ(fileList()->directory(), folder + QLatin1Char('/'));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("1.txt")});
    // The window's inside is where it was stored, and is stored again: a frame around it never
    // shifts it from one start to the next.
    EXPECT_EQ(w.geometry().topLeft(), QPoint(44, 33));
    w.setGeometry(QRect(QPoint(200, 150), w.size()));
    w.close();
    EXPECT_EQ(stored("WindowX"), QStringLiteral("150"));
    EXPECT_EQ(stored("WindowY"), QStringLiteral("200"));
}

TEST_F(MainWindowTest, QuitClosesTheWindowAndWritesTheSettings)
{
    const QString path = writeText(QStringLiteral("a.txt"), QStringLiteral("text"));
    MainWindow &w = start({path});
    action(QStringLiteral("ViewTool"))->trigger(); // hide the tool bar
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelToolBars"))->isHidden());
    w.resize(640, 400);
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored("FileNameNow"), path);
    EXPECT_EQ(stored("Version"), QStringLiteral("1.40"));
    EXPECT_EQ(stored("RunTime"), QStringLiteral("0"));
    EXPECT_EQ(stored("AppliSetFlags"), QStringLiteral("110111C0001000S0"));
    EXPECT_EQ(stored("WindowWidth"), QStringLiteral("640"));
    EXPECT_EQ(stored("WindowHeight"), QStringLiteral("400"));
    EXPECT_EQ(stored("FontSize"), QStringLiteral("9"));
    EXPECT_TRUE(isStored("WindowX"));
    EXPECT_FALSE(QFile::exists(programDir.filePath(QStringLiteral("FORWORK.TMP"))));
}

TEST_F(MainWindowTest, StoredValuesAreAppliedAtStart)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    storeValues({{"FontSize", QStringLiteral("3")}, {"WindowWidth", QString::number(screen.width() + 300)},
                 {"AppliSetFlags", QStringLiteral("1100")}, {"RunTime", QStringLiteral("34")}});
    MainWindow &w = start();
    EXPECT_EQ(view()->font().pointSize(), 9);
    EXPECT_EQ(w.width(), screen.width());
    EXPECT_EQ(w.pos().x(), 0);
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelToolBars"))->isHidden());
    EXPECT_TRUE(named<QWidget>(QStringLiteral("PanelPathBar"))->isHidden());
    EXPECT_FALSE(named<QWidget>(QStringLiteral("PanelToolsOnViewArea"))->isHidden()); // a NUL position leaves its bar shown
    expectOnlyMessage(MainTexts::kAuthorText, MainTexts::kAuthorCaption, Kind::Notice);
    EXPECT_EQ(w.settings().RunTime, 0);
    EXPECT_EQ(fileList(), QApplication::focusWidget());
    w.close();
    EXPECT_EQ(stored("RunTime"), QStringLiteral("0"));
    EXPECT_EQ(stored("FontSize"), QStringLiteral("9"));
    // Start-up refilled position 6, the close positions 4, 5, 11 and 13.
    EXPECT_EQ(stored("AppliSetFlags"), QStringLiteral("110011C"));
}

TEST_F(MainWindowTest, UninstallDeletesTheKeyOnlyWhenConfirmed)
{
    storeValues({{"RunTime", QStringLiteral("3")}});
    MainWindow &w = start();
    action(QStringLiteral("SetUninstall"))->trigger(); // declined by the default button
    expectOnlyMessage(MainTexts::kUninstallText, MainTexts::kUninstallCaption, Kind::ConfirmNotice);
    EXPECT_TRUE(w.isVisible());

    dialogs.answers.push_back(Dialogs::Answer::Yes);
    action(QStringLiteral("SetUninstall"))->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(QFile::exists(storePath));
}

TEST_F(MainWindowTest, AFailedSettingsWriteIsReportedUnderTheWindowsCaption)
{
    MainWindow &w = start({writeText(QStringLiteral("a.txt"), QStringLiteral("x"))});
    // A folder where the settings file should be makes every write fail.
    QDir().mkpath(storePath);
    w.close();
    expectOnlyMessage(QStringLiteral("レジストリに書き込めませんでした。"), QStringLiteral("a.txt - Orlimbo  Ver 1.40"),
                      Kind::Plain);
}

TEST_F(MainWindowTest, CommandsCarryTheirCaptionsKeysAndHints)
{
    MainWindow &w = start();
    EXPECT_EQ(action(QStringLiteral("ActionViewPre"))->text(), QStringLiteral("１つ前へ戻る(&B)"));
    EXPECT_EQ(action(QStringLiteral("ActionViewPre"))->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Backspace));
    EXPECT_EQ(action(QStringLiteral("ActionViewNext"))->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Insert));
    EXPECT_EQ(action(QStringLiteral("ActionFileDelete"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EXPECT_EQ(action(QStringLiteral("ActionFileCopy"))->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    EXPECT_TRUE(action(QStringLiteral("ActionOpenAppSetDialog"))->shortcut().isEmpty());
    EXPECT_TRUE(action(QStringLiteral("ActionOpenAppSetDialog"))->text().endsWith(QStringLiteral("\tCtrl+Alt+C")));
    EXPECT_FALSE(action(QStringLiteral("ActionWrapNum"))->isVisible());
    EXPECT_FALSE(named<QMenu>(QStringLiteral("MenuDebug"))->menuAction()->isVisible());
    EXPECT_EQ(named<QToolButton>(QStringLiteral("BtnBack"))->toolTip(), QStringLiteral("履歴を戻ります。"));
    EXPECT_EQ(named<QToolButton>(QStringLiteral("BtnBack"))->toolTipDuration(), 25000);
    EXPECT_EQ(named<QToolButton>(QStringLiteral("ToolButton23"))->toolTip(), QStringLiteral("フォントサイズを1pt大きくします。\n（現在は、9ptです。）"));
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->itemText(0), QStringLiteral("about: #1 この欄に項目を追加するにはどうすればいいの？"));
    for (StatusPanel panel : {StatusPanel::Date, StatusPanel::ReadOnly, StatusPanel::Size, StatusPanel::Lines,
                              StatusPanel::Position, StatusPanel::Encoding})
        EXPECT_GT(statusWidth(panel), 0) << int(panel);
}

// Menus show key names through Qt's Japanese translation, which misspells one of them.
TEST_F(MainWindowTest, MenusNameTheKeysRightInJapanese)
{
    QtJapaneseTranslator translator;
    ASSERT_TRUE(translator.loadQtBase());
    QApplication::installTranslator(&translator);
    const QString backspace = QKeySequence(Qt::ALT | Qt::Key_Backspace).toString(QKeySequence::NativeText);
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    QApplication::removeTranslator(&translator);
    EXPECT_EQ(backspace, QStringLiteral("Alt+Backspace"));
    // The rest of the translation still holds.
    EXPECT_EQ(cancel, QStringLiteral("キャンセル"));
}

TEST_F(MainWindowTest, NewWindowStartsTheProgramOnTheShownFolder)
{
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    action(QStringLiteral("ActionNewWindow"))->trigger();
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(shell.launches[0].arguments, QStringList({QStringLiteral("/n"), filesDir.path() + QLatin1Char('/')}));
}

// In a narrow window the panels give way instead of printing over each other or being cut by a
// border: each draws what fits its room, the date and the position whole, the size shortened in
// the middle; widened again, every panel shows its whole text.
TEST_F(MainWindowTest, StatusPanelsFitANarrowWindow)
{
    const QString line = QStringLiteral("日本語の文章と ASCII text が混ざった一行です。\n");
    const QString path = writeText(QStringLiteral("大きい.txt"), line.repeated(5 * 1024 * 1024 / 60));
    MainWindow &w = start({path});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    view()->selectRange(1000, 0);
    ASSERT_GE(statusText(StatusPanel::Size).size(), 20); // "NNNNNNN Bytes ( N MB)"

    const auto panelsFit = [&](bool narrow) {
        QApplication::processEvents();
        int lastRight = -1;
        for (int i = 0; i < StatusBar::kPanels; ++i) {
            const auto *panel = named<ElidingLabel>(QStringLiteral("StatusPanel%1").arg(i));
            if (!panel->isVisible())
                continue;
            const QString shown = panel->shownText();
            EXPECT_LE(panel->fontMetrics().horizontalAdvance(shown), panel->contentsRect().width()) << i;
            EXPECT_GT(panel->x(), lastRight) << i;
            lastRight = panel->geometry().right();
            const bool keptWhole = !narrow || StatusPanel(i) == StatusPanel::Date || StatusPanel(i) == StatusPanel::Position;
            if (keptWhole)
                EXPECT_EQ(shown, panel->text()) << i;
        }
        EXPECT_LE(lastRight, named<QWidget>(QStringLiteral("StatusPanels"))->width());
    };
    w.resize(600, w.height());
    panelsFit(true);
    w.resize(1200, w.height());
    panelsFit(false);

    // Narrower than any window gets, the size too gives way, shortened in the middle, while the
    // date and the position stay whole.
    StatusBar bar;
    bar.setText(StatusPanel::Date, QStringLiteral("「zzz」は見つかりませんでした"));
    bar.setText(StatusPanel::Size, QStringLiteral("4194288 Bytes ( 3 MB)"));
    bar.setText(StatusPanel::Position, QStringLiteral("現在: 34行 11桁"));
    bar.setText(StatusPanel::Encoding, QStringLiteral("SJIS"));
    bar.resize(540, 30);
    bar.show();
    QApplication::processEvents();
    const auto shown = [&](StatusPanel panel) {
        return bar.findChild<ElidingLabel *>(QStringLiteral("StatusPanel%1").arg(int(panel)))->shownText();
    };
    EXPECT_EQ(shown(StatusPanel::Date), QStringLiteral("「zzz」は見つかりませんでした"));
    EXPECT_EQ(shown(StatusPanel::Position), QStringLiteral("現在: 34行 11桁"));
    const QString size = shown(StatusPanel::Size);
    EXPECT_TRUE(size.startsWith(QLatin1Char('4')) && size.contains(QStringLiteral("…")) && size.endsWith(QStringLiteral("MB)")))
        << size.toStdString();
}
