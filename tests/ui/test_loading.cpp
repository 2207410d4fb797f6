#include "UiFixture.h"

#include "core/Document.h"
#include "core/StatusTexts.h"
#include "resources/MainTexts.h"
#include "ui/DocumentLoader.h"

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

using Kind = Dialogs::Kind;

class LoadingTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        DocumentLoader::readOnTheSpotBelow() = 0;
    }
    void TearDown() override
    {
        release = true;
        UiFixture::TearDown();
        Document::pieceHook() = nullptr;
        DocumentLoader::readOnTheSpotBelow() = kOnTheSpot;
    }
    // Every piece of every load waits until the test lets it go: a slow source.
    void holdLoads()
    {
        release = false;
        Document::pieceHook() = [this](qint64) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    }

    std::atomic<bool> release{true};
    const qint64 kOnTheSpot = DocumentLoader::readOnTheSpotBelow();
};

TEST_F(LoadingTest, ASlowLoadRunsOnWhileTheWindowAnswersAndEscStopsIt)
{
    const QString first = writeText(QStringLiteral("first.txt"), QStringLiteral("one\ntwo"));
    TForm1 &w = start({first});
    const QString title = w.windowTitle();
    const QString second = writeText(QStringLiteral("second.txt"), QStringLiteral("second"));

    holdLoads();
    w.LoadDocument(second, LoadMode::New, 0);
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
    w.LoadDocument(second, LoadMode::New, 0);
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
    TForm1 &w = start({first});
    const QString big = writeText(QStringLiteral("big.txt"), QStringLiteral("never shown"));
    Document::pieceHook() = [](qint64) { throw std::bad_alloc(); };
    w.LoadDocument(big, LoadMode::New, 0);
    expectOnlyMessage(big + QStringLiteral("\n\n") + MainTexts::kOutOfMemoryText, w.windowTitle(), Kind::Failure);
    EXPECT_EQ(viewText(), QStringLiteral("kept"));
    EXPECT_EQ(w.FileNameNow(), first);
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(1));
}
