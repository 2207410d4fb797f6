#include "core/ArchiveFolder.h"
#include "tests/TestPrinters.h"
#include "tests/support/TestArchives.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <atomic>

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

namespace {

// A tar.gz: a format that must be unpacked to be listed, with names stored as UTF-8; raw, one
// compressed text.
void writeTarGz(const QString &path, const QList<TestArchives::Item> &members, bool raw = false)
{
    TestArchives::write(path, {raw ? ARCHIVE_FORMAT_RAW : ARCHIVE_FORMAT_TAR_PAX_RESTRICTED, ARCHIVE_FILTER_GZIP}, members);
}

class ArchiveFolderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString book = dir.filePath("book.txt"); // an archive by its content, whatever its name
    void SetUp() override
    {
        writeTarGz(book, {{"a.txt", "A"}, {"b.log", "B"}, {"empty/", {}}, {"deep/er/c.txt", "C"}, {"z.txt", "Z"}});
        QDir().mkpath(dir.filePath("real"));
        TestFiles::write(dir.filePath("fake.zip"), "PK but no archive at all");
        writeTarGz(dir.filePath("text.gz"), {{"text", "one compressed text, no tar"}}, true);
    }
};

TEST_F(ArchiveFolderTest, RecognisedByContentAndLocatedAcrossTheBoundary)
{
    EXPECT_TRUE(ArchiveFolder::isArchiveFile(book));
    EXPECT_FALSE(ArchiveFolder::isArchiveFile(dir.filePath("fake.zip")));
    EXPECT_FALSE(ArchiveFolder::isArchiveFile(dir.filePath("text.gz")));
    EXPECT_FALSE(ArchiveFolder::isArchiveFile(dir.filePath("real")));

    const struct {
        QString path;
        std::optional<std::pair<QString, QString>> where;
    } cases[] = {
        {book, std::pair{book, QString()}},
        {book + "/", std::pair{book, QString()}},
        {book + "/deep/er/c.txt", std::pair{book, QStringLiteral("deep/er/c.txt")}},
        {book + "/deep/", std::pair{book, QStringLiteral("deep")}},
        {dir.filePath("real"), std::nullopt},
        {dir.filePath("fake.zip") + "/x.txt", std::nullopt},
        {dir.filePath("missing.zip") + "/x.txt", std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<Archive::SplitPath> found = ArchiveFolder::locate(c.path);
        ASSERT_EQ(found.has_value(), c.where.has_value()) << c.path.toStdString();
        if (found) {
            EXPECT_EQ(found->archive, c.where->first);
            EXPECT_EQ(found->member, c.where->second);
        }
    }
}

TEST_F(ArchiveFolderTest, FoldersListFilesUnderTheMaskAndImpliedFolders)
{
    EXPECT_EQ(ArchiveFolder::files(book, "*.txt", NameOrder::Natural), QStringList({"a.txt", "z.txt"}));
    EXPECT_EQ(ArchiveFolder::files(book + "/", "*.*", NameOrder::Natural), QStringList({"a.txt", "b.log", "z.txt"}));
    EXPECT_EQ(ArchiveFolder::folders(book, NameOrder::Natural), QStringList({"deep", "empty"}));
    EXPECT_EQ(ArchiveFolder::folders(book + "/deep/", NameOrder::Natural), QStringList({"er"}));
    EXPECT_EQ(ArchiveFolder::files(book + "/deep/er", "*.txt", NameOrder::Natural), QStringList({"c.txt"}));

    EXPECT_TRUE(ArchiveFolder::isFolder(book));
    EXPECT_TRUE(ArchiveFolder::isFolder(book + "/deep"));  // named by no entry of its own
    EXPECT_TRUE(ArchiveFolder::isFolder(book + "/empty/"));
    EXPECT_FALSE(ArchiveFolder::isFolder(book + "/a.txt"));
    EXPECT_FALSE(ArchiveFolder::isFolder(book + "/nothing"));
    EXPECT_TRUE(ArchiveFolder::member(book + "/a.txt"));
    EXPECT_FALSE(ArchiveFolder::member(book + "/deep"));
    EXPECT_FALSE(ArchiveFolder::member(book));
}

TEST_F(ArchiveFolderTest, MembersReadInTurnAndAfterTheArchiveChanges)
{
    for (const auto &[name, text] : {std::pair{"a.txt", "A"}, {"deep/er/c.txt", "C"}, {"z.txt", "Z"}, {"a.txt", "A"}}) {
        const Archive::Member m = ArchiveFolder::read(book + "/" + name);
        EXPECT_EQ(m.status, Archive::Status::Ok) << name;
        EXPECT_EQ(m.bytes, QByteArray(text));
    }
    EXPECT_EQ(ArchiveFolder::read(book + "/gone.txt").status, Archive::Status::NoSuchMember);

    // Written anew under the same name: the listing and the reader both follow.
    const QString replaced = dir.filePath("new.tar.gz");
    writeTarGz(replaced, {{"a.txt", "changed!"}});
    ASSERT_TRUE(QFile::remove(book));
    ASSERT_TRUE(QFile::rename(replaced, book));
    EXPECT_EQ(ArchiveFolder::read(book + "/a.txt").bytes, QByteArray("changed!"));
    EXPECT_EQ(ArchiveFolder::files(book, "*.txt", NameOrder::Natural), QStringList({"a.txt"}));
}

TEST_F(ArchiveFolderTest, AListingCancelledHalfWayIsNotKept)
{
    std::atomic_bool cancel{false};
    const std::shared_ptr<const Archive::Listing> stopped =
        ArchiveFolder::listing(book, {&cancel, [&](qint64 entries) { cancel = entries >= 2; }});
    EXPECT_EQ(stopped->status, Archive::Status::Cancelled);
    EXPECT_EQ(stopped->entries.size(), 2);
    EXPECT_FALSE(ArchiveFolder::isListed(book));

    // Asked again, it is read whole and kept.
    cancel = false;
    EXPECT_EQ(ArchiveFolder::listing(book, {&cancel})->entries.size(), 5);
    EXPECT_TRUE(ArchiveFolder::isListed(book));
    EXPECT_TRUE(ArchiveFolder::member(book + "/z.txt"));
}

} // namespace
