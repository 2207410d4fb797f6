#include "UiFixture.h"

#include "core/StatusTexts.h"
#include "platform/FileSystem.h"
#include "resources/MainTexts.h"
#include "ui/FullScreenWindow.h"
#include "ui/ReadingSession.h"

#include <QAction>

namespace {

// A view of the session's document without a window: the whole text one line a hard line, the
// place a test sets.
class PlainReading : public ReadingView {
public:
    explicit PlainReading(const ReadingSession &session) : session_(session) {}
    ReadingPlace place() const override { return kept; }
    void showPlace(const ReadingPlace &place) override { shown.push_back(place); }
    qint64 displayedLineCount() const override { return session_.document().store().lineCount(); }
    Measure measureWhileRead() override { return {}; }

    ReadingPlace kept;
    std::vector<ReadingPlace> shown;

private:
    const ReadingSession &session_;
};

} // namespace

class SessionTest : public UiFixture {};

// The session reads, steps and tells the status bar's texts with no window at all.
TEST_F(SessionTest, WhatIsShownAndEveryStatusTextComeFromTheSessionAlone)
{
    ReadingSession session(dialogs);
    PlainReading view(session);
    session.bind(nullptr, &view);
    session.settings().RememberPosition = true;
    QStringList shown, changed;
    QObject::connect(&session, &ReadingSession::shown, [&](const QString &path) { shown << path; });
    QObject::connect(&session.status(), &StatusReport::changed,
                     [&](StatusPanel panel, const QString &text) { changed << QStringLiteral("%1 %2").arg(int(panel)).arg(text); });

    const QString first = writeText(QStringLiteral("first.txt"), QStringLiteral("一行目\n二行目\n三"));
    const QString second = writeBytes(QStringLiteral("second.txt"), QStringLiteral("UTF-8 の文章です。\n").toUtf8());
    session.LoadDocument(first, LoadMode::New, 0);
    EXPECT_EQ(session.FileNameNow(), first);
    EXPECT_EQ(session.title(), QStringLiteral("first.txt - ") + MainTexts::kVersionTitle);
    const StatusReport &status = session.status();
    EXPECT_EQ(status.text(StatusPanel::Date), StatusTexts::fileDateText(FileSystem::lastWriteTime(first)));
    EXPECT_EQ(status.text(StatusPanel::Size), StatusTexts::sizeText(18));
    EXPECT_EQ(status.text(StatusPanel::Lines), StatusTexts::lineCountText(3));
    EXPECT_EQ(status.text(StatusPanel::Encoding), QStringLiteral("SJIS"));
    EXPECT_TRUE(status.text(StatusPanel::FileKind).isEmpty()); // not asked for

    // The reader's place goes with the file and comes back with it, through the history.
    view.kept = {4, 6, true};
    session.LoadDocument(second, LoadMode::New, 0);
    EXPECT_EQ(status.text(StatusPanel::Encoding), QStringLiteral("UTF-8"));
    EXPECT_EQ(status.text(StatusPanel::Lines), StatusTexts::lineCountText(2));
    session.stepBack(0);
    EXPECT_EQ(session.FileNameNow(), first);
    EXPECT_EQ(shown, (QStringList{first, second, first}));
    ASSERT_EQ(view.shown.size(), 1u);
    EXPECT_EQ(view.shown[0].top, 4);
    EXPECT_EQ(view.shown[0].caret, 6);

    // Every text reached the bar through one signal, each change once.
    EXPECT_EQ(changed.count(QStringLiteral("6 UTF-8")), 1);
    EXPECT_TRUE(dialogs.messages.empty());
    // A file that is gone is told once the history steps to it.
    QFile::remove(second);
    session.stepForward(0);
    expectOnlyMessage(MainTexts::kHistoryMissingText, MainTexts::kHistoryMissingCaption, Dialogs::Kind::Failure);
    EXPECT_EQ(session.FileNameNow(), first);
}

// The main view and any other view of the session's model show the same document, each with its
// own caret, through a load, an effect and a book; full screen is such a view, with no copy.
TEST_F(SessionTest, TwoViewsOfOneDocumentStayInStep)
{
    const QString page = writeText(QStringLiteral("page.txt"), QStringLiteral("a <b>bold</b>\nsecond line\n"));
    const QString novel = writeText(QStringLiteral("novel.txt"), QStringLiteral("吾輩《わがはい》は猫である。［＃「猫」に傍点］\n\n底本：「猫」\n"));
    MainWindow &w = start({page});
    TextView second;
    second.resize(300, 200);
    second.setModel(&w.session().model());
    second.show();
    EXPECT_EQ(second.text(), viewText());
    second.selectRange(2, 3);

    action(QStringLiteral("ActionNoHtmlTag"))->trigger();
    EXPECT_EQ(viewText(), QStringLiteral("a bold\nsecond line\n"));
    EXPECT_EQ(second.text(), viewText());
    EXPECT_EQ(second.displayedLineCount(), 2);

    chooseFile(novel);
    EXPECT_EQ(viewText(), QStringLiteral("吾輩は猫である。\n\n底本：「猫」\n"));
    EXPECT_EQ(second.text(), viewText());
    ASSERT_NE(second.document().book(), nullptr);
    EXPECT_FALSE(second.readingRect(0).isEmpty()); // the reading drawn over 吾輩 in this view too
    view()->selectRange(1, 2);
    EXPECT_FALSE(second.hasSelection());

    const QString book = viewText();
    QAction *fullScreen = action(QStringLiteral("ActionFullScreen"));
    bool sawBook = false;
    withModal<FullScreenWindow>([&] { fullScreen->trigger(); }, [&](FullScreenWindow &fs) {
        sawBook = &fs.view->model() == &w.session().model() && fs.view->document().book() && fs.view->text() == book;
    });
    EXPECT_TRUE(sawBook);
}

// The search through the folder runs in the session: it finds the next file that holds the
// word, or says it found none, and gives the date panel back either way.
TEST_F(SessionTest, TheFolderSearchFindsTheNextFileOrSaysNone)
{
    ReadingSession session(dialogs);
    PlainReading view(session);
    session.bind(nullptr, &view);
    const QStringList files{writeText(QStringLiteral("1.txt"), QStringLiteral("haystack")),
                            writeText(QStringLiteral("2.txt"), QStringLiteral("hay")),
                            writeText(QStringLiteral("3.txt"), QStringLiteral("a Needle here"))};
    session.LoadDocument(files[0], LoadMode::New, 0);
    const QString date = session.status().text(StatusPanel::Date);
    std::vector<qsizetype> found;
    QStringList notes, busy;
    QObject::connect(&session, &ReadingSession::folderSearchFound,
                     [&](qsizetype index, const QString &, bool) { found.push_back(index); });
    QObject::connect(&session, &ReadingSession::note, [&](const QString &text) { notes << text; });
    QObject::connect(&session, &ReadingSession::folderSearchBusy,
                     [&](bool running) { busy << (running ? QStringLiteral("on") : QStringLiteral("off")); });

    session.searchFolder(files, QStringLiteral("needle"), false, true);
    QTRY_COMPARE(found.size(), size_t(1));
    EXPECT_EQ(found[0], 2);
    session.searchFolder(files, QStringLiteral("needle"), true, true); // the case is asked for
    QTRY_COMPARE(notes.size(), 1);
    EXPECT_EQ(notes[0], MainTexts::folderNotFoundText(QStringLiteral("needle"), true));
    EXPECT_EQ(found.size(), 1u);
    EXPECT_EQ(busy, (QStringList{QStringLiteral("on"), QStringLiteral("off"), QStringLiteral("on"), QStringLiteral("off")}));
    EXPECT_EQ(session.status().text(StatusPanel::Date), date);
}
