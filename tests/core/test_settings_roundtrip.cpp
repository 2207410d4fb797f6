#include "core/ColorText.h"
#include "core/SettingsRecord.h"
#include "platform/QSettingsStore.h"

#include <QSettings>
#include <QTemporaryDir>

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

// Every stored field comes back as it was written: a value read under one name and written
// under another would come back as its default.
TEST(SettingsRoundTrip, EveryStoredFieldComesBackUnderItsOwnName)
{
    QTemporaryDir dir;
    QSettingsStore store{dir.filePath("brennick/Skimlet.conf")};
    SettingsRecord out;
    for (int i = 0; i < 4; ++i) {
        out.AppliForEdit[i] = QStringLiteral("/opt/editor%1").arg(i);
        out.AppliForEditN[i] = QStringLiteral("表示%1").arg(i);
        out.FilterName[i] = QStringLiteral("種類%1").arg(i);
        out.EditFilterB[i] = QStringLiteral("*.b%1;").arg(i);
        out.EditFilterU[i] = QStringLiteral("*.u%1;").arg(i);
    }
    out.AppliForPrint = QStringLiteral("/usr/bin/lp");
    out.copyFlags(QStringLiteral("0100110111211U1"));
    out.WordWrapFlag = QLatin1Char('N');
    out.LimitSizeForEffect = 1234;
    out.History.FileNameNow = QStringLiteral("/tmp/now.txt");
    for (int i = 0; i < BrowsingHistory::kSize; ++i) {
        out.History.PreHistory[i] = QStringLiteral("/p/%1").arg(i);
        out.History.NextHistory[i] = QStringLiteral("/n/%1").arg(i);
    }
    out.CopyMoveFolder = QStringLiteral("/copy/to/");
    out.FontName = QStringLiteral("IPAGothic");
    out.FontSize = 17;
    out.ColorText = 0x00123456u;
    out.ColorBack = ColorText::kSystemColorBase + 24;
    out.WindowWidth = 801;
    out.WindowHeight = 602;
    out.WindowX = 33;
    out.WindowY = 44;
    out.RunTime = 7;
    out.TextEncoding = QLatin1Char('J');
    out.NaturalSort = false; // the default is true
    out.RememberPosition = false; // the default is true
    out.SearchFolder = true;
    ASSERT_EQ(SaveSettings(out, store, true, QStringLiteral("/opt/orlimbo")), SaveResult::Saved);

    SettingsRecord in;
    LoadSettings(in, store);
    EXPECT_FALSE(in.SettingsKeyMissing);
    EXPECT_EQ(in.AppliForEdit, out.AppliForEdit);
    EXPECT_EQ(in.AppliForEditN, out.AppliForEditN);
    EXPECT_EQ(in.FilterName, out.FilterName);
    EXPECT_EQ(in.EditFilterB, out.EditFilterB);
    EXPECT_EQ(in.EditFilterU, out.EditFilterU);
    EXPECT_EQ(in.AppliForPrint, out.AppliForPrint);
    EXPECT_EQ(in.flagText(), out.flagText());
    EXPECT_EQ(in.WordWrapFlag, out.WordWrapFlag);
    EXPECT_EQ(in.LimitSizeForEffect, out.LimitSizeForEffect);
    EXPECT_EQ(in.History.FileNameNow, out.History.FileNameNow);
    EXPECT_EQ(in.History.PreHistory, out.History.PreHistory);
    EXPECT_EQ(in.History.NextHistory, out.History.NextHistory);
    EXPECT_EQ(in.CopyMoveFolder, out.CopyMoveFolder);
    EXPECT_EQ(in.FontName, out.FontName);
    EXPECT_EQ(in.FontSize, out.FontSize);
    EXPECT_EQ(in.ColorText, out.ColorText);
    EXPECT_EQ(in.ColorBack, out.ColorBack);
    EXPECT_EQ(in.WindowWidth, out.WindowWidth);
    EXPECT_EQ(in.WindowHeight, out.WindowHeight);
    EXPECT_EQ(in.WindowX, out.WindowX);
    EXPECT_EQ(in.WindowY, out.WindowY);
    EXPECT_EQ(in.TextEncoding, out.TextEncoding);
    EXPECT_EQ(in.NaturalSort, out.NaturalSort);
    EXPECT_EQ(in.RememberPosition, out.RememberPosition);
    EXPECT_EQ(in.SearchFolder, out.SearchFolder);
    EXPECT_EQ(in.RunTime, out.RunTime + 1); // a start that finds the count counts itself
    QSettings raw(dir.filePath("brennick/Skimlet.conf"), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Install").toString(), QStringLiteral("/opt/orlimbo"));
    EXPECT_EQ(raw.value("Version").toString(), QStringLiteral("1.40"));
}
