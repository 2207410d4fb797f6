#include "core/SettingsRecord.h"
#include "platform/QSettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("brennick/Skimlet.conf");
    QSettingsStore store{path};

    void storeValues(std::initializer_list<std::pair<const char *, QString>> values)
    {
        QSettings s(path, QSettings::IniFormat);
        for (const auto &[name, value] : values)
            s.setValue(QLatin1String(name), value);
    }
    QString stored(const char *name) const { return QSettings(path, QSettings::IniFormat).value(QLatin1String(name)).toString(); }
    bool has(const char *name) const { return QSettings(path, QSettings::IniFormat).contains(QLatin1String(name)); }
    SettingsRecord loaded()
    {
        SettingsRecord r;
        LoadSettings(r, store);
        return r;
    }
};

// Fails every write after the first `allowed` ones.
class FailingStore : public SettingsStore {
public:
    explicit FailingStore(int allowed) : allowed_(allowed) {}
    QStringList written;
    std::unique_ptr<SettingsKey> open() override { return nullptr; }
    std::unique_ptr<SettingsKey> openOrCreate() override { return std::make_unique<Key>(*this); }
    void deleteKey() override {}

private:
    struct Key : SettingsKey {
        explicit Key(FailingStore &s) : store(s) {}
        FailingStore &store;
        QString read(const QString &) const override { return {}; }
        bool write(const QString &name, const QString &) override
        {
            if (store.written.size() >= store.allowed_)
                return false;
            store.written << name;
            return true;
        }
        void remove(const QString &) override {}
        bool close() override { return true; }
    };
    int allowed_;
};

} // namespace

TEST_F(SettingsTest, FirstStartUsesDefaultsAndCreatesEveryValue)
{
    SettingsRecord r = loaded();
    EXPECT_TRUE(r.SettingsKeyMissing);
    EXPECT_EQ(r.flagText(), "111111C0001000S0");
    EXPECT_EQ(r.WordWrapFlag, 'R');
    EXPECT_EQ(r.LimitSizeForEffect, 524228);
    EXPECT_EQ(r.WindowX, -10);
    EXPECT_EQ(r.RunTime, 0);
    EXPECT_EQ(r.AppliForEditN[1], "エディタ2");
    EXPECT_EQ(r.FilterName[0], "テキストファイル（狭義）");

    ASSERT_EQ(SaveSettings(r, store, true, "/opt/orlimbo/orlimbo"), SaveResult::Saved);
    EXPECT_EQ(stored("RunTime"), "0");
    EXPECT_EQ(stored("Version"), "1.40");
    EXPECT_EQ(stored("Install"), "/opt/orlimbo/orlimbo");
    EXPECT_EQ(stored("AppliSetFlags"), "111111C0001000S0");
    EXPECT_EQ(stored("ColorBack"), "clWindow");
    EXPECT_EQ(stored("ColorText"), "clWindowText");
    EXPECT_EQ(stored("FontName"), "ＭＳ ゴシック");
    EXPECT_EQ(stored("WindowX"), "-10");
    EXPECT_TRUE(has("AppliForEdit4"));
    EXPECT_FALSE(has("rp0"));
    EXPECT_FALSE(loaded().SettingsKeyMissing);
}

TEST_F(SettingsTest, RunTimeCountsUpFromTheStoredNumber)
{
    storeValues({{"RunTime", "34"}});
    EXPECT_EQ(loaded().RunTime, 35);
    storeValues({{"RunTime", "many"}});
    EXPECT_EQ(loaded().RunTime, 1);
    storeValues({{"RunTime", ""}});
    EXPECT_EQ(loaded().RunTime, 0);
}

TEST_F(SettingsTest, NumbersThatAreNoNumbersFallBackToTheirDefaults)
{
    storeValues({{"FontSize", "big"}, {"WindowWidth", "x"}, {"WindowHeight", "2000"}, {"WindowX", "?"},
                 {"LimitSizeForEffect", "lots"}, {"WordWrapFlag", "Nx"}, {"ColorBack", "$00FF0000"}});
    const SettingsRecord r = loaded();
    EXPECT_EQ(r.FontSize, 9);
    EXPECT_EQ(r.WindowWidth, 696);
    EXPECT_EQ(r.WindowHeight, 2000);
    EXPECT_EQ(r.WindowX, -10);
    EXPECT_EQ(r.LimitSizeForEffect, 524228);
    EXPECT_EQ(r.WordWrapFlag, 'N');
    EXPECT_EQ(r.ColorBack, 0xFF0000u);
}

TEST_F(SettingsTest, AShortFlagTextLeavesNulsBehindIt)
{
    storeValues({{"AppliSetFlags", "1101"}});
    SettingsRecord r = loaded();
    EXPECT_EQ(r.flagText(), "1101");
    for (int i = 4; i <= 16; ++i)
        EXPECT_TRUE(r.flag(i).isNull()) << i;
    EXPECT_FALSE(r.flagIs(Flag::ShowFileSelect, '0')); // the bar of position 4 stays shown

    storeValues({{"AppliSetFlags", ""}});
    EXPECT_EQ(loaded().flagText(), "");
    // Only 17 characters are copied; the rest of a long text is lost.
    storeValues({{"AppliSetFlags", "0123456789ABCDEFGHIJ"}});
    EXPECT_EQ(loaded().flagText(), "0123456789ABCDEFG");
}

TEST_F(SettingsTest, HistoryIsStoredOnlyWhereFilledAndComesBackWithItsGaps)
{
    SettingsRecord r = loaded();
    r.History.PreHistory[0] = "/a";
    r.History.PreHistory[2] = "/c";
    r.History.NextHistory[0] = "/n";
    r.History.FileNameNow = "/now";
    ASSERT_EQ(SaveSettings(r, store, true, "p"), SaveResult::Saved);
    EXPECT_TRUE(has("rp0"));
    EXPECT_FALSE(has("rp1"));
    EXPECT_TRUE(has("rp2"));
    EXPECT_TRUE(has("rn0"));

    const SettingsRecord back = loaded();
    EXPECT_EQ(back.History.PreHistory[0], "/a");
    EXPECT_TRUE(back.History.PreHistory[1].isEmpty());
    EXPECT_EQ(back.History.PreHistory[2], "/c");
    EXPECT_EQ(back.History.NextHistory[0], "/n");
    EXPECT_EQ(back.History.FileNameNow, "/now");
}

TEST_F(SettingsTest, FlagOneOffStoresNoHistoryButKeepsTheShownFile)
{
    storeValues({{"rp5", "/old"}, {"rn1", "/older"}});
    SettingsRecord r = loaded();
    r.setFlag(Flag::KeepHistory, QLatin1Char('0'));
    r.History.PreHistory[0] = "/a";
    r.History.FileNameNow = "/now";
    DeleteStoredHistory(r, store);
    ASSERT_EQ(SaveSettings(r, store, true, "p"), SaveResult::Saved);
    for (const char *name : {"rp0", "rp5", "rn1"})
        EXPECT_FALSE(has(name)) << name;
    EXPECT_EQ(stored("FileNameNow"), "/now");
}

TEST_F(SettingsTest, ThreePreviousFilesBecomeExactlyThreeValues)
{
    SettingsRecord r = loaded();
    r.History.PreHistory = {"/1", "/2", "/3"};
    DeleteStoredHistory(r, store);
    ASSERT_EQ(SaveSettings(r, store, true, "p"), SaveResult::Saved);
    QSettings s(path, QSettings::IniFormat);
    QStringList history;
    for (const QString &key : s.allKeys())
        if (key.startsWith("rp") || key.startsWith("rn"))
            history << key;
    history.sort();
    EXPECT_EQ(history, QStringList({"rp0", "rp1", "rp2"}));
}

TEST_F(SettingsTest, ANewWindowLeavesThePositionAlone)
{
    storeValues({{"WindowX", "40"}, {"WindowY", "30"}});
    SettingsRecord r = loaded();
    r.WindowX = 500;
    r.WindowY = 600;
    r.WindowWidth = 800;
    ASSERT_EQ(SaveSettings(r, store, false, "p"), SaveResult::Saved);
    EXPECT_EQ(stored("WindowX"), "40");
    EXPECT_EQ(stored("WindowY"), "30");
    EXPECT_EQ(stored("WindowWidth"), "800");
}

TEST_F(SettingsTest, UninstallRemovesTheKey)
{
    SettingsRecord r = loaded();
    ASSERT_EQ(SaveSettings(r, store, true, "p"), SaveResult::Saved);
    ASSERT_TRUE(QFile::exists(path));
    store.deleteKey();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(loaded().SettingsKeyMissing);
}

TEST(SettingsWrite, AFailingWriteStopsTheRestAndReportsIt)
{
    FailingStore failing(3);
    SettingsRecord r;
    EXPECT_EQ(SaveSettings(r, failing, true, "p"), SaveResult::WriteFailed);
    EXPECT_EQ(failing.written, QStringList({"AppliForEdit", "AppliForEdit2", "AppliForEdit3"}));
}

TEST(SettingsWrite, ValuesAreWrittenInTheStoredOrder)
{
    FailingStore recording(1000);
    SettingsRecord r;
    r.History.PreHistory[0] = "/a";
    ASSERT_EQ(SaveSettings(r, recording, true, "p"), SaveResult::Saved);
    const QStringList &w = recording.written;
    EXPECT_EQ(w.first(), "AppliForEdit");
    EXPECT_EQ(w.mid(w.indexOf("AppliForPrint"), 4),
              QStringList({"AppliForPrint", "AppliSetFlags", "WordWrapFlag", "LimitSizeForEffect"}));
    EXPECT_EQ(w.mid(w.indexOf("FileNameNow"), 3), QStringList({"FileNameNow", "rp0", "CopyMoveFolder"}));
    EXPECT_EQ(w.mid(w.size() - 5), QStringList({"WindowX", "WindowY", "Install", "Version", "RunTime"}));
}
