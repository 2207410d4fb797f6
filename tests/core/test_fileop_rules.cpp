#include "core/Cp932.h"
#include "core/DeleteRules.h"
#include "core/FileNames.h"
#include "core/FileTime.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

using DeleteRules::Step;

TEST(DeleteRules, FragmentsAreCaseSensitiveSubstringsOfTheWholePath)
{
    struct Case {
        const char *path;
        bool text;
    };
    const Case cases[] = {
        {"/d/a.txt", true},
        {"/d/page.shtml", true}, // ".htm" matches too
        {"/d/a.bin", false},
        {"/d/A.TXT", false},
        {"/d/notes.txt/a.bin", true},
        {nullptr, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DeleteRules::isTextFilePath(QString::fromUtf8(c.path)), c.text) << (c.path ? c.path : "(none)");
    EXPECT_TRUE(DeleteRules::isQuietDeletePath(QStringLiteral("/d/a.log")));
    EXPECT_FALSE(DeleteRules::isQuietDeletePath(QStringLiteral("/d/a.csv")));
}

// Flag 8 deletes .txt and .log without asking; flag 9 allows other files after a warning.
TEST(DeleteRules, TheStepFollowsThePathAndFlagsEightAndNine)
{
    struct Case {
        const char *path;
        bool quietFlag8;
        bool otherFilesFlag9;
        Step step;
    };
    const Case cases[] = {
        {"/d/a.txt", false, false, Step::Ask},
        {"/d/a.bin", false, false, Step::Refuse},
        {"/d/A.TXT", false, false, Step::Refuse},
        {"/d/notes.txt/a.bin", false, false, Step::Ask}, // a folder named notes.txt makes what it holds text
        {nullptr, false, false, Step::Refuse},
        {"/d/a.bin", false, true, Step::Ask},
        {"/d/a.log", true, false, Step::DeleteNow},
        {"/d/a.txt", true, false, Step::DeleteNow},
        {"/d/a.csv", true, false, Step::Ask}, // flag 8 never bypasses the safety rule
        {"/d/a.bin", true, false, Step::Refuse},
        {"/d/A.TXT", true, true, Step::Ask},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DeleteRules::decide(QString::fromUtf8(c.path), c.quietFlag8, c.otherFilesFlag9).step, c.step)
            << (c.path ? c.path : "(none)") << " flags " << c.quietFlag8 << c.otherFilesFlag9;
}

TEST(DeleteRules, TheQuestionsForTextOtherFilesAndTheSafetyRule)
{
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/a.txt"), false, false).question,
              QStringLiteral("ファイル /d/a.txt を削除しますか？"));

    const QString bin = DeleteRules::decide(QStringLiteral("/d/a.bin"), false, true).question;
    EXPECT_TRUE(bin.startsWith(QStringLiteral("ファイル /d/a.bin を削除しますか？\n\nこのファイルは、何らかの")));
    EXPECT_TRUE(bin.endsWith(QStringLiteral("本当に削除しても大丈夫だと判っている場合のみ実行して下さい。\n\n削除してもよろしいですか？")));

    const QString csv = DeleteRules::decide(QStringLiteral("/d/a.csv"), true, false).question;
    EXPECT_EQ(csv, QStringLiteral("テキストファイル（.txt/.log）以外のファイルを削除しようとしています。\n\n"
                                  "ファイル /d/a.csv を削除しますか？\n\n（この確認を抑制することはできません。）"));
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/a.bin"), true, true).question, QString(csv).replace(".csv", ".bin"));
}

TEST(FileNames, ForbiddenCharactersAreTestedOnWholeCharacters)
{
    // Both end in the backslash byte in code page 932, yet are no backslash.
    for (const QString name : {QStringLiteral("表示"), QStringLiteral("ソース")}) {
        ASSERT_TRUE(Cp932::encode(name).contains('\\'));
        EXPECT_FALSE(FileNames::containsForbiddenCharacter(name)) << name.toStdString();
    }
    EXPECT_TRUE(FileNames::containsForbiddenCharacter(QStringLiteral("表\\a")));
    EXPECT_TRUE(FileNames::containsForbiddenCharacter(QStringLiteral("a,b")));
    EXPECT_TRUE(FileNames::containsForbiddenCharacter(QStringLiteral("a;b")));
    EXPECT_FALSE(FileNames::containsForbiddenCharacter(QStringLiteral("a b.txt")));
    EXPECT_FALSE(FileNames::containsForbiddenCharacter(QString()));
}

TEST(FileNames, SplitAtTheLastDotAndJoinGiveTheNameBack)
{
    const auto parts = FileNames::splitName(QStringLiteral("a.b.txt"));
    EXPECT_EQ(parts.name, "a.b");
    EXPECT_EQ(parts.extension, "txt");
    EXPECT_EQ(FileNames::splitName(QStringLiteral("README")).name, "README");
    EXPECT_EQ(FileNames::splitName(QStringLiteral("README")).extension, "");
    EXPECT_EQ(FileNames::joinName(QStringLiteral("README"), QString()), "README");
    EXPECT_EQ(FileNames::joinName(QStringLiteral("b"), QStringLiteral("log")), "b.log");
    for (const char *name : {"a.b.txt", "README", ".profile", "a.", "日記.txt", "x.tar.gz"}) {
        const auto p = FileNames::splitName(QString::fromUtf8(name));
        EXPECT_EQ(FileNames::joinName(p.name, p.extension), QString::fromUtf8(name)) << name;
    }
}

TEST(FileTime, FieldsCutTheDisplayedTextAndTruncateToTwoSeconds)
{
    const QDateTime t(QDate(2024, 3, 5), QTime(7, 8, 33));
    const FileTime::Fields f = FileTime::fieldsOf(t);
    EXPECT_EQ(f, (FileTime::Fields{"2024", "03", "05", "7", "08", "32"}));
    // Midnight fills the time fields like any other time.
    EXPECT_EQ(FileTime::fieldsOf(QDateTime(QDate(2001, 12, 31), QTime(0, 0))),
              (FileTime::Fields{"2001", "12", "31", "0", "00", "00"}));
    EXPECT_EQ(FileTime::fieldsOf(QDateTime()), FileTime::Fields{});
    EXPECT_EQ(FileTime::fieldsOf(QDateTime(QDate(1970, 1, 2), QTime(0, 0))), FileTime::Fields{});
}

TEST(FileTime, TimeOfTheFieldsKeepsEvenSecondsAndTheStorableYears)
{
    const auto t = FileTime::timeOf({"2024", "3", "5", "7", "8", "33"});
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, QDateTime(QDate(2024, 3, 5), QTime(7, 8, 32)));
    EXPECT_TRUE(FileTime::timeOf({"1980", "01", "01", "0", "00", "00"}));
    EXPECT_TRUE(FileTime::timeOf({"2107", "12", "31", "23", "59", "59"}));
    EXPECT_FALSE(FileTime::timeOf({"1979", "12", "31", "23", "59", "58"}));
    EXPECT_FALSE(FileTime::timeOf({"2108", "01", "01", "0", "00", "00"}));
    EXPECT_FALSE(FileTime::timeOf({"2024", "2", "30", "0", "00", "00"}));
    EXPECT_FALSE(FileTime::timeOf({"2024", "1", "1", "24", "00", "00"}));
    EXPECT_FALSE(FileTime::timeOf({"2024", "1", "1", "x", "00", "00"}));
    EXPECT_FALSE(FileTime::timeOf({"", "", "", "", "", ""}));
    EXPECT_TRUE(FileTime::isStorableYear(1980));
    EXPECT_FALSE(FileTime::isStorableYear(2108));
}
