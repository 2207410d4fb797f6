#include "UiFixture.h"

#include "core/ColorText.h"
#include "resources/SettingsTexts.h"
#include "ui/SettingsDialog.h"
#include "ui/widgets/FilterComboBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

using Kind = Dialogs::Kind;

namespace {

constexpr std::uint32_t clInactiveCaption = ColorText::kSystemColorBase + 3;

// Every field the dialog can change, as one comparable list.
QStringList snapshot(const SettingsRecord &r)
{
    QStringList all{r.flagText(), ColorText::toText(r.ColorBack), ColorText::toText(r.ColorText), r.AppliForPrint};
    for (const auto *list : {&r.AppliForEdit, &r.AppliForEditN, &r.FilterName, &r.EditFilterB, &r.EditFilterU})
        for (const QString &s : *list)
            all << s;
    for (const auto *list : {&r.History.PreHistory, &r.History.NextHistory})
        for (const QString &s : *list)
            all << s;
    return all;
}

} // namespace

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsRecord record;
    ScriptedDialogs dialogs;
    bool debugVisible = false;
    std::unique_ptr<SettingsDialog> dialog;

    SettingsDialog &open()
    {
        dialog = std::make_unique<SettingsDialog>(
            SettingsDialogHost{record, dialogs, [this] { return debugVisible; }, [this] { debugVisible = true; }});
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        QApplication::setActiveWindow(dialog.get());
        return *dialog;
    }
    void pressOk() { QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton); }
    // Tabs away from a field, as leaving it by keyboard.
    void typeAndLeave(QLineEdit *field, const QString &text)
    {
        dialog->PageControl1->setCurrentWidget(field->parentWidget()->parentWidget());
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
};

TEST_F(SettingsDialogTest, OkWithoutChangesKeepsEveryPresetWithAndWithoutTheSwap)
{
    record.AppliForEdit = {QStringLiteral("/usr/bin/mousepad"), QString(), QStringLiteral("/opt/e3"), QString()};
    record.EditFilterU[1] = QStringLiteral("*.ini;");
    record.History.PreHistory[0] = QStringLiteral("/tmp/a.txt");
    struct Case {
        QRadioButton *SettingsDialog::*button;
        char preset;
    };
    const Case cases[] = {{&SettingsDialog::rbColor1, 'S'}, {&SettingsDialog::rbColor2, 'M'}, {&SettingsDialog::rbColor3, 'G'},
                          {&SettingsDialog::rbColor4, 'T'}, {&SettingsDialog::rbColor0, 'U'}};
    for (const Case &c : cases) {
        for (bool swap : {false, true}) {
            SCOPED_TRACE(std::string(1, c.preset) + (swap ? " swapped" : ""));
            // The view colours as this dialog sets them.
            SettingsDialog &first = open();
            if (c.preset == 'U') {
                dialogs.colorAnswers = {QColor(0x11, 0x22, 0x33), QColor(0xF0, 0xE0, 0xD0)};
                QTest::mouseClick(first.BitBtn3, Qt::LeftButton);
                QTest::mouseClick(first.BitBtn4, Qt::LeftButton);
            }
            (first.*c.button)->click();
            if (first.cbReverseColor->isChecked() != swap)
                first.cbReverseColor->click();
            pressOk();
            ASSERT_EQ(record.flag(Flag::ColorPreset), QLatin1Char(c.preset));
            ASSERT_EQ(record.flagIs(Flag::SwapColors, '1'), swap);
            const QStringList before = snapshot(record);

            SettingsDialog &second = open();
            EXPECT_TRUE((second.*c.button)->isChecked());
            EXPECT_EQ(second.cbReverseColor->isChecked(), swap);
            pressOk();
            EXPECT_EQ(snapshot(record), before);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsDialogTest, SwappedPresetShowsAndStoresTheSwappedColours)
{
    record.setFlag(Flag::ColorPreset, QLatin1Char('M'));
    record.setFlag(Flag::SwapColors, QLatin1Char('1'));
    SettingsDialog &d = open();
    EXPECT_EQ(d.previewBackground(), 0x00FFFFFFu); // MS-DOS: white on black, swapped
    EXPECT_EQ(d.previewText(), 0x00000000u);
    pressOk();
    EXPECT_EQ(record.ColorBack, 0x00FFFFFFu);
    EXPECT_EQ(record.ColorText, 0x00000000u);
}

TEST_F(SettingsDialogTest, AnotherPresetCharacterSelectsNoButtonAndIsKept)
{
    record.setFlag(Flag::ColorPreset, QLatin1Char('X'));
    record.ColorBack = 0x00102030u;
    record.ColorText = 0x00405060u;
    SettingsDialog &d = open();
    for (QRadioButton *b : {d.rbColor1, d.rbColor2, d.rbColor3, d.rbColor4, d.rbColor0})
        EXPECT_FALSE(b->isChecked());
    pressOk();
    EXPECT_EQ(record.flag(Flag::ColorPreset), QLatin1Char('X'));
    EXPECT_EQ(record.ColorBack, 0x00102030u);
    EXPECT_EQ(record.ColorText, 0x00405060u);
}

TEST_F(SettingsDialogTest, LeavingAnExtensionFieldEndsItWithASemicolon)
{
    SettingsDialog &d = open();
    typeAndLeave(d.EditFilterU[0], QStringLiteral("*.ini"));
    EXPECT_EQ(d.EditFilterU[0]->text(), QStringLiteral("*.ini;"));
    typeAndLeave(d.EditFilter[2], QStringLiteral("*.ini;"));
    EXPECT_EQ(d.EditFilter[2]->text(), QStringLiteral("*.ini;"));
    typeAndLeave(d.EditFilterU[3], QString());
    EXPECT_EQ(d.EditFilterU[3]->text(), QString());
    typeAndLeave(d.EditFilter[1], QStringLiteral("*.htm"));
    pressOk();
    EXPECT_EQ(record.EditFilterU[0], QStringLiteral("*.ini;"));
    EXPECT_EQ(record.EditFilterB[1], QStringLiteral("*.htm;"));
    EXPECT_TRUE(d.EditFilter[0]->testAttribute(Qt::WA_InputMethodEnabled) == false);
}

TEST_F(SettingsDialogTest, DeletionWarningOnlyWhenTheUserTicksBoth)
{
    record.setFlag(Flag::DeleteWithoutAsking, QLatin1Char('1'));
    record.setFlag(Flag::DeleteNonText, QLatin1Char('1'));
    SettingsDialog &both = open();
    EXPECT_TRUE(dialogs.messages.empty()); // opening with both on warns of nothing
    both.cbSafeFileDel->click();           // clearing one warns of nothing either
    EXPECT_TRUE(dialogs.messages.empty());
    both.cbSafeFileDel->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("警告"));
    EXPECT_EQ(dialogs.messages[0].kind, Kind::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("あなたは、ソフトウェアの必須ファイルを誤って削除")));
    EXPECT_TRUE(both.cbSafeFileDel->isChecked()); // advice only

    record.setFlag(Flag::DeleteWithoutAsking, QLatin1Char('0'));
    record.setFlag(Flag::DeleteNonText, QLatin1Char('0'));
    dialogs.messages.clear();
    SettingsDialog &none = open();
    none.cbSafeFileDel->click(); // one alone
    EXPECT_TRUE(dialogs.messages.empty());
    none.cbSafeNotOnlyText->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    pressOk();
    EXPECT_TRUE(record.flagIs(Flag::DeleteWithoutAsking, '1'));
    EXPECT_TRUE(record.flagIs(Flag::DeleteNonText, '1'));
}

TEST_F(SettingsDialogTest, ChoosingATextColourUnderTheStandardPresetSwitchesToTheUsersColours)
{
    record.setFlag(Flag::ColorPreset, QLatin1Char('S'));
    SettingsDialog &d = open();
    ASSERT_TRUE(d.rbColor1->isChecked());
    EXPECT_EQ(d.LabelFrontColor->text(), QStringLiteral("---"));
    dialogs.colorAnswers = {QColor(0x11, 0x22, 0x33)};
    QTest::mouseClick(d.BitBtn3, Qt::LeftButton);
    EXPECT_TRUE(d.rbColor0->isChecked());
    EXPECT_EQ(d.previewBackground(), clInactiveCaption); // the background panel's designed colour
    EXPECT_EQ(d.previewText(), 0x00332211u);
    EXPECT_EQ(d.LabelFrontColor->text(), QStringLiteral("$00332211"));
    pressOk();
    EXPECT_EQ(record.flag(Flag::ColorPreset), QLatin1Char('U'));
    EXPECT_EQ(record.ColorBack, clInactiveCaption);
    EXPECT_EQ(record.ColorText, 0x00332211u);

    dialogs.colorAnswers.clear(); // a cancelled colour dialog changes nothing
    SettingsDialog &again = open();
    QTest::mouseClick(again.BitBtn4, Qt::LeftButton);
    EXPECT_EQ(again.LabelBackColor->text(), QStringLiteral("---"));
    EXPECT_EQ(again.previewBackground(), clInactiveCaption);
}

TEST_F(SettingsDialogTest, ClearedHistoryStaysClearedAfterCancel)
{
    for (int i = 0; i < 10; ++i) {
        record.History.PreHistory[i] = QStringLiteral("/p%1").arg(i);
        record.History.NextHistory[i] = QStringLiteral("/n%1").arg(i);
    }
    record.FilterName[0] = QStringLiteral("名前");
    SettingsDialog &d = open();
    d.EditFilterName[0]->setText(QStringLiteral("変更"));
    QTest::mouseClick(d.BtnClearHistory, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("履歴情報をクリアしました。"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("報告"));
    EXPECT_EQ(dialogs.messages[0].kind, Kind::Notice);
    QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(record.History.PreHistory[i].isEmpty());
        EXPECT_TRUE(record.History.NextHistory[i].isEmpty());
    }
    EXPECT_EQ(record.FilterName[0], QStringLiteral("名前")); // nothing else copied back
}

TEST_F(SettingsDialogTest, EditorsTwoToFourAreStoredWhileGreyed)
{
    record.setFlag(Flag::UseEditors, QLatin1Char('0'));
    SettingsDialog &d = open();
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor window = QApplication::palette().color(QPalette::Base);
    EXPECT_EQ(d.EditEditApp[1]->palette().color(QPalette::Base), face);
    EXPECT_EQ(d.EditEditAppC[0]->palette().color(QPalette::Base), face);
    EXPECT_EQ(d.EditEditApp[0]->palette().color(QPalette::Base), window); // editor 1's path stays plain
    EXPECT_FALSE(d.LabelV[3]->isEnabled());
    for (int i = 1; i < 4; ++i) {
        EXPECT_TRUE(d.EditEditApp[i]->isEnabled());
        d.EditEditApp[i]->setText(QStringLiteral("/opt/editor%1").arg(i + 1));
        d.EditEditAppC[i]->setText(QStringLiteral("エディタ%1号").arg(i + 1));
    }
    pressOk();
    EXPECT_TRUE(record.flagIs(Flag::UseEditors, '0'));
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(record.AppliForEdit[i], QStringLiteral("/opt/editor%1").arg(i + 1));
        EXPECT_EQ(record.AppliForEditN[i], QStringLiteral("エディタ%1号").arg(i + 1));
    }

    SettingsDialog &ticked = open();
    ticked.cbUseEditors->click();
    EXPECT_EQ(ticked.EditEditApp[1]->palette().color(QPalette::Base), window);
    EXPECT_TRUE(ticked.LabelV[3]->isEnabled());
    ticked.cbUseEditors->click();
    EXPECT_EQ(ticked.EditEditApp[1]->palette().color(QPalette::Base), face);
    EXPECT_FALSE(ticked.LabelV[3]->isEnabled());
}

TEST_F(SettingsDialogTest, ControlsFollowTheFlagsBothWays)
{
    record.copyFlags(QStringLiteral("0011110110201000"));
    record.AppliForPrint = QStringLiteral("/usr/bin/lp");
    SettingsDialog &d = open();
    EXPECT_EQ(d.PageControl1->currentIndex(), 0);
    EXPECT_EQ(d.PageControl1->count(), 6);
    EXPECT_EQ(d.PageControl1->tabText(5), QStringLiteral("表示色"));
    EXPECT_FALSE(d.CheckBox1->isChecked());
    EXPECT_FALSE(d.CheckBox2->isChecked());
    EXPECT_TRUE(d.cbSafeFileDel->isChecked());
    EXPECT_FALSE(d.cbSafeNotOnlyText->isChecked());
    EXPECT_EQ(d.cbSelectTextFile->currentIndex(), 2);
    EXPECT_TRUE(d.cbUseEditors->isChecked());
    EXPECT_EQ(d.EditPrintApp->text(), QStringLiteral("/usr/bin/lp"));
    d.CheckBox1->click();
    d.cbSafeNotOnlyText->click();
    d.cbSelectTextFile->setCurrentIndex(0);
    pressOk();
    EXPECT_EQ(record.flagText().left(13), QStringLiteral("1011110111001"));

    record.setFlag(Flag::AllTextLists, QLatin1Char('7')); // any other character reads as entry 1
    SettingsDialog &other = open();
    EXPECT_EQ(other.cbSelectTextFile->currentIndex(), 1);
}

TEST_F(SettingsDialogTest, BrowseButtonsFillTheirOwnFields)
{
    SettingsDialog &d = open();
    dialogs.fileAnswers = {QStringLiteral("/usr/bin/mousepad"), QStringLiteral("/usr/bin/lp")};
    QTest::mouseClick(d.BtnForFileViewE[2], Qt::LeftButton);
    QTest::mouseClick(d.BtnForFileView2, Qt::LeftButton);
    QTest::mouseClick(d.BtnForFileViewE[0], Qt::LeftButton); // cancelled
    EXPECT_EQ(d.EditEditApp[2]->text(), QStringLiteral("/usr/bin/mousepad"));
    EXPECT_EQ(d.EditPrintApp->text(), QStringLiteral("/usr/bin/lp"));
    EXPECT_EQ(d.EditEditApp[0]->text(), QString());
    ASSERT_EQ(dialogs.fileRequests.size(), 3u);
    EXPECT_EQ(dialogs.fileRequests[0].title, QStringLiteral("ファイルを開く"));
    EXPECT_EQ(dialogs.fileRequests[0].filters.value(0).left(8), QStringLiteral("アプリケーション"));
    EXPECT_EQ(dialogs.fileRequests[0].selectedFilter, 0);
}

TEST_F(SettingsDialogTest, RenameButtonsMakeTheNameFieldLookEditable)
{
    SettingsDialog &d = open();
    d.PageControl1->setCurrentIndex(1);
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(d.EditFilterName[2]->palette().color(QPalette::Base), face);
    QTest::mouseClick(d.BtnRen[2], Qt::LeftButton);
    EXPECT_TRUE(d.EditFilterName[2]->hasFocus());
    EXPECT_EQ(d.EditFilterName[2]->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    QTest::keyClick(d.EditFilterName[2], Qt::Key_Tab);
    EXPECT_EQ(d.EditFilterName[2]->palette().color(QPalette::Base), face);
}

// The dialog opened from the main window, and what the window does afterwards.
class SettingsFromMainWindowTest : public UiFixture {
protected:
    void withDialog(const std::function<void(SettingsDialog &)> &inside)
    {
        EXPECT_TRUE(withModal<SettingsDialog>([this] { action(QStringLiteral("ActionOpenAppSetDialog"))->trigger(); }, inside))
            << "the settings dialog was not shown";
    }
};

TEST_F(SettingsFromMainWindowTest, ChangedFileTypesResetTheFilterListUnchangedKeepIt)
{
    MainWindow &w = start();
    FilterComboBox *filter = named<FilterComboBox>(QStringLiteral("FilterComboBox1"));
    filter->setCurrentIndex(2);
    withDialog([](SettingsDialog &d) { d.BitBtn1->click(); });
    EXPECT_EQ(filter->currentIndex(), 2);
    withDialog([](SettingsDialog &d) {
        d.EditFilterName[1]->setText(QStringLiteral("ウェブ"));
        d.BitBtn1->click();
    });
    EXPECT_EQ(filter->currentIndex(), 0);
    EXPECT_TRUE(filter->itemText(1).startsWith(QStringLiteral("ウェブ(")));
    filter->setCurrentIndex(3);
    withDialog([](SettingsDialog &d) {
        d.EditFilter[0]->setText(QStringLiteral("*.txt;*.md;"));
        d.BitBtn2->click(); // cancelled: the record and so the list stay
    });
    EXPECT_EQ(filter->currentIndex(), 3);
}

TEST_F(SettingsFromMainWindowTest, DebugButtonShowsTheDebugMenuForTheRun)
{
    MainWindow &w = start();
    ASSERT_FALSE(named<QMenu>(QStringLiteral("MenuDebug"))->menuAction()->isVisible());
    withDialog([this](SettingsDialog &d) {
        EXPECT_TRUE(d.BtnForDebugMode->isEnabled());
        d.BtnForDebugMode->click();
        expectOnlyMessage(QStringLiteral("デバッグメニューを有効にしました。"), QStringLiteral("Orlimbo"), Kind::Plain);
        d.BitBtn2->click();
    });
    EXPECT_TRUE(named<QMenu>(QStringLiteral("MenuDebug"))->menuAction()->isVisible());
    withDialog([](SettingsDialog &d) { EXPECT_FALSE(d.BtnForDebugMode->isEnabled()); });
}

TEST_F(SettingsFromMainWindowTest, OkAppliesTheColoursToTheView)
{
    MainWindow &w = start({writeText(QStringLiteral("c.txt"), QStringLiteral("色"))});
    withDialog([](SettingsDialog &d) {
        d.rbColor2->click();
        d.BitBtn1->click();
    });
    EXPECT_EQ(w.settings().ColorBack, 0x00000000u);
    EXPECT_EQ(w.settings().ColorText, 0x00FFFFFFu);
    EXPECT_EQ(view()->palette().color(QPalette::Base), QColor(Qt::black));
}

// The file list orders numbers by value until the box on the file-type page is cleared (its
// access key is its own there); the choice is stored and holds at the next start.
TEST_F(SettingsFromMainWindowTest, NumbersInNamesAreOrderedByValueUntilTheBoxIsCleared)
{
    for (const char *name : {"10.txt", "2.txt", "1.txt"}) {
        writeText(QLatin1String(name), QStringLiteral("x"));
        QDir(filesDir.path()).mkdir(QLatin1String(name).chopped(4));
    }
    start({filesDir.path()});
    const QStringList natural{QStringLiteral("1.txt"), QStringLiteral("2.txt"), QStringLiteral("10.txt")};
    const QStringList plain{QStringLiteral("1.txt"), QStringLiteral("10.txt"), QStringLiteral("2.txt")};
    // The subfolders below the current folder's row, named as the files without ".txt".
    const auto folders = [this] {
        QStringList names;
        const auto *list = named<QListWidget>(QStringLiteral("DirectoryListBox1"));
        for (int i = list->count() - 3; i < list->count(); ++i)
            names << list->item(i)->text().trimmed() + QStringLiteral(".txt");
        return names;
    };
    EXPECT_EQ(folders(), natural);
    EXPECT_EQ(listed(), natural);
    withDialog([](SettingsDialog &d) {
        d.PageControl1->setCurrentIndex(1);
        ASSERT_TRUE(d.cbNaturalSort->isVisible()); // on the file-type page
        EXPECT_EQ(d.cbNaturalSort->text(), QStringLiteral("数字を数値として並べる(&U)"));
        EXPECT_TRUE(d.cbNaturalSort->isChecked());
        // Its access key is the only U among the buttons and groups in sight.
        QStringList keys;
        for (const QWidget *c : d.findChildren<QWidget *>()) {
            const auto *b = qobject_cast<const QAbstractButton *>(c);
            const auto *g = qobject_cast<const QGroupBox *>(c);
            if (c->isVisible() && (b || g))
                keys << QKeySequence::mnemonic(b ? b->text() : g->title()).toString();
        }
        EXPECT_EQ(keys.count(QStringLiteral("Alt+U")), 1) << keys.join(QLatin1Char(' ')).toStdString();
        d.cbNaturalSort->click();
        d.BitBtn1->click();
    });
    EXPECT_EQ(listed(), plain);
    EXPECT_EQ(folders(), plain);
    restart({filesDir.path()});
    EXPECT_EQ(stored("NaturalSort"), QStringLiteral("0"));
    EXPECT_EQ(listed(), plain);
}

// Remembering reading places is ticked on the first page until the reader clears it; the
// choice is stored and holds at the next start.
TEST_F(SettingsFromMainWindowTest, RememberingReadingPlacesIsOnTheFirstPageAndStored)
{
    start({filesDir.path()});
    withDialog([](SettingsDialog &d) {
        ASSERT_EQ(d.PageControl1->currentIndex(), 0);
        ASSERT_TRUE(d.cbRememberPosition->isVisible());
        EXPECT_EQ(d.cbRememberPosition->text(), QStringLiteral("閲覧位置をファイルごとに記憶する(&M)"));
        EXPECT_TRUE(d.cbRememberPosition->isChecked());
        d.cbRememberPosition->click();
        d.BitBtn1->click();
    });
    EXPECT_FALSE(form->settings().RememberPosition);
    restart({filesDir.path()});
    EXPECT_EQ(stored("RememberPosition"), QStringLiteral("0"));
    withDialog([](SettingsDialog &d) { EXPECT_FALSE(d.cbRememberPosition->isChecked()); });
}
