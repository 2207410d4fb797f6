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
    EXPECT_EQ(loadedFrom({{"RunTime", QString::number(INT_MAX)}}).RunTime, 35);
    EXPECT_EQ(loadedFrom({{"RunTime", QStringLiteral("1000")}}).RunTime, 35);
    EXPECT_EQ(loadedFrom({{"RunTime", QString::number(INT_MIN)}}).RunTime, 1);
    EXPECT_EQ(loadedFrom({{"RunTime", QStringLiteral("-1")}}).RunTime, 1);
    EXPECT_EQ(loadedFrom({{"RunTime", QStringLiteral("33")}}).RunTime, 34);
    EXPECT_EQ(loadedFrom({{"RunTime", QStringLiteral("34")}}).RunTime, 35);
}

TEST(HostileSettings, WindowGeometryIsBoundedAtLoad)
{
    constexpr int limit = SettingsRecord::kGeometryLimit;
    const SettingsRecord high = loadedFrom({{"WindowX", QString::number(INT_MAX)}, {"WindowY", QString::number(INT_MAX)},
                                            {"WindowWidth", QString::number(INT_MAX)},
                                            {"WindowHeight", QString::number(INT_MAX)}});
    EXPECT_EQ(QRect(high.WindowY, high.WindowX, high.WindowWidth, high.WindowHeight), QRect(limit, limit, limit, limit));
    const SettingsRecord low = loadedFrom({{"WindowX", QString::number(INT_MIN)}, {"WindowY", QString::number(INT_MIN)},
                                           {"WindowWidth", QString::number(INT_MIN)},
                                           {"WindowHeight", QString::number(INT_MIN)}});
    EXPECT_EQ(QRect(low.WindowY, low.WindowX, low.WindowWidth, low.WindowHeight), QRect(-limit, -limit, 0, 0));
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
