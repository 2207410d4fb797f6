#include "core/Aozora.h"

#include "core/HugePages.h"

#include <QRegularExpression>

#include <iconv.h>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace Aozora {

namespace {

constexpr QChar kNoteOpen = u'［';
constexpr QChar kNoteClose = u'］';
constexpr QChar kNoteMark = u'＃';
constexpr QChar kGaijiMark = u'※';
constexpr QChar kRubyOpen = u'《';
constexpr QChar kRubyClose = u'》';
constexpr QChar kBaseMark = u'｜';
constexpr QChar kQuoteOpen = u'「';
constexpr QChar kQuoteClose = u'」';
constexpr QStringView kExplanationTitle = u"【テキスト中に現れる記号について】";
constexpr QStringView kBibliography = u"底本：";
constexpr qsizetype kHeadBytes = 64 * 1024;
constexpr qsizetype kTailBytes = 6 * 1024;
constexpr int kRubyMarksNeeded = 3;
// The explanation sits under the title and author; further down a line of hyphens is prose.
constexpr int kExplanationWithinLines = 100;

// The bytes a character takes in the text's CP932 form with CR LF breaks.
int cp932Bytes(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'\n')
        return 2;
    if (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F))
        return 1;
    return 2;
}

// How many characters from the start make up the given number of CP932 bytes.
qsizetype headChars(QStringView text, qsizetype bytes)
{
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < text.size() && used < bytes)
        used += cp932Bytes(text[i++]);
    return i;
}

qsizetype tailStart(QStringView text, qsizetype bytes)
{
    qsizetype used = 0;
    qsizetype i = text.size();
    while (i > 0 && used < bytes)
        used += cp932Bytes(text[--i]);
    return i;
}

bool isHyphenLine(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.size() < 10)
        return false;
    for (QChar c : trimmed) {
        if (c != u'-' && c != u'－')
            return false;
    }
    return true;
}

// The lines of a text one after another, without their breaks; a CR before a break is dropped.
class LineCursor {
public:
    explicit LineCursor(QStringView text) : text_(text) {}
    bool atEnd() const { return start_ > text_.size(); }
    // The next line; there must be one.
    QStringView next()
    {
        qsizetype end = text_.indexOf(u'\n', start_);
        if (end < 0)
            end = text_.size();
        QStringView line = text_.sliced(start_, end - start_);
        if (line.endsWith(u'\r'))
            line.chop(1);
        start_ = end + 1;
        return line;
    }

private:
    QStringView text_;
    qsizetype start_ = 0;
};

// The explanation block when the text opens with one: its first and last line and the text's
// lines up to its end.
struct Explanation {
    int first = 0;
    int last = 0;
    std::vector<QStringView> lines;
};

std::optional<Explanation> findExplanation(QStringView text)
{
    // Only the lines that may hold it are split, not the whole text.
    LineCursor cursor(text);
    Explanation found;
    std::vector<QStringView> &lines = found.lines;
    const auto have = [&](size_t count) {
        while (lines.size() < count && !cursor.atEnd())
            lines.push_back(cursor.next());
        return lines.size() >= count;
    };
    for (int i = 0; i + 1 < kExplanationWithinLines && have(size_t(i) + 2); ++i) {
        if (!isHyphenLine(lines[size_t(i)]) || lines[size_t(i) + 1].trimmed() != kExplanationTitle)
            continue;
        for (int j = i + 2; have(size_t(j) + 1); ++j) {
            if (isHyphenLine(lines[size_t(j)])) {
                found.first = i;
                found.last = j;
                lines.resize(size_t(j) + 1);
                return found;
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

bool isKanji(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF)
        || u == u'々' || u == u'〆' || u == u'ヶ' || u == u'〇' || u == u'〻' || c.isSurrogate();
}

enum class CharClass { Kanji, Hiragana, Katakana, Latin, Other };

CharClass classOf(QChar c)
{
    const char16_t u = c.unicode();
    if (isKanji(c))
        return CharClass::Kanji;
    if (u >= 0x3041 && u <= 0x309F)
        return CharClass::Hiragana;
    if ((u >= 0x30A0 && u <= 0x30FF) || (u >= 0xFF66 && u <= 0xFF9F))
        return CharClass::Katakana;
    if (c.isLetterOrNumber())
        return CharClass::Latin;
    return CharClass::Other;
}

// The end (one past the closing bracket) of the bracket pair opening at `open`, counting nested
// pairs; -1 when the line does not close it.
qsizetype matchingClose(QStringView text, qsizetype open, QChar opening, QChar closing)
{
    int depth = 0;
    for (qsizetype i = open; i < text.size(); ++i) {
        if (text[i] == opening) {
            ++depth;
        } else if (text[i] == closing && --depth == 0) {
            return i + 1;
        }
    }
    return -1;
}

// The units that may start a mark, one bit each: the scan of a line, unit by unit, is most of
// the reading of a book and asks one look-up a unit.
constexpr std::array<quint64, 0x10000 / 64> kMarkStarts = [] {
    std::array<quint64, 0x10000 / 64> bits{};
    for (const QChar c : {kNoteOpen, kGaijiMark, kRubyOpen, kBaseMark})
        bits[c.unicode() >> 6] |= quint64(1) << (c.unicode() & 63);
    return bits;
}();

bool startsMark(QChar c)
{
    const char16_t u = c.unicode();
    return (kMarkStarts[u >> 6] >> (u & 63)) & 1;
}

bool opensNote(QStringView text, qsizetype i)
{
    return text[i] == kNoteOpen && i + 1 < text.size() && text[i + 1] == kNoteMark;
}

std::optional<int> number(QStringView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    int value = 0;
    for (QChar c : digits) {
        const int digit = c.digitValue();
        // A count past what an int holds is no room a page has either.
        if (digit < 0 || value > (std::numeric_limits<int>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// A JIS X 0213 character through glibc's EUC-JISX0213 converter.
QString fromJisX0213(int plane, int row, int cell)
{
    if (row < 1 || row > 94 || cell < 1 || cell > 94)
        return {};
    QByteArray bytes;
    if (plane == 2)
        bytes.append(char(0x8F));
    else if (plane != 1)
        return {};
    bytes.append(char(0xA0 + row));
    bytes.append(char(0xA0 + cell));
    // One converter a thread, kept: opening one costs more than a novel's conversions.
    struct Converter {
        iconv_t cd = iconv_open("UTF-8", "EUC-JISX0213");
        ~Converter()
        {
            if (cd != iconv_t(-1))
                iconv_close(cd);
        }
    };
    thread_local const Converter converter;
    const iconv_t cd = converter.cd;
    if (cd == iconv_t(-1))
        return {};
    // A failed conversion may leave a shift state behind.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char *in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    char *outPtr = out;
    size_t outLeft = sizeof out;
    const size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    // Combining pairs (か゚) come out only on the flush.
    const size_t flushed = done == size_t(-1) ? done : iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    if (done == size_t(-1) || flushed == size_t(-1) || inLeft != 0)
        return {};
    return QString::fromUtf8(out, outPtr - out);
}

// The description a reader is shown for a character not found: its quoted part, else the note.
QString description(QStringView note)
{
    if (note.startsWith(kQuoteOpen)) {
        const qsizetype end = matchingClose(note, 0, kQuoteOpen, kQuoteClose);
        if (end > 0)
            return note.sliced(1, end - 2).toString();
    }
    return note.toString();
}

Heading headingOf(QStringView name)
{
    if (name.startsWith(u"大"))
        return Heading::Large;
    if (name.startsWith(u"中"))
        return Heading::Medium;
    return Heading::Small;
}

std::optional<Emphasis> emphasisOf(QStringView name)
{
    // The longer names first: 白丸傍点 and 二重丸傍点 end as 丸傍点 does, 二重傍線 as 傍線.
    static constexpr std::pair<const char16_t *, Emphasis> kinds[] = {
        {u"白ゴマ傍点", Emphasis::WhiteSesame}, {u"白丸傍点", Emphasis::WhiteCircle},
        {u"二重丸傍点", Emphasis::DoubleCircle}, {u"丸傍点", Emphasis::Circle},
        {u"黒三角傍点", Emphasis::Triangle},    {u"白三角傍点", Emphasis::WhiteTriangle},
        {u"蛇の目傍点", Emphasis::Bullseye},    {u"ばつ傍点", Emphasis::Cross},
        {u"傍点", Emphasis::Dots},              {u"二重傍線", Emphasis::DoubleLine},
        {u"傍線", Emphasis::SideLine},          {u"鎖線", Emphasis::ChainLine},
        {u"破線", Emphasis::DashedLine},        {u"波線", Emphasis::WavyLine},
    };
    for (const auto &[suffix, kind] : kinds) {
        if (name.endsWith(QStringView(suffix)))
            return kind;
    }
    return std::nullopt;
}

// The length of a closing "終わり" or "終り" that ends a note, or 0.
qsizetype closingLength(QStringView content)
{
    return content.endsWith(u"終わり") ? 3 : content.endsWith(u"終り") ? 2 : 0;
}

// Whether a note closes a heading of the pair form: 見出し終わり, also written 見出終わり or
// 見出し終り.
bool closesHeading(QStringView content)
{
    const QStringView name = content.chopped(closingLength(content));
    return name.size() < content.size() && (name.endsWith(u"見出し") || name.endsWith(u"見出"));
}

class Parser {
public:
    Book run(QStringView source, bool explanationOpen);

private:
    void line(QStringView text, int sourceLine, bool lastLine);
    qsizetype gaijiNote(QStringView text, qsizetype at);
    qsizetype rubyMark(QStringView text, qsizetype at);
    void note(QStringView content);
    bool targetNote(QStringView content);
    bool layoutNote(QStringView content);
    QString inlineText(QStringView text) const;
    void inlineTextInto(QStringView text, QString &out) const;
    Ruby ruby(Span base, QStringView reading);
    void dim(const QString &shown);

    Book book_;
    qsizetype lineStart_ = 0;
    LineStyle style_;
    bool blockNote_ = false;
    qsizetype baseMark_ = -1;
    qsizetype lastRubyEnd_ = 0;
    // Styles that last over lines until their closing note.
    int blockIndent_ = 0;
    std::optional<int> blockRaise_; // an end-aligned block and its room
    Heading blockHeading_ = Heading::None;
    Heading pairHeading_ = Heading::None;
    struct Open {
        qsizetype start;
        Emphasis kind;
    };
    std::vector<Open> openEmphasis_;
};

Book Parser::run(QStringView source, bool explanationOpen)
{
    // The shown text is never longer than its source; in huge pages, a novel's two megabytes
    // are touched at a fault or two instead of hundreds.
    book_.text.reserve(source.size());
    HugePages::advise(book_.text.constData(), std::size_t(book_.text.capacity()) * sizeof(char16_t));
    // A line takes a style, and most lines of a novel are paragraphs far longer than this.
    book_.lines.reserve(HugePages::room<LineStyle>(size_t(source.size() / 32 + 16)));
    // Readings are never longer than their marks, so they all fit without a move: only the
    // pages written are ever touched.
    book_.readings.reserve(source.size());
    book_.ruby.reserve(HugePages::room<Ruby>(size_t(std::count(source.utf16(), source.utf16() + source.size(), kRubyOpen.unicode()))));
    const auto explanation = findExplanation(source);
    LineCursor cursor(source);
    for (int i = 0; !cursor.atEnd(); ++i) {
        const QStringView text = cursor.next();
        if (explanation && i == explanation->first) {
            const std::vector<QStringView> &lines = explanation->lines;
            QStringList block;
            for (int j = explanation->first; j <= explanation->last; ++j)
                block << lines[j].toString();
            book_.explanation = block.join(u'\n');
            book_.explanationLine = int(book_.lines.size());
            for (int j = explanation->first; j < explanation->last; ++j)
                cursor.next();
            const bool more = !cursor.atEnd();
            // Open, its lines are shown as they stand, examples of the notation included.
            const int last = explanationOpen ? explanation->last : explanation->first;
            for (int j = explanation->first; j <= last; ++j) {
                lineStart_ = book_.text.size();
                style_ = LineStyle{};
                style_.start = lineStart_;
                style_.sourceLine = j;
                dim(explanationOpen ? lines[j].toString() : kExplanationTitle.toString());
                if (j < explanation->last || more)
                    book_.text.append(u'\n');
                book_.lines.push_back(style_);
            }
            book_.explanationLines = int(book_.lines.size()) - book_.explanationLine;
            i = explanation->last;
            continue;
        }
        line(text, i, cursor.atEnd());
    }
    // Readings given by notes come after the text they name; keep them in text order.
    const auto byBase = [](const Ruby &a, const Ruby &b) { return a.base.start < b.base.start; };
    if (!std::is_sorted(book_.ruby.begin(), book_.ruby.end(), byBase))
        std::stable_sort(book_.ruby.begin(), book_.ruby.end(), byBase);
    // So do the emphasis marks: those of the pair form are known only at their end.
    const auto bySpan = [](const Emphasised &a, const Emphasised &b) { return a.span.start < b.span.start; };
    if (!std::is_sorted(book_.emphasis.begin(), book_.emphasis.end(), bySpan))
        std::stable_sort(book_.emphasis.begin(), book_.emphasis.end(), bySpan);
    return std::move(book_);
}

void Parser::line(QStringView text, int sourceLine, bool lastLine)
{
    lineStart_ = book_.text.size();
    lastRubyEnd_ = lineStart_;
    baseMark_ = -1;
    blockNote_ = false;
    style_ = LineStyle{};
    style_.start = lineStart_;
    style_.sourceLine = sourceLine;
    style_.indent = blockIndent_;
    style_.heading = blockHeading_ != Heading::None ? blockHeading_ : pairHeading_;
    if (blockRaise_) {
        style_.align = Align::End;
        style_.raise = *blockRaise_;
    }
    qsizetype i = 0;
    while (i < text.size()) {
        // A run of characters that start no mark goes into the book at once.
        qsizetype run = i;
        while (run < text.size() && !startsMark(text[run]))
            ++run;
        if (run > i) {
            book_.text.append(text.sliced(i, run - i));
            i = run;
            continue;
        }
        const QChar c = text[i];
        if (c == kGaijiMark && i + 1 < text.size() && opensNote(text, i + 1)) {
            const qsizetype next = gaijiNote(text, i + 1);
            if (next > 0) {
                i = next;
                continue;
            }
        } else if (opensNote(text, i)) {
            const qsizetype end = matchingClose(text, i, kNoteOpen, kNoteClose);
            if (end > 0) {
                note(text.sliced(i + 2, end - i - 3));
                i = end;
                continue;
            }
        } else if (c == kBaseMark) {
            // Only a mark that a reading follows on the line opens a base; any other is text.
            const qsizetype open = text.indexOf(kRubyOpen, i + 1);
            if (open > 0 && text.indexOf(kRubyClose, open) > 0) {
                baseMark_ = book_.text.size();
                ++i;
                continue;
            }
        } else if (c == kRubyOpen) {
            const qsizetype next = rubyMark(text, i);
            if (next > 0) {
                i = next;
                continue;
            }
        }
        book_.text.append(c);
        ++i;
    }
    // A heading or an emphasis of the pair form left open ends with its paragraph, never later.
    pairHeading_ = Heading::None;
    for (const Open &open : openEmphasis_) {
        if (book_.text.size() > open.start)
            book_.emphasis.push_back({{open.start, book_.text.size() - open.start}, open.kind});
    }
    openEmphasis_.clear();
    const bool empty = book_.text.size() == lineStart_;
    // A line that only opened or closed a block is not a line of the book.
    if (empty && blockNote_ && !style_.pageBreak)
        return;
    if (!lastLine)
        book_.text.append(u'\n');
    book_.lines.push_back(style_);
}

qsizetype Parser::gaijiNote(QStringView text, qsizetype at)
{
    const qsizetype end = matchingClose(text, at, kNoteOpen, kNoteClose);
    if (end < 0)
        return -1;
    const QStringView content = text.sliced(at + 2, end - at - 3);
    const QString found = gaiji(content);
    if (!found.isEmpty())
        book_.text.append(found);
    else
        dim(QStringLiteral("〔") + description(content) + QChar(u'〕'));
    return end;
}

qsizetype Parser::rubyMark(QStringView text, qsizetype at)
{
    const qsizetype close = text.indexOf(kRubyClose, at + 1);
    if (close < 0)
        return -1;
    qsizetype start = baseMark_;
    const qsizetype end = book_.text.size();
    if (start < 0) {
        start = end;
        const QString &shown = book_.text;
        const qsizetype floor = std::max(lineStart_, lastRubyEnd_);
        // A reading after a description of a character not found (〔にんべん＋皇〕) is the whole
        // description's.
        const qsizetype open = start > floor && shown[start - 1] == u'〕' ? shown.lastIndexOf(u'〔', start - 1) : -1;
        if (open >= floor)
            start = open;
        while (open < floor && start > floor && isKanji(shown[start - 1]))
            --start;
        if (start == end && start > floor) {
            // Readings over kana or letters cover the run of their kind.
            const CharClass kind = classOf(shown[start - 1]);
            if (kind != CharClass::Other) {
                while (start > floor && classOf(shown[start - 1]) == kind)
                    --start;
            }
        }
    }
    baseMark_ = -1;
    if (start >= end)
        return -1;
    book_.ruby.push_back(ruby({start, end - start}, text.sliced(at + 1, close - at - 1)));
    lastRubyEnd_ = end;
    return close + 1;
}

void Parser::note(QStringView content)
{
    if (content.endsWith(u"入る") && content.contains(u'（')) {
        const qsizetype open = content.indexOf(u'（');
        qsizetype close = content.indexOf(u'、', open);
        const qsizetype paren = content.indexOf(u'）', open);
        if (close < 0 || (paren >= 0 && paren < close))
            close = paren;
        if (close > open) {
            Picture picture;
            picture.line = int(book_.lines.size());
            picture.file = content.sliced(open + 1, close - open - 1).toString();
            if (content.startsWith(kQuoteOpen))
                picture.caption = description(content);
            dim(QStringLiteral("〔") + (picture.caption.isEmpty() ? picture.file : picture.caption) + QChar(u'〕'));
            book_.pictures.push_back(picture);
        }
        return;
    }
    if (content.startsWith(kQuoteOpen) && targetNote(content))
        return;
    layoutNote(content);
    // Every other note is an editor's remark a reader does not need.
}

// Notes about a quoted stretch of the text just before them.
bool Parser::targetNote(QStringView content)
{
    const qsizetype quoted = matchingClose(content, 0, kQuoteOpen, kQuoteClose);
    if (quoted < 0)
        return false;
    const QString target = inlineText(content.sliced(1, quoted - 2));
    const QStringView rest = content.sliced(quoted);
    const QStringView line = QStringView(book_.text).sliced(lineStart_);
    // From the last place it fits: searching from the very end, Qt takes the string's terminating
    // NUL for a character of it.
    const qsizetype found = target.isEmpty() || target.size() > line.size()
                                ? -1
                                : line.lastIndexOf(target, line.size() - target.size());
    const Span span{lineStart_ + std::max<qsizetype>(found, 0), found < 0 ? 0 : target.size()};
    if (rest.startsWith(u"に")) {
        static const QRegularExpression rubyNote(QStringLiteral("^に「(.*)」のルビ$"));
        const QRegularExpressionMatch match = rubyNote.match(rest);
        if (match.hasMatch()) {
            if (span.length > 0)
                book_.ruby.push_back(ruby(span, match.capturedView(1)));
            return true;
        }
        if (const auto kind = emphasisOf(rest); kind && span.length > 0)
            book_.emphasis.push_back({span, *kind});
        return true;
    }
    if (rest.startsWith(u"は") && rest.endsWith(u"見出し")) {
        style_.heading = headingOf(rest.sliced(1));
        return true;
    }
    return true;
}

// Indents, alignment, headings, emphasis pairs and page breaks.
bool Parser::layoutNote(QStringView content)
{
    static const QRegularExpression indent(QStringLiteral("^(ここから|天から)?([0-9０-９]+)字下げ"));
    static const QRegularExpression raise(QStringLiteral("^(ここから)?地から([0-9０-９]+)字上げ"));
    if (content == u"改ページ" || content == u"改丁" || content == u"改段" || content == u"改見開き") {
        style_.pageBreak = true;
        return true;
    }
    if (const QRegularExpressionMatch match = indent.match(content); match.hasMatch()) {
        const int n = number(match.capturedView(2)).value_or(0);
        if (match.capturedView(1) == u"ここから") {
            blockIndent_ = n;
            blockNote_ = true;
        }
        style_.indent = n;
        return true;
    }
    if (const QRegularExpressionMatch match = raise.match(content); match.hasMatch()) {
        const int n = number(match.capturedView(2)).value_or(0);
        if (!match.capturedView(1).isEmpty()) {
            blockRaise_ = n;
            blockNote_ = true;
        }
        style_.align = Align::End;
        style_.raise = n;
        return true;
    }
    if (content == u"地付き" || content == u"ここから地付き") {
        if (content.startsWith(u"ここから")) {
            blockRaise_ = 0;
            blockNote_ = true;
        }
        style_.align = Align::End;
        style_.raise = 0;
        return true;
    }
    if (content.startsWith(u"ここで")) {
        if (content.contains(u"字下げ"))
            blockIndent_ = 0;
        else if (content.contains(u"地付き") || content.contains(u"字上げ"))
            blockRaise_.reset();
        else if (content.contains(u"見出し"))
            blockHeading_ = Heading::None;
        blockNote_ = true;
        return true;
    }
    if (closesHeading(content)) {
        pairHeading_ = Heading::None;
        return true;
    }
    if (content.endsWith(u"見出し")) {
        if (content.startsWith(u"ここから")) {
            blockHeading_ = headingOf(content.sliced(4));
            blockNote_ = true;
            style_.heading = blockHeading_;
        } else {
            pairHeading_ = headingOf(content);
            style_.heading = pairHeading_;
        }
        return true;
    }
    if (const qsizetype closing = closingLength(content)) {
        const auto kind = emphasisOf(content.chopped(closing));
        if (kind && !openEmphasis_.empty()) {
            const Open open = openEmphasis_.back();
            openEmphasis_.pop_back();
            const qsizetype end = book_.text.size();
            if (end > open.start)
                book_.emphasis.push_back({{open.start, end - open.start}, open.kind});
        }
        return kind.has_value();
    }
    if (const auto kind = emphasisOf(content)) {
        openEmphasis_.push_back({book_.text.size(), *kind});
        return true;
    }
    return false;
}

// A stretch of text inside a note or a reading: characters named by notes are put in, other
// notes dropped.
QString Parser::inlineText(QStringView text) const
{
    QString out;
    out.reserve(text.size());
    inlineTextInto(text, out);
    return out;
}

void Parser::inlineTextInto(QStringView text, QString &out) const
{
    for (qsizetype i = 0; i < text.size();) {
        const bool gaijiNext = text[i] == kGaijiMark && i + 1 < text.size() && opensNote(text, i + 1);
        const qsizetype at = gaijiNext ? i + 1 : i;
        if (opensNote(text, at)) {
            const qsizetype end = matchingClose(text, at, kNoteOpen, kNoteClose);
            if (end > 0) {
                if (gaijiNext) {
                    const QStringView content = text.sliced(at + 2, end - at - 3);
                    const QString found = gaiji(content);
                    out += found.isEmpty() ? QStringLiteral("〔") + description(content) + QChar(u'〕') : found;
                }
                i = end;
                continue;
            }
        }
        out.append(text[i++]);
    }
}

// A base and its reading, put at the end of the book's block of readings.
Ruby Parser::ruby(Span base, QStringView reading)
{
    QString &all = book_.readings;
    const qsizetype from = all.size();
    inlineTextInto(reading, all);
    return {base, quint32(from), quint32(all.size() - from)};
}

void Parser::dim(const QString &shown)
{
    book_.dimmed.push_back({book_.text.size(), shown.size()});
    book_.text.append(shown);
}

} // namespace

bool isAozoraText(QStringView text)
{
    const QStringView head = text.first(headChars(text, kHeadBytes));
    if (findExplanation(head))
        return true;
    int marks = 0;
    for (qsizetype open = head.indexOf(kRubyOpen); open >= 0; open = head.indexOf(kRubyOpen, open + 1)) {
        const qsizetype close = head.indexOf(kRubyClose, open + 1);
        const qsizetype lineEnd = head.indexOf(u'\n', open + 1);
        if (close > open + 1 && (lineEnd < 0 || close < lineEnd) && ++marks >= kRubyMarksNeeded)
            return true;
    }
    const QStringView tail = text.sliced(tailStart(text, kTailBytes));
    const bool bibliography = tail.startsWith(kBibliography) || tail.contains(u"\n底本：");
    if (!bibliography)
        return false;
    const qsizetype note = text.indexOf(u"［＃");
    return note >= 0 && text.indexOf(kNoteClose, note) > 0;
}

Book parse(QStringView source, bool explanationOpen)
{
    return Parser().run(source, explanationOpen);
}

QString gaiji(QStringView note)
{
    static const QRegularExpression codePoint(QStringLiteral("U\\+([0-9A-Fa-f]{4,6})"));
    static const QRegularExpression jis(QStringLiteral("(?:^|、|水準)([12])-([0-9]{1,2})-([0-9]{1,2})(?=$|、)"));
    if (const QRegularExpressionMatch match = jis.match(note); match.hasMatch()) {
        const QString found = fromJisX0213(match.capturedView(1).toInt(), match.capturedView(2).toInt(),
                                           match.capturedView(3).toInt());
        if (!found.isEmpty())
            return found;
    }
    if (const QRegularExpressionMatch match = codePoint.match(note); match.hasMatch()) {
        bool ok = false;
        const char32_t value = match.capturedView(1).toUInt(&ok, 16);
        if (ok && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF))
            return QString::fromUcs4(&value, 1);
    }
    return {};
}

QString withReadings(const Book &book, Span span)
{
    const qsizetype end = std::min(span.end(), book.text.size());
    QString out;
    qsizetype at = span.start;
    for (const Ruby &ruby : book.ruby) {
        // A reading given by a note may lie over a base already copied with its own: that one stands.
        if (ruby.base.end() <= span.start || ruby.base.start < at)
            continue;
        if (ruby.base.end() > end)
            break;
        out += QStringView(book.text).sliced(at, ruby.base.end() - at);
        out += u'（';
        out += book.reading(ruby);
        out += u'）';
        at = ruby.base.end();
    }
    out += QStringView(book.text).sliced(at, std::max<qsizetype>(end - at, 0));
    return out;
}

const LineStyle *lineAt(const Book &book, qsizetype position)
{
    const auto after = std::upper_bound(book.lines.begin(), book.lines.end(), position,
                                        [](qsizetype at, const LineStyle &line) { return at < line.start; });
    return after == book.lines.begin() ? nullptr : &*(after - 1);
}

} // namespace Aozora
