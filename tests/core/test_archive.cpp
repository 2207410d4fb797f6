#include "core/Archive.h"
#include "core/Cp932.h"
#include "tests/TestPrinters.h"
#include "tests/support/TestArchives.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <locale.h>
#include <unistd.h>

namespace {

using TestArchives::Item;
using TestArchives::Writing;


QByteArray utf8(const char8_t *text) { return QString::fromUtf8(reinterpret_cast<const char *>(text)).toUtf8(); }

} // namespace

// Each kind of stored name comes back as the text it was written from, and no name can lead
// out of the archive.
TEST(Archive, DecodesAndMakesSafeEachKindOfName)
{
    const QByteArray sjis = Cp932::encode(u"走れメロス.txt");
    struct Case {
        const char *what;
        Writing how;
        QByteArray stored;
        QString listed;
        bool renamed;
    } const cases[] = {
        {"zip, UTF-8 flag", {}, utf8(u8"第一章.txt"), u"第一章.txt"_qs, false},
        {"zip, code page 932", {.locale = "C"}, sjis, u"走れメロス.txt"_qs, false},
        {"zip, undecodable byte", {.locale = "C"}, "\xFF" "a.txt", u"\uFFFDa.txt"_qs, false},
        {"tar pax, UTF-8", {.format = ARCHIVE_FORMAT_TAR_PAX_RESTRICTED}, utf8(u8"第一章.txt"), u"第一章.txt"_qs, false},
        {"tar ustar, raw 932", {.format = ARCHIVE_FORMAT_TAR_USTAR, .locale = "C"}, sjis, u"走れメロス.txt"_qs, false},
        {"7z", {.format = ARCHIVE_FORMAT_7ZIP}, utf8(u8"第一章.txt"), u"第一章.txt"_qs, false},
        {"parent", {}, "../x", u"__/x"_qs, true},
        {"absolute", {}, "/etc/passwd", u"etc/passwd"_qs, true},
        {"parent inside", {}, "a/./../../b.txt", u"a/__/__/b.txt"_qs, true},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QString::fromLatin1(c.what));
        ASSERT_TRUE(TestArchives::write(path, c.how, {{c.stored, "text"}}));
        const Archive::Listing listing = Archive::list(path);
        ASSERT_EQ(listing.status, Archive::Status::Ok) << listing.detail.toStdString();
        ASSERT_EQ(listing.entries.size(), 1);
        EXPECT_EQ(listing.entries[0].path, c.listed);
        EXPECT_EQ(listing.entries[0].renamed, c.renamed);
        EXPECT_EQ(listing.entries[0].size, 4);
        EXPECT_EQ(listing.entries[0].modifiedNs, qint64(1700000000) * 1000000000);
        const Archive::Member member = Archive::read(path, c.listed);
        EXPECT_EQ(member.status, Archive::Status::Ok);
        EXPECT_EQ(member.bytes, "text");
    }
}

// Names with the UTF-8 flag that are no UTF-8, among good ones: libarchive gives no name for
// them, yet each is listed in its place, its bad bytes as U+FFFD, and read.
TEST(Archive, ListsNamesThatAreNoUtf8DespiteTheirFlag)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("flagged.zip");
    const QList<Item> items = {{"a.txt", "a"}, {"b\xFF\xFE.txt", "b"}, {"c.txt", "c"}, {"d\xE3\x81.txt", "d"}};
    ASSERT_TRUE(TestArchives::write(path, {.locale = "C"}, items));
    QByteArray bytes = TestFiles::contents(path);
    for (const char *header : {"PK\3\4", "PK\1\2"}) // the flag in each local and central header
        for (qsizetype at = bytes.indexOf(header); at >= 0; at = bytes.indexOf(header, at + 4))
            bytes[at + (header[2] == '\3' ? 7 : 9)] |= 0x08;
    ASSERT_TRUE(TestFiles::write(path, bytes));

    QStringList names;
    for (const Archive::Entry &entry : Archive::list(path).entries)
        names << entry.path;
    EXPECT_EQ(names, QStringList({"a.txt", u"b\uFFFD\uFFFD.txt"_qs, "c.txt", u"d\uFFFD\uFFFD.txt"_qs}));
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(Archive::read(path, names[i]).bytes, items[i].data) << names[i].toStdString();
}

// libarchive writes no LZH, so this one is put together by hand: one stored member under a
// level 0 header, whose name is in code page 932 as Japanese LHA tools wrote it.
TEST(Archive, ReadsLzhNamesAsCodePage932)
{
    const QByteArray name = Cp932::encode(u"第一章.txt"), data = "lzh text";
    quint16 crc = 0;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    const auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char(value >> (8 * i));
        return out;
    };
    const QByteArray header = "-lh0-" + le(data.size(), 4) + le(data.size(), 4) + le(0x5A210000, 4) + '\x20' +
                              '\0' + char(name.size()) + name + le(crc, 2);
    quint8 sum = 0;
    for (const char byte : header)
        sum += quint8(byte);
    QTemporaryDir dir;
    const QString path = dir.filePath("old.lzh");
    ASSERT_TRUE(TestFiles::write(path, char(header.size()) + QByteArray(1, char(sum)) + header + data + '\0'));
    EXPECT_TRUE(Archive::isArchive(path));
    const Archive::Listing listing = Archive::list(path);
    ASSERT_EQ(listing.status, Archive::Status::Ok) << listing.detail.toStdString();
    EXPECT_EQ(listing.format, Archive::Format::Lha);
    ASSERT_EQ(listing.entries.size(), 1);
    EXPECT_EQ(listing.entries[0].path, u"第一章.txt"_qs);
    EXPECT_EQ(Archive::read(path, u"第一章.txt"_qs).bytes, data);
}

TEST(Archive, RecognisesArchivesByContentNotName)
{
    QTemporaryDir dir;
    const QString zipNamedTxt = dir.filePath("notes.txt");
    const QString tarGz = dir.filePath("plain.dat");
    const QString text = dir.filePath("book.zip");
    ASSERT_TRUE(TestArchives::write(zipNamedTxt, {}, {{"a.txt", "a"}}));
    ASSERT_TRUE(TestArchives::write(tarGz, {.format = ARCHIVE_FORMAT_TAR_USTAR, .filter = ARCHIVE_FILTER_GZIP}, {{"a", "a"}}));
    ASSERT_TRUE(TestFiles::write(text, "PK but not really a zip\n"));
    EXPECT_TRUE(Archive::isArchive(zipNamedTxt));
    EXPECT_TRUE(Archive::isArchive(tarGz));
    EXPECT_FALSE(Archive::isArchive(text));
    EXPECT_EQ(Archive::list(text).status, Archive::Status::NotArchive);
    EXPECT_EQ(Archive::list(tarGz).format, Archive::Format::Tar);
}

TEST(Archive, SplitsAndJoinsPathsAcrossTheArchive)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    ASSERT_TRUE(QDir(root).mkpath("books/real.zip"));
    ASSERT_TRUE(TestFiles::write(root + "/books/hashire.zip", "zip"));
    ASSERT_TRUE(TestFiles::write(root + "/books/real.zip/in.txt", "real"));
    struct Case {
        QString path;
        QString archive; // empty: no split
        QString member;
    } const cases[] = {
        {"/books/hashire.zip/merosu.txt", "/books/hashire.zip", "merosu.txt"},
        {"/books/hashire.zip/第一部/第一章.txt", "/books/hashire.zip", "第一部/第一章.txt"},
        {"/books/hashire.zip/inner/", "/books/hashire.zip", "inner"},
        {"/books/hashire.zip", "", ""},      // the archive itself
        {"/books/hashire.zip/", "", ""},     // nothing inside named
        {"/books/real.zip/in.txt", "", ""},  // a real folder wins
        {"/books/real.zip/none.txt", "", ""},
        {"/books/missing.zip/a.txt", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const auto split = Archive::split(root + c.path);
        if (c.archive.isEmpty()) {
            EXPECT_FALSE(split.has_value());
            continue;
        }
        ASSERT_TRUE(split.has_value());
        EXPECT_EQ(split->archive, root + c.archive);
        EXPECT_EQ(split->member, c.member);
        EXPECT_EQ(Archive::join(split->archive, split->member), root + c.archive + '/' + c.member);
    }
    EXPECT_EQ(Archive::join("/a.zip", "/b.txt"), "/a.zip/b.txt");
    EXPECT_EQ(Archive::join("/a.zip", ""), "/a.zip");
}

// Every limit gives its own result and nothing half read.
TEST(Archive, RefusesWhatPassesTheLimits)
{
    QTemporaryDir dir;

    // A few bytes whose headers claim 4 GB.
    const QString claims = dir.filePath("claims.zip");
    const QByteArray small(1234, 'x');
    ASSERT_TRUE(TestArchives::write(claims, {.options = "zip:compression=store"}, {{"big.txt", small}}));
    QByteArray bytes = TestFiles::contents(claims);
    const QByteArray size("\xD2\x04\0\0", 4), huge("\0\0\0\xF0", 4);
    ASSERT_GE(bytes.count(size), 2);
    bytes.replace(size, huge);
    ASSERT_TRUE(TestFiles::write(claims, bytes));

    // 20 MB of zeros in a few hundred bytes.
    const QString bomb = dir.filePath("bomb.tar.bz2");
    ASSERT_TRUE(TestArchives::write(bomb, {.format = ARCHIVE_FORMAT_TAR_USTAR, .filter = ARCHIVE_FILTER_BZIP2},
                             {{"zeros.txt", QByteArray(20 << 20, '\0')}, {"after.txt", "after"}}));
    ASSERT_LT(QFileInfo(bomb).size(), 8192);

    const QString encrypted = dir.filePath("secret.zip");
    ASSERT_TRUE(TestArchives::write(encrypted, {.options = "zip:encryption=zipcrypt", .passphrase = "pw"},
                             {{"secret.txt", "hidden text"}}));

    // A link and a device: listed, so that asking for them says what they are, yet never read.
    const QString link = dir.filePath("link.zip"), device = dir.filePath("device.tar");
    ASSERT_TRUE(TestArchives::write(link, {}, {{"shadow.txt", "/etc/passwd", AE_IFLNK}}));
    ASSERT_TRUE(TestArchives::write(device, {.format = ARCHIVE_FORMAT_TAR_USTAR}, {{"dev.txt", {}, AE_IFCHR}}));

    struct Case {
        const char *what;
        QString path;
        QString member;
        Archive::Status status;
    } const cases[] = {
        {"a link", link, "shadow.txt", Archive::Status::Link},
        {"a device", device, "dev.txt", Archive::Status::Special},
        {"claims 4 GB", claims, "big.txt", Archive::Status::TooLarge},
        {"bomb", bomb, "zeros.txt", Archive::Status::Bomb},
        {"behind a bomb", bomb, "after.txt", Archive::Status::Bomb}, // passing it unpacks it too
        {"encrypted", encrypted, "secret.txt", Archive::Status::Encrypted},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Archive::Member member = Archive::read(c.path, c.member);
        EXPECT_EQ(member.status, c.status) << member.detail.toStdString();
        EXPECT_TRUE(member.bytes.isEmpty());
    }
    EXPECT_TRUE(Archive::list(encrypted).entries.value(0).encrypted);
    const Archive::Listing bombList = Archive::list(bomb);
    EXPECT_EQ(bombList.status, Archive::Status::Bomb);
    EXPECT_EQ(bombList.entries.size(), 1);
}

TEST(Archive, RefusesMoreThanTwoHundredThousandEntries)
{
    QTemporaryDir dir;
    const QString many = dir.filePath("many.tar.zst");
    QList<Item> items(Archive::kMaxEntries + 1);
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i].name = QByteArray::number(i);
    ASSERT_TRUE(TestArchives::write(many, {.format = ARCHIVE_FORMAT_TAR_USTAR, .filter = ARCHIVE_FILTER_ZSTD}, items));
    const Archive::Listing listing = Archive::list(many);
    EXPECT_EQ(listing.status, Archive::Status::TooManyEntries);
    EXPECT_EQ(listing.entries.size(), Archive::kMaxEntries); // those before the limit stay listed
    EXPECT_EQ(Archive::read(many, "200000").status, Archive::Status::TooManyEntries);
    EXPECT_EQ(Archive::read(many, "199999").status, Archive::Status::Ok);
}

// A cut-off download: what lies before the cut is read, and the break is told with how far it got.
TEST(Archive, ReadsATruncatedArchiveUpToTheBreak)
{
    QTemporaryDir dir;
    QByteArray second;
    for (int i = 0; second.size() < 200000; ++i)
        second += QByteArray::number(i * 7919 % 100003) + ' ';
    struct Case {
        const char *what;
        Writing how;
    } const cases[] = {
        {"zip", {}},
        {"tar.gz", {.format = ARCHIVE_FORMAT_TAR_USTAR, .filter = ARCHIVE_FILTER_GZIP}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(c.what);
        ASSERT_TRUE(TestArchives::write(path, c.how, {{"first.txt", "first"}, {"second.txt", second}}));
        const QByteArray whole = TestFiles::contents(path);
        ASSERT_TRUE(TestFiles::write(path, whole.left(whole.size() * 2 / 3)));

        EXPECT_EQ(Archive::read(path, "first.txt").bytes, "first");
        const Archive::Member broken = Archive::read(path, "second.txt");
        EXPECT_EQ(broken.status, Archive::Status::Damaged);
        EXPECT_GT(broken.brokenAt, 0);
        EXPECT_LT(broken.brokenAt, second.size());
        EXPECT_EQ(broken.bytes, second.left(broken.brokenAt));
        const Archive::Listing listing = Archive::list(path);
        EXPECT_EQ(listing.status, Archive::Status::Damaged);
        ASSERT_GE(listing.entries.size(), 1);
        EXPECT_EQ(listing.entries[0].path, "first.txt");
    }
}

// Walking a solid archive forward unpacks it once; a step back comes from the kept members,
// a jump back costs one re-read.
TEST(Archive, ReaderKeepsItsPlaceInASolidArchive)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("solid.tar.xz");
    QList<Item> items;
    for (int i = 0; i < 40; ++i)
        items.append({"m" + QByteArray::number(i) + ".txt", QByteArray(20000, char('a' + i % 26))});
    ASSERT_TRUE(TestArchives::write(path, {.format = ARCHIVE_FORMAT_TAR_USTAR, .filter = ARCHIVE_FILTER_XZ}, items));

    Archive::Reader reader(path);
    for (const Item &item : items)
        ASSERT_EQ(reader.read(QString::fromLatin1(item.name)).bytes, item.data);
    EXPECT_EQ(reader.opens(), 1);
    EXPECT_EQ(reader.read("m38.txt").bytes, items[38].data);
    EXPECT_EQ(reader.opens(), 1);
    EXPECT_EQ(reader.read("m3.txt").bytes, items[3].data);
    EXPECT_EQ(reader.opens(), 2);
    EXPECT_EQ(reader.read("m4.txt").bytes, items[4].data);
    EXPECT_EQ(reader.opens(), 2);
    EXPECT_EQ(reader.read("none.txt").status, Archive::Status::NoSuchMember);

    std::atomic_bool cancel = true;
    EXPECT_EQ(reader.read("m30.txt", {&cancel}).status, Archive::Status::Cancelled);
}

// A member written to a file is not kept as if read into memory; a file that takes no more
// ends the read.
TEST(Archive, WritesAMemberIntoAFile)
{
    QTemporaryDir dir;
    const QByteArray text = QByteArray("a line\n").repeated(100000);
    const QString path = dir.filePath("a.zip");
    ASSERT_TRUE(TestArchives::write(path, {}, {{"text.txt", text}}));
    Archive::Reader reader(path);
    const RegularFile::Handle file = RegularFile::createUnlinked(QFile::encodeName(dir.path()));
    const Archive::Member member = reader.read("text.txt", {.file = file.fd()});
    EXPECT_TRUE(member.status == Archive::Status::Ok && member.inFile && member.bytes.isEmpty());
    QByteArray back(text.size() + 1, '\0');
    back.resize(::pread(file.fd(), back.data(), size_t(back.size()), 0));
    EXPECT_EQ(back, text);
    EXPECT_EQ(reader.read("text.txt").bytes, text);
    const RegularFile::Handle readOnly = RegularFile::openForReading(QFile::encodeName(path));
    EXPECT_EQ(Archive::read(path, "text.txt", {.file = readOnly.fd()}).error, EBADF);
}
