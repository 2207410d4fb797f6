#include "core/FileFilter.h"
#include "platform/FolderListing.h"

#include "core/Cp932.h"
#include "core/PathForm.h"
#include "core/SettingsRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList list(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *s : items)
        out.append(QString::fromUtf8(s));
    return out;
}

} // namespace

TEST(FileFilterMask, SplitDropsEmptyPieces)
{
    EXPECT_EQ(splitMask(QStringLiteral("*.txt;*.log;")), list({"*.txt", "*.log"}));
    EXPECT_EQ(splitMask(QStringLiteral(";;*.a;;*.b")), list({"*.a", "*.b"}));
    EXPECT_TRUE(splitMask(QString()).isEmpty());
    EXPECT_TRUE(splitMask(QStringLiteral(";;;")).isEmpty());
}

TEST(FileFilterMask, PatternsMatchWholeNamesIgnoringCase)
{
    struct Case {
        const char *name;
        const char *pattern;
        bool matches;
    };
    const Case cases[] = {
        // Case is ignored, beyond ASCII too; the whole name must fit.
        {"a.txt", "*.TXT", true},
        {"A.TXT", "*.txt", true},
        {"ÄBC.txt", "äbc.*", true},
        {"a.txt", "*.log", false},
        {"a.txt2", "*.txt", false},
        {"xa.txt", "a.txt", false},
        // "?" takes exactly one character, and a character outside the BMP is one character.
        {"a1.txt", "a?.txt", true},
        {"a.txt", "a?.txt", false},
        {"a12.txt", "a?.txt", false},
        {"日本.txt", "??.txt", true},
        {"\xF0\x9F\x98\x80.txt", "?.txt", true},
        // "*" backtracks.
        {"aXbYbZc", "a*b*c", true},
        {"abc", "a**c", true},
        {"x.tar.gz", "*.gz", true},
        {"aXbYbZ", "a*b*c", false},
        {"anything", "*", true},
        {"a", "", false},
        // "*.*" fits every name; only a final ".*" lets the dot go missing.
        {"README", "*.*", true},
        {"a.b.c", "*.*", true},
        {"x.", "*.*", true},
        {"README", "readme.*", true},
        {"READMEX", "readme.*", false},
        {"README", "*.?", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(matchesPattern(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.matches)
            << c.name << " against " << c.pattern;
}

TEST(FileFilterList, EmptyMaskListsNothing)
{
    const QStringList names = list({"a.txt", "README"});
    EXPECT_TRUE(listMatches(names, QString()).isEmpty());
    EXPECT_TRUE(listMatches(names, QStringLiteral(";;")).isEmpty());
    EXPECT_TRUE(listMatches({}, QStringLiteral("*.*")).isEmpty());
}

TEST(FileFilterList, DuplicatesKeptAndSortedIgnoringCase)
{
    const QStringList names = list({"b.txt", "A.log", "c.TXT", "d.bin"});
    EXPECT_EQ(listMatches(names, QStringLiteral("*.txt;*.log;")), list({"A.log", "b.txt", "c.TXT"}));
    EXPECT_EQ(listMatches(names, QStringLiteral("*.txt;b*;")), list({"b.txt", "b.txt", "c.TXT"}));
    EXPECT_EQ(listMatches(names, QStringLiteral("*.*;")), list({"A.log", "b.txt", "c.TXT", "d.bin"}));
}

TEST(FileFilterList, NamesEqualButForCaseKeepTheirOrder)
{
    EXPECT_EQ(listMatches(list({"X.txt", "x.txt", "a.txt"}), QStringLiteral("*.txt;")),
              list({"a.txt", "X.txt", "x.txt"}));
    EXPECT_EQ(listMatches(list({"x.txt", "X.txt"}), QStringLiteral("*.txt;")), list({"x.txt", "X.txt"}));
}

// Digit runs by value, then without regard to case, Latin before kana before kanji; a
// CP932-named entry among them by its shown name; names shown alike by their bytes, so the
// order read never shows through.
TEST(FileFilterList, NaturalOrder)
{
    const auto cp932 = [](const char *utf8) {
        return PathForm::fromNative(Cp932::encode(QString::fromUtf8(utf8)));
    };
    const QStringList expected{
        QStringLiteral("1.txt"),      QStringLiteral("2.txt"),     QStringLiteral("10.txt"),
        QStringLiteral("11.txt"),     QStringLiteral("100.txt"),   QStringLiteral("A.txt"),
        QStringLiteral("a.txt"),      QStringLiteral("b2.txt"),    QStringLiteral("B10.txt"),
        cp932("あ.txt"),              QStringLiteral("あ.txt"),    QStringLiteral("第2話.txt"),
        cp932("第3話.txt"),           QStringLiteral("第10話.txt"),
    };
    QStringList shuffled = expected;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + 5, shuffled.end());
    for (const QStringList &given : {expected, shuffled}) {
        EXPECT_EQ(listMatches(given, QStringLiteral("*.txt;"), NameOrder::Natural), expected);
    }
    // The plain order, as before: unit by unit, case folded, equal names as read.
    EXPECT_EQ(listMatches(list({"2.txt", "10.txt", "B.txt", "1.txt", "a.txt"}), QStringLiteral("*.txt;")),
              list({"1.txt", "10.txt", "2.txt", "a.txt", "B.txt"}));
    // A name matching two patterns still comes twice.
    EXPECT_EQ(listMatches(list({"x2.txt", "x10.txt"}), QStringLiteral("*.txt;x1*;"), NameOrder::Natural),
              list({"x2.txt", "x10.txt", "x10.txt"}));
}

TEST(FileFilterList, ManyNamesAllFound)
{
    QStringList names;
    for (int i = 0; i < 10000; ++i)
        names.append(QStringLiteral("f%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(i % 2 ? QStringLiteral("TXT") : QStringLiteral("bin")));
    const QStringList hits = listMatches(names, SettingsRecord::DefaultExtensions()[0]);
    ASSERT_EQ(hits.size(), 5000);
    EXPECT_EQ(hits.front(), QStringLiteral("f00001.TXT"));
    EXPECT_EQ(hits.back(), QStringLiteral("f09999.TXT"));
}

class FileFilterFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QLatin1Char('/');
    }

    QTemporaryDir dir;
    QString root;
};

TEST_F(FileFilterFolder, ListsOnlyVisibleRegularFiles)
{
    ASSERT_TRUE(TestFiles::write(root + QStringLiteral("b.txt"), {}));
    ASSERT_TRUE(TestFiles::write(root + QStringLiteral("A.TXT"), {}));
    ASSERT_TRUE(TestFiles::write(root + QStringLiteral("README"), {}));
    ASSERT_TRUE(TestFiles::write(root + QStringLiteral(".hidden.txt"), {}));
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("sub.txt")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + QStringLiteral("pipe.txt")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(root + QStringLiteral("gone"), root + QStringLiteral("dangling.txt")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("b.txt"), root + QStringLiteral("link.txt")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("sub.txt"), root + QStringLiteral("dirlink.txt")));

    EXPECT_EQ(listFolder(dir.path(), QStringLiteral("*.txt;")), list({"A.TXT", "b.txt", "link.txt"}));
    EXPECT_EQ(listFolder(dir.path(), QStringLiteral("*.*")), list({"A.TXT", "b.txt", "link.txt", "README"}));
    EXPECT_EQ(listFolder(dir.path(), QStringLiteral("*.txt;b*;")), list({"A.TXT", "b.txt", "b.txt", "link.txt"}));
    EXPECT_TRUE(listFolder(dir.path(), QString()).isEmpty());
}

TEST_F(FileFilterFolder, MissingFolderListsNothing)
{
    EXPECT_TRUE(listFolder(root + QStringLiteral("no-such-folder"), QStringLiteral("*.*")).isEmpty());
    EXPECT_TRUE(listFolder(QString(), QStringLiteral("*.*")).isEmpty());
}

TEST_F(FileFilterFolder, UnreadableFolderListsNothing)
{
    const QString locked = root + QStringLiteral("locked");
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("locked")));
    ASSERT_TRUE(TestFiles::write(locked + QStringLiteral("/a.txt"), {}));
    ASSERT_TRUE(TestFiles::write(root + QStringLiteral("open.txt"), {}));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    if (::geteuid() != 0) {
        const QStringList found = listFolder(locked, QStringLiteral("*.*"));
        ::chmod(QFile::encodeName(locked).constData(), 0700);
        EXPECT_TRUE(found.isEmpty());
        return;
    }
    // Permissions do not stop root, and CI runs as root: the listing runs in a child that has
    // become nobody. It first lists the readable folder above, so a child that can reach
    // nothing at all does not pass for one that was refused the locked folder.
    ASSERT_EQ(::chmod(QFile::encodeName(root).constData(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        if (listFolder(root, QStringLiteral("*.*")) != QStringList{QStringLiteral("open.txt")})
            ::_exit(3);
        ::_exit(listFolder(locked, QStringLiteral("*.*")).isEmpty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(QFile::encodeName(locked).constData(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "no unprivileged user can reach the temporary folder here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the locked folder was listed";
}

class FileFilterEntries : public ::testing::Test {
protected:
    SettingsRecord r;
    const std::array<QString, 4> &b = SettingsRecord::DefaultExtensions();
};

TEST_F(FileFilterEntries, AllTextFilesFollowsFlagTen)
{
    EXPECT_EQ(allTextFilesMask(r), b[2] + b[0] + b[1]);
    EXPECT_TRUE(allTextFilesMask(r).startsWith(QStringLiteral("*.js;")));
    r.setFlag(Flag::AllTextLists, QLatin1Char('0'));
    EXPECT_EQ(allTextFilesMask(r), QStringLiteral("*.txt;*.log;*.csv;*.doc;*.html;*.shtml;*.htm;*.css;*.xml;"));
    r.setFlag(Flag::AllTextLists, QLatin1Char('2'));
    EXPECT_EQ(allTextFilesMask(r), QStringLiteral("*.ini;*.reg;*.htt;") + b[2] + b[0] + b[1]);
    r.setFlag(Flag::AllTextLists, QLatin1Char('x'));
    EXPECT_TRUE(allTextFilesMask(r).isEmpty());
    r.setFlag(Flag::AllTextLists, QChar());
    EXPECT_TRUE(allTextFilesMask(r).isEmpty());
}

TEST_F(FileFilterEntries, SupplementaryListsStayOutOfAllText)
{
    for (int k = 0; k < 4; ++k)
        r.EditFilterU[size_t(k)] = QStringLiteral("*.u%1;").arg(k);
    r.setFlag(Flag::AllTextLists, QLatin1Char('2'));
    EXPECT_EQ(allTextFilesMask(r), b[3] + b[2] + b[0] + b[1]);
    const auto entries = filterEntries(r);
    EXPECT_EQ(entries[0].mask, b[0] + QStringLiteral("*.u0;"));
    EXPECT_EQ(entries[3].name, QStringLiteral("システム系ファイル(*.ini;*.reg;*.htt;*.u3;)"));
    EXPECT_EQ(entries[4].mask, b[3] + b[2] + b[0] + b[1]);
}

TEST_F(FileFilterEntries, DefaultEntries)
{
    const auto entries = filterEntries(r);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].name, QStringLiteral("テキストファイル（狭義）(*.txt;*.log;*.csv;*.doc;)"));
    EXPECT_EQ(entries[0].mask, QStringLiteral("*.txt;*.log;*.csv;*.doc;"));
    EXPECT_EQ(entries[1].name, QStringLiteral("Web関連テキストファイル(*.html;*.shtml;*.htm;*.css;*.xml;)"));
    EXPECT_EQ(entries[4].name, QStringLiteral("すべてのテキストファイル"));
    EXPECT_EQ(entries[4].mask, b[2] + b[0] + b[1]);
    EXPECT_EQ(entries[5].name, QStringLiteral("すべてのファイル(*.*)"));
    EXPECT_EQ(entries[5].mask, QStringLiteral("*.*"));
}

TEST_F(FileFilterEntries, FilterTextJoinsPairs)
{
    r.setFlag(Flag::AllTextLists, QLatin1Char('0'));
    const QString expected = QStringLiteral("テキストファイル（狭義）(*.txt;*.log;*.csv;*.doc;)|*.txt;*.log;*.csv;*.doc;|")
        + QStringLiteral("Web関連テキストファイル(") + b[1] + QStringLiteral(")|") + b[1] + QLatin1Char('|')
        + QStringLiteral("スクリプト・ソースファイル(") + b[2] + QStringLiteral(")|") + b[2] + QLatin1Char('|')
        + QStringLiteral("システム系ファイル(*.ini;*.reg;*.htt;)|*.ini;*.reg;*.htt;|")
        + QStringLiteral("すべてのテキストファイル|*.txt;*.log;*.csv;*.doc;*.html;*.shtml;*.htm;*.css;*.xml;|")
        + QStringLiteral("すべてのファイル(*.*)|*.*");
    EXPECT_EQ(filterText(filterEntries(r)), expected);

    r.setFlag(Flag::AllTextLists, QLatin1Char('x'));
    EXPECT_TRUE(filterText(filterEntries(r)).endsWith(QStringLiteral("|すべてのテキストファイル||すべてのファイル(*.*)|*.*")));
}

TEST_F(FileFilterEntries, DialogFiltersUseSpaceSeparatedPatterns)
{
    r.setFlag(Flag::AllTextLists, QLatin1Char('x'));
    const QStringList filters = dialogFilters(filterEntries(r));
    ASSERT_EQ(filters.size(), 6);
    EXPECT_EQ(filters[0], QStringLiteral("テキストファイル（狭義）(*.txt;*.log;*.csv;*.doc;) (*.txt *.log *.csv *.doc)"));
    EXPECT_EQ(filters[3], QStringLiteral("システム系ファイル(*.ini;*.reg;*.htt;) (*.ini *.reg *.htt)"));
    EXPECT_EQ(filters[4], QStringLiteral("すべてのテキストファイル ()"));
    EXPECT_EQ(filters[5], QStringLiteral("すべてのファイル(*.*) (*.*)"));
}
