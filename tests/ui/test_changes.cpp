#include "UiFixture.h"

#include "core/Cp932.h"
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
