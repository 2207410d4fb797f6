#include "UiFixture.h"

#include "core/StatusTexts.h"
#include "platform/Desktop.h"

#include <QAction>
#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QToolButton>

class AozoraTest : public UiFixture {
protected:
    // A short work in the notation: the explanation of the marks, readings, a note, the bibliography.
    static QString work()
    {
        return QStringLiteral("怪談\n作者\n\n"
                              "-------------------------------------------------------\n"
                              "【テキスト中に現れる記号について】\n\n《》：ルビ\n（例）怪鳥《けちょう》\n"
                              "-------------------------------------------------------\n\n"
                              "　夜の森で 怪鳥《けちょう》が鳴き、｜黒い鶏冠《とさか》が揺れた。［＃「揺れた」に傍点］\n"
                              "\n底本：「怪談」青空書房\n");
    }
};

TEST_F(AozoraTest, RecognisedWorkIsShownAsBookAndSearchedAndCopiedAsShown)
{
    storeValues({{"WordWrapFlag", QStringLiteral("N")}});
    MainWindow &w = start({writeText(QStringLiteral("kaidan.txt"), work())});
    QAction *book = action(QStringLiteral("ActionAozora"));
    ASSERT_TRUE(book->isChecked());
    EXPECT_TRUE(named<QToolButton>(QStringLiteral("ToolButtonAozora"))->isChecked());
    const QString shown = viewText();
    EXPECT_FALSE(shown.contains(u'《'));
    EXPECT_FALSE(shown.contains(QStringLiteral("［＃")));
    EXPECT_TRUE(shown.contains(QStringLiteral("【テキスト中に現れる記号について】\n\n　夜の森で 怪鳥が鳴き、黒い鶏冠が揺れた。")));
    // The status counts the file's own lines, the folded ones too.
    EXPECT_EQ(statusText(StatusPanel::Lines), StatusTexts::lineCountText(work().count(u'\n')));

    // Found in the base text, and selected as shown.
    const qint64 at = view()->find(QStringLiteral("怪鳥が"), 0, true);
    ASSERT_GE(at, 0);
    view()->selectRange(at - 5, 9);
    view()->setFocus();
    action(QStringLiteral("ActionCopy"))->trigger();
    EXPECT_EQ(Desktop::clipboardText(), QStringLiteral("夜の森で 怪鳥が鳴"));
    action(QStringLiteral("ActionCopyWithReadings"))->trigger();
    EXPECT_EQ(Desktop::clipboardText(), QStringLiteral("夜の森で 怪鳥（けちょう）が鳴"));

    // Off by hand: the notation is shown as it stands, and stays off for the next file.
    book->trigger();
    EXPECT_FALSE(book->isChecked());
    EXPECT_TRUE(viewText().contains(QStringLiteral("怪鳥《けちょう》")));
    chooseFile(writeText(QStringLiteral("next.txt"), work()));
    EXPECT_FALSE(book->isChecked());
    EXPECT_TRUE(viewText().contains(QStringLiteral("怪鳥《けちょう》")));
    book->trigger();
    EXPECT_FALSE(viewText().contains(u'《'));
    (void)w;
}

TEST_F(AozoraTest, PlainTextIsNotABookAndEffectsRunBeneathTheBook)
{
    start({writeText(QStringLiteral("plain.txt"), QStringLiteral("ただの《文章》です。\n"))});
    EXPECT_FALSE(action(QStringLiteral("ActionAozora"))->isChecked());

    chooseFile(writeText(QStringLiteral("numbered.txt"), work()));
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    // A byte effect works on the notation beneath, and the book is read again from its output.
    action(QStringLiteral("ActionNoSpace"))->trigger();
    EXPECT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    EXPECT_TRUE(viewText().contains(QStringLiteral("夜の森で怪鳥が鳴き、黒い鶏冠が揺れた。")));
    EXPECT_FALSE(viewText().contains(QStringLiteral("で 怪")));
    action(QStringLiteral("ActionNoSpace"))->trigger();
    EXPECT_TRUE(viewText().contains(QStringLiteral("　夜の森で 怪鳥が")));
    EXPECT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
}

TEST_F(AozoraTest, ReadingsAreDrawnOverTheirBasesInRoomOnlyTheirLinesTake)
{
    storeValues({{"WordWrapFlag", QStringLiteral("N")}});
    start({writeText(QStringLiteral("ruby.txt"), QStringLiteral("前の行\n今は昔、竹取の翁《おきな》といふもの有けり。\n後の行\n次の行\n") + work())});
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    TextView *v = view();
    const qint64 base = v->find(QStringLiteral("翁"), 0, true);
    ASSERT_GT(base, 0);
    const QRectF reading = v->readingRect(base);
    ASSERT_FALSE(reading.isEmpty());
    const QRect glyph = v->characterRect(base);
    // Centred over the base, above it, within the room the line took.
    EXPECT_NEAR(reading.center().x(), glyph.center().x(), 1.5);
    EXPECT_LE(reading.bottom(), glyph.top() + 1);
    EXPECT_TRUE(v->readingRect(base + 1).isEmpty()); // past the base
    const int before = v->characterRect(v->find(QStringLiteral("前"), 0, true)).top();
    const int after = v->characterRect(v->find(QStringLiteral("後"), 0, true)).top();
    const int next = v->characterRect(v->find(QStringLiteral("次"), 0, true)).top();
    const int lineStep = next - after; // lines without readings keep their height
    EXPECT_GT(lineStep, 0);
    EXPECT_EQ(glyph.top() - before, lineStep + qRound(reading.height()));
    EXPECT_EQ(after - glyph.top(), lineStep);
    // A click on the reading's line lands in that line.
    EXPECT_EQ(v->positionAtPoint(glyph.center()), base);
}

TEST_F(AozoraTest, WrapNeverPartsABaseFromItsReading)
{
    QString line;
    for (int k = 0; k < 30; ++k)
        line += QStringLiteral("第%1は｜長い長い基底文字列《ながいながいきていもじれつ》と").arg(k);
    MainWindow &w = start({writeText(QStringLiteral("wrap.txt"), line + QStringLiteral("\n") + work())});
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    const QString base = QStringLiteral("長い長い基底文字列");
    for (int width : {260, 333, 407, 520}) {
        SCOPED_TRACE(width);
        w.resize(width + 300, 400);
        QCoreApplication::processEvents();
        int wrappedLines = 0;
        for (qint64 at = view()->find(base, 0, true); at >= 0; at = view()->find(base, at + 1, true)) {
            EXPECT_EQ(view()->displayLineAt(at).first, view()->displayLineAt(at + base.size() - 1).first) << at;
            wrappedLines = int(view()->displayLineAt(at).first);
        }
        EXPECT_GT(wrappedLines, 3); // the line did wrap, several times
    }
}

TEST_F(AozoraTest, ReadingPlaceOfABookComesBackToTheSameLine)
{
    QString long_ = work();
    for (int i = 0; i < 300; ++i)
        long_ += QStringLiteral("本文《ほんぶん》の行%1\n").arg(i);
    const QString path = writeText(QStringLiteral("long.txt"), long_);
    start({path});
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    const qint64 line = view()->find(QStringLiteral("本文の行250"), 0, true);
    ASSERT_GT(line, 0);
    view()->setFocus();
    view()->selectRange(line + 2, 0);
    QTest::keyClick(view(), Qt::Key_Right); // moved by the reader
    chooseFile(writeText(QStringLiteral("other.txt"), QStringLiteral("別のファイル\n")));
    chooseFile(path);
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    // Kept in the file's own lines, it comes back to the start of the same line.
    EXPECT_EQ(view()->caretPosition(), line);
}

TEST_F(AozoraTest, IndentsEndAlignmentAndHeadingsArePlacedByTheLayout)
{
    QString indented;
    for (int k = 0; k < 12; ++k)
        indented += QStringLiteral("字下げした長い段落の文");
    const QString text = QStringLiteral("本文の行\n［＃３字下げ］") + indented
                         + QStringLiteral("\n［＃地付き］地付きの行\n［＃地から２字上げ］上げた行\n"
                                          "第一章［＃「第一章」は大見出し］\n")
                         + work();
    MainWindow &w = start({writeText(QStringLiteral("layout.txt"), text)});
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    w.resize(700, 500);
    QCoreApplication::processEvents();
    TextView *v = view();
    const qreal full = v->layout().widths().width(u'\u3000');
    const auto at = [v](const QString &word) { return v->find(word, 0, true); };
    const QRect plain = v->characterRect(at(QStringLiteral("本文")));
    const int rightEdge = v->viewport()->width() - plain.left();

    // An indent moves the line and every row it wraps into, and wraps it as much earlier.
    const qint64 first = at(QStringLiteral("字下げした"));
    EXPECT_NEAR(v->characterRect(first).left() - plain.left(), 3 * full, 1.5);
    const auto [firstRow, firstStart] = v->displayLineAt(first);
    const qint64 secondRow = v->displayLineSpan(first).second;
    ASSERT_EQ(v->displayLineAt(secondRow).first, firstRow + 1);
    EXPECT_NEAR(v->characterRect(secondRow).left() - plain.left(), 3 * full, 1.5);
    EXPECT_LE(v->characterRect(secondRow - 1).right(), rightEdge + 1);
    // A click finds the character under it, not the one the indent moved it from.
    EXPECT_EQ(v->positionAtPoint(v->characterRect(first + 2).center()), first + 2);

    // End-aligned lines end at the right edge, or the raised characters before it.
    const qint64 ground = at(QStringLiteral("地付きの行"));
    EXPECT_NEAR(v->characterRect(ground + 4).right(), rightEdge, 1.5);
    const qint64 raised = at(QStringLiteral("上げた行"));
    EXPECT_NEAR(v->characterRect(raised + 3).right(), rightEdge - 2 * full, 1.5);

    // A heading is drawn larger and bold on a taller row.
    const qint64 heading = at(QStringLiteral("第一章"));
    const QFont font = v->rowFont(v->displayLineAt(heading).first);
    EXPECT_TRUE(font.bold());
    EXPECT_GT(QFontMetricsF(font).height(), QFontMetricsF(v->shownFont()).height() * 1.3);
    EXPECT_GT(v->characterRect(heading).height(), plain.height() * 1.3);
    EXPECT_GT(v->characterRect(heading + 1).left() - v->characterRect(heading).left(), full * 1.3);
}

TEST_F(AozoraTest, TheExplanationOpensAndFoldsOnAClickOrEnter)
{
    MainWindow &w = start({writeText(QStringLiteral("fold.txt"), work())});
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    w.resize(700, 500);
    QCoreApplication::processEvents();
    const QString lines = statusText(StatusPanel::Lines);
    const QString example = QStringLiteral("（例）怪鳥《けちょう》");
    ASSERT_FALSE(viewText().contains(example));
    const auto clickTitle = [this] {
        const qint64 title = view()->find(QStringLiteral("【テキスト中"), 0, true);
        ASSERT_GE(title, 0);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, view()->characterRect(title + 1).center());
    };
    clickTitle();
    // Open, its lines stand as they are in the file, examples of the notation too.
    EXPECT_TRUE(viewText().contains(example));
    EXPECT_EQ(statusText(StatusPanel::Lines), lines);
    clickTitle();
    EXPECT_FALSE(viewText().contains(example));
    EXPECT_EQ(statusText(StatusPanel::Lines), lines);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_TRUE(viewText().contains(example));
    // Elsewhere Enter opens nothing.
    view()->selectRange(view()->find(QStringLiteral("夜の森"), 0, true), 0);
    QTest::keyClick(view(), Qt::Key_Space);
    EXPECT_TRUE(viewText().contains(example));
}

// A drag begun on the explanation selects as anywhere else and neither opens nor folds it; a
// press and release in place still does.
TEST_F(AozoraTest, ADragFromTheExplanationSelectsWithoutOpeningOrFoldingIt)
{
    start({writeText(QStringLiteral("drag.txt"), work())});
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    const QString example = QStringLiteral("（例）怪鳥《けちょう》");
    TextView *v = view();
    for (const bool open : {false, true}) {
        ASSERT_EQ(viewText().contains(example), open);
        const qint64 title = v->find(QStringLiteral("【テキスト中"), 0, true);
        const qint64 prose = v->find(QStringLiteral("夜の森"), 0, true);
        ASSERT_GE(title, 0);
        ASSERT_GT(prose, title);
        const QPoint from = v->characterRect(title + 1).center();
        const QPoint to = v->characterRect(prose + 1).center();
        QTest::mousePress(v->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), v->viewport()->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &move);
        QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, to);
        EXPECT_EQ(viewText().contains(example), open);
        EXPECT_LE(v->selectionStart(), title + 2);
        EXPECT_GE(v->selectionEnd(), prose);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, from);
        EXPECT_EQ(viewText().contains(example), !open);
    }
}

TEST_F(AozoraTest, APictureBesideTheTextIsShownElseItsCaption)
{
    QImage image(80, 40, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    const QString folder = QDir(writeBytes(QStringLiteral("outside.png"), png)).absolutePath() + QStringLiteral("_dir");
    writeBytes(QStringLiteral("fig.png"), png, folder);
    writeBytes(QStringLiteral("broken.png"), "not a picture", folder);
    const QString text = QStringLiteral("前の行\n［＃「森の絵」のキャプション付きの図（fig.png）入る］\n"
                                        "［＃挿絵（missing.png）入る］\n［＃挿絵（broken.png）入る］\n"
                                        "［＃挿絵（../outside.png）入る］\n後の行\n")
                         + work();
    start({writeText(QStringLiteral("pictures.txt"), text, folder)});
    ASSERT_TRUE(action(QStringLiteral("ActionAozora"))->isChecked());
    TextView *v = view();
    const qint64 caption = v->find(QStringLiteral("〔森の絵〕"), 0, true);
    ASSERT_GE(caption, 0);
    const QRectF shown = v->pictureRect(caption);
    EXPECT_EQ(shown.size(), QSizeF(80, 40));
    // The row makes room for it above its caption.
    EXPECT_GE(v->characterRect(caption).top(), shown.bottom());
    EXPECT_GE(shown.top(), v->characterRect(0).bottom());
    for (const QString &name : {QStringLiteral("〔missing.png〕"), QStringLiteral("〔broken.png〕"),
                                QStringLiteral("〔../outside.png〕")}) {
        const qint64 at = v->find(name, 0, true);
        ASSERT_GE(at, 0) << name.toStdString();
        EXPECT_TRUE(v->pictureRect(at).isEmpty()) << name.toStdString();
    }
}
