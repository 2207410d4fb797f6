#include "core/Document.h"
#include "core/PositionStore.h"
#include "core/TextPlaces.h"

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

using Record = PositionStore::Record;
using ByteForm = DocumentEncoding::ByteForm;

Record recordAt(qint64 visited, qint64 caretOffset = 7)
{
    Record r;
    r.size = 1000 + visited;
    r.modifiedNs = 1'700'000'000'123'456'789 + visited;
    r.top = {caretOffset / 2, 3};
    r.caret = {caretOffset, 5};
    r.caretMoved = visited % 2 == 1;
    r.visitedMs = visited;
    r.tail = QByteArray("\x00 \n%\x82\xA0", 6);
    return r;
}

class PositionFolder : public ::testing::Test {
protected:
    QString folder() const { return dir.path() + QStringLiteral("/Orlimbo"); }
    QByteArray stored() const { return TestFiles::contents(folder() + QStringLiteral("/positions")); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(PositionFolder, RecordsComeBackExactlyAfterWritingAndReadingAgain)
{
    // Keys are path bytes of any kind: code page 932, blanks, percent signs, line breaks.
    const QList<QByteArray> keys{"/home/a/\x83\x65\x83\x4C\x83\x58\x83\x67.txt", "/a b/100%.log", "/x\ny",
                                 "/arc.zip/\x95\x5C.txt"};
    PositionStore writer(folder());
    for (int i = 0; i < keys.size(); ++i)
        writer.remember(keys[i], recordAt(i));
    ASSERT_TRUE(writer.hasUnwritten());
    ASSERT_TRUE(writer.write());
    EXPECT_FALSE(writer.hasUnwritten());
    EXPECT_TRUE(stored().startsWith("Orlimbo reading positions 1\n"));

    PositionStore reader(folder());
    reader.read();
    ASSERT_EQ(reader.size(), keys.size());
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(reader.find(keys[i]), recordAt(i)) << i;
    EXPECT_FALSE(reader.find("/home/a/other.txt"));
}

TEST_F(PositionFolder, AtMostTwoThousandRecordsAndTheOldestVisitGoesFirst)
{
    PositionStore store(folder());
    // Visits in a scrambled order, so that the order of remembering is not the order of visits.
    for (int i = 0; i <= PositionStore::kMaxRecords; ++i) {
        const int visit = (i * 7919) % (PositionStore::kMaxRecords + 1);
        store.remember(QByteArray::number(visit), recordAt(visit));
    }
    EXPECT_EQ(store.size(), PositionStore::kMaxRecords);
    EXPECT_FALSE(store.find("0"));
    EXPECT_TRUE(store.find("1"));
    ASSERT_TRUE(store.write());

    PositionStore again(folder());
    again.read();
    EXPECT_EQ(again.size(), PositionStore::kMaxRecords);
}

TEST_F(PositionFolder, TwoWindowsMergeTheirRecordsAndTheLaterVisitWins)
{
    PositionStore first(folder());
    PositionStore second(folder());
    first.read();
    second.read();
    first.remember("/shared", recordAt(20, 111));
    first.remember("/only-first", recordAt(1));
    second.remember("/shared", recordAt(10, 222));
    second.remember("/only-second", recordAt(2));
    ASSERT_TRUE(first.write());
    ASSERT_TRUE(second.write()); // written last, but its visit of /shared was earlier

    PositionStore third(folder());
    third.read();
    EXPECT_EQ(third.size(), 3);
    EXPECT_TRUE(third.find("/only-first"));
    EXPECT_TRUE(third.find("/only-second"));
    ASSERT_TRUE(third.find("/shared"));
    EXPECT_EQ(third.find("/shared")->caret.byteOffset, 111);
    // The writer that lost keeps what is on disk, so it does not write its older record again.
    EXPECT_EQ(second.find("/shared")->caret.byteOffset, 111);
}

TEST_F(PositionFolder, ADamagedOrForeignFileIsSetAsideAndTheStoreStartsAfresh)
{
    const QList<QByteArray> damaged{
        "[General]\nkey=value\n",                                      // another program's file
        "Orlimbo reading positions 2\n",                               // a later version
        "Orlimbo reading positions 1\n/a 1 2 3 4 5 6 0 7 -",           // cut before its line end
        "Orlimbo reading positions 1\n/a 1 2 x 4 5 6 0 7 -\n",         // not a number
        "Orlimbo reading positions 1\n/a 1 2 3 4 5 6 0 7 - extra\n",   // a field too many
    };
    ASSERT_TRUE(QDir().mkpath(folder()));
    for (const QByteArray &bytes : damaged) {
        QFile::remove(folder() + QStringLiteral("/positions.bad"));
        ASSERT_TRUE(TestFiles::write(folder() + QStringLiteral("/positions"), bytes));
        PositionStore store(folder());
        store.read();
        EXPECT_EQ(store.size(), 0) << bytes.toStdString();
        EXPECT_EQ(TestFiles::contents(folder() + QStringLiteral("/positions.bad")), bytes);
        EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("/positions")));
        store.remember("/b", recordAt(1));
        EXPECT_TRUE(store.write());
    }
}

TEST_F(PositionFolder, UnchangedAndOnlyGrownFilesRestoreAndChangedOnesOpenAtTheTop)
{
    const QString path = dir.path() + QStringLiteral("/log.txt");
    const QByteArray native = QFile::encodeName(path);
    const QByteArray original = QByteArray("first line\r\n").repeated(20);
    const auto identity = [&] {
        struct stat status {};
        EXPECT_EQ(::stat(native.constData(), &status), 0);
        return RegularFile::identityOf(status);
    };
    const auto setTime = [&](time_t seconds) {
        const struct utimbuf times {seconds, seconds};
        ASSERT_EQ(::utime(native.constData(), &times), 0);
    };
    struct Case {
        const char *what;
        QByteArray now;
        bool newTime;
        bool restores;
    };
    const QList<Case> cases{
        {"unchanged", original, false, true},
        {"only grown", original + "appended\r\n", true, true},
        {"same size, written again", QByteArray(original).replace("first", "FIRST"), true, false},
        {"grown but its old end rewritten", QByteArray(original).replace(230, 9, "LAST LINE") + "more", true, false},
        {"shortened", original.left(100), true, false},
        {"only grown, timestamp kept", original + "x", false, true},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(TestFiles::write(path, original));
        setTime(1'600'000'000);
        const RegularFile::Identity then = identity();
        Record record;
        record.size = then.size;
        record.modifiedNs = then.modifiedNs;
        record.tail = PositionStore::tailOf(native, then);
        ASSERT_EQ(record.tail, original.right(PositionStore::kTailBytes));

        ASSERT_TRUE(TestFiles::write(path, c.now));
        setTime(c.newTime ? 1'600'000'100 : 1'600'000'000);
        EXPECT_EQ(PositionStore::restores(record, native, identity()), c.restores) << c.what;
    }
    // The tail is taken only of the file that was read: one written to since gives none.
    const RegularFile::Identity old = identity();
    ASSERT_TRUE(TestFiles::write(path, "changed"));
    EXPECT_TRUE(PositionStore::tailOf(native, old).isEmpty());
}

TEST(TextPlaces, ABytePlaceAndALineNumberLeadBackToTheSamePosition)
{
    struct Case {
        const char16_t *text;
        ByteForm form;
        qint64 position;
        TextPlace place;
    };
    const QList<Case> cases{
        {u"abc\ndef", ByteForm::Cp932, 5, {6, 1}},           // a break counts as CR LF
        {u"あいう\nえお\n", ByteForm::Cp932, 5, {10, 1}},      // two bytes a character
        {u"ｱｲ\nx", ByteForm::Cp932, 3, {4, 1}},                // half-width katakana take one
        {u"あいう\nえお\n", ByteForm::Utf8, 5, {14, 1}},       // three bytes in UTF-8
        {u"a😀b\n\nc", ByteForm::Utf8, 6, {10, 2}},            // a surrogate pair: four bytes
        {u"", ByteForm::Cp932, 0, {0, 0}},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(TextPlaces::placeOf(text, c.form, c.position), c.place) << text.toStdString();
        EXPECT_EQ(TextPlaces::positionOf(text, c.form, c.place), c.position) << text.toStdString();
        // Measured from the end when the whole length is known: the same place.
        const qint64 total = DocumentEncoding::byteLength(text, c.form);
        EXPECT_EQ(TextPlaces::placeOf(text, c.form, c.position, total), c.place) << text.toStdString();
        EXPECT_EQ(TextPlaces::positionOf(text, c.form, c.place, total), c.position) << text.toStdString();
    }
    // An offset inside a character gives its start; one beyond the text its end.
    EXPECT_EQ(TextPlaces::positionOf(u"あい", ByteForm::Cp932, {3, 0}), 1);
    EXPECT_EQ(TextPlaces::positionOf(u"a😀b", ByteForm::Utf8, {3, 0}), 1);
    EXPECT_EQ(TextPlaces::positionOf(u"ab\ncd", ByteForm::Cp932, {999, 9}), 5);
}

namespace {

// The shown text after the effects in this order, made by their own byte rules.
QString shownAfter(const QString &text, const QList<EffectKind> &kinds, EffectSet &set)
{
    QByteArray bytes = text.toLatin1().replace("\n", "\r\n");
    for (EffectKind kind : kinds) {
        bytes = Effects::transform(kind, bytes);
        set.insert(kind);
    }
    return QString::fromLatin1(bytes.replace("\r\n", "\n"));
}

} // namespace

TEST(TextPlaces, EachEffectMapsItsShownPositionsBackToTheUnprocessedText)
{
    const QString mail = QStringLiteral("From: a\nTo: b\n\nbody one\nbody two\n");
    const QString lines = QStringLiteral("abc\ndef\nghi jkl\n");
    struct Case {
        const char *what;
        QString text;
        QList<EffectKind> kinds;
        QString marker; // where it is shown and where it is meant; none: the middle, by its share
        qint64 extra;   // how far the result may be expected past the marker
    };
    using K = EffectKind;
    const QList<Case> cases{
        {"numbering strips the prefix", lines, {K::Numbering}, QStringLiteral("ef"), 0},
        {"header removal shifts the lines", mail, {K::SkipHeader}, QStringLiteral("two"), 0},
        {"header removal then numbering", mail, {K::SkipHeader, K::Numbering}, QStringLiteral("two"), 0},
        {"joined lines count their characters", lines, {K::NoLineBreaks}, QStringLiteral("hi"), 0},
        // The blank before "jkl" is gone from the shown line, so the column lands one short.
        {"blank removal keeps the line", lines, {K::NoBlanks}, QStringLiteral("kl"), -1},
        {"tags keep the share", QStringLiteral("<p>abc</p>\n<p\n>def</p>\n"), {K::NoTags}, {}, 0},
        {"a join stacked keeps the share", lines, {K::NoLineBreaks, K::Numbering}, {}, 0},
    };
    for (const Case &c : cases) {
        EffectSet set;
        const QString shown = shownAfter(c.text, c.kinds, set);
        const qint64 at = c.marker.isEmpty() ? shown.size() / 2 : shown.indexOf(c.marker);
        const qint64 meant = c.marker.isEmpty() ? qint64(double(at) * c.text.size() / shown.size() + 0.5)
                                                : c.text.indexOf(c.marker) + c.extra;
        ASSERT_GE(at, 0) << c.what;
        EXPECT_EQ(TextPlaces::toUnprocessed(set, shown, c.text, at), meant) << c.what;
    }
    EXPECT_EQ(TextPlaces::toUnprocessed(EffectSet{}, lines, lines, 6), 6);
}

// A link put where the lock goes is never followed: its target stays as it was, and a private
// lock in the runtime folder serves instead, so that the places are still saved.
TEST_F(PositionFolder, ALinkInPlaceOfTheLockIsNotFollowedAndThePlacesAreStillSaved)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    const QString target = dir.path() + QStringLiteral("/target");
    TestFiles::write(target, "untouched");
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), (folder() + QStringLiteral("/positions.lock")).toLocal8Bit().constData()), 0);
    QTemporaryDir runtime;
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    PositionStore store(folder());
    store.remember("/a.txt", recordAt(1));
    EXPECT_TRUE(store.write());
    qunsetenv("XDG_RUNTIME_DIR");
    store.remember("/b.txt", recordAt(2));
    EXPECT_FALSE(store.write()); // no lock to be had at all
    qputenv("XDG_RUNTIME_DIR", before);
    EXPECT_EQ(TestFiles::contents(target), "untouched");
    PositionStore reader(folder());
    reader.read();
    EXPECT_EQ(reader.find("/a.txt"), recordAt(1));
}
