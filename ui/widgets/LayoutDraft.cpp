// A large text's layout measured on the threads that read its file (see LayoutDraft), and taken
// by the layout.
#include "ui/widgets/TextLayout.h"

#include "core/TwoThreads.h"
#include "ui/widgets/TextLayoutUnits.h"

#include <QCoreApplication>

#include <algorithm>

using namespace TextLayoutUnits;

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
    if (later.empty()) {
        keepRoomToGrow();
        return;
    }
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
    keepRoomToGrow();
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
