#include "core/Cp932.h"
#include "core/DeleteRules.h"
#include "core/FileNames.h"
#include "core/FileTime.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

using DeleteRules::Step;

TEST(DeleteRules, FragmentsAreCaseSensitiveSubstringsOfTheWholePath)
{
    EXPECT_TRUE(DeleteRules::isTextFilePath(QStringLiteral("/d/a.txt")));
    EXPECT_TRUE(DeleteRules::isTextFilePath(QStringLiteral("/d/page.shtml"))); // ".htm" matches too
    EXPECT_FALSE(DeleteRules::isTextFilePath(QStringLiteral("/d/a.bin")));
    EXPECT_FALSE(DeleteRules::isTextFilePath(QStringLiteral("/d/A.TXT")));
    EXPECT_TRUE(DeleteRules::isTextFilePath(QStringLiteral("/d/notes.txt/a.bin")));
    EXPECT_FALSE(DeleteRules::isTextFilePath(QString()));
    EXPECT_TRUE(DeleteRules::isQuietDeletePath(QStringLiteral("/d/a.log")));
    EXPECT_FALSE(DeleteRules::isQuietDeletePath(QStringLiteral("/d/a.csv")));
}

TEST(DeleteRules, DefaultsAskTheShortQuestionForTextAndRefuseTheRest)
{
    const auto a = DeleteRules::decide(QStringLiteral("/d/a.txt"), false, false);
    EXPECT_EQ(a.step, Step::Ask);
    EXPECT_EQ(a.question, QStringLiteral("ファイル /d/a.txt を削除しますか？"));
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/a.bin"), false, false).step, Step::Refuse);
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/A.TXT"), false, false).step, Step::Refuse);
    // A folder named notes.txt makes whatever it holds a text file.
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/notes.txt/a.bin"), false, false).step, Step::Ask);
    EXPECT_EQ(DeleteRules::decide(QString(), false, false).step, Step::Refuse);
}

TEST(DeleteRules, Flag9AllowsOtherFilesWithTheLongWarning)
{
    const auto bin = DeleteRules::decide(QStringLiteral("/d/a.bin"), false, true);
    EXPECT_EQ(bin.step, Step::Ask);
    EXPECT_TRUE(bin.question.startsWith(QStringLiteral("ファイル /d/a.bin を削除しますか？\n\nこのファイルは、何らかの")));
    EXPECT_TRUE(bin.question.endsWith(QStringLiteral("本当に削除しても大丈夫だと判っている場合のみ実行して下さい。\n\n削除してもよろしいですか？")));
}

TEST(DeleteRules, Flag8SilencesOnlyTxtAndLogAndNeverBypassesTheSafetyRule)
{
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/a.log"), true, false).step, Step::DeleteNow);
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/a.txt"), true, false).step, Step::DeleteNow);
    const auto csv = DeleteRules::decide(QStringLiteral("/d/a.csv"), true, false);
    EXPECT_EQ(csv.step, Step::Ask);
    EXPECT_EQ(csv.question, QStringLiteral("テキストファイル（.txt/.log）以外のファイルを削除しようとしています。\n\n"
                                           "ファイル /d/a.csv を削除しますか？\n\n（この確認を抑制することはできません。）"));
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/a.bin"), true, false).step, Step::Refuse);
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/a.bin"), true, true).question, QString(csv.question).replace(".csv", ".bin"));
    EXPECT_EQ(DeleteRules::decide(QStringLiteral("/d/A.TXT"), true, true).step, Step::Ask);
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
