#pragma once

#include "core/Aozora.h"
#include "core/Bits.h"
#include "core/Positions.h"
#include "core/TextStore.h"
#include "ui/widgets/CharWidths.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <array>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The display lines as the union of the hard line starts and the wrap points inside them; a
// text whose lines all fit holds no wrap point. Valid until the layout is rebuilt.
class LineStarts {
public:
    LineStarts(const Positions &hard, const Positions *wraps) : hard_(hard), wraps_(wraps && !wraps->empty() ? wraps : nullptr) {}
    size_t size() const { return hard_.size() + (wraps_ ? wraps_->size() : 0); }
    qint64 operator[](size_t line) const;
    // The display line that holds `position`: the last that starts at or before it.
    qint64 lineAt(qint64 position) const;
    std::vector<qint64> all() const;

private:
    const Positions &hard_;
    const Positions *wraps_;
};

class LayoutDraft;

// Where the display lines of a text start, in two layers: the hard lines (between line breaks)
// with their unwrapped widths depend only on the text and the font and are measured once; the
// wrapped lines depend on the width too and are rebuilt from the first layer, where only the
// hard lines wider than the room need to be walked character by character.
// Texts of many characters are measured on two threads; the result is the same.
// Widths are added cluster by cluster (see Graphemes) and a line never breaks inside one;
// lines of units that cannot join take the quick paths, unit by unit.
class TextLayout {
public:
    static constexpr int kTabColumns = 8;

    // The layout of a text that does not change while the layout is used.
    explicit TextLayout(const QString &text) : own_(text), text_(&own_) {}
    // The layout of a text held elsewhere, read where it lives.
    explicit TextLayout(const TextStore &text) : text_(&text) {}
    TextLayout(const TextLayout &) = delete;
    TextLayout &operator=(const TextLayout &) = delete;

    // The text changed (it is read where it lives), or the font did.
    void invalidate();
    // The text grew at its end, from `from` on (see DocumentModel::appended): the lines from
    // the one holding `from` are measured and wrapped again, the ones before kept as they are.
    void extend(qint64 from);
    // The hard lines (and the wrap) measured while the text was read (see LayoutDraft); taken at the next build
    // when it was made for this text with these widths. invalidate() lets it go.
    void adopt(std::shared_ptr<LayoutDraft> draft) { draft_ = std::move(draft); }
    // Stretches [start, end) that a wrap never breaks inside (a base and its reading), in order
    // and apart; a line that holds one is walked in full.
    void setKeepTogether(std::vector<std::pair<qint64, qint64>> spans);
    // The same, the bases of a book's readings read where the book holds them.
    void setKeepTogether(std::shared_ptr<const Aozora::Rubies> bases);
    void setWidths(std::shared_ptr<CharWidths> widths);
    CharWidths &widths() const { return *widths_; }
    const std::shared_ptr<CharWidths> &sharedWidths() const { return widths_; }

    // A hard line set apart from the rest, as a book sets its indents, end-aligned lines and
    // headings: room kept beside it that its wraps leave free, and the font it is drawn in.
    struct LineShape {
        size_t line = 0;  // the hard line
        qreal inset = 0;  // room before the line, or after it when it is aligned to the end
        bool alignEnd = false;
        std::shared_ptr<CharWidths> widths; // its own font's; null for the text's
    };
    // In the order of their lines; a text without any pays nothing for them.
    void setLineShapes(std::vector<LineShape> shapes);
    bool hasShapes() const { return !shapes_.empty(); }
    // The shape of the hard line that holds the position, or null; the layout must be built.
    const LineShape *shapeAt(qint64 position) const;

    // The room the wrap was last built at, or -1; and whether the hard lines are built.
    int wrappedRoom() const { return wrappedRoom_; }
    bool built() const { return hardValid_; }
    // The first position of every display line, at least {0}; with wrap, at the room given.
    LineStarts lineStarts(bool wrap, int room);
    // The same starts by the plain rule alone: every line walked character by character on one
    // thread, none of the quicker paths lineStarts() takes, which must agree with it.
    std::vector<qint64> plainLineStarts(bool wrap, int room) const;
    // The widest unwrapped line.
    qreal maxLineWidth();
    // The width a tab takes when it starts at x.
    qreal tabWidth(qreal x) const;
    // The width of a cluster of the text when it starts at x; the layout must be built (its
    // clusters are learnt then).
    qreal advance(QStringView cluster, qreal x) const { return advance(cluster, x, *widths_); }
    // The same in a line's own font.
    qreal advance(QStringView cluster, qreal x, CharWidths &widths) const;

    // How often the hard lines and the wrapped lines of a text were built (tests see work not
    // repeated); an empty text costs nothing and is not counted.
    int hardBuilds() const { return hardBuilds_; }
    int wrapBuilds() const { return wrapBuilds_; }

private:
    // The hard lines (they start where the text's own index says): how wide each is unwrapped
    // and whether it needs the general walk (it holds a tab or a unit that may join).
    struct HardLines {
        // Rounded up to whole pixels (see storedWidth).
        std::vector<quint16, HugePageAllocator<quint16>> widths;
        Bits general;
        // Whether the line holds a unit that may join: its width is measured again by cluster.
        Bits clusters;
        bool anyClusters = false;
        // The widest line, exactly.
        float widest = 0;

        void reserve(size_t lines);
        void append(HardLines &more);
    };

    // What the measure carries from one piece of a line to the next.
    struct Measure {
        qreal x = 0;
        bool tab = false;
        bool clusters = false;
    };

    // With a room > 0, the wrap at that room is found in the same pass where it can be.
    void buildHard(int room = -1);
    // A text read from its file: read once, on two threads, none of it kept.
    void buildHardInPieces(int room);
    // Takes the draft when it fits; with a room > 0 that matches the draft's, the wrap too.
    bool takeDraft(int room);
    // Ends a build of a text read from its file: the lines with units that may join are
    // measured, then, with a room > 0, the lines `later` are wrapped and merged into wraps_.
    void finishInPieces(int room, const std::vector<size_t> &later);
    // Measures the lines with units that may join again, cluster by cluster, and ends the build.
    void measureClusterLines();
    // Learns the clusters of a hard line or more, and gives their width when laid side by side
    // from x = 0.
    qreal learnClusters(QStringView text, CharWidths &widths) const;
    qreal learnClusters(QStringView text) const { return learnClusters(text, *widths_); }
    // The width of a line as learnClusters() gives it, from what the table knows; none where it
    // holds a cluster the table has not learnt.
    std::optional<qreal> knownWidth(QStringView line) const;
    // The shaped lines measured again in their own fonts, with their room.
    void measureShapedLines();
    const LineShape *shapeOf(size_t line) const;
    void buildWrapped(int room);
    // Room for the wrap points of the lines a large file may grow by (see extend).
    void keepRoomToGrow();
    void measureRange(qsizetype from, qsizetype to, HardLines &out) const;
    // Measures `count` units that start at position `base`, carrying the line on in `measure`;
    // the start of each line it opens goes to `starts` when given.
    void measureUnits(const char16_t *d, qint64 base, qsizetype count, Measure &measure, HardLines &out,
                      Positions *starts = nullptr) const;
    void closeLine(Measure &measure, HardLines &out) const;
    qsizetype lineEnd(size_t line) const;
    void wrapRange(size_t fromLine, size_t toLine, qreal room, TextStore::LineReader &reader, Positions &out) const;
    // A plain line's even width (see evenLines_) from its text.
    quint16 evenWidth(QStringView line) const;
    // The wrap of a plain line of `length` characters that all have `width` and may break
    // between any two, as wrapPlainLine() gives it, without its text.
    static void wrapEvenLine(qint64 base, qint64 length, qreal width, qreal available, Positions &out);
    // A hard line's text and where it starts.
    void wrapWalk(QStringView line, qint64 base, qreal available, Positions &out) const
    {
        wrapWalk(line, base, available, out, *widths_);
    }
    void wrapWalk(QStringView line, qint64 base, qreal available, Positions &out, CharWidths &widths) const;
    void wrapPlainLine(QStringView line, qint64 base, qreal width, qreal available, Positions &out) const;

    TextStore own_;
    const TextStore *text_;
    std::shared_ptr<CharWidths> widths_;
    // Only the bases of the readings are read; null when nothing is kept together.
    std::shared_ptr<const Aozora::Rubies> together_;
    static inline const Aozora::Rubies kNoBases;
    const Aozora::Rubies &together() const { return together_ ? *together_ : kNoBases; }
    std::vector<LineShape> shapes_;
    bool hardValid_ = false;
    HardLines hard_;
    qreal maxWidth_ = 0;
    int wrappedRoom_ = -1;
    // The starts of the display lines that do not start a hard line, at wrappedRoom_.
    Positions wraps_;
    // What a wrap learnt of each plain hard line it walked, for the next wrap at another room:
    // kNotSeen, kUneven, or the width of every one of its characters in 1/64 px when they are
    // all alike and the line may break between any two (a line of Japanese text), whose wrap
    // then needs none of its text. Two threads write the lines of their halves.
    static constexpr quint16 kNotSeen = 0;
    static constexpr quint16 kUneven = 1;
    mutable std::vector<quint16, HugePageAllocator<quint16>> evenLines_;
    int hardBuilds_ = 0;
    int wrapBuilds_ = 0;
    std::shared_ptr<LayoutDraft> draft_;
    friend class LayoutDraft;
};

// The hard lines, and with a room the wrap, of a large text measured on the threads that read
// and index its file (see TextStore::IndexWatch), so that its text is decoded once for both.
// A line that runs from one of the index's runs into the next, and the last line, are left to
// the layout that takes the draft, which measures them whole.
class LayoutDraft : public std::enable_shared_from_this<LayoutDraft> {
public:
    // The widths must know every unit the text can hold (see TextStore::cp932Repertoire()).
    LayoutDraft(std::shared_ptr<CharWidths> widths, int room);
    TextStore::IndexWatch watch();
    // The room changed while the text is read: the runs not begun yet wrap at the new one.
    void setRoom(int room) { room_ = room; }

private:
    friend class TextLayout;
    struct Run {
        int room = -1; // the room its lines were wrapped at
        TextLayout::HardLines hard;
        TextLayout::Measure measure;
        // The starts of the lines the piece being measured opens, from the run's start.
        Positions starts;
        Positions wraps;
        // Lines left to be wrapped by the layout (counted from the run's first).
        std::vector<size_t> later;
        size_t next = 0;     // the first line not closed yet
        qint64 lineStart = 0; // where it starts, from the run's start
        // Its text so far, when it began in an earlier piece and is not too long to keep.
        QString open;
        qint64 openStart = -1;
        // Lines with clusters the measuring copy has not learnt, kept whole: the layout learns
        // them where the font may be asked, and need not read them from the file again.
        struct Kept {
            size_t line = 0;    // counted from the run's first
            qint64 start = 0;   // from the run's start
            qsizetype at = 0;   // in keptText
            qsizetype length = 0;
        };
        std::vector<Kept> kept;
        QString keptText;
    };
    Run &run(size_t index);
    void piece(size_t index, QStringView units, qint64 at);
    // The clusters of a line that the measuring copy does not know are handed to the window's
    // thread, which learns them while the file is still read (it is idle then), so that the
    // draft is taken without asking the font for them.
    void noteUnlearnt(QStringView line);
    void learnNoted();

    // The table the view lays out with, and the copy the reading threads measure with, which
    // nothing changes while they run.
    std::shared_ptr<CharWidths> source_;
    TextLayout measurer_{QString()};
    std::atomic<int> room_;
    std::mutex mutex_;
    std::deque<Run> runs_;
    std::vector<qint64> runStarts_;
    qint64 size_ = -1; // the text's length, once the index is whole
    std::vector<QString> unlearnt_;
    bool learnPosted_ = false;
};

