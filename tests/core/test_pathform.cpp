#include "core/PathForm.h"
#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "platform/SaveFile.h"
#include "platform/Shell.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray kCp932A = "\x82\xa0.txt"; // "あ.txt" in code page 932

void expectRoundTrip(const QByteArray &bytes)
{
    const QString form = PathForm::fromNative(bytes);
    EXPECT_EQ(PathForm::toNative(form), bytes) << bytes.toHex().constData();
    EXPECT_EQ(PathForm::fromNative(PathForm::toNative(form)), form) << bytes.toHex().constData();
}

bool writeNative(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

} // namespace

TEST(PathForm, Utf8PathsAreTheirTextBothWays)
{
    for (const QString &path : {QStringLiteral("/home/user/あ.txt"), QStringLiteral("relative/😀 名前.txt"),
                                QStringLiteral("/"), QString(), QStringLiteral("a//b/"), QStringLiteral("/x/\uFFFD")}) {
        EXPECT_EQ(PathForm::fromNative(path.toUtf8()), path);
        EXPECT_EQ(PathForm::toNative(path), path.toUtf8());
        EXPECT_TRUE(PathForm::isPlain(path));
        EXPECT_EQ(PathForm::displayName(path), path);
    }
}

TEST(PathForm, Cp932NameIsAnotherFormThatShowsAlike)
{
    const QString utf8 = PathForm::fromNative("/d/" + QStringLiteral("あ.txt").toUtf8());
    const QString cp932 = PathForm::fromNative("/d/" + kCp932A);
    EXPECT_NE(utf8, cp932);
    EXPECT_FALSE(PathForm::isPlain(cp932));
    EXPECT_EQ(cp932, QStringLiteral("/d/") + QChar(PathForm::kMarker) + QStringLiteral("あ.txt"));
    EXPECT_EQ(PathForm::displayName(cp932), QStringLiteral("/d/あ.txt"));
    EXPECT_EQ(PathForm::toNative(cp932), "/d/" + kCp932A);
    // Folders and files are marked one segment at a time.
    const QByteArray mixed = "/home/" + QStringLiteral("ユーザー").toUtf8() + "/\x83\x66\x81\x5B\x83\x5E/" + kCp932A;
    EXPECT_EQ(PathForm::displayName(PathForm::fromNative(mixed)), QStringLiteral("/home/ユーザー/データ/あ.txt"));
    expectRoundTrip(mixed);
}

TEST(PathForm, EveryByteAndPairRoundTrips)
{
    QSet<QString> forms;
    for (int b = 0x80; b <= 0xFF; ++b) {
        const QByteArray name = "x" + QByteArray(1, char(b)) + ".txt";
        expectRoundTrip(name);
        forms.insert(PathForm::fromNative(name));
    }
    EXPECT_EQ(forms.size(), 128); // one-to-one
    // Every pair from a byte 0x80 up, each followed by every byte but '/' and NUL, which no
    // name holds: lead bytes with good and bad trails, and characters with two byte forms.
    QByteArray all;
    for (int b = 1; b <= 0xFF; ++b) {
        if (b != '/')
            all += char(b);
    }
    expectRoundTrip(all);
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        QByteArray name;
        for (int next = 1; next <= 0xFF; ++next) {
            if (next != '/')
                name += char(lead) + QByteArray(1, char(next)) + char(lead);
        }
        expectRoundTrip(name);
        expectRoundTrip("dir/" + name + "/" + name.left(3));
    }
    // A UTF-8 name that begins with the marker is carried apart from the marked forms.
    const QByteArray joiner = QString(QChar(PathForm::kMarker)).toUtf8() + "x";
    expectRoundTrip(joiner);
    EXPECT_NE(PathForm::fromNative(joiner), QString::fromUtf8(joiner));
    // Inside a name it is only a character.
    EXPECT_EQ(PathForm::fromNative("d/x" + joiner), QString::fromUtf8("d/x" + joiner));
    expectRoundTrip("d/x" + joiner);
}

TEST(PathForm, BytesNoCharacterHoldsShowAsReplacement)
{
    const QString form = PathForm::fromNative("\x82\xa0\x82\r\x83");
    EXPECT_EQ(PathForm::displayName(form), QStringLiteral("あ\uFFFD\uFFFD\uFFFD"));
    // NEC-selected IBM extension 0xED40 and IBM extension 0xFA5C are the same kanji; the
    // one the encoder does not give back is carried byte by byte.
    const QString twice = PathForm::fromNative("\xed\x40\xfa\x5c");
    EXPECT_EQ(PathForm::toNative(twice), "\xed\x40\xfa\x5c");
    EXPECT_EQ(PathForm::displayName(twice).size(), 3);
    // A rename typed into a marked name: what code page 932 lacks is kept, in UTF-8.
    const QString typed = QChar(PathForm::kMarker) + QStringLiteral("한.txt");
    EXPECT_EQ(PathForm::toNative(typed), QStringLiteral("한.txt").toUtf8());
}

TEST(PathForm, BookmarkFieldsMapBackToTheFileThatExists)
{
    const QString cp932 = PathForm::fromNative("/d/" + kCp932A);
    EXPECT_EQ(PathForm::toCp932(cp932).bytes, "/d/" + kCp932A);
    EXPECT_EQ(PathForm::toCp932(QStringLiteral("/ユ/あ.txt")).bytes, "/\x83\x86/" + kCp932A);
    EXPECT_TRUE(PathForm::isStorableAsCp932(cp932));
    EXPECT_FALSE(PathForm::isStorableAsCp932(QStringLiteral("/d/😀")));
    // Nothing is substituted; what code page 932 lacks is found past a marked segment too.
    const Cp932::StrictEncoded refused = PathForm::toCp932(cp932 + QStringLiteral("/x한"));
    ASSERT_TRUE(refused.unmappable);
    EXPECT_EQ(refused.unmappable->position, cp932.size() + 2);
    EXPECT_EQ(refused.unmappable->character, U'한');
    EXPECT_TRUE(refused.bytes.isEmpty());

    QSet<QByteArray> disk{"/d", "/d/" + kCp932A, "/\xe3\x83\xa6", "/\xe3\x83\xa6/" + kCp932A};
    const auto exists = [&disk](const QByteArray &native) { return disk.contains(native); };
    EXPECT_EQ(PathForm::fromCp932("/d/" + kCp932A, exists), cp932);
    // The UTF-8 folder is found by its decoded name; below it, the CP932-named file.
    EXPECT_EQ(PathForm::toNative(PathForm::fromCp932("/\x83\x86/" + kCp932A, exists)),
              "/\xe3\x83\xa6/" + kCp932A);
    // Where the UTF-8 name exists, or nothing does, the decoded text, as always.
    disk.insert("/d/" + QStringLiteral("あ.txt").toUtf8());
    EXPECT_EQ(PathForm::fromCp932("/d/" + kCp932A, exists), QStringLiteral("/d/あ.txt"));
    EXPECT_EQ(PathForm::fromCp932("/e/" + kCp932A, exists), QStringLiteral("/e/あ.txt"));
    EXPECT_EQ(PathForm::fromCp932("/d/" + kCp932A, {}), QStringLiteral("/d/あ.txt"));

    // A folder a Linux tool named with the wave dash U+301C is stored as 81 60, which reads as
    // U+FF5E; the Linux form is tried before the bytes themselves.
    const QString linuxName = QStringLiteral("/w/波\u301C線");
    const QByteArray stored = PathForm::toCp932(linuxName).bytes;
    EXPECT_EQ(stored, "/w/\x94\x67\x81\x60\x90\xfc");
    disk.insert("/w");
    disk.insert(stored);
    EXPECT_EQ(PathForm::toNative(PathForm::fromCp932(stored, exists)), stored); // only the bytes exist
    disk.insert(linuxName.toUtf8());
    EXPECT_EQ(PathForm::fromCp932(stored, exists), linuxName);
    disk.insert(QStringLiteral("/w/波\uFF5E線").toUtf8());
    EXPECT_EQ(PathForm::fromCp932(stored, exists), QStringLiteral("/w/波\uFF5E線"));
}

TEST(PathFormOnDisk, ListedReadAndPassedByTheirBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray root = QFile::encodeName(dir.path()) + '/';
    ASSERT_TRUE(writeNative(root + kCp932A, "cp932"));
    ASSERT_TRUE(writeNative(root + QStringLiteral("あ.txt").toUtf8(), "utf8"));
    ASSERT_EQ(::mkdir(root + "\x83\x66", 0755), 0);
    ASSERT_EQ(::mkdir(root + ".\x83\x66", 0755), 0);

    const QString folder = dir.path() + QLatin1Char('/');
    const QStringList names = listFolder(folder, QStringLiteral("*.txt"));
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(PathForm::displayName(names[0]), QStringLiteral("あ.txt"));
    EXPECT_EQ(PathForm::displayName(names[1]), QStringLiteral("あ.txt"));
    EXPECT_EQ(listSubfolders(folder), QStringList{PathForm::fromNative("\x83\x66")});

    const QString cp932 = folder + PathForm::fromNative(kCp932A);
    EXPECT_TRUE(FileSystem::fileExists(cp932));
    EXPECT_EQ(FileSystem::readWholeFile(cp932).bytes.value_or(QByteArray()), "cp932");
    EXPECT_TRUE(FileSystem::lastWriteTime(cp932).isValid());
    EXPECT_TRUE(FileSystem::folderExists(folder + PathForm::fromNative("\x83\x66")));
    EXPECT_TRUE(FileSystem::writeFileAtomically(cp932, "replaced").written);
    EXPECT_EQ(FileSystem::readWholeFile(cp932).bytes.value_or(QByteArray()), "replaced");
    EXPECT_EQ(listFolder(folder, QStringLiteral("*.*")).size(), 2); // no temporary file left

    // An external program gets the file's own bytes as its argument.
    DesktopShell shell;
    ASSERT_TRUE(shell.startProgram(QStringLiteral("cp"), {cp932, folder + QStringLiteral("copied")}));
    EXPECT_FALSE(shell.startProgram(QStringLiteral("/no/such/program"), {cp932}));
    QElapsedTimer waited;
    waited.start();
    while (!FileSystem::fileExists(folder + QStringLiteral("copied")) && waited.elapsed() < 5000)
        QThread::msleep(20);
    QThread::msleep(50);
    EXPECT_EQ(FileSystem::readWholeFile(folder + QStringLiteral("copied")).bytes.value_or(QByteArray()), "replaced");
    // QTemporaryDir removes by Qt's decoding of the names, which cannot reach these.
    std::filesystem::remove_all(root.toStdString());
}
