#include "UiFixture.h"

#include "platform/Desktop.h"

// F3 that goes on through the folder: four files, the word in the first and the last only.
class SearchFolderTest : public UiFixture {
protected:
    QStringList files;

    MainWindow &startAtFirstFile(bool searchFolder)
    {
        files << writeText(QStringLiteral("1.txt"), QStringLiteral("needle one, needle two"))
              << writeText(QStringLiteral("2.txt"), QStringLiteral("nothing here"))
              << writeBytes(QStringLiteral("3.txt"), QStringLiteral("ソ表 no hit either\n").toUtf8())
              << writeText(QStringLiteral("4.txt"), QStringLiteral("line\nthe Needle here"));
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        fileList()->setFocus();
        QTest::keyClick(fileList(), Qt::Key_Down);
        EXPECT_EQ(w.FileNameNow(), files[0]);
        named<QCheckBox>(QStringLiteral("cbSearchFolder"))->setChecked(searchFolder);
        named<QLineEdit>(QStringLiteral("EditSearch"))->setText(QStringLiteral("needle"));
        view()->selectRange(22, 0); // after the last hit of the first file
        return w;
    }
};

TEST_F(SearchFolderTest, WithTheOptionClearF3StaysInTheFile)
{
    MainWindow &w = startAtFirstFile(false);
    const int beeps = Desktop::beepCount();
    QTest::keyClick(&w, Qt::Key_F3);
    EXPECT_EQ(Desktop::beepCount(), beeps + 1);
    EXPECT_EQ(statusText(StatusPanel::Date), QStringLiteral("「needle」は見つかりませんでした"));
    QTest::qWait(50);
    EXPECT_EQ(w.FileNameNow(), files[0]);
    EXPECT_EQ(view()->selectionStart(), 22);
}

TEST_F(SearchFolderTest, F3CrossesFilesWithoutHitsAndShiftF3ComesBack)
{
    MainWindow &w = startAtFirstFile(true);
    QTest::keyClick(&w, Qt::Key_F3);
    QTRY_COMPARE(w.FileNameNow(), files[3]);
    EXPECT_EQ(view()->selectionStart(), 9);
    EXPECT_EQ(view()->selectedText(), QStringLiteral("Needle"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("4.txt - Orlimbo  Ver 1.40"));
    EXPECT_EQ(w.settings().History.PreHistory[0], files[0]); // the files passed over are not in it
    EXPECT_EQ(named<FileListBox>(QStringLiteral("FileListBox1"))->selectedPath(), files[3]);

    const int beeps = Desktop::beepCount();
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    QTRY_COMPARE(w.FileNameNow(), files[0]);
    EXPECT_EQ(view()->selectionStart(), 12); // the last hit of the nearest earlier file
    EXPECT_EQ(Desktop::beepCount(), beeps);

    // Upward within the file, then nothing before the first file: no wrap-around.
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(view()->selectionStart(), 0);
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    QTRY_COMPARE(Desktop::beepCount(), beeps + 1);
    EXPECT_EQ(statusText(StatusPanel::Date), QStringLiteral("「needle」はフォルダの最初まで見つかりませんでした"));
    EXPECT_EQ(w.FileNameNow(), files[0]);
    EXPECT_EQ(view()->selectionStart(), 0);
    EXPECT_EQ(view()->selectionEnd(), 6);
}

TEST_F(SearchFolderTest, TheCaseOptionAndTheUnreadableFilesCount)
{
    MainWindow &w = startAtFirstFile(true);
    named<QCheckBox>(QStringLiteral("cbMatchCase"))->setChecked(true);
    ASSERT_TRUE(QFile::remove(files[1])); // listed, gone before the search
    const int beeps = Desktop::beepCount();
    QTest::keyClick(&w, Qt::Key_F3);
    QTRY_COMPARE(Desktop::beepCount(), beeps + 1);
    EXPECT_EQ(statusText(StatusPanel::Date),
              QStringLiteral("「needle」はフォルダの最後まで見つかりませんでした（読めないファイル1件を飛ばしました）"));
    EXPECT_EQ(w.FileNameNow(), files[0]);
    EXPECT_EQ(view()->selectionStart(), 22);
}

TEST_F(SearchFolderTest, EscAndTheCloseButtonCancelAndLeaveEverythingAsItWas)
{
    MainWindow &w = startAtFirstFile(true);
    action(QStringLiteral("ActionOpenSearch"))->trigger();
    const QString date = statusText(StatusPanel::Date);
    const int beeps = Desktop::beepCount();
    for (const bool esc : {true, false}) {
        action(QStringLiteral("ActionFindNext"))->trigger();
        if (esc)
            QTest::keyClick(view(), Qt::Key_Escape);
        else
            named<QToolButton>(QStringLiteral("BtnClosePanelSearch"))->click();
        QTest::qWait(100);
        EXPECT_EQ(w.FileNameNow(), files[0]) << esc;
        EXPECT_EQ(view()->selectionStart(), 22);
        EXPECT_EQ(statusText(StatusPanel::Date), date);
        EXPECT_EQ(Desktop::beepCount(), beeps);
    }
}
