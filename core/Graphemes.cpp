#include "core/Graphemes.h"

#include <QChar>

#include <algorithm>
#include <array>

namespace {

// How far a question looks for a boundary it can be sure of; a cluster longer than this
// (hundreds of stacked marks) may be cut there.
constexpr qsizetype kReach = 1024;

// The units that may join, as the boundary finder answered when the program was built.
std::array<unsigned char, 0x10000> makeJoinTable()
{
    static constexpr struct {
        char16_t first, last;
    } kRanges[] = {
#include "JoinRanges.inc"
    };
    std::array<unsigned char, 0x10000> table{};
    for (const auto &range : kRanges)
        std::fill(table.begin() + range.first, table.begin() + range.last + 1, 1);
    return table;
}

// A position that is a boundary whatever the units around it: no neighbour may join.
bool certain(const char16_t *d, qsizetype n, qsizetype q, const unsigned char *join)
{
    return q <= 0 || q >= n || (!join[d[q - 1]] && !join[d[q]]);
}

// The stretch around [from, to) that a finder can answer for: it starts and ends at positions
// that are boundaries whatever comes before or after them.
std::pair<qsizetype, qsizetype> window(QStringView text, qsizetype from, qsizetype to)
{
    const char16_t *d = reinterpret_cast<const char16_t *>(text.data());
    const qsizetype n = text.size();
    const unsigned char *join = Graphemes::joinTable();
    qsizetype a = from;
    while (a > 0 && from - a < kReach && !certain(d, n, a, join))
        --a;
    if (a > 0 && QChar::isLowSurrogate(d[a]))
        --a;
    qsizetype b = to;
    while (b < n && b - to < kReach && !certain(d, n, b, join))
        ++b;
    if (b < n && QChar::isLowSurrogate(d[b]))
        ++b;
    return {a, b};
}

bool isSoundMark(char16_t c)
{
    return c == 0xFF9E || c == 0xFF9F;
}

// A letter followed by the half-width sound marks (ｶﾞ, and any letter before them in a text of
// code page 932) is one cluster, as marks that extend go with what precedes them; where a unit
// that never joins follows, its end is sure. Gives that end, or 0 where the finder must answer.
// Only letters and signs are bases here: a control or a line break stands alone.
qsizetype withSoundMarks(const char16_t *d, qsizetype n, qsizetype start, const unsigned char *join)
{
    const char16_t base = d[start];
    const bool letter = (base >= 0x20 && base < 0x7F) || (base >= 0x3000 && base < 0xA000) || (base >= 0xFF01 && base < 0xFFF0);
    if (!letter || join[base] || !isSoundMark(d[start + 1]))
        return 0;
    qsizetype end = start + 2;
    while (end < n && isSoundMark(d[end]))
        ++end;
    return end == n || !join[d[end]] ? end : 0;
}

} // namespace

namespace Graphemes {

const unsigned char *joinTable()
{
    static const std::array<unsigned char, 0x10000> table = makeJoinTable();
    return table.data();
}

bool mayJoin(char16_t c)
{
    return joinTable()[c] != 0;
}

bool isBoundary(QStringView text, qsizetype position)
{
    const char16_t *d = reinterpret_cast<const char16_t *>(text.data());
    if (certain(d, text.size(), position, joinTable()))
        return true;
    const auto [a, b] = window(text, position, position);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.sliced(a, b - a));
    finder.setPosition(position - a);
    return finder.isAtBoundary();
}

qsizetype next(QStringView text, qsizetype position)
{
    const qsizetype n = text.size();
    if (position >= n)
        return n;
    const char16_t *d = reinterpret_cast<const char16_t *>(text.data());
    if (certain(d, n, position + 1, joinTable()))
        return position + 1;
    const auto [a, b] = window(text, position, position + 1);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.sliced(a, b - a));
    finder.setPosition(position - a);
    const qsizetype found = finder.toNextBoundary();
    return found < 0 ? b : a + found;
}

qsizetype previous(QStringView text, qsizetype position)
{
    if (position <= 0)
        return 0;
    const char16_t *d = reinterpret_cast<const char16_t *>(text.data());
    if (certain(d, text.size(), position - 1, joinTable()))
        return position - 1;
    const auto [a, b] = window(text, position - 1, position);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.sliced(a, b - a));
    finder.setPosition(position - a);
    const qsizetype found = finder.toPreviousBoundary();
    return found < 0 ? a : a + found;
}

qsizetype snapDown(QStringView text, qsizetype position)
{
    return isBoundary(text, position) ? position : previous(text, position);
}

qsizetype snapUp(QStringView text, qsizetype position)
{
    return isBoundary(text, position) ? position : next(text, position);
}

} // namespace Graphemes

qsizetype ClusterCursor::end(qsizetype start)
{
    const qsizetype n = text_.size();
    if (start >= n)
        return n;
    const char16_t *d = reinterpret_cast<const char16_t *>(text_.data());
    const unsigned char *join = join_;
    if (start + 1 == n || (!join[d[start]] && !join[d[start + 1]]))
        return start + 1;
    if (const qsizetype end = withSoundMarks(d, n, start, join); end > 0)
        return end;
    // A supplementary character alone (𠮷, an emoji without modifier or joiner) is one cluster.
    if (QChar::isHighSurrogate(d[start]) && QChar::isLowSurrogate(d[start + 1]) && certain(d, n, start + 2, join))
        return start + 2;
    if (!finder_ || start < from_ || start >= trusted_) {
        // From this boundary to the next one that is sure, or as far as the reach goes and
        // back to the last boundary found there.
        qsizetype b = start + 1;
        while (b < n && b - start < kReach && !certain(d, n, b, join))
            ++b;
        const bool sure = b >= n || certain(d, n, b, join);
        const qsizetype to = sure ? b : std::min(n, b + 64);
        finder_.emplace(QTextBoundaryFinder::Grapheme, text_.sliced(start, to - start));
        from_ = start;
        trusted_ = to;
        if (!sure) {
            finder_->setPosition(b - start);
            const qsizetype last = finder_->isAtBoundary() ? b - start : finder_->toPreviousBoundary();
            trusted_ = last > 0 ? start + last : to;
        }
    }
    finder_->setPosition(start - from_);
    const qsizetype found = finder_->toNextBoundary();
    return found < 0 ? trusted_ : std::min(trusted_, from_ + found);
}
