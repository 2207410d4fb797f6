// Clusters as a reader sees them: the quick answers for units that cannot join must agree with
// the boundary finder, and sequences that join must never be split.
#include "core/Graphemes.h"
#include "core/JoinTable.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// Every boundary of the text, as the finder gives them over the whole text.
std::vector<qsizetype> finderBoundaries(const QString &text)
{
    std::vector<qsizetype> out{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
        out.push_back(at);
    return out;
}

} // namespace

TEST(Graphemes, QuickAnswersAgreeWithTheFinderOnMixedText)
{
    // Units that join and units that never do, in random order, runs of emoji included.
    const QStringList parts = {QStringLiteral("漢"), QStringLiteral("a"), QStringLiteral("\u0301"),
                               QStringLiteral("\u200D"), QStringLiteral("👩"), QStringLiteral("🏽"),
                               QStringLiteral("\uFE0F"), QStringLiteral("ｶ"), QStringLiteral("ﾞ"),
                               QStringLiteral("🇯"), QStringLiteral("\n"), QStringLiteral("각"),
                               QStringLiteral("\u11A8"), QStringLiteral("\U000E0100"), QStringLiteral(" "),
                               // Sound marks after controls, which stand alone, and doubled.
                               QStringLiteral("ﾟ"), QStringLiteral("\t"), QStringLiteral("\u200B"), QStringLiteral("\u00AD")};
    QRandomGenerator random(5);
    for (int round = 0; round < 20; ++round) {
        QString text;
        for (int i = 0; i < 400; ++i)
            text += parts[random.bounded(int(parts.size()))];
        const std::vector<qsizetype> expected = finderBoundaries(text);
        std::vector<qsizetype> walked{0}, stepped{0}, back{text.size()};
        ClusterCursor cursor(text);
        while (walked.back() < text.size())
            walked.push_back(cursor.end(walked.back()));
        while (stepped.back() < text.size())
            stepped.push_back(Graphemes::next(text, stepped.back()));
        while (back.back() > 0)
            back.push_back(Graphemes::previous(text, back.back()));
        std::reverse(back.begin(), back.end());
        ASSERT_EQ(walked, expected) << round;
        ASSERT_EQ(stepped, expected) << round;
        ASSERT_EQ(back, expected) << round;
        for (qsizetype p = 0; p <= text.size(); ++p)
            ASSERT_EQ(Graphemes::isBoundary(text, p), std::binary_search(expected.begin(), expected.end(), p)) << p;
    }
}

TEST(Graphemes, NoUnitOfCodePage932JoinsButTheHalfWidthVoicedMarksAndCR)
{
    // Every character code page 932 decodes to, but the marks that voice half-width kana.
    QStringDecoder decoder("windows-31j");
    ASSERT_TRUE(decoder.isValid());
    int joining = 0;
    for (int lead = 0; lead < 0x100; ++lead) {
        for (int trail = 0x40; trail < 0x100; ++trail) {
            const char bytes[] = {char(lead), char(trail)};
            const QString decoded = decoder.decode(QByteArrayView(bytes, lead >= 0x81 && lead <= 0xFC ? 2 : 1));
            decoder.resetState();
            for (const QChar c : decoded) {
                // CR joins LF, but the shown text holds every line break as LF alone.
                if (c.unicode() == 0xFF9E || c.unicode() == 0xFF9F || c.unicode() == u'\r')
                    continue;
                joining += Graphemes::mayJoin(c.unicode()) ? 1 : 0;
            }
            if (!(lead >= 0x81 && lead <= 0xFC))
                break;
        }
    }
    EXPECT_EQ(joining, 0);
    EXPECT_TRUE(Graphemes::mayJoin(0xFF9E));
}

TEST(Graphemes, TheTableBuiltWithTheProgramIsWhatTheFinderAnswersNow)
{
    // The table is learnt when the program is built; a Qt with other Unicode data would disagree.
    const std::array<unsigned char, 0x10000> learnt = JoinTable::learn();
    const unsigned char *built = Graphemes::joinTable();
    for (unsigned c = 0; c < 0x10000; ++c)
        ASSERT_EQ(built[c], learnt[c]) << std::hex << c;
}
