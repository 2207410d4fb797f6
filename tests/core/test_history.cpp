#include "core/History.h"

#include <QStringList>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

namespace {

BrowsingHistory historyOf(const QString &now, std::initializer_list<const char *> pre,
                          std::initializer_list<const char *> next)
{
    BrowsingHistory h;
    h.FileNameNow = now;
    int i = 0;
    for (const char *p : pre)
        h.PreHistory[i++] = QString::fromLatin1(p);
    i = 0;
    for (const char *n : next)
        h.NextHistory[i++] = QString::fromLatin1(n);
    return h;
}

QStringList listOf(const std::array<QString, 10> &list)
{
    return QStringList(list.begin(), list.end());
}

} // namespace

TEST(History, StepBackTwoThenForwardTwoRestoresThePosition)
{
    BrowsingHistory h = historyOf("A", {"B", "C", "D", "E", "F", "G", "H", "I", "J", "K"},
                                  {"X", "Y", "Z", "X3", "X4", "X5", "X6", "X7", "X8", "X9"});
    h.StepBackTo(2);
    EXPECT_EQ(h.FileNameNow, "D");
    EXPECT_EQ(listOf(h.PreHistory), QStringList({"E", "F", "G", "H", "I", "J", "K", "", "", ""}));
    EXPECT_EQ(listOf(h.NextHistory), QStringList({"C", "B", "A", "X", "Y", "Z", "X3", "X4", "X5", "X6"}));

    h.StepForwardTo(2);
    EXPECT_EQ(h.FileNameNow, "A");
    EXPECT_EQ(listOf(h.PreHistory), QStringList({"B", "C", "D", "E", "F", "G", "H", "I", "J", "K"}));
    // What fell off the end of the forward list while going back is gone.
    EXPECT_EQ(listOf(h.NextHistory), QStringList({"X", "Y", "Z", "X3", "X4", "X5", "X6", "", "", ""}));
}

TEST(History, StepBackNineEmptiesTheBackList)
{
    BrowsingHistory h = historyOf("A", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, {"N0", "N1"});
    h.StepBackTo(9);
    EXPECT_EQ(h.FileNameNow, "10");
    EXPECT_EQ(listOf(h.PreHistory), QStringList(10, QString()));
    EXPECT_EQ(listOf(h.NextHistory), QStringList({"9", "8", "7", "6", "5", "4", "3", "2", "1", "A"}));
}

TEST(History, NewFilesPushTheShownFileAndEmptyTheForwardList)
{
    BrowsingHistory h = historyOf("A", {}, {"X"});
    h.RecordNewFile("B");
    EXPECT_EQ(h.FileNameNow, "B");
    EXPECT_EQ(h.PreHistory[0], "A");
    EXPECT_TRUE(h.NextHistory[0].isEmpty());

    // A, B, A again: repeats are kept.
    h.RecordNewFile("A");
    EXPECT_EQ(h.PreHistory[0], "B");
    EXPECT_EQ(h.PreHistory[1], "A");

    // An eleventh file pushes the oldest entry out for good.
    BrowsingHistory full = historyOf("now", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, {});
    full.RecordNewFile("new");
    EXPECT_EQ(listOf(full.PreHistory), QStringList({"now", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST(History, ShowingTheShownFileAgainOnlyEmptiesTheForwardList)
{
    BrowsingHistory h = historyOf("A", {"P"}, {"X", "Y"});
    h.RecordNewFile("A");
    EXPECT_EQ(listOf(h.PreHistory), QStringList({"P", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(listOf(h.NextHistory), QStringList(10, QString()));
    // Paths differing in case only are different files.
    h.RecordNewFile("a");
    EXPECT_EQ(h.PreHistory[0], "A");
}

TEST(History, AnEmptyShownFileEntersAsAGap)
{
    BrowsingHistory h = historyOf("", {"old"}, {});
    h.RecordNewFile("B");
    EXPECT_TRUE(h.PreHistory[0].isEmpty());
    EXPECT_EQ(h.PreHistory[1], "old");
    h.RecordNewFile("C");
    EXPECT_EQ(listOf(h.PreHistory).mid(0, 3), QStringList({"B", "", "old"}));
}

TEST(History, DebugListingLaysOutAllThreeParts)
{
    BrowsingHistory h = historyOf("now", {"p0"}, {"n0", "", "n2"});
    const QString text = h.DebugListing();
    EXPECT_TRUE(text.startsWith("FileNamePre...\n0 : p0\n1 : \n2 : "));
    EXPECT_TRUE(text.contains("\n9 : \n\nFileNameNow...\n  : now\n\nFileNameNext...\n0 : n0\n1 : \n2 : n2\n"));
    EXPECT_TRUE(text.endsWith("\n9 : \n"));
}
