#include "UiFixture.h"

#include "core/FileFilter.h"
#include "core/PathForm.h"
#include "platform/FileSystem.h"
#include "resources/ExternalTexts.h"
#include "resources/PrintTexts.h"
#include "ui/SettingsDialog.h"
#include "ui/PrintDialog.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <functional>

using Kind = Dialogs::Kind;
using Answer = Dialogs::Answer;

namespace {

using TestFiles::contents;

} // namespace

class ExternalTest : public UiFixture {
protected:
    const QString text = QStringLiteral("一行目\nsecond line\n");
    QString viewed;

    // Shows a file whose name has blanks in it.
    MainWindow &startViewing()
    {
        viewed = writeText(QStringLiteral("a b c.txt"), text);
        return start({viewed});
    }
    // A file standing for an installed program; the recording shell never runs it.
    QString program(const QString &name)
    {
        return writeText(name, QStringLiteral("#!/bin/sh\n"), programDir.filePath(QStringLiteral("bin dir")));
    }
    // Presses Ctrl+P and runs `inDialog` on the print dialog once it is up, cancelling the
    // dialog if it is still open after that.
    void printWith(const std::function<void(PrintDialog &)> &inDialog)
    {
        activate();
        EXPECT_TRUE(withModal<PrintDialog>([this] { QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier); },
                                          inDialog))
            << "the print dialog was not shown";
    }
    // A command key; the window is made active again first, as a closed dialog leaves it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        activate();
        QTest::keyClick(form.get(), key, modifiers);
    }
    void activate()
    {
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
};

TEST_F(ExternalTest, NoEditorSetUsesThePlainTextEditorOrSaysThereIsNone)
{
    shell.editor = QStringLiteral("/usr/bin/mousepad");
    startViewing();
    press(Qt::Key_E);
    EXPECT_TRUE(dialogs.messages.empty());
    expectLaunches({{QStringLiteral("start"), QStringLiteral("/usr/bin/mousepad"), {viewed}}});

    shell.launches.clear();
    shell.editor.clear();
    press(Qt::Key_E);
    takeOnlyMessage(ExternalTexts::kNoEditorText, ExternalTexts::kNoEditorCaption, Kind::Notice);
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ExternalTest, AMissingEditorOffersThePlainTextEditorInstead)
{
    storeValues({{"AppliForEdit", filesDir.filePath(QStringLiteral("gone/editor"))}});
    shell.editor = QStringLiteral("/usr/bin/gedit");
    startViewing();

    press(Qt::Key_E); // Yes is the default
    takeOnlyMessage(ExternalTexts::kEditorMissingText, ExternalTexts::kEditorMissingCaption,
                      Kind::QuestionAfterFailure);
    expectLaunches({{QStringLiteral("start"), QStringLiteral("/usr/bin/gedit"), {viewed}}});

    shell.launches.clear();
    dialogs.answers = {Answer::No};
    press(Qt::Key_E);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(shell.launches.empty());

    // Yes, but no plain-text editor either.
    dialogs.messages.clear();
    shell.editor.clear();
    dialogs.answers = {Answer::Yes};
    press(Qt::Key_E);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    expectMessage(1, ExternalTexts::kNotepadFailedText, ExternalTexts::kNotepadFailedCaption, Kind::Failure);
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ExternalTest, EachEditorEntryStartsItsEditorWithThePathAsOneArgument)
{
    const QString one = program(QStringLiteral("editor one"));
    const QString three = program(QStringLiteral("editor three"));
    storeValues({{"AppliForEdit", one}, {"AppliForEdit3", three}});
    MainWindow &w = startViewing();

    action(QStringLiteral("PopupEditor3"))->trigger();
    named<QToolButton>(QStringLiteral("ToolButton10"))->click();
    action(QStringLiteral("PopupEditor1"))->trigger();
    expectLaunches({{QStringLiteral("start"), three, {viewed}},
                    {QStringLiteral("start"), one, {viewed}},
                    {QStringLiteral("start"), one, {viewed}}});
    EXPECT_TRUE(dialogs.messages.empty());

    // Editor 2 is not set: the plain-text editor stands in, without a question.
    shell.launches.clear();
    shell.editor = QStringLiteral("/opt/my editor/bin/xed");
    action(QStringLiteral("PopupEditor2"))->trigger();
    expectLaunches({{QStringLiteral("start"), QStringLiteral("/opt/my editor/bin/xed"), {viewed}}});
}

TEST_F(ExternalTest, TheEditorMenuFollowsTheSettings)
{
    storeValues({{"AppliForEdit2", QStringLiteral("/opt/hidemaru")},
                 {"AppliForEditN2", QStringLiteral("秀丸")},
                 {"AppliForEditN", QStringLiteral("メイン")}});
    MainWindow &w = startViewing();
    EXPECT_EQ(action(QStringLiteral("PopupEditor1"))->text(), QStringLiteral("メイン"));
    EXPECT_EQ(action(QStringLiteral("PopupEditor2"))->text(), QStringLiteral("秀丸"));
    EXPECT_EQ(action(QStringLiteral("PopupEditor3"))->text(), QStringLiteral("エディタ3"));
    EXPECT_TRUE(action(QStringLiteral("PopupEditor1"))->isVisible());
    EXPECT_TRUE(action(QStringLiteral("PopupEditor2"))->isVisible());
    EXPECT_FALSE(action(QStringLiteral("PopupEditor3"))->isVisible());
    EXPECT_FALSE(action(QStringLiteral("PopupEditor4"))->isVisible());
    // Flag 12 is "0" by default: a plain button.
    EXPECT_EQ(named<QToolButton>(QStringLiteral("ToolButton10"))->menu(), nullptr);

    // A right click opens the editor menu all the same.
    const QPoint inside = named<QToolButton>(QStringLiteral("ToolButton10"))->rect().center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, inside, named<QToolButton>(QStringLiteral("ToolButton10"))->mapToGlobal(inside));
    QApplication::sendEvent(named<QToolButton>(QStringLiteral("ToolButton10")), &rightClick);
    EXPECT_TRUE(named<QMenu>(QStringLiteral("PopupMenuEditor"))->isVisible());
    named<QMenu>(QStringLiteral("PopupMenuEditor"))->hide();

    EXPECT_TRUE(withModal<SettingsDialog>([this] { action(QStringLiteral("ActionOpenAppSetDialog"))->trigger(); },
                                       [](SettingsDialog &d) {
                                           d.cbUseEditors->setChecked(true);
                                           d.EditEditApp[1]->clear();
                                           d.BitBtn1->click();
                                       }));
    EXPECT_EQ(named<QToolButton>(QStringLiteral("ToolButton10"))->menu(), named<QMenu>(QStringLiteral("PopupMenuEditor")));
    EXPECT_EQ(named<QToolButton>(QStringLiteral("ToolButton10"))->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_FALSE(action(QStringLiteral("PopupEditor2"))->isVisible());
}

TEST_F(ExternalTest, PrintingWithAMissingPrintApplicationOffersOnlyThePlainTextChoice)
{
    const QString missing = filesDir.filePath(QStringLiteral("gone/print.exe"));
    storeValues({{"AppliForPrint", missing}});
    shell.spooler = QStringLiteral("/usr/bin/lp");
    startViewing();

    printWith([&](PrintDialog &f) {
        EXPECT_EQ(f.windowTitle(), PrintTexts::kCaption);
        EXPECT_EQ(f.EditFilePath->text(), viewed);
        EXPECT_TRUE(f.EditFilePath->isReadOnly());
        EXPECT_EQ(f.EditPrintSoft->text(), missing);
        EXPECT_FALSE(f.RadioApp->isEnabled());
        EXPECT_TRUE(f.RadioNotepad->isChecked());
        EXPECT_EQ(f.focusWidget(), f.BitBtn1);
        EXPECT_TRUE(f.BitBtn1->isDefault());
        f.BitBtn1->click();
    });
    EXPECT_TRUE(dialogs.messages.empty());
    expectLaunches({{QStringLiteral("start"), QStringLiteral("/usr/bin/lp"), {viewed}}});

    // No print spooler to be found.
    shell.launches.clear();
    shell.spooler.clear();
    printWith([](PrintDialog &f) { f.BitBtn1->click(); });
    takeOnlyMessage(ExternalTexts::kNoNotepadForPrintText, ExternalTexts::kNoNotepadForPrintCaption, Kind::Notice);
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ExternalTest, PrintingWithThePrintApplicationCancellingAndNoChoice)
{
    const QString printer = program(QStringLiteral("print app"));
    storeValues({{"AppliForPrint", printer}});
    startViewing();

    printWith([](PrintDialog &f) {
        EXPECT_TRUE(f.RadioApp->isEnabled());
        EXPECT_TRUE(f.RadioApp->isChecked());
        f.BitBtn1->click();
    });
    expectLaunches({{QStringLiteral("start"), printer, {QStringLiteral("/p"), viewed}}});

    shell.launches.clear();
    printWith([](PrintDialog &f) { f.BitBtn2->click(); });
    EXPECT_TRUE(shell.launches.empty());

    // With neither choice checked the dialog asks for one and stays open.
    bool stillOpen = false;
    printWith([&stillOpen](PrintDialog &f) {
        for (QRadioButton *r : {f.RadioApp, f.RadioNotepad}) {
            r->setAutoExclusive(false);
            r->setChecked(false);
        }
        f.BitBtn1->click();
        stillOpen = f.isVisible();
    });
    EXPECT_TRUE(stillOpen);
    takeOnlyMessage(PrintTexts::kChooseText, PrintTexts::kCaption, Kind::Notice);
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ExternalTest, PrintingAVanishedFileIsRefused)
{
    startViewing();
    QFile::remove(viewed);
    // No print dialog comes up; should one come up after all, it is closed again.
    activate();
    EXPECT_FALSE(withModal<QDialog>([this] { QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier); },
                                    [](QDialog &) {}));
    takeOnlyMessage(ExternalTexts::kNothingToPrintText, ExternalTexts::kNothingToPrintCaption, Kind::Warning);
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ExternalTest, SaveAsReplacesAnExistingFileAndTheViewShowsIt)
{
    const QString target = writeText(QStringLiteral("old.txt"), QStringLiteral("old content that is longer"));
    MainWindow &w = startViewing();
    named<FilterComboBox>(QStringLiteral("FilterComboBox1"))->setCurrentIndex(2);
    dialogs.fileAnswers = {target};
    press(Qt::Key_S);

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const ScriptedDialogs::FileRequest &request = dialogs.fileRequests[0];
    EXPECT_EQ(request.title, ExternalTexts::kSaveDialogTitle);
    EXPECT_EQ(request.folder, named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory());
    EXPECT_EQ(request.filters, dialogFilters(named<FilterComboBox>(QStringLiteral("FilterComboBox1"))->entries()));
    EXPECT_EQ(request.selectedFilter, 2);

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(contents(target), QByteArray("\x88\xea\x8d\x73\x96\xda\r\nsecond line\r\n"));
    EXPECT_EQ(w.FileNameNow(), target);
    EXPECT_EQ(w.settings().History.PreHistory[0], viewed);
    EXPECT_EQ(viewText(), text);
    EXPECT_EQ(named<PathComboBox>(QStringLiteral("FilePathBox"))->currentText(), target);
}

TEST_F(ExternalTest, SaveAsStartsAtTheViewedFileAndTheListThenSelectsTheSavedFile)
{
    const QString other = filesDir.filePath(QStringLiteral("other"));
    writeText(QStringLiteral("x.txt"), QStringLiteral("x"), other);
    MainWindow &w = startViewing();
    // The list walked elsewhere: the dialog still starts beside the viewed file, with its name.
    dialogs.folderAnswers = {other};
    action(QStringLiteral("ActionFolderOpen"))->trigger();
    ASSERT_EQ(named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory(), other + QLatin1Char('/'));
    // A new file with a code page 932 name: listed after the save under its decoded name.
    const QString target = PathForm::fromNative(QFile::encodeName(filesDir.path()) + "/\x82\xa0.txt");
    dialogs.fileAnswers = {target};
    press(Qt::Key_S);

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].folder, filesDir.path() + QLatin1Char('/'));
    EXPECT_EQ(dialogs.fileRequests[0].name, QStringLiteral("a b c.txt"));
    EXPECT_EQ(w.FileNameNow(), target);
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("a b c.txt"), QStringLiteral("あ.txt")}));
    EXPECT_EQ(fileList()->selectedPath(), target);
    EXPECT_EQ(fileList()->currentItem()->text(), QStringLiteral("あ.txt"));
    FileSystem::removeIfExists(target); // QTemporaryDir cannot remove what it cannot name
}

TEST_F(ExternalTest, SaveAsWritesTheTextAsDisplayedWithLineNumbers)
{
    MainWindow &w = startViewing();
    action(QStringLiteral("ActionNumbering"))->trigger();
    const QString numbered = viewText();
    ASSERT_TRUE(numbered.startsWith(QStringLiteral("0001 一行目\n0002 second")));
    const QString target = filesDir.filePath(QStringLiteral("numbered.txt"));
    dialogs.fileAnswers = {target};
    press(Qt::Key_S);
    EXPECT_EQ(contents(target), Cp932::encode(numbered));
    EXPECT_EQ(w.FileNameNow(), target);
    EXPECT_EQ(viewText(), numbered);
    EXPECT_FALSE(action(QStringLiteral("ActionNumbering"))->isChecked()); // the saved file is shown as it is
}

TEST_F(ExternalTest, AFailedSaveKeepsTheOldFileAndLoadsNothing)
{
    const QString locked = writeText(QStringLiteral("locked.txt"), QStringLiteral("keep me"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    MainWindow &w = startViewing();
    dialogs.fileAnswers = {locked};
    press(Qt::Key_S);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, Kind::Failure);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(locked + QStringLiteral("\n\n")));
    EXPECT_GT(dialogs.messages[0].text.size(), locked.size() + 2); // the platform's reason follows
    EXPECT_EQ(contents(locked), "keep me");
    EXPECT_EQ(w.FileNameNow(), viewed);
    EXPECT_EQ(viewText(), text);
}

TEST_F(ExternalTest, SaveAsWithNothingToSaveOrCancelled)
{
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    press(Qt::Key_S);
    takeOnlyMessage(ExternalTexts::kNothingToSaveText, ExternalTexts::kSaveCaption, Kind::Warning);
    EXPECT_TRUE(dialogs.fileRequests.empty());

    viewed = writeText(QStringLiteral("v.txt"), text);
    chooseFile(viewed);
    press(Qt::Key_S); // the dialog is cancelled
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(filesDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("v.txt")});
    EXPECT_EQ(w.FileNameNow(), viewed);
}

TEST_F(ExternalTest, ShellOpenTakesAnExistingFileOrALowerCaseWebAddress)
{
    MainWindow &w = startViewing();
    auto openAddress = [this](const QString &address) {
        named<PathComboBox>(QStringLiteral("FilePathBox"))->setEditText(address);
        action(QStringLiteral("ActionExport"))->setEnabled(true);
        action(QStringLiteral("ActionExport"))->trigger();
    };
    openAddress(QStringLiteral("HTTP://example.com/"));
    openAddress(QStringLiteral(" http://example.com/"));
    openAddress(filesDir.filePath(QStringLiteral("missing.txt")));
    EXPECT_TRUE(shell.launches.empty());

    openAddress(QStringLiteral("http://example.com/a b"));
    openAddress(viewed);
    expectLaunches({{QStringLiteral("open"), QStringLiteral("http://example.com/a b"), {}},
                    {QStringLiteral("open"), viewed, {}}});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExternalTest, TheExplorerCommandOpensTheListedFolder)
{
    const QString folder = filesDir.filePath(QStringLiteral("some folder"));
    QDir().mkpath(folder);
    MainWindow &w = start({QStringLiteral("/n"), folder});
    press(Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    expectLaunches({{QStringLiteral("explore"), named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory(), {}}});
    EXPECT_EQ(named<DirectoryListBox>(QStringLiteral("DirectoryListBox1"))->directory(), folder + QLatin1Char('/'));
}
