// Files and members that are never shown, asked for from each place a path comes from: every
// time, one message names the path and the cause, and the window goes on naming the file shown.
#include "UiFixture.h"

#include "tests/support/TestArchives.h"

#include "core/ArchiveFolder.h"
#include "core/StatusTexts.h"
#include "core/SystemErrors.h"
#include "resources/ArchiveTexts.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/widgets/DirectoryListBox.h"

#include <archive.h>
#include <archive_entry.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = Dialogs::Kind;

QByteArray le(quint64 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
    return out;
}

// A ZIP of one stored member whose ZIP64 headers claim `claimed` bytes for its one byte.
QByteArray zipClaiming(const QByteArray &name, quint64 claimed)
{
    const QByteArray sizes = le(0xFFFFFFFF, 4) + le(0xFFFFFFFF, 4);
    const QByteArray extra = le(1, 2) + le(16, 2) + le(claimed, 8) + le(claimed, 8);
    const QByteArray local = "PK\3\4" + le(45, 2) + le(0, 12) + sizes + le(name.size(), 2) + le(extra.size(), 2)
                             + name + extra + "x";
    const QByteArray central = "PK\1\2" + le(45, 2) + le(45, 2) + le(0, 12) + sizes + le(name.size(), 2)
                               + le(extra.size(), 2) + le(0, 14) + name + extra;
    return local + central + "PK\5\6" + le(0, 4) + le(1, 2) + le(1, 2) + le(central.size(), 4)
           + le(local.size(), 4) + le(0, 2);
}

void plant(const QString &path, const char *linkTo)
{
    const QByteArray native = QFile::encodeName(path);
    QFile::remove(path);
    ASSERT_EQ(linkTo ? ::symlink(linkTo, native.constData()) : ::mkfifo(native.constData(), 0600), 0);
}

enum class From { AddressBar, FileList, History, Bookmark, CommandLine, FolderSearch, OpenDialog };

struct Refused {
    const char *what;
    From from;
    const char *path; // in the test's folder
    QString (*cause)();
    bool member;      // captioned as the archive's, else with the window's title
};

void PrintTo(const Refused &c, std::ostream *out)
{
    *out << c.what;
}

const qint64 kClaimed = qint64(5) << 30;

class RefusalTest : public UiFixture, public ::testing::WithParamInterface<Refused> {
protected:
    QString shown, was;
    void SetUp() override
    {
        UiFixture::SetUp();
        shown = writeText("shown.txt", "shown");
        const QString d = filesDir.path() + "/";
        ASSERT_TRUE(TestArchives::write(d + "sym.zip", {}, {{"a.txt", "a"}, {"shadow.txt", "/etc/passwd", AE_IFLNK}}));
        ASSERT_TRUE(TestArchives::write(d + "evil.tar", {.format = ARCHIVE_FORMAT_TAR_USTAR},
                                        {{"a.txt", "a"}, {"dev.txt", {}, AE_IFCHR}}));
        ASSERT_TRUE(TestArchives::write(d + "secret.zip", {.options = "zip:encryption=zipcrypt", .passphrase = "pw"},
                                        {{"s.txt", "hidden"}}));
        writeBytes("big.zip", zipClaiming("big.txt", kClaimed));
        plant(d + "fifo.zip", nullptr);
        plant(d + "zero.zip", "/dev/zero");
        plant(d + "pipe.txt", nullptr);
        // Read once, and a FIFO put in its place since: what the history and a search found.
        was = writeText("was.txt", "was");
        // A regression that reads a FIFO or a device would block: the test then ends here.
        ::alarm(20);
    }
    void TearDown() override
    {
        UiFixture::TearDown();
        ::alarm(0);
    }

    void ask(From from, const QString &path)
    {
        switch (from) {
        case From::AddressBar: named<AddressBar>("PanelPathBar")->enterPath(path); break;
        case From::FileList: chooseFile(path); break;
        case From::History: press(Qt::Key_Backspace, Qt::AltModifier); break;
        case From::Bookmark: named<QMenu>("MenuBookmark")->actions().value(3)->trigger(); break;
        case From::CommandLine:
            form.reset();
            start({path});
            break;
        case From::FolderSearch:
            emit form->session().folderSearchFound(named<FileSelectionBox>("PanelDirBars")->listedFiles().indexOf(path),
                                                   "was", true);
            break;
        case From::OpenDialog:
            dialogs.fileAnswers = {path};
            action("ActionFileOpen")->trigger();
            break;
        }
    }
};

TEST_P(RefusalTest, SaysWhyEachTimeAndTheWindowNamesTheFileShown)
{
    const Refused &c = GetParam();
    const QString path = filesDir.filePath(QLatin1String(c.path));
    TestFiles::write(programDir.filePath("BOOKMARK.CSV"), "# Orlimbo - Bookmark File,\r\nit," + QFile::encodeName(path) + "\r\n");
    start({was});
    chooseFile(shown);
    plant(was, nullptr);
    const bool fromStart = c.from == From::CommandLine;
    const QString title = fromStart ? MainTexts::kAppTitle : "shown.txt - " + MainTexts::kVersionTitle;
    const QString file = fromStart ? QString() : shown;
    for (int visit = 1; visit <= 2; ++visit) {
        SCOPED_TRACE(visit);
        ask(c.from, path);
        takeOnlyMessage(path + "\n\n" + c.cause(), c.member ? ArchiveTexts::kCaption : title, Kind::Failure);
        EXPECT_EQ(form->FileNameNow(), file);
        EXPECT_EQ(named<AddressBar>("PanelPathBar")->path(), file);
        EXPECT_EQ(form->windowTitle(), title);
        EXPECT_EQ(viewText(), fromStart ? QString() : "shown");
        EXPECT_EQ(statusText(StatusPanel::Size), fromStart ? StatusTexts::sizeText(0) : StatusTexts::sizeText(5));
    }
}

// The texts are asked for when the cases run: they are made at start, in an order of their own.
QString notRegular() { return SystemErrors::text(RegularFile::kNotRegular); }
QString archiveNotRegular() { return SystemErrors::text(RegularFile::kArchiveNotRegular); }
QString link() { return ArchiveTexts::kLink; }
QString special() { return ArchiveTexts::kSpecial; }
QString encrypted() { return ArchiveTexts::kEncrypted; }
QString tooLarge()
{
    return ArchiveTexts::kTooLarge.arg(StatusTexts::sizeText(kClaimed), StatusTexts::sizeText(Archive::kMaxUnpackedSize));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest,
    ::testing::Values(
        Refused{"LinkInAZip", From::AddressBar, "sym.zip/shadow.txt", link, true},
        Refused{"DeviceInATar", From::AddressBar, "evil.tar/dev.txt", special, true},
        Refused{"DeviceInATarOnTheCommandLine", From::CommandLine, "evil.tar/dev.txt", special, true},
        Refused{"EncryptedMember", From::AddressBar, "secret.zip/s.txt", encrypted, true},
        Refused{"EncryptedMemberInTheList", From::FileList, "secret.zip/s.txt", encrypted, true},
        Refused{"MemberClaimingFiveGigabytes", From::FileList, "big.zip/big.txt", tooLarge, true},
        Refused{"ArchiveThatIsAFifo", From::AddressBar, "fifo.zip", archiveNotRegular, false},
        Refused{"MemberOfAnArchiveThatIsAFifo", From::AddressBar, "fifo.zip/a.txt", archiveNotRegular, false},
        Refused{"BookmarkedArchiveThatIsALinkToDevZero", From::Bookmark, "zero.zip", archiveNotRegular, false},
        Refused{"Fifo", From::AddressBar, "pipe.txt", notRegular, false},
        Refused{"FifoFromTheOpenDialog", From::OpenDialog, "pipe.txt", notRegular, false},
        Refused{"FifoInTheHistory", From::History, "was.txt", notRegular, false},
        Refused{"FifoFoundByTheFolderSearch", From::FolderSearch, "was.txt", notRegular, false}),
    [](const ::testing::TestParamInfo<Refused> &info) { return std::string(info.param.what); });

// A load that runs on and fails says so, unless the reader has asked for something else since:
// then its message is dropped, never shown against what he went on to.
class SupersededTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        loading.readOnTheSpotBelow = 0;
        // Every load waits until let go, then runs out of memory.
        loading.load.beforePiece = [this](qint64) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            throw std::bad_alloc();
        };
    }
    void TearDown() override
    {
        release = true;
        UiFixture::TearDown();
    }
    // Asks for the file, and lets its load go on only after `meanwhile`.
    void failLate(const QString &path, const std::function<void()> &meanwhile)
    {
        release = false;
        chooseFile(path);
        ASSERT_TRUE(action("ActionCancelLoad")->isEnabled());
        meanwhile();
        release = true;
        QTRY_VERIFY(!action("ActionCancelLoad")->isEnabled());
        QTest::qWait(50);
    }
    std::atomic<bool> release{true};
};

TEST_F(SupersededTest, ALateFailureIsToldOnlyWhileNothingElseWasAskedFor)
{
    const QString folder = filesDir.filePath("other");
    writeText("x.txt", "x", folder);
    const QString book = filesDir.filePath("book.zip");
    ASSERT_TRUE(TestArchives::write(book, {}, {{"m.txt", "m"}}));
    const QString big = writeText("big.txt", "never shown");
    const QString pipe = filesDir.filePath("pipe.txt");
    plant(pipe, nullptr);
    ArchiveFolder::listing(book); // entered at once, with no listing to end the load
    MainWindow &w = start({"/n", filesDir.path()});
    auto *bar = named<AddressBar>("PanelPathBar");
    auto *folders = named<DirectoryListBox>("DirectoryListBox1");

    failLate(big, [] {});
    takeOnlyMessage(big + "\n\n" + MainTexts::kOutOfMemoryText, w.windowTitle(), Kind::Failure);
    // Typed again while the list still selects it, it is read again and told again.
    for (int visit = 1; visit <= 2; ++visit) {
        bar->enterPath(big);
        takeOnlyMessage(big + "\n\n" + MainTexts::kOutOfMemoryText, w.windowTitle(), Kind::Failure);
    }

    // Each is asked for while the load runs on.
    const std::pair<const char *, std::function<void()>> elsewhere[] = {
        {"another folder in the folder list", [&] {
             folders->setCurrentItem(folders->findItems("other", Qt::MatchEndsWith).value(0));
             folders->setFocus();
             QTest::keyClick(folders, Qt::Key_Return);
             ASSERT_EQ(folders->directory(), folder + "/");
         }},
        {"an archive in the address bar", [&] { bar->enterPath(book); }},
        {"a path still being typed", [&] { bar->enterPath(filesDir.filePath("bi")); }},
    };
    for (const auto &[what, ask] : elsewhere) {
        SCOPED_TRACE(what);
        failLate(big, ask);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_TRUE(w.FileNameNow().isEmpty());
    }
    // A FIFO asked for ends the load: only its own refusal is told.
    failLate(big, [&] { bar->enterPath(pipe); });
    takeOnlyMessage(pipe + "\n\n" + SystemErrors::text(RegularFile::kNotRegular), w.windowTitle(), Kind::Failure);
    EXPECT_TRUE(w.FileNameNow().isEmpty());
}

} // namespace
