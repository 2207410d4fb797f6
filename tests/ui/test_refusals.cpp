// What is never shown, asked for from each place a path comes from: each time one message names
// the path and the cause, and the window goes on naming the file shown.
#include "UiFixture.h"

#include "core/ArchiveFolder.h"
#include "core/StatusTexts.h"
#include "core/SystemErrors.h"
#include "resources/ArchiveTexts.h"
#include "resources/MainTexts.h"
#include "tests/support/TestArchives.h"
#include "ui/AddressBar.h"

#include <QtEndian>

#include <archive_entry.h>
#include <sys/stat.h>
#include <thread>

namespace {

// One stored byte under ZIP64 headers that claim 5 GB for it.
constexpr quint64 kClaimed = quint64(5) << 30;
QByteArray zipClaimingFiveGigabytes()
{
    const auto le = [](quint64 value, int bytes) {
        const quint64 little = qToLittleEndian(value);
        return QByteArray(reinterpret_cast<const char *>(&little), bytes);
    };
    const QByteArray sizes = le(~0u, 4) + le(~0u, 4) + le(7, 2) + le(20, 2);
    const QByteArray extra = le(1, 2) + le(16, 2) + le(kClaimed, 8) + le(kClaimed, 8);
    const QByteArray local = "PK\3\4" + le(45, 2) + QByteArray(12, 0) + sizes + "big.txt" + extra + "x";
    const QByteArray central = "PK\1\2" + le(45, 2) + le(45, 2) + QByteArray(12, 0) + sizes + QByteArray(14, 0) + "big.txt" + extra;
    return local + central + "PK\5\6" + QByteArray(4, 0) + le(1, 2) + le(1, 2) + le(central.size(), 4) + le(local.size(), 4) + le(0, 2);
}

enum class From { AddressBar, FileList, History, Bookmark, CommandLine, FolderSearch };
struct Refused {
    const char *what;
    From from;
    const char *path; // in the test's folder
    QString cause;
    bool member; // captioned as the archive's, else with the window's title
};
void PrintTo(const Refused &c, std::ostream *out) { *out << c.what; }
class RefusalTest : public UiFixture, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusalTest, SaysWhyEachTimeAndTheWindowNamesTheFileShown)
{
    const Refused &c = GetParam();
    const QString d = filesDir.path() + "/", path = d + c.path;
    writeBytes("big.zip", zipClaimingFiveGigabytes());
    TestArchives::write(d + "sym.zip", {}, {{"shadow.txt", "/etc/passwd", AE_IFLNK}});
    TestArchives::write(d + "evil.tar", {.format = ARCHIVE_FORMAT_TAR_USTAR}, {{"dev.txt", {}, AE_IFCHR}});
    TestArchives::write(d + "secret.zip", {.options = "zip:encryption=zipcrypt", .passphrase = "pw"}, {{"s.txt", "s"}});
    for (const char *fifo : {"fifo.zip", "pipe.txt"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(d + fifo).constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(d + "zero.zip").constData()), 0);
    TestFiles::write(programDir.filePath("BOOKMARK.CSV"), "#,\r\nit," + QFile::encodeName(path) + "\r\n");
    // Read once, and a FIFO put in its place since: what the history and a search hold.
    start({writeText("was.txt", "was")});
    const QString shown = writeText("shown.txt", "shown");
    chooseFile(shown);
    QFile::remove(d + "was.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + "was.txt").constData(), 0600), 0);
    const bool atStart = c.from == From::CommandLine;
    const QString title = atStart ? MainTexts::kAppTitle : "shown.txt - " + MainTexts::kVersionTitle;
    auto *bar = named<AddressBar>("PanelPathBar");
    for (int visit = 1; visit <= 2; ++visit) {
        SCOPED_TRACE(visit);
        switch (c.from) {
        case From::AddressBar: bar->enterPath(path); break;
        case From::FileList: chooseFile(path); break;
        case From::History: press(Qt::Key_Backspace, Qt::AltModifier); break;
        case From::Bookmark: named<QMenu>("MenuBookmark")->actions().value(3)->trigger(); break;
        case From::CommandLine: form.reset(); start({path}); bar = named<AddressBar>("PanelPathBar"); break;
        case From::FolderSearch:
            emit form->session().folderSearchFound(named<FileSelectionBox>("PanelDirBars")->listedFiles().indexOf(path), "w", true);
        }
        takeOnlyMessage(path + "\n\n" + c.cause, c.member ? ArchiveTexts::kCaption : title, Dialogs::Kind::Failure);
        EXPECT_EQ(form->FileNameNow(), atStart ? "" : shown);
        EXPECT_EQ(bar->path(), form->FileNameNow());
        EXPECT_EQ(form->windowTitle(), title);
        EXPECT_EQ(viewText(), atStart ? "" : "shown");
        EXPECT_EQ(statusText(StatusPanel::Size), StatusTexts::sizeText(atStart ? 0 : 5));
    }
}

// The texts are made when gtest lists the cases, after every text of the program is.
INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest,
    ::testing::Values(
        Refused{"LinkInAZip", From::AddressBar, "sym.zip/shadow.txt", ArchiveTexts::kLink, true},
        Refused{"DeviceInATar", From::CommandLine, "evil.tar/dev.txt", ArchiveTexts::kSpecial, true},
        Refused{"EncryptedMember", From::AddressBar, "secret.zip/s.txt", ArchiveTexts::kEncrypted, true},
        Refused{"MemberClaimingFiveGigabytes", From::FileList, "big.zip/big.txt",
                ArchiveTexts::kTooLarge.arg(StatusTexts::sizeText(kClaimed), StatusTexts::sizeText(Archive::kMaxUnpackedSize)), true},
        Refused{"ArchiveThatIsAFifo", From::AddressBar, "fifo.zip", SystemErrors::text(RegularFile::kArchiveNotRegular), false},
        Refused{"InAnArchiveThatIsAFifo", From::AddressBar, "fifo.zip/a.txt", SystemErrors::text(RegularFile::kArchiveNotRegular), false},
        Refused{"ArchiveLinkedToDevZero", From::Bookmark, "zero.zip", SystemErrors::text(RegularFile::kArchiveNotRegular), false},
        Refused{"Fifo", From::AddressBar, "pipe.txt", SystemErrors::text(RegularFile::kNotRegular), false},
        Refused{"FifoInTheHistory", From::History, "was.txt", SystemErrors::text(RegularFile::kNotRegular), false},
        Refused{"FifoFoundByTheFolderSearch", From::FolderSearch, "was.txt", SystemErrors::text(RegularFile::kNotRegular), false}),
    [](const ::testing::TestParamInfo<Refused> &info) { return std::string(info.param.what); });

// A load that runs on and then fails says so each time, unless another archive was entered
// meanwhile: then it goes unsaid.
TEST_F(UiFixture, ALateFailureIsToldUnlessSomethingElseWasAskedForMeanwhile)
{
    std::atomic<bool> release{true};
    loading.readOnTheSpotBelow = 0;
    loading.load.beforePiece = [&](qint64) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        throw std::bad_alloc();
    };
    const QString book = filesDir.filePath("book.zip"), big = writeText("big.txt", "never shown");
    TestArchives::write(book, {}, {{"m.txt", "m"}});
    ArchiveFolder::listing(book); // so that entering it ends no load by listing it
    MainWindow &w = start({"/n", filesDir.path()});
    auto *bar = named<AddressBar>("PanelPathBar");
    const std::function<void()> choose = [&] { chooseFile(big); }, type = [&] { bar->enterPath(big); };
    const auto held = [&](const std::function<void()> &ask, const std::function<void()> &meanwhile) {
        release = false;
        ask();
        meanwhile();
        release = true;
        QTRY_VERIFY(!action("ActionCancelLoad")->isEnabled());
    };
    // From the list, then typed twice: the second time the list still selects the file refused.
    for (const auto &ask : {choose, type, type}) {
        held(ask, [] {});
        takeOnlyMessage(big + "\n\n" + MainTexts::kOutOfMemoryText, w.windowTitle(), Dialogs::Kind::Failure);
    }
    held(choose, [&] { bar->enterPath(book); });
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
