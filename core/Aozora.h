#pragma once

#include "core/HugePages.h"

#include <QString>
#include <QStringView>

#include <vector>

// Aozora Bunko's plain-text notation, read into the text a reader wants to see and the marks
// drawn over it: readings (ruby) over their bases, emphasis, headings, indents, page rules and
// pictures. Characters outside JIS X 0208, spelled out in notes, become the characters they name.
namespace Aozora {

// Whether a decoded text carries the notation: the explanation of its marks between two lines of
// hyphens near the top, at least three readings in its first 64 KB, or a note together with the
// bibliography ("底本：") in its last 6 KB. Sizes are counted as the text's CP932 bytes.
bool isAozoraText(QStringView text);

struct Span {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    bool operator==(const Span &) const = default;
};

// A novel has tens of thousands: each is kept small, its reading found in the book's block of
// readings (Book::reading).
struct Ruby {
    Span base; // in the shown text
    quint32 readingAt = 0;
    quint32 readingLength = 0;
};
using Rubies = std::vector<Ruby, HugePageAllocator<Ruby>>;

// The marks beside emphasised characters the notation names: Dots is the plain 傍点 (sesame
// dots); the lines run along the characters (傍線 and its kinds).
enum class Emphasis : char {
    Dots,
    WhiteSesame,
    Circle,
    WhiteCircle,
    Triangle,
    WhiteTriangle,
    DoubleCircle,
    Bullseye,
    Cross,
    SideLine,
    DoubleLine,
    ChainLine,
    DashedLine,
    WavyLine,
};
inline bool isLine(Emphasis kind) { return kind >= Emphasis::SideLine; }
struct Emphasised {
    Span span;
    Emphasis kind;
};

enum class Heading : char { None, Large, Medium, Small };
enum class Align : char { Start, End };

// One a shown line: the small fields last, so that it packs into 24 bytes.
struct LineStyle {
    qsizetype start = 0; // where the line starts in the shown text
    int indent = 0; // characters of room before the line
    int raise = 0;  // characters of room after an end-aligned line
    int sourceLine = 0;     // the file's own line it was made from (the first, for a fold)
    Align align = Align::Start;
    Heading heading = Heading::None;
    bool pageBreak = false; // the line is a rule across the view
};

struct Picture {
    int line = 0;   // the shown line that stands for it
    QString file;   // as named in the note: beside the text or in the same archive
    QString caption;
};

// What the notation says about a text.
struct Book {
    QString text;                 // the shown text; lines end in '\n' as in the source
    // A novel's styles and readings run to a megabyte or more: held in huge pages (see run()).
    std::vector<LineStyle, HugePageAllocator<LineStyle>> lines; // one a shown line
    Rubies ruby;                                                 // in the order of their bases
    // The readings one after another: one block holds them all where a string each would cost
    // an allocation each.
    QString readings;
    QStringView reading(const Ruby &ruby) const
    {
        return QStringView(readings).sliced(ruby.readingAt, ruby.readingLength);
    }
    std::vector<Emphasised> emphasis;
    std::vector<Span> dimmed;     // descriptions of characters not found, picture lines, the fold
    std::vector<Picture> pictures;
    // The explanation of the marks at the top, folded to its title on one shown line, or open
    // over as many shown lines as it has.
    int explanationLine = -1;
    int explanationLines = 0;
    QString explanation;
};

Book parse(QStringView source, bool explanationOpen = false);

// The character(s) a gaiji note names by JIS X 0213 plane-row-cell ("第3水準1-85-54",
// "第4水準2-1-79", "1-8-77") or by code point ("U+6DB6"); empty when it names none.
QString gaiji(QStringView note);

// The shown text of a span with each reading in parentheses after its base, for a copy that
// keeps the readings. A base cut by the span keeps its reading only when the span holds it whole.
QString withReadings(const Book &book, Span span);

// The style of the shown line that holds a position.
const LineStyle *lineAt(const Book &book, qsizetype position);

} // namespace Aozora
