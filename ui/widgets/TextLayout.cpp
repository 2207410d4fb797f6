#include "ui/widgets/TextLayout.h"

#include "core/Graphemes.h"
#include "core/HugePages.h"
#include "core/TwoThreads.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

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
quint16 storedWidth(float width)
{
    return width >= kTooWide ? kTooWide : quint16(std::ceil(width));
}
qreal widthOf(quint16 stored)
{
    return stored == kTooWide ? std::numeric_limits<qreal>::infinity() : qreal(stored);
}

// A line may break before or after a character of the wide scripts, as Japanese text does.
inline bool breaksAround(char16_t c)
{
    return c >= 0x2E80 && !(c >= 0xFF61 && c <= 0xFF9F) && !(c >= 0xD800 && c <= 0xDFFF);
}

// What the measuring walk must look at in a unit: nothing (a width to add), a line break, a
// tab, or a unit that may join its neighbours into a cluster.
enum UnitKind : unsigned char { Plain, LineBreak, Tab, MayJoin };

const unsigned char *unitKinds()
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

// Marks every unit of text that occurs: one plain store per character, no test, so that a
// pass over a large text costs little more than reading it.
using SeenUnits = std::vector<unsigned char>;

void markUnits(QStringView text, SeenUnits &seen)
{
    const char16_t *d = reinterpret_cast<const char16_t *>(text.data());
    unsigned char *mark = seen.data();
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        mark[d[i]] = 1;
}

// The marked units whose width the table lacks.
std::vector<char16_t> unknownUnits(const CharWidths &widths, const SeenUnits &seen)
{
    std::vector<char16_t> units;
    for (size_t c = 0; c < seen.size(); ++c)
        if (seen[c] && !widths.isKnown(char16_t(c)))
            units.push_back(char16_t(c));
    return units;
}

std::vector<char16_t> unknownUnits(const CharWidths &widths, QStringView text)
{
    if (text.size() >= 0x4000) {
        SeenUnits seen(0x10000);
        markUnits(text, seen);
        return unknownUnits(widths, seen);
    }
    // A short text: cheaper to test each character than to sweep the whole mark table.
    std::vector<bool> seen(0x10000);
    std::vector<char16_t> units;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!widths.isKnown(c) && !seen[c]) {
            seen[c] = true;
            units.push_back(c);
        }
    }
    return units;
}

// Reading a glyph's advance through the font engine loads and hints its outline, which costs
// more than all the rest of a load for a text of a few thousand distinct kanji. The face's
// metrics table gives the same advances at once; a sample of glyphs asked the slow way must
// agree, or the table is not used. Gives false when the table cannot be used.
bool advancesFromTable(const QRawFont &raw, const quint32 *glyphs, int count, QPointF *advances)
{
    constexpr int kWorthIt = 32;
    constexpr int kSample = 24;
    if (count < kWorthIt)
        return false;
    const QByteArray head = raw.fontTable("head");
    const QByteArray hhea = raw.fontTable("hhea");
    const QByteArray hmtx = raw.fontTable("hmtx");
    const auto u16 = [](const QByteArray &t, qsizetype at) {
        return quint32(quint8(t[at])) << 8 | quint8(t[at + 1]);
    };
    if (head.size() < 54 || hhea.size() < 36)
        return false;
    const quint32 unitsPerEm = u16(head, 18);
    const quint32 metrics = u16(hhea, 34);
    if (unitsPerEm == 0 || metrics == 0 || hmtx.size() < qsizetype(metrics) * 4)
        return false;
    const qreal scale = raw.pixelSize() / unitsPerEm;
    const auto design = [&](quint32 glyph) { return u16(hmtx, 4 * qsizetype(std::min(glyph, metrics - 1))) * scale; };

    std::vector<quint32> sample;
    for (int k = 0; k < kSample; ++k)
        sample.push_back(glyphs[qsizetype(k) * count / kSample]);
    std::vector<QPointF> truth(sample.size());
    raw.advancesForGlyphIndexes(sample.data(), truth.data(), int(sample.size()), QRawFont::SeparateAdvances);
    // The engine gives whole pixels where it hints, fractions where it does not.
    for (bool rounded : {true, false}) {
        const auto advance = [&](quint32 glyph) { return rounded ? qreal(qRound(design(glyph))) : design(glyph); };
        bool agrees = true;
        for (size_t k = 0; k < sample.size() && agrees; ++k)
            agrees = std::abs(advance(sample[k]) - truth[k].x()) < 1.0 / 128;
        if (!agrees)
            continue;
        for (int i = 0; i < count; ++i)
            advances[i] = QPointF(advance(glyphs[i]), 0);
        return true;
    }
    return false;
}

} // namespace

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

std::shared_ptr<CharWidths> CharWidths::of(const QFont &font)
{
    static QHash<QString, std::shared_ptr<CharWidths>> tables;
    // The key names the first family only; the fallback families change widths too.
    const QString key = font.key() + QLatin1Char('/') + font.families().join(QLatin1Char(','));
    std::shared_ptr<CharWidths> &table = tables[key];
    if (!table) {
        if (tables.size() > 32) { // a run that tries many sizes; the views keep theirs
            tables.clear();
            return tables[key] = std::make_shared<CharWidths>(font);
        }
        table = std::make_shared<CharWidths>(font);
    }
    return table;
}

namespace {

// Zeroed by the system, not by a write: calloc leaves fresh pages untouched.
template <typename T>
T *zeroedTable()
{
    if (void *data = std::calloc(0x10000, sizeof(T)))
        return static_cast<T *>(data);
    throw std::bad_alloc();
}

// A learnt width as the table keeps it (see isKnown).
float learntWidth(float width)
{
    return width > 0 ? width : -0.0f;
}

} // namespace

CharWidths::CharWidths(const QFont &font)
    : font_(font), table_(zeroedTable<float>()), glyphs_(zeroedTable<quint32>())
{
}

CharWidths::CharWidths(const CharWidths &other)
    : font_(other.font_), raw_(other.raw_), rawMade_(other.rawMade_), table_(zeroedTable<float>()),
      glyphs_(zeroedTable<quint32>()), clusters_(other.clusters_), learnt_(other.learnt_)
{
    std::copy_n(other.table_.get(), 0x10000, table_.get());
    std::copy_n(other.glyphs_.get(), 0x10000, glyphs_.get());
}

void CharWidths::learn(QStringView text)
{
    const std::vector<char16_t> units = unknownUnits(*this, text);
    if (!units.empty())
        fill(units);
}

void CharWidths::fill(const std::vector<char16_t> &units)
{
    const QFontMetricsF metrics(font_);
    // A supplementary character is as wide as a kanji; its high half carries the width.
    constexpr char16_t kKanji = 0x56FD;
    std::vector<QChar> asked;
    asked.reserve(units.size() + 1);
    for (char16_t c : units) {
        if (QChar::isLowSurrogate(c))
            table_[c] = learntWidth(0);
        else if (!QChar::isHighSurrogate(c))
            asked.push_back(QChar(c));
    }
    const bool needKanji = std::any_of(units.begin(), units.end(), [](char16_t c) { return QChar::isHighSurrogate(c); });
    if (needKanji && !isKnown(kKanji))
        asked.push_back(QChar(kKanji));

    // One request for all glyphs of the face itself; what it lacks comes from the fallback
    // faces, one character at a time, as the painter would find it.
    if (!rawMade_) {
        raw_ = QRawFont::fromFont(font_);
        rawMade_ = true;
    }
    const QRawFont &raw = raw_;
    int count = int(asked.size());
    std::vector<quint32> glyphs(asked.size() + 1, 0);
    std::vector<QPointF> advances(asked.size() + 1);
    if (raw.isValid() && count > 0) {
        raw.glyphIndexesForChars(asked.data(), count, glyphs.data(), &count);
        if (!advancesFromTable(raw, glyphs.data(), count, advances.data()))
            raw.advancesForGlyphIndexes(glyphs.data(), advances.data(), count, QRawFont::SeparateAdvances);
    }
    for (size_t i = 0; i < asked.size(); ++i) {
        const QChar ch = asked[i];
        const bool own = raw.isValid() && qsizetype(i) < count && glyphs[i] != 0
                         && ch.category() != QChar::Mark_NonSpacing && ch.unicode() >= 0x20;
        // No width is below zero: the wrap relies on it.
        table_[ch.unicode()] = learntWidth(float(own ? advances[i].x() : metrics.horizontalAdvance(ch)));
        glyphs_[ch.unicode()] = own ? glyphs[i] : 0;
    }
    learnt_ += qint64(asked.size());
    for (char16_t c : units)
        if (QChar::isHighSurrogate(c))
            table_[c] = table_[kKanji];
}

qreal CharWidths::learnCluster(QStringView cluster)
{
    const auto found = clusters_.constFind(QString::fromRawData(cluster.data(), cluster.size()));
    if (found != clusters_.constEnd())
        return *found;
    const QString key = cluster.toString();
    const float width = float(std::max(0.0, QFontMetricsF(font_).horizontalAdvance(key)));
    clusters_.insert(key, width);
    return width;
}

qreal CharWidths::knownCluster(QStringView cluster) const
{
    // A key over the text itself: no copy for a look-up.
    const QString key = QString::fromRawData(cluster.data(), cluster.size());
    const auto found = clusters_.constFind(key);
    if (found != clusters_.constEnd())
        return *found;
    qreal sum = 0;
    for (const QChar c : cluster)
        sum += std::max(0.0f, table_[c.unicode()]);
    return sum;
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

namespace {

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

} // namespace

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

void TextLayout::buildHardInPieces(int room)
{
    const qint64 n = text_->size();
    widths_->learn(TextStore::cp932Repertoire());
    // Measured as the threads that read a file measure it: the text's two halves are two runs
    // of a draft, each read on a thread of its own, and the draft is taken as a load's is.
    auto draft = std::make_shared<LayoutDraft>(widths_, room);
    const qint64 split = n >= kTwoThreadsFrom ? n / 2 : n;
    const auto feed = [&](size_t run, qint64 from, qint64 to) {
        TextStore::Reader reader(*text_);
        for (qint64 at = from; at < to; at += kPieceUnits)
            draft->piece(run, reader.range(at, std::min(to, at + qint64(kPieceUnits))), at - from);
    };
    if (split < n)
        runOnTwoThreads([&] { feed(0, 0, split); }, [&] { feed(1, split, n); });
    else
        feed(0, 0, n);
    draft->runStarts_ = split < n ? std::vector<qint64>{0, split} : std::vector<qint64>{0};
    draft->size_ = n;
    draft_ = std::move(draft);
    takeDraft(room);
}

void TextLayout::finishInPieces(int room, const std::vector<size_t> &later)
{
    measureClusterLines();
    if (room <= 0)
        return;
    ++wrapBuilds_;
    wrappedRoom_ = room;
    if (later.empty())
        return;
    // The lines left for now are wrapped here and their wrap points merged in order.
    Positions late;
    TextStore::Reader reader(*text_);
    const Positions &starts = text_->lineStarts();
    for (const size_t line : later) {
        const qreal width = widthOf(hard_.widths[line]);
        if (width > room - 0.5)
            wrapWalk(reader.range(starts[line], lineEnd(line)), starts[line], room, late);
    }
    wraps_.merge(late);
}

LayoutDraft::LayoutDraft(std::shared_ptr<CharWidths> widths, int room) : source_(std::move(widths)), room_(room)
{
    // The clusters such a file holds, its units that may join standing alone and the half-width
    // kana with their sound marks, are learnt here, where the font may be asked.
    source_->width(u' ');
    const unsigned char *kinds = unitKinds();
    for (const QChar c : TextStore::cp932Repertoire())
        if (kinds[c.unicode()] == MayJoin)
            source_->learnCluster(QStringView(&c, 1));
    for (const char16_t mark : {u'\uFF9E', u'\uFF9F'}) {
        for (char16_t base = 0xFF61; base <= 0xFF9F; ++base) {
            const char16_t pair[] = {base, mark};
            source_->learnCluster(QStringView(pair, 2));
        }
    }
    measurer_.widths_ = std::make_shared<CharWidths>(*source_);
}

TextStore::IndexWatch LayoutDraft::watch()
{
    // The reading threads may outlive the window's interest in the draft: they keep it.
    const std::shared_ptr<LayoutDraft> self = shared_from_this();
    return {[self](size_t index, QStringView units, qint64 at) { self->piece(index, units, at); },
            [self](std::vector<qint64> runStarts, qint64 size) {
                const std::lock_guard lock(self->mutex_);
                self->runStarts_ = std::move(runStarts);
                self->size_ = size;
            }};
}

LayoutDraft::Run &LayoutDraft::run(size_t index)
{
    const std::lock_guard lock(mutex_);
    while (runs_.size() <= index) {
        Run &made = runs_.emplace_back();
        made.room = room_;
        made.hard.reserve(1 << 16);
    }
    return runs_[index];
}

void LayoutDraft::piece(size_t index, QStringView units, qint64 at)
{
    // Lines longer than this are not kept across pieces: the layout wraps them.
    constexpr qsizetype kOpenMax = 1 << 20;
    // The most a run keeps of lines with clusters not learnt; the rest are read again.
    constexpr qsizetype kKeptMax = 4 << 20;
    Run &r = run(index);
    // The starts that follow the lines this piece closes; the text's own index keeps them all.
    r.starts.clear();
    measurer_.measureUnits(reinterpret_cast<const char16_t *>(units.data()), at, units.size(), r.measure, r.hard,
                           &r.starts);
    for (size_t closed = 0; r.next < r.hard.widths.size(); ++r.next, ++closed) {
        const qint64 start = r.lineStart;
        const qint64 end = r.starts[closed] - 1; // its line break
        r.lineStart = end + 1;
        // A run's first line began in the run before (but the text's first): left to the layout.
        if (index > 0 && r.next == 0)
            continue;
        const bool clusters = r.hard.clusters[r.next];
        if (!clusters && (r.room <= 0 || widthOf(r.hard.widths[r.next]) <= r.room - 0.5))
            continue;
        if (start < at && r.openStart != start) { // its start is no longer held
            if (r.room > 0)
                r.later.push_back(r.next);
            continue;
        }
        if (start < at)
            r.open.append(units.first(end - at));
        const QStringView text = start >= at ? units.sliced(start - at, end - start) : QStringView(r.open);
        if (clusters) {
            const std::optional<qreal> exact = measurer_.knownWidth(text);
            if (!exact) {
                if (r.keptText.size() + text.size() <= kKeptMax) {
                    r.kept.push_back({r.next, start, r.keptText.size(), text.size()});
                    r.keptText.append(text);
                    noteUnlearnt(text);
                } else if (r.room > 0) {
                    r.later.push_back(r.next);
                }
                continue;
            }
            r.hard.widths[r.next] = storedWidth(float(*exact));
            r.hard.clusters.set(r.next, false);
            r.hard.widest = std::max(r.hard.widest, float(*exact));
        }
        const qreal width = widthOf(r.hard.widths[r.next]);
        if (r.room <= 0 || width <= r.room - 0.5)
            continue;
        if (r.hard.general[r.next])
            measurer_.wrapWalk(text, start, r.room, r.wraps);
        else
            measurer_.wrapPlainLine(text, start, width, r.room, r.wraps);
    }
    // What the line still open holds so far, for the piece that closes it.
    if (r.lineStart >= at) {
        r.open = units.sliced(r.lineStart - at).toString();
        r.openStart = r.lineStart;
    } else if (r.openStart == r.lineStart && r.open.size() + units.size() <= kOpenMax) {
        r.open.append(units);
    } else {
        r.open.clear();
        r.openStart = -1;
    }
}

void LayoutDraft::noteUnlearnt(QStringView line)
{
    std::vector<QString> found;
    const CharWidths &known = *measurer_.widths_;
    eachCluster(
        line,
        [&](QStringView cluster) {
            if (!known.knowsCluster(cluster))
                found.push_back(cluster.toString());
            return true;
        },
        [](char16_t) { return true; });
    QCoreApplication *app = QCoreApplication::instance();
    const std::lock_guard lock(mutex_);
    unlearnt_.insert(unlearnt_.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    if (learnPosted_ || !app || unlearnt_.empty())
        return;
    learnPosted_ = true;
    QMetaObject::invokeMethod(
        app,
        [weak = weak_from_this()] {
            if (const std::shared_ptr<LayoutDraft> draft = weak.lock())
                draft->learnNoted();
        },
        Qt::QueuedConnection);
}

void LayoutDraft::learnNoted()
{
    std::vector<QString> clusters;
    {
        const std::lock_guard lock(mutex_);
        clusters.swap(unlearnt_);
        learnPosted_ = false;
    }
    for (const QString &cluster : clusters)
        source_->learnCluster(cluster);
}

bool TextLayout::takeDraft(int room)
{
    const std::shared_ptr<LayoutDraft> draft = std::move(draft_);
    if (!draft || draft->source_ != widths_)
        return false;
    const std::lock_guard lock(draft->mutex_);
    if (draft->size_ != text_->size() || draft->runStarts_.size() < draft->runs_.size())
        return false;
    hard_ = {};
    wraps_ = {};
    size_t lines = 1, wraps = 0;
    for (const LayoutDraft::Run &r : draft->runs_) {
        lines += r.hard.widths.size();
        wraps += r.wraps.size();
    }
    hard_.reserve(lines);
    // With room for the wraps of the lines left to the layout, a few per run.
    wraps_.reserve(wraps + 4 * draft->runs_.size() + 16);
    // Runs wrapped at another room (the window changed while the file was read) are wrapped
    // again here, line by line; when most were, the usual wrap on two threads is quicker.
    const auto stale = std::count_if(draft->runs_.begin(), draft->runs_.end(),
                                     [room](const LayoutDraft::Run &r) { return r.room != room; });
    // A wrap that keeps spans together is the layout's own.
    const bool wrapTaken = room > 0 && together().empty() && size_t(2 * stale) <= draft->runs_.size();
    std::vector<size_t> later;
    const auto leaveToLayout = [&](size_t line) {
        // Measured again whole, and wrapped by the general walk.
        hard_.general.set(line, true);
        hard_.clusters.set(line, true);
        hard_.anyClusters = true;
        later.push_back(line);
    };
    for (size_t k = 0; k < draft->runs_.size(); ++k) {
        LayoutDraft::Run &r = draft->runs_[k];
        const qint64 base = draft->runStarts_[k];
        const size_t first = hard_.widths.size();
        hard_.widths.insert(hard_.widths.end(), r.hard.widths.begin(), r.hard.widths.end());
        hard_.general.append(r.hard.general);
        hard_.clusters.append(r.hard.clusters);
        hard_.anyClusters = hard_.anyClusters || r.hard.anyClusters;
        hard_.widest = std::max(hard_.widest, r.hard.widest);
        if (k > 0 && !r.hard.widths.empty())
            leaveToLayout(first);
        // The kept lines are measured (their clusters learnt) and, in a wrap taken, wrapped.
        Positions keptWraps;
        for (const LayoutDraft::Run::Kept &kept : r.kept) {
            const QStringView text = QStringView(r.keptText).sliced(kept.at, kept.length);
            const size_t line = first + kept.line;
            const float width = float(learnClusters(text));
            hard_.widths[line] = storedWidth(width);
            hard_.clusters.set(line, false);
            hard_.widest = std::max(hard_.widest, width);
            if (wrapTaken && r.room == room && width > room - 0.5)
                wrapWalk(text, kept.start, room, keptWraps);
        }
        r.wraps.merge(keptWraps);
        if (wrapTaken && r.room == room) {
            wraps_.appendShifted(r.wraps, base);
            for (const size_t line : r.later)
                later.push_back(first + line);
        } else if (wrapTaken) {
            for (size_t line = first + (k > 0 ? 1 : 0); line < hard_.widths.size(); ++line)
                if (hard_.clusters[line] || widthOf(hard_.widths[line]) > room - 0.5)
                    later.push_back(line);
        }
        r = {};
    }
    // The last line has no line break to close it in any run.
    hard_.widths.push_back(0);
    hard_.general.push_back(true);
    hard_.clusters.push_back(true);
    leaveToLayout(hard_.widths.size() - 1);
    if (!wrapTaken) {
        later.clear();
        room = -1;
    }
    finishInPieces(room, later);
    return true;
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
            x += table.known(c);
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

void TextLayout::buildWrapped(int room)
{
    wrapBuilds_ += text_->isEmpty() ? 0 : 1;
    wrappedRoom_ = room;
    // Cleared with its room kept: pages touched again cost no fault.
    wraps_.clear();
    // Where every line fits, there is no wrap point to find; the margin is wrapRange's own.
    if (maxWidth_ <= room - 0.5)
        return;
    const size_t lines = hard_.widths.size();
    if (evenLines_.size() != lines)
        evenLines_.assign(lines, kNotSeen);
    if (text_->size() >= kTwoThreadsFrom) {
        const size_t half = lines / 2;
        std::vector<Positions> pieces;
        runOnTwoThreads([&] {
                            TextStore::LineReader reader(*text_);
                            wrapRange(0, half, room, reader, wraps_);
                        },
                        [&] {
                            TextStore::LineReader reader(*text_);
                            for (size_t from = half; from < lines; from += kPieceLines)
                                wrapRange(from, std::min(lines, from + kPieceLines), room, reader,
                                          pieces.emplace_back());
                        });
        size_t total = wraps_.size();
        for (const Positions &piece : pieces)
            total += piece.size();
        wraps_.reserve(total); // grown once, not doubled on the way
        for (Positions &piece : pieces)
            wraps_.append(piece);
    } else {
        TextStore::LineReader reader(*text_);
        wrapRange(0, lines, room, reader, wraps_);
    }
}

void TextLayout::wrapRange(size_t fromLine, size_t toLine, qreal available, TextStore::LineReader &reader,
                           Positions &out) const
{
    const Positions &starts = text_->lineStarts();
    // Kept-together bases break the evenness of any line that holds one.
    const bool evenPaths = together().empty();
    for (size_t line = fromLine; line < toLine; ++line) {
        // A line narrower than the room by a safe margin cannot break; the margin covers the
        // rounding of its stored width.
        const qreal width = widthOf(hard_.widths[line]);
        if (width <= available - 0.5) {
            // A line not far narrower than the room is likely to need a walk at the next room:
            // learnt now, while the lines around it are read anyway, it costs no walk then.
            if (width > available / 2 && evenLines_[line] == kNotSeen && !hard_.general[line])
                evenLines_[line] = evenWidth(reader.line(qint64(line)));
            continue;
        }
        const qsizetype start = starts[line];
        if (!hard_.general[line]) {
            quint16 &even = evenLines_[line];
            if (evenPaths && even > kUneven) {
                wrapEvenLine(start, lineEnd(line) - start, even / 64.0, available, out);
                continue;
            }
            const QStringView text = reader.line(qint64(line));
            if (even == kNotSeen)
                even = evenWidth(text);
            wrapPlainLine(text, start, width, available, out);
            continue;
        }
        const QStringView text = reader.line(qint64(line));
        if (const LineShape *shape = shapes_.empty() ? nullptr : shapeOf(line)) {
            wrapWalk(text, start, std::max<qreal>(1, available - shape->inset), out,
                     shape->widths ? *shape->widths : *widths_);
            continue;
        }
        wrapWalk(text, start, available, out);
    }
}

// The general walk over one hard line from start to end (its line break or the end of the text),
// cluster by cluster: the start of every further display line, the line's own start not
// included. A cluster breaks around as its first unit does.
void TextLayout::wrapWalk(QStringView line, qint64 base, qreal available, Positions &out, CharWidths &widths) const
{
    const char16_t *d = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype start = 0;
    const qsizetype end = line.size();
    ClusterCursor clusters(line);
    qsizetype lineStart = start;
    qsizetype lastBreak = -1;
    qreal xAtBreak = 0;
    qreal x = 0;
    bool afterWide = false;
    // The spans are positions of the text; the walk's are of the line.
    const Aozora::Rubies &bases = together();
    auto together = std::partition_point(bases.begin(), bases.end(),
                                         [base](const auto &span) { return span.base.end() <= base; });
    qreal xAtTogether = 0;
    for (qsizetype i = start; i < end;) {
        const char16_t c = d[i];
        const qsizetype next = clusters.end(i);
        const bool wide = breaksAround(c);
        const qreal w = advance(line.sliced(i, next - i), x, widths);
        while (together != bases.end() && together->base.end() <= base + i)
            ++together;
        const bool inside = together != bases.end() && together->base.start < base + i;
        if (together != bases.end() && together->base.start == base + i)
            xAtTogether = x;
        const bool breakHere = (wide || afterWide) && !inside;
        afterWide = wide;
        if (i > lineStart && breakHere) {
            lastBreak = i;
            xAtBreak = x;
        }
        // Blanks may hang past the edge; anything else starts a new display line.
        if (x + w > available && i > lineStart && c != u' ') {
            if (lastBreak > lineStart) {
                lineStart = lastBreak;
                x -= xAtBreak;
                // A base begun before the wrap is measured from the new line's start too.
                xAtTogether -= xAtBreak;
            } else if (inside && together->base.start - base > lineStart) {
                // A base too long for what is left goes to the next line whole.
                lineStart = together->base.start - base;
                x -= xAtTogether;
            } else {
                lineStart = i;
                x = 0;
            }
            out.push_back(base + lineStart);
            lastBreak = -1;
            if (x + w > available && i > lineStart) {
                lineStart = i;
                x = 0;
                out.push_back(base + lineStart);
            }
        }
        x += w;
        if (c == u' ' || c == u'\t') {
            lastBreak = next;
            xAtBreak = x;
        }
        i = next;
    }
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

quint16 TextLayout::evenWidth(QStringView line) const
{
    const char16_t *d = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype n = line.size();
    if (n < 2)
        return kUneven;
    const CharWidths &table = *widths_;
    const float w = table.known(d[0]);
    // Kept in 1/64 px, as fonts give advances: another width is not kept.
    const float scaled = w * 64;
    if (!(scaled >= 2 && scaled < 0x10000 && scaled == std::floor(scaled)))
        return kUneven;
    // A blank lets the line break after it and hangs past the edge: left to the walk.
    bool wideBefore = breaksAround(d[0]);
    if (d[0] == u' ')
        return kUneven;
    for (qsizetype i = 1; i < n; ++i) {
        const char16_t c = d[i];
        const bool wide = breaksAround(c);
        if (c == u' ' || table.known(c) != w || !(wide || wideBefore))
            return kUneven;
        wideBefore = wide;
    }
    return quint16(scaled);
}

// Every display line of such a line but its last holds as many characters as fit, or one where
// none does, and breaks right after them: the break the walk would find is always the place
// where the edge is passed. The products are exact in a double, as the walk's sums are.
void TextLayout::wrapEvenLine(qint64 base, qint64 length, qreal width, qreal available, Positions &out)
{
    qint64 fit = qint64(available / width);
    while (fit > 0 && qreal(fit) * width > available)
        --fit;
    while (qreal(fit + 1) * width <= available)
        ++fit;
    fit = std::max<qint64>(fit, 1);
    for (qint64 at = fit; at < length; at += fit)
        out.push_back(base + at);
}

// The wrap of one hard line without a tab (a tab's width depends on where it starts), exactly as
// the general walk in wrapWalk() gives it, but quicker: widths are added eight at a time while
// the edge is not near, then one at a time up to the character that passes it, and from there a
// short look back finds the last place the line may break.
//
// The sums come out the same in any order: every width is a float, and sums of a line's floats
// are exact in a double, so adding in blocks or measuring back from a break changes no bit.
void TextLayout::wrapPlainLine(QStringView line, qint64 base, qreal width, qreal available, Positions &out) const
{
    const char16_t *d = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype start = 0;
    const qsizetype end = line.size();
    const CharWidths &table = *widths_;
    const auto w = [&](qsizetype i) { return qreal(table.known(d[i])); };
    // The bases kept together that the line holds: no break falls inside one, but for one after
    // a blank, as the walk has it.
    using Spans = Aozora::Rubies::const_iterator;
    const Aozora::Rubies &bases = together();
    Spans first = bases.end();
    Spans last = bases.end();
    if (!bases.empty()) {
        first = std::partition_point(bases.begin(), bases.end(),
                                     [base](const auto &span) { return span.base.end() <= base; });
        last = std::partition_point(first, bases.end(),
                                    [end = base + end](const auto &span) { return span.base.start < end; });
    }
    // The base that holds position i of the line inside it (not at its start), or `last`.
    const auto baseAround = [&](qsizetype i) {
        const Spans span =
            std::partition_point(first, last, [at = base + i](const auto &s) { return s.base.end() <= at; });
        return span != last && span->base.start < base + i ? span : last;
    };
    qsizetype lineStart = start;
    // Breaks before this position were used or passed by the last wrap.
    qsizetype breaksFrom = start + 1;
    qreal x = 0;
    // Where the display line starts, measured from the start of the hard line: once the rest
    // is narrower than the room by the margin that covers rounding, it cannot break again.
    qreal origin = 0;
    for (qsizetype i = start; i < end;) {
        // No width is negative, so a block that ends inside the room holds no break.
        while (end - i >= 8) {
            const qreal block =
                ((w(i) + w(i + 1)) + (w(i + 2) + w(i + 3))) + ((w(i + 4) + w(i + 5)) + (w(i + 6) + w(i + 7)));
            if (x + block > available)
                break;
            x += block;
            i += 8;
        }
        const qsizetype stop = std::min(end, i + 8);
        for (; i < stop; ++i) {
            const char16_t c = d[i];
            const qreal cw = w(i);
            if (!(x + cw > available && i > lineStart && c != u' ')) {
                x += cw;
                continue;
            }
            // A break lies before a wide character, after one, or after a blank.
            qsizetype lastBreak = -1;
            for (qsizetype j = i; j >= breaksFrom; --j) {
                if (d[j - 1] == u' ' || ((breaksAround(d[j]) || breaksAround(d[j - 1])) && baseAround(j) == last)) {
                    lastBreak = j;
                    break;
                }
            }
            const qreal before = x;
            // A base too long for what is left goes to the next line whole.
            if (lastBreak <= lineStart && first != last) {
                if (const Spans cut = baseAround(i); cut != last && cut->base.start - base > lineStart)
                    lastBreak = cut->base.start - base;
            }
            if (lastBreak > lineStart) {
                qreal moved = 0;
                for (qsizetype j = lastBreak; j < i; ++j)
                    moved += w(j);
                lineStart = lastBreak;
                x = moved;
            } else {
                lineStart = i;
                x = 0;
            }
            out.push_back(base + lineStart);
            if (x + cw > available && i > lineStart) {
                lineStart = i;
                x = 0;
                out.push_back(base + lineStart);
            }
            breaksFrom = i + 1;
            // Everything before the break is behind: the rest runs from `before - x` on.
            origin += before - x;
            if (width - origin <= available - 0.5)
                return;
            x += cw;
        }
    }
}
