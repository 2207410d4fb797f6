#include "UiFixture.h"

#include "core/StatusTexts.h"
#include "resources/MainTexts.h"

#include <QAction>
#include <QMenu>
#include <QStringEncoder>
#include <QToolButton>

namespace {

const QString kJapanese = QStringLiteral("日本語の文章です。\n二行目の文です。\n");
const QString kWide = QStringLiteral("a b\t😀　한\n次の行");

QByteArray encoded(const char *converter, const QString &text)
{
    QStringEncoder encoder(converter);
    return encoder.encode(text);
}

using TestFiles::contents;

} // namespace

// A folder of a UTF-8, an EUC-JP and a CP932 file, walked from the file list.
class EncodingTest : public UiFixture {
protected:
    MainWindow &startInFolder()
    {
        writeBytes(QStringLiteral("a.txt"), kWide.toUtf8());
        writeBytes(QStringLiteral("b.txt"), encoded("EUC-JP", kJapanese));
        writeText(QStringLiteral("c.txt"), kJapanese);
        MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
        fileList()->setFocus();
        return w;
    }
    void keyDown() { QTest::keyClick(fileList(), Qt::Key_Down); }
    void keyUp() { QTest::keyClick(fileList(), Qt::Key_Up); }
    QString panel6() const { return statusText(StatusPanel::Encoding); }
    void press(Qt::Key key)
    {
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), key, Qt::ControlModifier);
    }
    // The entries of the encoding menu, in order, with the checked one.
    QStringList entries(QString *checked) const
    {
        QStringList names;
        for (QAction *a : named<QMenu>(QStringLiteral("MenuEncoding"))->actions()) {
            names << a->text();
            if (a->isChecked())
                *checked = a->text();
        }
        return names;
    }
};

TEST_F(EncodingTest, WalkingShowsEachFileInItsOwnEncodingAndPanel6NamesIt)
{
    MainWindow &w = startInFolder();
    EXPECT_EQ(panel6(), QString()); // nothing shown yet
    EXPECT_GE(statusWidth(StatusPanel::Encoding), 50);

    keyDown();
    EXPECT_EQ(viewText(), kWide);
    EXPECT_EQ(panel6(), "UTF-8");
    // The size is that of the UTF-8 form with CR LF: one more byte for the line break than the file.
    EXPECT_EQ(statusText(StatusPanel::Size), StatusTexts::sizeText(kWide.toUtf8().size() + 1));
    keyDown();
    EXPECT_EQ(viewText(), kJapanese);
    EXPECT_EQ(panel6(), "EUC");
    EXPECT_EQ(statusText(StatusPanel::Size), StatusTexts::sizeText(QString(kJapanese).replace("\n", "\r\n").toUtf8().size()));
    keyDown();
    EXPECT_EQ(viewText(), kJapanese);
    EXPECT_EQ(panel6(), "SJIS");
    EXPECT_EQ(statusText(StatusPanel::Size), StatusTexts::sizeText(Cp932::byteLength(kJapanese)));
    keyUp();
    EXPECT_EQ(panel6(), "EUC");
}

TEST_F(EncodingTest, AChosenEncodingHoldsWhileWalkingAndAcrossARestart)
{
    MainWindow &w = startInFolder();
    QString checked;
    EXPECT_EQ(entries(&checked), QStringList({MainTexts::kEncodingAuto, "Shift_JIS", "UTF-8", "EUC-JP", "JIS"}));
    EXPECT_EQ(checked, MainTexts::kEncodingAuto);
    EXPECT_EQ(named<QMenu>(QStringLiteral("MenuEncoding"))->title(), QStringLiteral("文字コード(&J)"));
    EXPECT_TRUE(named<QMenu>(QStringLiteral("MenuView"))->actions().contains(named<QMenu>(QStringLiteral("MenuEncoding"))->menuAction()));

    keyDown();
    keyDown();
    ASSERT_EQ(panel6(), "EUC");
    // Choosing reloads the shown file in the chosen encoding.
    action(QStringLiteral("EncodingSjis"))->trigger();
    EXPECT_EQ(viewText(), Cp932::decode(encoded("EUC-JP", kJapanese)));
    EXPECT_EQ(panel6(), "SJIS");
    keyUp();
    EXPECT_EQ(viewText(), Cp932::decode(kWide.toUtf8()));
    EXPECT_EQ(panel6(), "SJIS");
    entries(&checked);
    EXPECT_EQ(checked, "Shift_JIS");

    action(QStringLiteral("EncodingAuto"))->trigger();
    EXPECT_EQ(viewText(), kWide);
    EXPECT_EQ(panel6(), "UTF-8");

    action(QStringLiteral("EncodingEuc"))->trigger();
    EXPECT_EQ(panel6(), "EUC");
    form->close();
    EXPECT_EQ(stored("TextEncoding"), "E");
    form.reset();

    // The next start reads the choice back, marks it and uses it.
    MainWindow &again = start({QStringLiteral("/n"), filesDir.path()});
    fileList()->setFocus();
    entries(&checked);
    EXPECT_EQ(checked, "EUC-JP");
    keyDown();
    EXPECT_EQ(panel6(), "EUC");
    EXPECT_EQ(again.settings().TextEncoding, QLatin1Char('E'));
}

TEST_F(EncodingTest, EffectsOnAUtf8FileKeepWhatCp932LacksAndCountInUtf8)
{
    MainWindow &w = startInFolder();
    keyDown();
    ASSERT_EQ(panel6(), "UTF-8");
    press(Qt::Key_K); // no blanks: the full-width one stays
    EXPECT_EQ(viewText(), QStringLiteral("ab😀　한\n次の行"));
    press(Qt::Key_J); // no line breaks, on top
    EXPECT_EQ(viewText(), QStringLiteral("ab😀　한次の行"));
    EXPECT_TRUE(action(QStringLiteral("ActionNoSpace"))->isChecked() && action(QStringLiteral("ActionNoCRLF"))->isChecked());
    press(Qt::Key_K);
    EXPECT_EQ(viewText(), kWide);

    // The limit counts the UTF-8 form: 100 "あ" are 300 bytes there, 200 in code page 932.
    const QString big = writeBytes(QStringLiteral("a.txt"), QString(100, QChar(u'あ')).toUtf8());
    restartWith({{"LimitSizeForEffect", QStringLiteral("250")}}, {big});
    EXPECT_EQ(statusText(StatusPanel::Size), StatusTexts::sizeText(300));
    EXPECT_FALSE(named<QToolButton>(QStringLiteral("ToolButton13"))->isEnabled());
    EXPECT_FALSE(action(QStringLiteral("StyleNoSpace"))->isEnabled());
    restartWith({{"LimitSizeForEffect", QStringLiteral("300")}}, {big});
    EXPECT_TRUE(named<QToolButton>(QStringLiteral("ToolButton13"))->isEnabled());
}

TEST_F(EncodingTest, SaveAsWritesAUtf8FileWithItsMarkByteForByte)
{
    const QByteArray original = "\xEF\xBB\xBF" + QStringLiteral("一行目 😀\r\n한국어\r\n").toUtf8();
    const QString path = writeBytes(QStringLiteral("marked.txt"), original);
    MainWindow &w = start({path});
    ASSERT_EQ(panel6(), "UTF-8");
    const QString target = filesDir.filePath(QStringLiteral("copy.txt"));
    dialogs.fileAnswers = {target};
    press(Qt::Key_S);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(contents(target), original);
    EXPECT_EQ(w.FileNameNow(), target);
    EXPECT_EQ(panel6(), "UTF-8");
}

// Save-as writes the bytes the shown text was made from, never a re-encoding of the text: the
// file's own, or the effects' output made from them. CP932's duplicate NEC and IBM codes
// (ED 40, 87 90) and bytes that are no character come back as they were.
TEST_F(EncodingTest, SaveAsWritesTheBytesTheShownTextWasMadeFrom)
{
    const QByteArray cp932 = "\xED\x40\x87\x90\r\n\x80x\nlast";
    const QByteArray utf8 = "日本\xFF語\r\n二行目";
    struct Case {
        const char *name;
        QByteArray file;
        std::vector<Qt::Key> effects;
        bool overItself;
        QByteArray saved;
    } cases[] = {
        {"cp932.txt", cp932, {}, false, cp932},
        {"numbered.txt", cp932, {Qt::Key_I}, false, "0001 \xED\x40\x87\x90\r\n0002 \x80x\r\n0003 last"},
        {"restored.txt", cp932, {Qt::Key_I, Qt::Key_J, Qt::Key_I}, false, cp932},
        {"utf8.txt", utf8, {}, true, utf8},
        {"marked.txt", "\xEF\xBB\xBF" + utf8, {Qt::Key_J}, true, "\xEF\xBB\xBF日本\xFF語二行目"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeBytes(QString::fromLatin1(c.name), c.file);
        start({path});
        for (Qt::Key effect : c.effects)
            press(effect);
        const QString target = c.overItself ? path : filesDir.filePath(QStringLiteral("saved-") + c.name);
        dialogs.fileAnswers = {target};
        press(Qt::Key_S);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(contents(target), c.saved);
        EXPECT_EQ(form->FileNameNow(), target);
    }
}

// Where the shown text is not the file's (an effect's output in EUC-JP, or a file changed since it
// was shown), characters the file's encoding lacks are written as '?' only when the user agrees.
TEST_F(EncodingTest, SaveAsAsksBeforeWritingWhatTheEncodingCannotHold)
{
    storeValues({{"TextEncoding", QStringLiteral("E")}});
    const QString euc = writeBytes(QStringLiteral("euc.txt"), encoded("EUC-JP", QStringLiteral("一行目\r\n")) + "x\xFFy\r\n\xFF");
    MainWindow &w = start({euc});
    ASSERT_EQ(viewText(), QStringLiteral("一行目\nx\uFFFDy\n\uFFFD"));
    press(Qt::Key_I);
    const QString target = filesDir.filePath(QStringLiteral("target.txt"));
    const QString question = QStringLiteral("保存先の文字コードで表せない文字が 2 個あります（最初は 2 行目）。\n\n"
                                            "それらを「?」に置き換えて保存しますか？");
    dialogs.fileAnswers = {target};
    press(Qt::Key_S); // No, the default
    takeOnlyMessage(question, QStringLiteral("確認"), Dialogs::Kind::Confirm);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(w.FileNameNow(), euc);

    dialogs.fileAnswers = {target};
    dialogs.answers = {Dialogs::Answer::Yes};
    press(Qt::Key_S);
    takeOnlyMessage(question, QStringLiteral("確認"), Dialogs::Kind::Confirm);
    EXPECT_EQ(contents(target), encoded("EUC-JP", QStringLiteral("0001 一行目\r\n0002 x?y\r\n0003 ?")));

    // A file written to since it was shown: the text on screen is what is saved.
    storeValues({{"TextEncoding", QStringLiteral("A")}});
    const QString cp932 = writeBytes(QStringLiteral("cp932.txt"), "\x8C\xB3\r\n\x80");
    start({cp932});
    writeBytes(QStringLiteral("cp932.txt"), "changed since");
    dialogs.fileAnswers = {target};
    dialogs.answers = {Dialogs::Answer::Yes};
    press(Qt::Key_S);
    takeOnlyMessage(QString(question).replace(QStringLiteral(" 2 個"), QStringLiteral(" 1 個")),
                    QStringLiteral("確認"), Dialogs::Kind::Confirm);
    EXPECT_EQ(contents(target), "\x8C\xB3\r\n?");

    // Typed into (the debug menu's write mode), the text is no longer the file's.
    writeBytes(QStringLiteral("cp932.txt"), "\x8C\xB3\r\n\x80");
    start({cp932});
    action(QStringLiteral("DebugWriteMode"))->trigger();
    QTest::keyClicks(view(), QStringLiteral("z"));
    dialogs.fileAnswers = {target};
    dialogs.answers = {Dialogs::Answer::Yes};
    press(Qt::Key_S);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(contents(target), "z\x8C\xB3\r\n?");
}
