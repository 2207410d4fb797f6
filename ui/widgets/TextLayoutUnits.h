#pragma once

#include "core/Graphemes.h"

#include <QStringView>
#include <QtGlobal>

#include <cmath>
#include <limits>
#include <vector>

class CharWidths;

// What the files of the text layout share, and no one else: when a text is worth a second
// thread, how a hard line's width is kept, and the walks over a text's units.
namespace TextLayoutUnits {

// Below this many characters a second thread costs more than it saves.
constexpr qsizetype kTwoThreadsFrom = 256 << 10;
// The second thread's half is measured in pieces of about this many characters (or wrapped
// this many hard lines at a time), each moved into place and let go in turn, so the halves
// are never held twice.
constexpr qsizetype kPieceUnits = 1 << 20;
constexpr size_t kPieceLines = 1 << 14;

// A hard line's width is kept rounded up to a whole pixel in 16 bits, which only makes the wrap
// look at a line it could have passed; wider lines are kept as too wide for any room.
constexpr quint16 kTooWide = 0xFFFF;
inline quint16 storedWidth(float width)
{
    return width >= kTooWide ? kTooWide : quint16(std::ceil(width));
}
inline qreal widthOf(quint16 stored)
{
    return stored == kTooWide ? std::numeric_limits<qreal>::infinity() : qreal(stored);
}

// What the measuring walk must look at in a unit: nothing (a width to add), a line break, a
// tab, or a unit that may join its neighbours into a cluster.
enum UnitKind : unsigned char { Plain, LineBreak, Tab, MayJoin };

const unsigned char *unitKinds();

// Marks every unit of text that occurs: one plain store per character, no test, so that a
// pass over a large text costs little more than reading it.
using SeenUnits = std::vector<unsigned char>;

inline void markUnits(QStringView text, SeenUnits &seen)
{
    const char16_t *d = reinterpret_cast<const char16_t *>(text.data());
    unsigned char *mark = seen.data();
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        mark[d[i]] = 1;
}

// The marked units whose width the table lacks.
std::vector<char16_t> unknownUnits(const CharWidths &widths, const SeenUnits &seen);

// Walks a text cluster by cluster: `cluster` is given each cluster of several units or of one
// unit that may join, `unit` every other unit; either ends the walk by giving false. Gives
// whether the walk reached the end.
template <typename Cluster, typename Unit>
bool eachCluster(QStringView text, Cluster cluster, Unit unit)
{
    const char16_t *d = reinterpret_cast<const char16_t *>(text.data());
    const unsigned char *kinds = unitKinds();
    ClusterCursor clusters(text);
    for (qsizetype i = 0, to = text.size(); i < to;) {
        const qsizetype end = clusters.end(i);
        const bool going = end > i + 1 || kinds[d[i]] == MayJoin ? cluster(QStringView(d + i, end - i)) : unit(d[i]);
        if (!going)
            return false;
        i = end;
    }
    return true;
}

} // namespace TextLayoutUnits

