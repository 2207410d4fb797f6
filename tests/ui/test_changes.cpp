#include "UiFixture.h"

#include "core/Cp932.h"
#include "core/StatusTexts.h"
#include "resources/MainTexts.h"
#include "ui/SearchBar.h"
#include "ui/widgets/NoticeBar.h"

#include <QClipboard>
#include <QFile>

class ChangesTest : public UiFixture {};

// A file changed on disk while it is shown is told above the view, without a box; F5 reads it
// again where the reader was: the same line at the top and the caret's line and column, clamped
// to a file that shrank.
TEST_F(ChangesTest, AChangedFileIsToldAndReadAgainWhereTheReaderWas)
{
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("行 %1 の文章\n").arg(i);
    const QString path = writeText(QStringLiteral("log.txt"), text);
    MainWindow &w = start({path});
    auto *notice = w.findChild<NoticeBar *>(QStringLiteral("PanelChangedOnDisk"));
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isHidden());
    const auto placeAt = [&](qint64 line, qint64 column) { return view()->store().lineStart(line) + column; };
    view()->showPlace(placeAt(2940, 0), placeAt(2950, 3), true);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("appended\r\n");
    file.close();
    QTRY_VERIFY(!notice->isHidden());
    EXPECT_TRUE(dialogs.messages.empty());
    action(QStringLiteral("ActionReLoad"))->trigger();
    QTRY_VERIFY(notice->isHidden());
    EXPECT_TRUE(viewText().endsWith(QStringLiteral("appended\n")));
    EXPECT_EQ(view()->caretPosition(), placeAt(2950, 3));
    EXPECT_EQ(view()->topPosition(), placeAt(2940, 0));

    // Cut to its first hundred lines, the file is read again with the caret on its last line.
    ASSERT_TRUE(file.resize(Cp932::encode(text.left(text.indexOf(QStringLiteral("行 100 ")))).size()));
    QTRY_VERIFY(!notice->isHidden());
    action(QStringLiteral("ActionReLoad"))->trigger();
    QTRY_VERIFY(notice->isHidden());
    EXPECT_EQ(view()->store().lineOf(view()->caretPosition()), 100); // the empty line after the last break
    EXPECT_EQ(view()->caretPosition(), view()->store().size());
}

// A file read as it is shown and then cut: nothing is taken from the changed file. A search and
// a copy say why they cannot run and offer to read the file again, which shows it as it is now.
TEST_F(ChangesTest, ACutFileReadAsShownIsNeverSearchedOrCopiedAsIfWhole)
{
    loading.load.readAsShownFrom = 1000;
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("行 %1 の文章\n").arg(i);
    const QString path = writeText(QStringLiteral("cut.txt"), text);
    MainWindow &w = start({path});
    ASSERT_TRUE(view()->store().isLazy());
    auto *notice = w.findChild<NoticeBar *>(QStringLiteral("PanelChangedOnDisk"));
    ASSERT_TRUE(QFile::resize(path, 0));
    QTRY_VERIFY(!notice->isHidden());

    const QString refused = MainTexts::kChangedCannotRead;
    w.findChild<SearchBar *>()->setWord(QStringLiteral("行 2999 "));
    dialogs.answers.push_back(Dialogs::Answer::No);
    action(QStringLiteral("ActionFindNext"))->trigger();
    expectOnlyMessage(refused, w.windowTitle(), Dialogs::Kind::QuestionAfterFailure);
    EXPECT_FALSE(view()->hasSelection());

    dialogs.messages.clear();
    view()->setFocus();
    view()->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("before"));
    dialogs.answers.push_back(Dialogs::Answer::Yes);
    action(QStringLiteral("ActionCopy"))->trigger();
    expectOnlyMessage(refused, w.windowTitle(), Dialogs::Kind::QuestionAfterFailure);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    QTRY_VERIFY(notice->isHidden()); // read again: empty now
    EXPECT_TRUE(viewText().isEmpty());
}

// Followed, a growing file shows what is written to it as whole lines come: the view at the end
// stays there, a reader elsewhere stays put. A file cut short is read again from its start.
TEST_F(ChangesTest, AFollowedFileShowsItsNewLinesAndStartsAgainWhenCut)
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("行 %1\n").arg(i);
    const QString path = writeBytes(QStringLiteral("grow.log"), text.toUtf8());
    MainWindow &w = start({path});
    QAction *follow = action(QStringLiteral("ActionFollowTail"));
    follow->trigger();
    EXPECT_TRUE(w.settings().FollowTail);
    auto *notice = w.findChild<NoticeBar *>(QStringLiteral("PanelChangedOnDisk"));
    const auto write = [&](const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(bytes);
    };
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
    write(QStringLiteral("追記一\n追記").toUtf8().chopped(1)); // the last character cut short
    QTRY_VERIFY(viewText().endsWith(QStringLiteral("追記一\n")));
    EXPECT_EQ(view()->caretPosition(), view()->store().size());
    write(QStringLiteral("記").toUtf8().right(1) + "二\n");
    QTRY_VERIFY(viewText().endsWith(QStringLiteral("追記一\n追記二\n")));
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(202));
    EXPECT_TRUE(notice->isHidden());

    view()->showPlace(0, 0, true);
    write("third\n");
    QTRY_VERIFY(viewText().endsWith(QStringLiteral("third\n")));
    EXPECT_EQ(view()->caretPosition(), 0);

    writeBytes(QStringLiteral("grow.log"), "cut\n");
    QTRY_COMPARE(viewText(), QStringLiteral("cut\n"));
    EXPECT_EQ(statusText(StatusPanel::Date), MainTexts::kReplacedReadAgain);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A followed file read as it is shown grows its index and its layout in place: the lines laid
// out before stay laid out, and every display line, the lengthened last line's included, is
// where a layout of the whole text puts it.
TEST_F(ChangesTest, AFollowedFileReadAsShownGrowsItsLayoutInPlace)
{
    loading.load.readAsShownFrom = 1000;
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("行 %1 %2\n").arg(i).arg(QString(i % 9 * 15, QChar(u'字')));
    const QString path = writeText(QStringLiteral("grows.log"), text + QString(120, QChar(u'書')));
    MainWindow &w = start({path});
    ASSERT_TRUE(view()->store().isLazy());
    ASSERT_TRUE(view()->wraps());
    action(QStringLiteral("ActionFollowTail"))->trigger();
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
    const qint64 displayLines = view()->displayedLineCount();
    const int hardBuilds = view()->layout().hardBuilds(), wrapBuilds = view()->layout().wrapBuilds();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(Cp932::encode(QString(200, QChar(u'続')) + QStringLiteral("\n次の行") + QString(150, QChar(u'長'))).chopped(1));
    file.flush();
    QTRY_VERIFY(viewText().endsWith(QString(149, QChar(u'長'))));
    EXPECT_GT(view()->displayedLineCount(), displayLines + 2);
    EXPECT_EQ(view()->layout().hardBuilds(), hardBuilds);
    EXPECT_EQ(view()->layout().wrapBuilds(), wrapBuilds);
    EXPECT_EQ(view()->caretPosition(), view()->store().size());
    EXPECT_EQ(view()->store().lineCount(), 402);
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(view()->displayedLineCount()));
    const std::vector<qint64> starts = view()->layout().plainLineStarts(true, view()->viewport()->width() - 8);
    ASSERT_EQ(view()->displayedLineCount(), qint64(starts.size()));
    qsizetype misplaced = 0;
    for (size_t i = 0; i < starts.size(); ++i)
        misplaced += view()->displayLineAt(starts[i]) != std::make_pair(qint64(i), starts[i]);
    EXPECT_EQ(misplaced, 0);
    EXPECT_TRUE(w.findChild<NoticeBar *>(QStringLiteral("PanelChangedOnDisk"))->isHidden());
}
