#include "UiFixture.h"

#include "platform/Desktop.h"
#include "resources/MainTexts.h"
#include "ui/widgets/DriveComboBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QKeySequence>
#include <QLayout>
#include <QToolButton>
#include <QWheelEvent>

#include <functional>

using Kind = Dialogs::Kind;

class ViewTest : public UiFixture {
protected:
    MainWindow &startWith(const QString &text)
    {
        return start({writeText(QStringLiteral("t.txt"), text)});
    }
};

TEST_F(ViewTest, StackedEffectsComeOffTogether)
{
    MainWindow &w = startWith(QStringLiteral("a b <i>c</i>\nd"));
    action(QStringLiteral("ActionNoSpace"))->trigger();
    EXPECT_EQ(viewText(), QStringLiteral("ab<i>c</i>\nd"));
    EXPECT_TRUE(action(QStringLiteral("ActionNoSpace"))->isChecked());
    EXPECT_TRUE(named<QToolButton>(QStringLiteral("ToolButton13"))->isChecked());
    EXPECT_TRUE(action(QStringLiteral("StyleNoSpace"))->isChecked());
    named<QToolButton>(QStringLiteral("ToolButton14"))->click();
    EXPECT_EQ(viewText(), QStringLiteral("abc\nd"));
    EXPECT_TRUE(action(QStringLiteral("ActionNoHtmlTag"))->isChecked());

    action(QStringLiteral("StyleNoSpace"))->trigger(); // turning one off restores the text and clears every mark
    EXPECT_EQ(viewText(), QStringLiteral("a b <i>c</i>\nd"));
    EXPECT_FALSE(action(QStringLiteral("ActionNoSpace"))->isChecked());
    EXPECT_FALSE(action(QStringLiteral("ActionNoHtmlTag"))->isChecked());
    EXPECT_FALSE(named<QToolButton>(QStringLiteral("ToolButton14"))->isChecked());
    EXPECT_EQ(view()->selectionStart(), 0);
    EXPECT_FALSE(QFile::exists(programDir.filePath(QStringLiteral("FORWORK.TMP"))));
    EXPECT_FALSE(QFile::exists(programDir.filePath(QStringLiteral("EFFECT.TMP"))));
}

TEST_F(ViewTest, NoLineBreaksSwitchesWrappingWhichStaysAfterwards)
{
    storeValues({{"WordWrapFlag", QStringLiteral("N")}, {"AppliSetFlags", QStringLiteral("111111C0001000S0")}});
    MainWindow &w = startWith(QStringLiteral("one\ntwo\n"));
    ASSERT_FALSE(view()->wraps());
    QTest::keyClick(&w, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(viewText(), QStringLiteral("onetwo"));
    EXPECT_TRUE(view()->wraps());
    EXPECT_EQ(w.settings().WordWrapFlag, 'R');
    EXPECT_TRUE(action(QStringLiteral("ActionWrapSide"))->isChecked());
    QTest::keyClick(&w, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(viewText(), QStringLiteral("one\ntwo\n"));
    EXPECT_TRUE(view()->wraps());
}

TEST_F(ViewTest, NotesComeBeforeEffectsThatMeanLittle)
{
    MainWindow &w = startWith(QStringLiteral("a\n\nb\n"));
    action(QStringLiteral("ActionNoCRLF"))->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    action(QStringLiteral("ActionNumbering"))->trigger();
    expectOnlyMessage(QStringLiteral("改行が無視されていますので、１行しか存在しません。（＾＾;）"),
                      QStringLiteral("無意味だと思われる操作の実行前解説"), Kind::Notice);
    EXPECT_EQ(viewText(), QStringLiteral("0001 ab")); // applied anyway

    action(QStringLiteral("ActionNoTFS"))->trigger(); // N is on: its note wins over C's
    ASSERT_EQ(dialogs.messages.size(), 2u);
    expectMessage(1, QStringLiteral("行番号が付加されていますので、空白行は存在しないと思います。（＾＾;）"),
                  QStringLiteral("無意味だと思われる操作の実行前解説"), Kind::Notice);
    EXPECT_TRUE(view()->isEmpty());
    EXPECT_TRUE(action(QStringLiteral("ActionNoTFS"))->isChecked());
}

TEST_F(ViewTest, LargeTextsAskAndLongerOnesLoseTheirButtons)
{
    // 524289 bytes asks before the effect, No (the default) leaves everything as it was.
    MainWindow &w = startWith(QString(524289, QLatin1Char('x')));
    action(QStringLiteral("ActionNoSpace"))->trigger();
    expectOnlyMessage(MainTexts::kLargeEffectText, QStringLiteral("確認"), Kind::Confirm);
    EXPECT_FALSE(action(QStringLiteral("ActionNoSpace"))->isChecked());
    EXPECT_FALSE(named<QToolButton>(QStringLiteral("ToolButton13"))->isEnabled()); // above the 524228 limit
    EXPECT_FALSE(action(QStringLiteral("StyleNoSpace"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("ActionNoSpace"))->isEnabled()); // the key still reaches the command

    // 524288 bytes does not ask, but is still above the limit for the buttons.
    chooseFile(writeText(QStringLiteral("b.txt"), QString(524287, QLatin1Char('y')) + QLatin1Char(' ')));
    EXPECT_FALSE(named<QToolButton>(QStringLiteral("ToolButton13"))->isEnabled());
    action(QStringLiteral("ActionNoSpace"))->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(view()->byteLength(), 524287);
    EXPECT_TRUE(action(QStringLiteral("ActionNoSpace"))->isChecked());

    // At the limit itself everything is offered.
    chooseFile(writeText(QStringLiteral("c.txt"), QString(524228, QLatin1Char('z'))));
    EXPECT_TRUE(named<QToolButton>(QStringLiteral("ToolButton13"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("StyleNoSpace"))->isEnabled());
    EXPECT_FALSE(action(QStringLiteral("ActionNoSpace"))->isChecked()); // the load cleared the effect
}

TEST_F(ViewTest, WorkFileFailuresLeaveTheViewAlone)
{
    MainWindow &w = startWith(QStringLiteral("a b"));
    QDir(programDir.path()).mkdir(QStringLiteral("EFFECT.TMP"));
    action(QStringLiteral("ActionNoSpace"))->trigger();
    expectOnlyMessage(QStringLiteral("作業用ファイルの作成に失敗しました。\n\n処理を続行できません。"),
                      QStringLiteral("一時ファイル作成失敗"), Kind::Failure);
    EXPECT_EQ(viewText(), QStringLiteral("a b"));
    EXPECT_FALSE(action(QStringLiteral("ActionNoSpace"))->isChecked());

    QDir(programDir.path()).rmdir(QStringLiteral("EFFECT.TMP"));
    QFile::remove(programDir.filePath(QStringLiteral("FORWORK.TMP")));
    QDir(programDir.path()).mkdir(QStringLiteral("FORWORK.TMP"));
    action(QStringLiteral("ActionNoSpace"))->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].kind, Kind::Failure);
    EXPECT_FALSE(dialogs.messages[1].text.isEmpty());
    EXPECT_EQ(viewText(), QStringLiteral("a b"));
}

TEST_F(ViewTest, WrapCommandsAndTheHiddenColumnMode)
{
    MainWindow &w = startWith(QString(300, QLatin1Char('w')));
    action(QStringLiteral("ActionWrapNone"))->trigger();
    EXPECT_FALSE(view()->wraps());
    EXPECT_TRUE(action(QStringLiteral("ActionWrapNone"))->isChecked());
    EXPECT_EQ(w.settings().WordWrapFlag, 'N');
    action(QStringLiteral("ActionWrapNone"))->trigger(); // a second time changes nothing
    EXPECT_FALSE(view()->wraps());
    EXPECT_TRUE(named<QToolButton>(QStringLiteral("ToolButtonWrap1"))->isChecked());

    action(QStringLiteral("ActionWrapNum"))->trigger(); // only recorded
    EXPECT_EQ(w.settings().WordWrapFlag, '0');
    EXPECT_FALSE(view()->wraps());
    EXPECT_TRUE(action(QStringLiteral("ActionWrapNone"))->isChecked());
    action(QStringLiteral("ActionReLoad"))->trigger(); // and shown as wrapping at the edge after a refresh
    EXPECT_TRUE(view()->wraps());
    EXPECT_TRUE(action(QStringLiteral("ActionWrapSide"))->isChecked());
}

// Alt+PageDown and Alt+PageUp step by one point, down to 1 pt and up to 400 pt; past either end
// the key and the command warn, naming the size in force, and change nothing.
TEST_F(ViewTest, FontSizeStepsStopAtOneAndAtFourHundredPoints)
{
    struct Case {
        int from;
        Qt::Key towardsLimit;
        const char *command;
        int limit;
        const char *hint;
        const char *hintText;
        const char *warning;
        Qt::Key back;
    };
    const Case cases[] = {
        {2, Qt::Key_PageDown, "ActionFontSizeDown", 1, "ToolButton24",
         "フォントサイズを1pt小さくします。\n（現在は、1ptです。）", "これ以上は小さくできません。現在1ptです。", Qt::Key_PageUp},
        {399, Qt::Key_PageUp, "ActionFontSizeUp", 400, "ToolButton23",
         "フォントサイズを1pt大きくします。\n（現在は、400ptです。）", "これ以上は大きくできません。現在400ptです。",
         Qt::Key_PageDown},
    };
    MainWindow &w = startWith(QStringLiteral("x"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.limit);
        dialogs.messages.clear();
        QFont font = view()->font();
        font.setPointSize(c.from);
        view()->setFont(font);
        QTest::keyClick(&w, c.towardsLimit, Qt::AltModifier);
        EXPECT_EQ(view()->font().pointSize(), c.limit);
        EXPECT_EQ(named<QToolButton>(QLatin1String(c.hint))->toolTip(), QString::fromUtf8(c.hintText));
        EXPECT_TRUE(dialogs.messages.empty());

        QTest::keyClick(&w, c.towardsLimit, Qt::AltModifier);
        action(QLatin1String(c.command))->trigger();
        EXPECT_EQ(view()->font().pointSize(), c.limit);
        ASSERT_EQ(dialogs.messages.size(), 2u);
        for (size_t i : {0u, 1u})
            expectMessage(i, QString::fromUtf8(c.warning), QStringLiteral("フォントサイズ変更"), Kind::Warning);
        EXPECT_EQ(named<QToolButton>(QLatin1String(c.hint))->toolTip(), QString::fromUtf8(c.hintText));

        QTest::keyClick(&w, c.back, Qt::AltModifier);
        EXPECT_EQ(view()->font().pointSize(), c.from);
    }
}

// The zoom keys of other programs and Ctrl with the wheel step the size exactly as Alt+PageUp
// and Alt+PageDown do; Ctrl+0 goes back to the stored size. The shifted forms X reports as
// Ctrl++ are pressed in the e2e keys script.
TEST_F(ViewTest, ZoomKeysAndTheWheelStepTheSizeAndCtrl0GoesBack)
{
    storeValues({{"FontSize", QStringLiteral("12")}});
    MainWindow &w = startWith(QStringLiteral("x"));
    ASSERT_EQ(view()->font().pointSize(), 12);
    const auto wheel = [this](int delta, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QWheelEvent event(QPointF(5, 5), view()->viewport()->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view()->viewport(), &event);
    };
    const struct {
        const char *what;
        std::function<void()> press;
        int step;
    } cases[] = {
        {"Ctrl++", [&] { QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier); }, +1},
        {"Ctrl+=", [&] { QTest::keyClick(&w, Qt::Key_Equal, Qt::ControlModifier); }, +1},
        {"Ctrl+;", [&] { QTest::keyClick(&w, Qt::Key_Semicolon, Qt::ControlModifier); }, +1},
        {"Ctrl+- in the view", [&] { QTest::keyClick(view(), Qt::Key_Minus, Qt::ControlModifier); }, -1},
        {"a notch up", [&] { wheel(120); }, +1},
        {"a notch down", [&] { wheel(-120); }, -1},
        {"two half notches up", [&] { wheel(60); wheel(60); }, +1},
        {"a wheel without Ctrl scrolls", [&] { wheel(-120, Qt::NoModifier); }, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const int before = view()->font().pointSize();
        c.press();
        EXPECT_EQ(view()->font().pointSize(), before + c.step);
        EXPECT_EQ(named<QToolButton>(QStringLiteral("ToolButton23"))->toolTip(),
                  MainTexts::kHintFontUp.arg(before + c.step));
    }
    // Turned on past the smallest size, the wheel stops there without a box in the middle of
    // the turn; the key says why.
    for (int i = 0; i < 20; ++i)
        wheel(-120);
    EXPECT_EQ(view()->font().pointSize(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
    QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
    expectOnlyMessage(MainTexts::kFontTooSmallText, MainTexts::kFontSizeCaption, Dialogs::Kind::Warning);
    dialogs.messages.clear();
    QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(view()->font().pointSize(), 12);
    EXPECT_EQ(named<QToolButton>(QStringLiteral("ToolButton23"))->toolTip(), MainTexts::kHintFontUp.arg(12));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ViewTest, FontDialogCancelUndoesApply)
{
    MainWindow &w = startWith(QStringLiteral("x"));
    const QFont before = view()->font();
    QFont previewed;
    dialogs.fontScript = [&](const QFont &initial, const std::function<void(const QFont &)> &apply) {
        EXPECT_EQ(initial.pointSize(), before.pointSize());
        QFont bigger = initial;
        bigger.setPointSize(30);
        apply(bigger);
        previewed = view()->font();
        return std::optional<QFont>();
    };
    action(QStringLiteral("ActionSetFont"))->trigger();
    EXPECT_EQ(previewed.pointSize(), 30); // Apply previews at once
    EXPECT_EQ(view()->font(), before);

    dialogs.fontScript = [](const QFont &initial, const std::function<void(const QFont &)> &) {
        QFont chosen = initial;
        chosen.setPointSize(14);
        return std::optional<QFont>(chosen);
    };
    action(QStringLiteral("ActionSetFont"))->trigger();
    EXPECT_EQ(view()->font().pointSize(), 14);
    EXPECT_EQ(named<QToolButton>(QStringLiteral("ToolButton23"))->toolTip(), QStringLiteral("フォントサイズを1pt大きくします。\n（現在は、14ptです。）"));
}

TEST_F(ViewTest, CopyTakesWhatTheFocusedControlShows)
{
    writeText(QStringLiteral("listed.txt"), QStringLiteral("x"));
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    QClipboard *clipboard = QGuiApplication::clipboard();

    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Down);
    action(QStringLiteral("ActionCopy"))->trigger();
    EXPECT_EQ(clipboard->text(), filesDir.filePath(QStringLiteral("listed.txt")));

    named<DriveComboBox>(QStringLiteral("DriveComboBox1"))->setFocus();
    action(QStringLiteral("ActionCopy"))->trigger();
    EXPECT_EQ(clipboard->text(), named<DriveComboBox>(QStringLiteral("DriveComboBox1"))->currentRoot());

    // In the search field the copy command keeps the clipboard as it was, a long text whole.
    const QString longText = QStringLiteral("長い行\n").repeated(20000);
    clipboard->setText(longText);
    action(QStringLiteral("ActionOpenSearch"))->trigger();
    action(QStringLiteral("ActionCopy"))->trigger();
    EXPECT_EQ(clipboard->text(), longText);
    clipboard->setText(QStringLiteral("kept"));
    action(QStringLiteral("ActionOpenSearch"))->trigger();
    named<QLineEdit>(QStringLiteral("EditSearch"))->setText(QStringLiteral("typed"));
    named<QLineEdit>(QStringLiteral("EditSearch"))->selectAll();
    QTest::keyClick(named<QLineEdit>(QStringLiteral("EditSearch")), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("kept"));

    // In the view it copies the selection.
    chooseFile(filesDir.filePath(QStringLiteral("listed.txt")));
    view()->setFocus();
    action(QStringLiteral("ActionSelectAll"))->trigger();
    action(QStringLiteral("ActionCopy"))->trigger();
    EXPECT_EQ(clipboard->text(), QStringLiteral("x"));
}

TEST_F(ViewTest, TheEditMenuFollowsTheFocus)
{
    MainWindow &w = startWith(QStringLiteral("text"));
    view()->setFocus();
    view()->moveCaretToStart();
    emit named<QMenu>(QStringLiteral("MenuEdit"))->aboutToShow();
    EXPECT_FALSE(action(QStringLiteral("ActionCopy"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("ActionSelectAll"))->isEnabled());
    view()->selectRange(0, 2);
    emit named<QMenu>(QStringLiteral("MenuEdit"))->aboutToShow();
    EXPECT_TRUE(action(QStringLiteral("ActionCopy"))->isEnabled());
}

TEST_F(ViewTest, TheCaretPositionCountsDisplayLines)
{
    MainWindow &w = startWith(QString(300, QLatin1Char('c')) + QStringLiteral("\nnext"));
    view()->moveCaretToStart();
    EXPECT_EQ(statusText(StatusPanel::Position), QStringLiteral("現在: 1行 1桁"));
    view()->selectRange(301, 0); // start of the second logical line, below the wrapped first one
    const QString status = statusText(StatusPanel::Position);
    EXPECT_TRUE(status.endsWith(QStringLiteral("行 1桁")));
    EXPECT_NE(status, QStringLiteral("現在: 2行 1桁"));
    action(QStringLiteral("ActionWrapNone"))->trigger();
    view()->selectRange(303, 0);
    EXPECT_EQ(statusText(StatusPanel::Position), QStringLiteral("現在: 2行 3桁"));
}

TEST_F(ViewTest, DebugWriteModeMakesTheViewWritable)
{
    MainWindow &w = startWith(QStringLiteral("abc"));
    EXPECT_TRUE(view()->isReadOnly());
    action(QStringLiteral("DebugWriteMode"))->trigger();
    EXPECT_FALSE(view()->isReadOnly());
    chooseFile(filesDir.filePath(QStringLiteral("t.txt")));
    EXPECT_FALSE(view()->isReadOnly());
}

// Each listed effect reaches the window as one command with its key, a format-menu entry and a
// tool button in the list's order, and the command runs that effect's own byte rule.
TEST_F(ViewTest, EachListedEffectIsOneCommandThatRunsItsOwnRule)
{
    const QByteArray bytes("From: a\r\n\r\n<b>x y</b>\r\nz");
    MainWindow &w = start({writeBytes(QStringLiteral("t.txt"), bytes)});
    QStringList buttons;
    const QWidget *toolBar = named<QWidget>(QStringLiteral("ToolBar2"));
    for (int i = 0; i < toolBar->layout()->count(); ++i) {
        if (auto *b = qobject_cast<QToolButton *>(toolBar->layout()->itemAt(i)->widget()); b && b->isCheckable())
            buttons << b->objectName();
    }
    QStringList listed{QStringLiteral("ToolButtonWrap1"), QStringLiteral("ToolButtonWrap2"), QStringLiteral("ToolButtonWrap3")};
    for (const Effect &effect : kEffects) {
        SCOPED_TRACE(effect.command);
        listed << QLatin1String(effect.button);
        QAction *command = w.findChild<QAction *>(QLatin1String(effect.command));
        QAction *entry = w.findChild<QAction *>(QLatin1String(effect.menuEntry));
        ASSERT_TRUE(command && entry);
        EXPECT_EQ(command->shortcut(), QKeySequence(QLatin1String(effect.key)));
        EXPECT_EQ(entry->text(), command->text());
        EXPECT_EQ(w.findChild<QToolButton *>(QLatin1String(effect.button))->toolTip(), QString::fromUtf16(effect.hint));
        command->trigger();
        ASSERT_TRUE(command->isChecked());
        EXPECT_EQ(viewText(), QString::fromLatin1(Effects::transform(effect.kind, bytes)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        entry->trigger(); // off again: the file's text is back
        EXPECT_EQ(viewText(), QString::fromLatin1(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    // The book view's button follows the listed effects, and following the file's end that.
    listed << QStringLiteral("ToolButtonAozora") << QStringLiteral("ToolButtonFollowTail");
    EXPECT_EQ(buttons, listed);
}
