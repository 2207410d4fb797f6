// Starts with hostile stored values, teardown with the focus anywhere in the file-selection
// box, and sizes beyond what an int holds in the view.
#include "UiFixture.h"

#include "core/SystemErrors.h"
#include "resources/MainTexts.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/DriveComboBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

using Kind = Dialogs::Kind;

class TeardownTest : public UiFixture {};

// Under the sanitizers a focus handler reaching the half-destroyed box is a reported error.
TEST_F(TeardownTest, DestroyingTheWindowWithTheFocusInEachControlOfTheBox)
{
    const char *const controls[] = {"DriveComboBox1",   "DirectoryListBox1",  "FilterComboBox1",
                                    "FileListBox1",     "BtnFileSelBoxComp", "BtnCloseFileSelectBox"};
    for (size_t i = 0; i < std::size(controls); ++i) {
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        QWidget *control = named(QLatin1String(controls[i]));
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        EXPECT_TRUE(named<FileSelectionBox>(QStringLiteral("PanelDirBars"))->titleActive()) << i;
        form.reset(); // destroyed while shown, without the close sequence
        EXPECT_EQ(QApplication::focusWidget(), nullptr) << i;
    }
}

struct HostileValues {
    const char *name;
    std::vector<std::pair<const char *, QString>> values;
    bool opensAtTheAvailableTopLeft = false; // the stored position is on no screen
    bool restartsTheCounter = false;         // the author's message, and 0 stored
};

class HostileStartTest : public UiFixture, public ::testing::WithParamInterface<HostileValues> {};
class HostileValuesTest : public UiFixture {};

TEST_P(HostileStartTest, TheWindowIsOnTheScreenWithANinePointFontAndSaneStoredValues)
{
    for (const auto &[name, value] : GetParam().values)
        storeValues({{name, value}});
    MainWindow &w = start();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.intersects(QRect(w.pos(), QSize(w.width(), 24)))) << w.pos().x() << "," << w.pos().y();
    EXPECT_LE(w.width(), screen.width());
    EXPECT_LE(w.height(), screen.height());
    EXPECT_EQ(view()->font().pointSize(), 9);
    if (GetParam().opensAtTheAvailableTopLeft)
        EXPECT_EQ(w.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    if (GetParam().restartsTheCounter)
        expectOnlyMessage(MainTexts::kAuthorText, MainTexts::kAuthorCaption, Kind::Notice);
    w.close();
    EXPECT_EQ(stored("FontSize"), QStringLiteral("9"));
    const int runTime = stored("RunTime").toInt();
    EXPECT_TRUE(runTime >= 0 && runTime <= 35) << runTime;
    if (GetParam().restartsTheCounter)
        EXPECT_EQ(stored("RunTime"), QStringLiteral("0"));
    const QRect saved(stored("WindowY").toInt(), stored("WindowX").toInt(), stored("WindowWidth").toInt(),
                      stored("WindowHeight").toInt());
    EXPECT_TRUE(screen.contains(saved.topLeft())) << saved.x() << "," << saved.y();
    EXPECT_LE(saved.width(), screen.width());
    EXPECT_LE(saved.height(), screen.height());
}

namespace {
QString number(int n)
{
    return QString::number(n);
}
// All four geometry values stored as n.
std::vector<std::pair<const char *, QString>> geometry(int n)
{
    return {{"WindowX", number(n)}, {"WindowY", number(n)}, {"WindowWidth", number(n)}, {"WindowHeight", number(n)}};
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    StoredValues, HostileStartTest,
    ::testing::Values(
        HostileValues{"RunTimeAtIntMax", {{"RunTime", number(INT_MAX)}}, false, true},
        HostileValues{"GeometryAtIntMax", geometry(INT_MAX)}, HostileValues{"GeometryAtIntMin", geometry(INT_MIN)},
        HostileValues{"PositionOnAnUnpluggedMonitor", {{"WindowX", number(5000)}, {"WindowY", number(3000)}}, true},
        HostileValues{"FontSizeZero", {{"FontSize", number(0)}}},
        HostileValues{"FontSizeHundredThousand", {{"FontSize", number(100000)}}},
        HostileValues{"FontSizeAtIntMax", {{"FontSize", number(INT_MAX)}}}),
    [](const ::testing::TestParamInfo<HostileValues> &info) { return std::string(info.param.name); });

// The ceiling of the size keys is in ViewTest; the font dialog knows none, and the command then
// names the size in force.
TEST_F(HostileValuesTest, FontSizeUpAboveTheCeilingNamesTheSizeInForce)
{
    MainWindow &w = start({writeText(QStringLiteral("t.txt"), QStringLiteral("x"))});
    QFont font = view()->font();
    font.setPointSize(2000);
    view()->setFont(font);
    action(QStringLiteral("ActionFontSizeUp"))->trigger();
    EXPECT_EQ(view()->font().pointSize(), 2000);
    expectOnlyMessage(QStringLiteral("これ以上は大きくできません。現在2000ptです。"), QStringLiteral("フォントサイズ変更"),
                      Kind::Warning);
}

// A quarter of a million characters in an 8000 pt font (some 10,000 pixels each) make a line
// wider than an int: the scroll bar still reaches its end, and so does scrolling to the caret.
TEST(TextViewWidths, ALineWiderThanAnIntStillScrollsToItsEnd)
{
    TextView view;
    view.setFont(QFont(QStringLiteral("IPAGothic"), 8000));
    view.resize(300, 200);
    view.setWrap(false);
    view.setText(QString(250000, QChar(0x3042)));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QScrollBar *h = view.horizontalScrollBar();
    EXPECT_EQ(h->maximum(), INT_MAX);
    view.selectRange(view.text().size(), 0);
    view.scrollToCaret();
    EXPECT_EQ(h->value(), INT_MAX);
}

using TestFiles::contents;

// Things that are no regular file, put where the program reads or writes: the tests end with
// SIGALRM should a regression make any of them block.
class NotAFileTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        ::alarm(10);
    }
    void TearDown() override
    {
        UiFixture::TearDown();
        ::alarm(0);
    }
    static QByteArray native(const QString &path) { return QFile::encodeName(path); }
    void plant(const QString &path, const char *linkTo)
    {
        QFile::remove(path);
        ASSERT_EQ(linkTo ? ::symlink(linkTo, native(path).constData()) : ::mkfifo(native(path).constData(), 0600), 0);
    }
};

// Files listed and then replaced: a FIFO and a link to /dev/zero are refused at once with the
// path and the cause, the view keeping its text; a link that leads nowhere is a file gone.
TEST_F(NotAFileTest, WalkingOntoAFifoADeviceOrADanglingLinkNeverBlocks)
{
    for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        writeText(QLatin1String(name), QLatin1String(name));
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    named<QMenu>(QStringLiteral("MenuDebug"))->menuAction()->setVisible(true); // the binary check reads the file too
    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Down);
    ASSERT_EQ(viewText(), "a.txt");
    plant(filesDir.filePath("b.txt"), nullptr);
    plant(filesDir.filePath("c.txt"), "/dev/zero");
    plant(filesDir.filePath("d.txt"), "missing.txt");

    for (const char *name : {"b.txt", "c.txt"}) {
        press(Qt::Key_Down);
        takeOnlyMessage(filesDir.filePath(QLatin1String(name)) + "\n\n" + SystemErrors::text(RegularFile::kNotRegular),
                        QStringLiteral("a.txt - Orlimbo  Ver 1.40"), Kind::Failure);
        EXPECT_EQ(viewText(), "a.txt");
    }
    press(Qt::Key_Down);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w.FileNameNow(), filesDir.filePath("a.txt"));
    EXPECT_EQ(statusText(StatusPanel::FileKind), MainTexts::kText);
}

// The settings file is read only when it is a regular file: anything else starts the program with
// the defaults, and at close it is left as it was while the failed write is reported. A link
// that leads nowhere is a file not yet written, and the settings go where it leads.
TEST_F(NotAFileTest, ASettingsFileThatIsNoFileStartsWithTheDefaultsAndIsLeftAlone)
{
    QDir().mkpath(programDir.filePath("config"));
    const char *fifo = nullptr;
    for (const char *linkTo : {fifo, "/dev/zero", "/dev/full", "settings.conf"}) {
        SCOPED_TRACE(linkTo ? linkTo : "FIFO");
        plant(storePath, linkTo);
        MainWindow &w = start();
        EXPECT_EQ(w.settings().LimitSizeForEffect, 524228);
        EXPECT_EQ(w.settings().flagText(), "111111C0001000S0");
        w.close();
        const bool dangling = linkTo == QByteArrayView("settings.conf");
        if (dangling)
            EXPECT_TRUE(dialogs.messages.empty());
        else
            takeOnlyMessage(QStringLiteral("レジストリに書き込めませんでした。"), QStringLiteral("Orlimbo"), Kind::Plain);
        struct stat st {};
        ASSERT_EQ(::lstat(native(storePath).constData(), &st), 0);
        EXPECT_EQ(linkTo ? S_ISLNK(st.st_mode) : S_ISFIFO(st.st_mode), true);
        EXPECT_EQ(contents(programDir.filePath("config/settings.conf")).contains("RunTime=0"), dangling);
        form.reset();
    }
}

// A link planted under each work file's name is removed, never written through; the effect
// still works. A name that cannot be taken anew fails with the work files' message.
TEST_F(NotAFileTest, TheWorkFilesAreNeverReachedThroughALink)
{
    const QByteArray kept = "outside\r\n";
    const QString forWork = writeBytes(QStringLiteral("forwork-target"), kept);
    const QString effect = writeBytes(QStringLiteral("effect-target"), kept);
    const QString workFolder = programDir.path() + QStringLiteral("/");
    plant(workFolder + "FORWORK.TMP", native(forWork).constData());
    plant(workFolder + "EFFECT.TMP", native(effect).constData());
    MainWindow &w = start({writeText(QStringLiteral("t.txt"), QStringLiteral("one\ntwo"))});
    press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(viewText(), QStringLiteral("0001 one\n0002 two"));
    EXPECT_EQ(contents(forWork), kept);
    EXPECT_EQ(contents(effect), kept);
    EXPECT_FALSE(QFileInfo(workFolder + "FORWORK.TMP").exists() || QFileInfo(workFolder + "EFFECT.TMP").isSymLink());
    press(Qt::Key_I, Qt::ControlModifier);

    // A folder cannot be unlinked, so the name stays taken.
    QDir().mkpath(workFolder + "FORWORK.TMP/inside");
    press(Qt::Key_I, Qt::ControlModifier);
    takeOnlyMessage(workFolder + "FORWORK.TMP\n\n" + SystemErrors::text(EEXIST), w.windowTitle(), Kind::Failure);
    QDir(workFolder + "FORWORK.TMP").removeRecursively();
    QDir().mkpath(workFolder + "EFFECT.TMP/inside");
    press(Qt::Key_I, Qt::ControlModifier);
    takeOnlyMessage(MainTexts::kWorkFileCreateText, MainTexts::kWorkFileCreateCaption, Kind::Failure);
    EXPECT_FALSE(action(QStringLiteral("ActionNumbering"))->isChecked());
    EXPECT_EQ(viewText(), QStringLiteral("one\ntwo"));
}
