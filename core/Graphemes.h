#pragma once

#include <QString>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <optional>

// Grapheme clusters (what a reader sees as one character: e + U+0301, 👍🏽, 👨‍👩‍👧, 葛 with its
// variation selector) as QTextBoundaryFinder finds them, asked only where it can matter: a
// position between two units that can never join (kanji, kana, ASCII: all of code page 932
// but the half-width voiced marks) is a boundary without asking.
namespace Graphemes {

// Whether the unit can join a neighbour into one cluster: a surrogate, a mark, a joiner, a
// variation selector, a prepended or spacing sign, a Hangul jamo or syllable, CR.
bool mayJoin(char16_t c);
// The same for every unit, as a table of 0x10000 bytes (1 where the unit may join).
const unsigned char *joinTable();

bool isBoundary(QStringView text, qsizetype position);
// The first boundary after position (the text's size at its end).
qsizetype next(QStringView text, qsizetype position);
// The last boundary before position (0 at the start).
qsizetype previous(QStringView text, qsizetype position);
// position when it is a boundary, else the start (down) or the end (up) of its cluster.
qsizetype snapDown(QStringView text, qsizetype position);
qsizetype snapUp(QStringView text, qsizetype position);

} // namespace Graphemes

// Walks a text cluster by cluster from boundary to boundary. A run of units that may join is
// given to the boundary finder once, however many clusters it holds, so that a long line of
// emoji costs one pass.
class ClusterCursor {
public:
    explicit ClusterCursor(QStringView text) : text_(text), join_(Graphemes::joinTable()) {}
    // The end of the cluster that starts at the boundary `start`.
    qsizetype end(qsizetype start);

private:
    QStringView text_;
    const unsigned char *join_;
    std::optional<QTextBoundaryFinder> finder_;
    qsizetype from_ = 0;
    qsizetype trusted_ = 0;
};
