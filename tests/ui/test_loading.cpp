#include "UiFixture.h"

#include "core/Document.h"
#include "core/StatusTexts.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/DocumentLoader.h"

#include <QScrollBar>

#include <atomic>
#include <chrono>
#include <functional>
#include <new>
#include <thread>

using Kind = Dialogs::Kind;

class LoadingTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        loading.readOnTheSpotBelow = 0;
        // The window's loads are made at start(): a test changes what each piece meets later.
        loading.load.beforePiece = [this](qint64 done) {
            if (onPiece)
                onPiece(done);
        };
    }
    void TearDown() override
    {
        release = true;
        UiFixture::TearDown();
    }
    // Every piece of every load waits until the test lets it go: a slow source.
    void holdLoads()
    {
        release = false;
        onPiece = [this](qint64) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    }

    std::function<void(qint64 done)> onPiece;
    std::atomic<bool> release{true};
};

TEST_F(LoadingTest, ASlowLoadRunsOnWhileTheWindowAnswersAndEscStopsIt)
{
    const QString first = writeText(QStringLiteral("first.txt"), QStringLiteral("one\ntwo"));
    MainWindow &w = start({first});
    const QString title = w.windowTitle();
    const QString second = writeText(QStringLiteral("second.txt"), QStringLiteral("second"));

    holdLoads();
    w.session().LoadDocument(second, LoadMode::New, 0);
    // The previous file stays shown and the window takes keys.
    EXPECT_EQ(viewText(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(statusText(StatusPanel::Lines), MainTexts::kLoadingProgress.arg(0));
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view()->caretPosition(), 7);

    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(viewText(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(view()->caretPosition(), 7); // the view was left as it was
    EXPECT_EQ(w.windowTitle(), title);
    EXPECT_EQ(w.FileNameNow(), first);
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(2));
    EXPECT_FALSE(action(QStringLiteral("ActionCancelLoad"))->isEnabled());
    // The stopped load ends without a trace.
    release = true;
    QTest::qWait(50);
    EXPECT_EQ(viewText(), QStringLiteral("one\ntwo"));

    // A slow load that is let go is shown when it ends, with the history and the title.
    holdLoads();
    w.session().LoadDocument(second, LoadMode::New, 0);
    EXPECT_TRUE(action(QStringLiteral("ActionCancelLoad"))->isEnabled());
    release = true;
    QTRY_COMPARE(viewText(), QStringLiteral("second"));
    EXPECT_EQ(w.FileNameNow(), second);
    EXPECT_EQ(w.settings().History.PreHistory[0], first);
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("second.txt")));
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(1));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LoadingTest, RunningOutOfMemoryIsToldAndThePreviousFileStays)
{
    const QString first = writeText(QStringLiteral("first.txt"), QStringLiteral("kept"));
    MainWindow &w = start({first});
    const QString big = writeText(QStringLiteral("big.txt"), QStringLiteral("never shown"));
    onPiece = [](qint64) { throw std::bad_alloc(); };
    w.session().LoadDocument(big, LoadMode::New, 0);
    expectOnlyMessage(big + QStringLiteral("\n\n") + MainTexts::kOutOfMemoryText, w.windowTitle(), Kind::Failure);
    EXPECT_EQ(viewText(), QStringLiteral("kept"));
    EXPECT_EQ(w.FileNameNow(), first);
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(1));
}

// The file named at start is read while the window is made: its load takes that read over,
// anything else the loader is asked drops it without a word.
TEST_F(LoadingTest, AReadAheadIsTakenOverByItsLoadAndDroppedUnseenByAnyOther)
{
    const QString a = writeText(QStringLiteral("a.txt"), QStringLiteral("read ahead"));
    DocumentLoader loader;
    int ended = 0;
    loader.ended = [&](Document::Loaded) { ++ended; };
    const auto load = [&](const QString &path, std::optional<EncodingDetect::Encoding> chosen) {
        const std::optional<Document::Loaded> loaded = loader.load(path, chosen, std::chrono::seconds(5));
        return loaded && loaded->document ? loaded->document->text() : QString();
    };
    std::atomic<int> prepared{0};
    loader.readAhead(a, std::nullopt, [&](Document &) { ++prepared; });
    QTRY_COMPARE(prepared.load(), 1);
    writeText(QStringLiteral("a.txt"), QStringLiteral("changed since"));
    EXPECT_EQ(load(a, std::nullopt), QStringLiteral("read ahead"));

    // In another encoding, or of another file, the read ahead is not what was asked for.
    loader.readAhead(a, std::nullopt, {});
    EXPECT_EQ(load(a, EncodingDetect::Encoding::Euc), QStringLiteral("changed since"));
    loader.readAhead(a, std::nullopt, {});
    EXPECT_EQ(load(writeText(QStringLiteral("b.txt"), QStringLiteral("asked")), std::nullopt), QStringLiteral("asked"));

    loader.readAhead(a, std::nullopt, {});
    QTest::qWait(50);
    EXPECT_FALSE(loader.running());
    loader.dropReadAhead();
    EXPECT_EQ(ended, 0); // a read ahead no load took over is handed to no one
}

// A book is made on the thread that reads the file; the reader turning books off meanwhile wins.
TEST_F(LoadingTest, ABookTurnedOffWhileItsFileIsReadIsShownAsItStands)
{
    const QString work = QStringLiteral("一《いち》、二《に》、三《さん》\n");
    MainWindow &w = start({writeText(QStringLiteral("plain.txt"), QStringLiteral("plain"))});
    QAction *book = action(QStringLiteral("ActionAozora"));
    holdLoads();
    w.session().LoadDocument(writeText(QStringLiteral("work.txt"), work), LoadMode::New, 0);
    book->trigger(); // on over the plain text shown meanwhile,
    book->trigger(); // then off for the session
    release = true;
    QTRY_VERIFY(viewText().startsWith(QStringLiteral("一《いち》")));
    EXPECT_FALSE(book->isChecked());

    book->trigger();
    holdLoads();
    w.session().LoadDocument(writeText(QStringLiteral("again.txt"), work), LoadMode::New, 0);
    release = true;
    QTRY_VERIFY(viewText().startsWith(QStringLiteral("一、二、三")));
    EXPECT_TRUE(book->isChecked());
}

// The file shown first, named or reopened, is read once: while the window is made.
TEST_F(LoadingTest, TheFileShownFirstIsReadOnceWhileTheWindowIsMade)
{
    std::atomic<int> reads{0};
    onPiece = [&](qint64 done) { reads += done == 0; };
    const QString path = writeText(QStringLiteral("first.txt"), QStringLiteral("first"));
    start({path});
    EXPECT_EQ(viewText(), QStringLiteral("first"));
    EXPECT_EQ(reads.load(), 1);

    reads = 0;
    storeValues({{"FileNameNow", path}, {"AppliSetFlags", QStringLiteral("111111C0001000S0")}});
    start();
    EXPECT_EQ(viewText(), QStringLiteral("first"));
    EXPECT_EQ(reads.load(), 1);
}

// A large file shows its first lines at once. The reader may move through them and stop the
// read, which puts back what was shown; anything that needs the whole text waits for it.
TEST_F(LoadingTest, ALargeFileShowsItsFirstLinesAtOnceAndWhatNeedsTheWholeWaitsForIt)
{
    loading.load.readAsShownFrom = 1000;
    loading.load.pieceBytes = 16 << 10;
    const QString first = writeText(QStringLiteral("first.txt"), QStringLiteral("one\ntwo"));
    MainWindow &w = start({first});
    QString whole;
    for (int i = 0; i < 20000; ++i)
        whole += QStringLiteral("行 %1\n").arg(i);
    const QString big = writeBytes(QStringLiteral("big.txt"), whole.toUtf8());
    const auto showFirstLines = [&] {
        holdLoads();
        w.session().LoadDocument(big, LoadMode::New, 0);
        ASSERT_TRUE(viewText().startsWith(QStringLiteral("行 0\n行 1\n")));
        ASSERT_LT(viewText().size(), whole.size() / 2);
        EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("big.txt")));
        EXPECT_EQ(statusText(StatusPanel::Lines), MainTexts::kCountingProgress.arg(0));
        EXPECT_EQ(statusText(StatusPanel::Size), StatusTexts::sizeText(whole.toUtf8().size()));
        EXPECT_EQ(statusText(StatusPanel::Encoding), QStringLiteral("UTF-8"));
        EXPECT_EQ(w.FileNameNow(), first); // the history names the file once it is whole
        EXPECT_EQ(w.findChild<AddressBar *>()->path(), big);
        view()->setFocus();
        QTest::keyClick(view(), Qt::Key_PageDown);
        QTest::keyClick(view(), Qt::Key_Down);
        EXPECT_LT(viewText().size(), whole.size() / 2); // moving waits for nothing
    };

    showFirstLines();
    QTest::keyClick(view(), Qt::Key_Escape);
    EXPECT_EQ(viewText(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(w.FileNameNow(), first);
    EXPECT_EQ(w.findChild<AddressBar *>()->path(), first);
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("first.txt")));
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(2));

    // Let go, the whole text comes where the reader is.
    showFirstLines();
    const qint64 caret = view()->caretPosition();
    ASSERT_GT(caret, 0);
    release = true;
    QTRY_COMPARE(viewText().size(), whole.size());
    EXPECT_EQ(view()->caretPosition(), caret);
    EXPECT_EQ(w.FileNameNow(), big);
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(20000));

    // A command, and a key that needs the end, wait for the whole text and then act on it.
    w.session().LoadDocument(first, LoadMode::New, 0);
    for (const auto &[key, modifiers] : {std::pair{Qt::Key_A, Qt::ControlModifier}, {Qt::Key_End, Qt::ControlModifier}}) {
        showFirstLines();
        std::thread letGo([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            release = true;
        });
        QTest::keyClick(view(), key, modifiers);
        letGo.join();
        EXPECT_EQ(viewText().size(), whole.size());
        EXPECT_EQ(key == Qt::Key_A ? view()->selectionEnd() : view()->caretPosition(), whole.size());
        w.session().LoadDocument(first, LoadMode::New, 0);
    }

    // Read half way, the scroll bar has grown about half way to the whole text's.
    const qsizetype half = whole.toUtf8().size() / 2;
    release = false;
    onPiece = [this, half](qint64 done) {
        while (!release && done >= half)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    w.session().LoadDocument(big, LoadMode::New, 0);
    const QScrollBar *bar = view()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 20000 * 4 / 10);
    EXPECT_LT(bar->maximum(), 20000 * 6 / 10);
    release = true;
    QTRY_COMPARE(viewText().size(), whole.size());
    EXPECT_LE(bar->maximum(), view()->displayedLineCount() + 1 - bar->pageStep()); // the text's own lines
    EXPECT_TRUE(dialogs.messages.empty());
}
