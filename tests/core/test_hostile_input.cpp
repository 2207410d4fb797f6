// Stored values and texts that a careful user's machine eventually produces: out-of-range
// numbers, windows on a vanished monitor, unpaired surrogates.
#include "core/Cp932.h"
#include "core/SettingsRecord.h"
#include "core/WindowGeometry.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/MemoryStore.h"

#include "tests/TestPrinters.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <climits>

namespace {

QString units(std::initializer_list<char16_t> list)
{
    QString text;
    for (char16_t u : list)
        text += QChar(u);
    return text;
}

SettingsRecord loadedFrom(std::initializer_list<std::pair<const char *, QString>> values)
{
    MemoryStore store;
    for (const auto &[name, value] : values)
        store.values.insert(QLatin1String(name), value);
    SettingsRecord record;
    LoadSettings(record, store);
    return record;
}

} // namespace

TEST(Cp932Encode, EveryUnpairedSurrogateIsOneQuestionMark)
{
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {units({0xDA66, 0xFC30}), "?\xfc\xfc"},       // high half before a character without a form
        {units({0xD800, 0x0061}), "?a"},              // high half before ASCII
        {units({0x3042, 0xD800}), "\x82\xa0?"},       // high half at the end of the text
        {units({0xDC00}), "?"},                       // low half alone
        {units({0x3042, 0xDC00, 0x3044}), "\x82\xa0?\x82\xa2"},
        {units({0xD83D, 0xD83D, 0xDE00}), "?\xfc\xfc"}, // a stray high half, then a pair without a form
        {units({0xD800, 0x000A}), "?\r\n"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Cp932::encode(c.text), c.bytes) << ::testing::PrintToString(c.text);
        EXPECT_EQ(Cp932::byteLength(c.text), c.bytes.size()) << ::testing::PrintToString(c.text);
    }
}

// The harnesses read their inputs both as code page 932 bytes and as UTF-16 units.
TEST(Cp932Encode, ByteLengthIsTheEncodedSizeForEveryCorpusInput)
{
    int inputs = 0;
    QDirIterator it(QStringLiteral(ORLIMBO_FUZZ_CORPUS), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
        const QByteArray bytes = file.readAll();
        const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
        for (const QString &text : {Cp932::decode(bytes), FuzzInput::utf16(data, size_t(bytes.size()))})
            EXPECT_EQ(Cp932::byteLength(text), Cp932::encode(text).size()) << qPrintable(file.fileName());
        EXPECT_EQ(Cp932::decodeCounting(bytes).byteLength, Cp932::encode(Cp932::decode(bytes)).size());
        ++inputs;
    }
    EXPECT_GT(inputs, 40);
}

TEST(HostileSettings, TheStartCounterStaysWithinItsCycle)
{
    const std::pair<QString, int> cases[] = {{QString::number(INT_MAX), 35}, {QStringLiteral("1000"), 35},
                                             {QString::number(INT_MIN), 1},  {QStringLiteral("-1"), 1},
                                             {QStringLiteral("33"), 34},     {QStringLiteral("34"), 35}};
    for (const auto &[stored, counted] : cases)
        EXPECT_EQ(loadedFrom({{"RunTime", stored}}).RunTime, counted) << stored.toStdString();
}

TEST(HostileSettings, WindowGeometryIsBoundedAtLoad)
{
    // The four values all stored as `value`, read back as top, left, width and height.
    const auto geometryOf = [](int value) {
        const QString text = QString::number(value);
        const SettingsRecord r =
            loadedFrom({{"WindowX", text}, {"WindowY", text}, {"WindowWidth", text}, {"WindowHeight", text}});
        return QRect(r.WindowY, r.WindowX, r.WindowWidth, r.WindowHeight);
    };
    constexpr int limit = SettingsRecord::kGeometryLimit;
    EXPECT_EQ(geometryOf(INT_MAX), QRect(limit, limit, limit, limit));
    EXPECT_EQ(geometryOf(INT_MIN), QRect(-limit, -limit, 0, 0));
    // The marker of an unrecorded position and ordinary values pass unchanged.
    const SettingsRecord plain = loadedFrom({{"WindowX", QStringLiteral("-10")}, {"WindowY", QStringLiteral("-300")},
                                             {"WindowWidth", QStringLiteral("3000")}});
    EXPECT_EQ(plain.WindowX, SettingsRecord::kNoPosition);
    EXPECT_EQ(plain.WindowY, -300);
    EXPECT_EQ(plain.WindowWidth, 3000);
}

TEST(WindowGeometry, AWindowOffEveryScreenMovesToThePrimaryAvailableArea)
{
    const QList<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    const QRect available(0, 30, 1280, 770); // a panel along the top
    const auto place = [&](QRect window) { return WindowGeometry::keepTitleBarOnScreen(window, screens, available); };
    EXPECT_EQ(place(QRect(3000, 5000, 696, 480)), QRect(0, 30, 696, 480));
    EXPECT_EQ(place(QRect(-800, 100, 696, 480)), QRect(0, 30, 696, 480));    // left of everything
    EXPECT_EQ(place(QRect(100, 790, 696, 480)), QRect(100, 790, 696, 480));  // title bar still on screen 1
    EXPECT_EQ(place(QRect(2000, 500, 696, 480)), QRect(2000, 500, 696, 480)); // on the second screen
    EXPECT_EQ(place(QRect(-600, -20, 696, 480)), QRect(-600, -20, 696, 480)); // partly off, still reachable
    EXPECT_EQ(place(QRect(100, 900, 696, 480)), QRect(0, 30, 696, 480));     // below screen 1, beside screen 2
}
