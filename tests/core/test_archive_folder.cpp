#include "core/ArchiveFolder.h"
#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

namespace {

// A tar.gz: a format that must be unpacked to be listed, with names stored as UTF-8.
void writeTarGz(const QString &path, const QList<std::pair<QByteArray, QByteArray>> &members, bool raw = false)
{
    struct archive *a = archive_write_new();
    ASSERT_EQ(raw ? archive_write_set_format_raw(a) : archive_write_set_format_pax_restricted(a), ARCHIVE_OK);
    ASSERT_EQ(archive_write_add_filter_gzip(a), ARCHIVE_OK);
    ASSERT_EQ(archive_write_open_filename(a, QFile::encodeName(path).constData()), ARCHIVE_OK);
    for (const auto &[name, data] : members) {
        struct archive_entry *e = archive_entry_new();
        archive_entry_copy_pathname(e, name.constData());
        archive_entry_set_filetype(e, name.endsWith('/') ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, data.size());
        EXPECT_GE(archive_write_header(a, e), ARCHIVE_WARN);
        if (!data.isEmpty())
            EXPECT_EQ(archive_write_data(a, data.constData(), size_t(data.size())), data.size());
        archive_entry_free(e);
    }
    EXPECT_EQ(archive_write_close(a), ARCHIVE_OK);
    archive_write_free(a);
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

} // namespace
