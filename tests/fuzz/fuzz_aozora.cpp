// The notation reader over any UTF-8 text, its explanation folded and open: every mark it makes
// lies within the shown text, the shown lines are the text's lines in order, the readings are the
// same either way, and a copy with readings holds the shown text and no more than the readings.
#include "core/Aozora.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

bool within(const Aozora::Book &book, Aozora::Span span)
{
    return span.start >= 0 && span.length >= 0 && span.end() <= book.text.size();
}

void checkBook(const Aozora::Book &book, QStringView source)
{
    FUZZ_CHECK(!book.lines.empty());
    // Line i starts after the text's i-th line break; a block note on the last line adds none.
    qsizetype breaks = 0;
    for (qsizetype at = 0; (at = book.text.indexOf(u'\n', at)) >= 0; ++at, ++breaks) {
        if (size_t(breaks) + 1 < book.lines.size())
            FUZZ_CHECK(book.lines[size_t(breaks) + 1].start == at + 1);
    }
    FUZZ_CHECK(book.lines[0].start == 0);
    FUZZ_CHECK(book.lines.size() == size_t(breaks) + 1 || book.lines.size() == size_t(breaks));
    const qsizetype sourceLines = source.count(u'\n') + 1;
    for (size_t i = 0; i < book.lines.size(); ++i) {
        FUZZ_CHECK(book.lines[i].sourceLine >= 0 && book.lines[i].sourceLine < sourceLines);
        FUZZ_CHECK(book.lines[i].indent >= 0 && book.lines[i].raise >= 0);
        if (i > 0)
            FUZZ_CHECK(book.lines[i - 1].sourceLine < book.lines[i].sourceLine);
        FUZZ_CHECK(Aozora::lineAt(book, book.lines[i].start)->start == book.lines[i].start);
    }
    for (size_t i = 0; i < book.ruby.size(); ++i) {
        const Aozora::Ruby &ruby = book.ruby[i];
        FUZZ_CHECK(within(book, ruby.base) && ruby.base.length > 0);
        FUZZ_CHECK(qsizetype(ruby.readingAt) + qsizetype(ruby.readingLength) <= book.readings.size());
        if (i > 0)
            FUZZ_CHECK(book.ruby[i - 1].base.start <= ruby.base.start);
    }
    for (const Aozora::Emphasised &e : book.emphasis)
        FUZZ_CHECK(within(book, e.span) && e.span.length > 0);
    for (const Aozora::Span &span : book.dimmed)
        FUZZ_CHECK(within(book, span));
    for (const Aozora::Picture &picture : book.pictures)
        FUZZ_CHECK(picture.line >= 0 && size_t(picture.line) < book.lines.size());
    if (book.explanationLine >= 0) {
        FUZZ_CHECK(book.explanationLines >= 1);
        FUZZ_CHECK(size_t(book.explanationLine + book.explanationLines) <= book.lines.size());
    }
}

// The copy of a span with readings: the span's text in order, with at most each reading whose
// base lies in the span (and its two parentheses) put in.
void checkCopy(const Aozora::Book &book, Aozora::Span span)
{
    const QString copy = Aozora::withReadings(book, span);
    const qsizetype end = std::min(span.end(), book.text.size());
    const QStringView shown = QStringView(book.text).sliced(span.start, std::max<qsizetype>(end - span.start, 0));
    qsizetype most = shown.size();
    for (const Aozora::Ruby &ruby : book.ruby)
        if (ruby.base.start >= span.start && ruby.base.end() <= end)
            most += ruby.readingLength + 2;
    FUZZ_CHECK(copy.size() >= shown.size() && copy.size() <= most);
    qsizetype found = 0;
    for (const QChar c : copy)
        found += found < shown.size() && c == shown[found];
    FUZZ_CHECK(found == shown.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString source = QString::fromUtf8(FuzzInput::bytes(data, size));
    const Aozora::Book folded = Aozora::parse(source);
    const Aozora::Book open = Aozora::parse(source, true);
    checkBook(folded, source);
    checkBook(open, source);
    Aozora::isAozoraText(source);

    // The explanation is shown as it stands, never read for marks: the rest reads the same.
    FUZZ_CHECK(folded.readings == open.readings && folded.ruby.size() == open.ruby.size());
    FUZZ_CHECK(folded.emphasis.size() == open.emphasis.size() && folded.pictures.size() == open.pictures.size());
    for (size_t i = 0; i < folded.ruby.size(); ++i) {
        const Aozora::Ruby &a = folded.ruby[i];
        const Aozora::Ruby &b = open.ruby[i];
        FUZZ_CHECK(folded.text.mid(a.base.start, a.base.length) == open.text.mid(b.base.start, b.base.length));
    }
    FUZZ_CHECK(folded.explanation == open.explanation && (folded.explanationLine < 0) == (open.explanationLine < 0));

    // Text without a mark passes as it is, with its CRs before line feeds dropped.
    const bool plain = std::none_of(source.begin(), source.end(), [](QChar c) {
        return c == u'［' || c == u'※' || c == u'《' || c == u'｜';
    });
    if (plain && folded.explanationLine < 0)
        FUZZ_CHECK(folded.text == QString(source).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).chopped(source.endsWith(u'\r')));

    const qsizetype length = folded.text.size();
    checkCopy(folded, {0, length});
    if (size >= 2)
        checkCopy(folded, {data[0] % (length + 1), data[1]});

    // A gaiji note names one character or none, never half a pair.
    const QString named = Aozora::gaiji(source);
    FUZZ_CHECK(named.size() <= 4);
    for (qsizetype i = 0; i < named.size(); ++i) {
        if (named[i].isHighSurrogate())
            FUZZ_CHECK(i + 1 < named.size() && named[++i].isLowSurrogate());
        else
            FUZZ_CHECK(!named[i].isSurrogate());
    }
    return 0;
}
