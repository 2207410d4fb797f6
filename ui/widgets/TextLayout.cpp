#include "ui/widgets/TextLayout.h"

#include "core/Graphemes.h"
#include "core/HugePages.h"
#include "core/TwoThreads.h"
#include "ui/widgets/TextLayoutUnits.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace TextLayoutUnits;

const unsigned char *TextLayoutUnits::unitKinds()
{
    static const std::array<unsigned char, 0x10000> kinds = [] {
        std::array<unsigned char, 0x10000> table{};
        const unsigned char *join = Graphemes::joinTable();
        for (size_t c = 0; c < table.size(); ++c)
            table[c] = join[c] ? MayJoin : Plain;
        table[u'\n'] = LineBreak;
        table[u'\t'] = Tab;
        return table;
    }();
    return kinds.data();
}

qint64 LineStarts::operator[](size_t line) const
{
    if (!wraps_)
        return hard_[line];
    // The hard line the display line belongs to is the last whose own display line is at or
    // before it: hard line h is display line h + the wrap points before its start.
    size_t lo = 0, hi = hard_.size();
    while (hi - lo > 1) {
        const size_t mid = lo + (hi - lo) / 2;
        if (mid + wraps_->countUpTo(hard_[mid] - 1) <= line)
            lo = mid;
        else
            hi = mid;
    }
    const size_t first = lo + wraps_->countUpTo(hard_[lo] - 1);
    return line == first ? hard_[lo] : (*wraps_)[line - lo - 1];
}

qint64 LineStarts::lineAt(qint64 position) const
{
    const size_t count = hard_.countUpTo(position) + (wraps_ ? wraps_->countUpTo(position) : 0);
    return std::max<qint64>(0, qint64(count) - 1);
}

std::vector<qint64> LineStarts::all() const
{
    std::vector<qint64> out;
    out.reserve(size());
    for (size_t h = 0, w = 0; h < hard_.size(); ++h) {
        out.push_back(hard_[h]);
        const qint64 next = h + 1 < hard_.size() ? hard_[h + 1] : std::numeric_limits<qint64>::max();
        for (; wraps_ && w < wraps_->size() && (*wraps_)[w] < next; ++w)
            out.push_back((*wraps_)[w]);
    }
    return out;
}

void TextLayout::setKeepTogether(std::vector<std::pair<qint64, qint64>> spans)
{
    auto bases = std::make_shared<Aozora::Rubies>();
    bases->reserve(spans.size());
    for (const auto &[start, end] : spans)
        bases->push_back({{start, end - start}});
    setKeepTogether(std::move(bases));
}

void TextLayout::setKeepTogether(std::shared_ptr<const Aozora::Rubies> bases)
{
    const auto sameSpans = [](const Aozora::Ruby &a, const Aozora::Ruby &b) { return a.base == b.base; };
    const Aozora::Rubies &now = bases ? *bases : kNoBases;
    if (bases == together_
        || std::equal(now.begin(), now.end(), together().begin(), together().end(), sameSpans)) {
        together_ = std::move(bases);
        return;
    }
    together_ = std::move(bases);
    wrappedRoom_ = -1;
}

void TextLayout::setLineShapes(std::vector<LineShape> shapes)
{
    if (shapes.empty() && shapes_.empty())
        return;
    shapes_ = std::move(shapes);
    invalidate();
}

const TextLayout::LineShape *TextLayout::shapeOf(size_t line) const
{
    const auto found = std::partition_point(shapes_.begin(), shapes_.end(),
                                            [line](const LineShape &shape) { return shape.line < line; });
    return found != shapes_.end() && found->line == line ? &*found : nullptr;
}

const TextLayout::LineShape *TextLayout::shapeAt(qint64 position) const
{
    if (shapes_.empty() || !hardValid_)
        return nullptr;
    return shapeOf(size_t(text_->lineOf(position)));
}

void TextLayout::invalidate()
{
    hardValid_ = false;
    wrappedRoom_ = -1;
    // The old layout goes at once, so a large text does not hold it through the next load.
    hard_ = {};
    wraps_ = {};
    evenLines_ = {};
    draft_.reset();
}

void TextLayout::extend(qint64 from)
{
    // A book's shapes and kept-together bases are set for the text as it was.
    if (!hardValid_ || !shapes_.empty() || !together().empty() || hard_.widths.empty()) {
        invalidate();
        return;
    }
    const size_t first = std::min(size_t(text_->lineOf(from)), hard_.widths.size() - 1);
    const size_t lines = size_t(text_->lineCount());
    const qint64 start = text_->lineStart(qint64(first));
    hard_.widths.resize(first);
    hard_.general.truncate(first);
    hard_.clusters.truncate(first);
    TextStore::Reader reader(*text_);
    const QStringView added = reader.range(start, text_->size());
    widths_->learn(added);
    HardLines more;
    Measure measure;
    measureUnits(added.utf16(), start, added.size(), measure, more);
    closeLine(measure, more);
    for (size_t i = 0; more.anyClusters && i < more.clusters.size(); ++i) {
        if (!more.clusters[i])
            continue;
        const qint64 lineFrom = text_->lineStart(qint64(first + i)) - start;
        const qint64 lineTo = first + i + 1 < lines ? text_->lineStart(qint64(first + i + 1)) - 1 - start : added.size();
        const float width = float(learnClusters(added.sliced(lineFrom, lineTo - lineFrom)));
        more.widths[i] = storedWidth(width);
        more.widest = std::max(more.widest, width);
    }
    hard_.append(more);
    maxWidth_ = hard_.widest;
    if (wrappedRoom_ < 0)
        return;
    wraps_.truncate(wraps_.countUpTo(start));
    if (maxWidth_ <= wrappedRoom_ - 0.5)
        return;
    // The lines past the record of even lines go without one until the next wrap at another room.
    evenLines_.resize(std::min(evenLines_.size(), first));
    TextStore::LineReader lineReader(*text_);
    wrapRange(first, lines, wrappedRoom_, lineReader, wraps_);
}

void TextLayout::setWidths(std::shared_ptr<CharWidths> widths)
{
    if (widths == widths_)
        return;
    widths_ = std::move(widths);
    invalidate();
}

qreal TextLayout::tabWidth(qreal x) const
{
    const qreal stop = kTabColumns * widths_->width(u' ');
    if (stop <= 0)
        return 0;
    return stop - std::fmod(x, stop);
}

qreal TextLayout::advance(QStringView cluster, qreal x, CharWidths &widths) const
{
    const char16_t c = cluster.front().unicode();
    if (cluster.size() == 1 && unitKinds()[c] != MayJoin)
        return c == u'\t' ? tabWidth(x) : widths.width(c);
    return widths.knownCluster(cluster);
}

qreal TextLayout::learnClusters(QStringView text, CharWidths &widths) const
{
    qreal x = 0;
    eachCluster(
        text,
        [&](QStringView cluster) {
            x += widths.learnCluster(cluster);
            return true;
        },
        [&](char16_t c) {
            x += c == u'\t' ? tabWidth(x) : widths.width(c);
            // A line break starts the next line at 0.
            if (c == u'\n')
                x = 0;
            return true;
        });
    return x;
}

std::optional<qreal> TextLayout::knownWidth(QStringView line) const
{
    qreal x = 0;
    const bool known = eachCluster(
        line,
        [&](QStringView cluster) {
            if (!widths_->knowsCluster(cluster))
                return false;
            x += widths_->knownCluster(cluster);
            return true;
        },
        [&](char16_t c) {
            x += c == u'\t' ? tabWidth(x) : widths_->known(c);
            return true;
        });
    return known ? std::optional<qreal>(x) : std::nullopt;
}

LineStarts TextLayout::lineStarts(bool wrap, int room)
{
    if (!hardValid_)
        buildHard(wrap ? room : -1);
    if (!wrap)
        return {text_->lineStarts(), nullptr};
    if (wrappedRoom_ != room)
        buildWrapped(room);
    return {text_->lineStarts(), &wraps_};
}

qreal TextLayout::maxLineWidth()
{
    if (!hardValid_)
        buildHard();
    return maxWidth_;
}

std::vector<qint64> TextLayout::plainLineStarts(bool wrap, int room) const
{
    const QString all = text_->whole();
    widths_->learn(all);
    widths_->width(u' ');
    learnClusters(all);
    Positions out;
    for (qsizetype start = 0, line = 0;; ++line) {
        const qsizetype lineBreak = all.indexOf(QLatin1Char('\n'), start);
        const qsizetype end = lineBreak < 0 ? all.size() : lineBreak;
        out.push_back(start);
        const QStringView text = QStringView(all).sliced(start, end - start);
        if (const LineShape *shape = shapeOf(size_t(line)); wrap && shape) {
            CharWidths &widths = shape->widths ? *shape->widths : *widths_;
            widths.learn(text);
            learnClusters(text, widths);
            wrapWalk(text, start, std::max<qreal>(1, room - shape->inset), out, widths);
        } else if (wrap) {
            wrapWalk(text, start, room, out);
        }
        if (lineBreak < 0)
            return LineStarts(out, nullptr).all();
        start = lineBreak + 1;
    }
}

void TextLayout::buildHard(int room)
{
    hardBuilds_ += text_->isEmpty() ? 0 : 1;
    wrappedRoom_ = -1;
    if (!text_->held()) {
        if (!takeDraft(room))
            buildHardInPieces(room);
        return;
    }
    const qsizetype n = text_->size();
    const QStringView all(*text_->held());
    // A break after the middle, so that each half starts a line.
    const qsizetype split = n >= kTwoThreadsFrom ? all.indexOf(QLatin1Char('\n'), n / 2) + 1 : 0;

    // The widths the text needs are asked from the font first, all at once: the font is
    // only used here, on this thread.
    widths_->width(u' ');
    if (split > 0) {
        SeenUnits first(0x10000), second(0x10000);
        runOnTwoThreads([&] { markUnits(all.first(split), first); }, [&] { markUnits(all.sliced(split), second); });
        for (size_t c = 0; c < first.size(); ++c)
            first[c] |= second[c];
        const std::vector<char16_t> units = unknownUnits(*widths_, first);
        widths_->learn(QStringView(reinterpret_cast<const QChar *>(units.data()), qsizetype(units.size())));
    } else {
        widths_->learn(all);
    }

    hard_ = {};
    wraps_ = {};
    hard_.reserve(size_t(n / 48 + 1));
    if (split > 0) {
        std::vector<HardLines> pieces;
        runOnTwoThreads([&] { measureRange(0, split, hard_); },
                        [&] {
                            for (qsizetype from = split; from < n;) {
                                const qsizetype lineBreak = from + kPieceUnits < n ? all.indexOf(QLatin1Char('\n'), from + kPieceUnits) : -1;
                                const qsizetype to = lineBreak < 0 ? n : lineBreak + 1;
                                measureRange(from, to, pieces.emplace_back());
                                from = to;
                            }
                        });
        for (HardLines &piece : pieces)
            hard_.append(piece);
    } else {
        measureRange(0, n, hard_);
    }
    // The lines with units that may join are measured again, cluster by cluster, here where
    // the font may be asked.
    measureClusterLines();
}

void TextLayout::measureClusterLines()
{
    if (hard_.anyClusters) {
        TextStore::Reader reader(*text_);
        const Positions &starts = text_->lineStarts();
        for (size_t line = 0; line < hard_.clusters.size(); ++line) {
            if (!hard_.clusters[line])
                continue;
            const float width = float(learnClusters(reader.range(starts[line], lineEnd(line))));
            hard_.widths[line] = storedWidth(width);
            hard_.widest = std::max(hard_.widest, width);
        }
    }
    measureShapedLines();
    maxWidth_ = hard_.widest;
    hardValid_ = true;
    // A large file may grow while it is shown (see extend): room for it is made now, while
    // it is read, rather than by a copy of every line's record at its first growth.
    if (text_->isLazy())
        hard_.reserve(hard_.widths.size() + hard_.widths.size() / 16 + 1024);
}

void TextLayout::measureShapedLines()
{
    TextStore::Reader reader(*text_);
    for (const LineShape &shape : shapes_) {
        if (shape.line >= hard_.widths.size())
            break;
        const QStringView text = reader.range(text_->lineStart(qint64(shape.line)), lineEnd(shape.line));
        CharWidths &widths = shape.widths ? *shape.widths : *widths_;
        widths.learn(text);
        const float width = float(learnClusters(text, widths) + shape.inset);
        hard_.widths[shape.line] = storedWidth(width);
        // Walked in full, in its own font and room.
        hard_.general.set(shape.line, true);
        hard_.widest = std::max(hard_.widest, width);
    }
}

void TextLayout::HardLines::reserve(size_t lines)
{
    widths.reserve(lines);
    general.reserve(lines);
    clusters.reserve(lines);
}

void TextLayout::HardLines::append(HardLines &more)
{
    widths.insert(widths.end(), more.widths.begin(), more.widths.end());
    general.append(more.general);
    clusters.append(more.clusters);
    anyClusters = anyClusters || more.anyClusters;
    widest = std::max(widest, more.widest);
    more = {};
}

qsizetype TextLayout::lineEnd(size_t line) const
{
    return line + 1 < hard_.widths.size() ? text_->lineStart(qint64(line) + 1) - 1 : text_->size();
}

// From the start of a line to `to`: the start of every further line, and the width of every
// line and whether it needs the general walk or a measure by cluster, the last line (which runs
// on past `to` or ends the text) included. A line with units that may join gets the sum of its
// units here; buildHard() measures it again.
void TextLayout::measureRange(qsizetype from, qsizetype to, HardLines &out) const
{
    Measure measure;
    measureUnits(reinterpret_cast<const char16_t *>(text_->held()->constData()) + from, from, to - from, measure, out);
    // A range ends just after a line break or at the end of the text, which closes a line.
    if (to == text_->size())
        closeLine(measure, out);
}

void TextLayout::measureUnits(const char16_t *d, qint64 base, qsizetype count, Measure &measure, HardLines &out,
                              Positions *starts) const
{
    const CharWidths &table = *widths_;
    const unsigned char *kinds = unitKinds();
    qreal x = measure.x;
    bool tab = measure.tab;
    bool clusters = measure.clusters;
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t c = d[i];
        const unsigned char kind = kinds[c];
        if (kind == Plain) {
            const float width = table.known(c);
            // A unit the table has not learnt (a file not in code page 932 holds any) is measured
            // with its line again where the font may be asked, as a cluster is.
            if (std::bit_cast<quint32>(width) == 0) {
                clusters = true;
                out.anyClusters = true;
            }
            x += width;
        } else if (kind == LineBreak) {
            out.widths.push_back(storedWidth(float(x)));
            if (!clusters) // measured again by cluster
                out.widest = std::max(out.widest, float(x));
            out.general.push_back(tab || clusters);
            out.clusters.push_back(clusters);
            if (starts)
                starts->push_back(base + i + 1);
            x = 0;
            tab = false;
            clusters = false;
        } else if (kind == Tab) {
            x += tabWidth(x);
            tab = true;
        } else {
            x += table.known(c);
            clusters = true;
            out.anyClusters = true;
        }
    }
    measure = {x, tab, clusters};
}

void TextLayout::closeLine(Measure &measure, HardLines &out) const
{
    out.widths.push_back(storedWidth(float(measure.x)));
    if (!measure.clusters)
        out.widest = std::max(out.widest, float(measure.x));
    out.general.push_back(measure.tab || measure.clusters);
    out.clusters.push_back(measure.clusters);
    measure = {};
}
