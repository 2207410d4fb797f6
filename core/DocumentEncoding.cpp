#include "core/DocumentEncoding.h"

#include "core/Cp932.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

using EncodingDetect::Encoding;

// Walks a text as UTF-8 with CR LF breaks; `put` receives each byte. An unpaired surrogate
// is written as '?', as the code page 932 form writes it.
template <typename Put> void walkUtf8(QStringView text, Put &&put)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x80) {
            if (c == u'\n')
                put('\r');
            put(char(c));
        } else if (c < 0x800) {
            put(char(0xC0 | (c >> 6)));
            put(char(0x80 | (c & 0x3F)));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, p[++i]);
            put(char(0xF0 | (u >> 18)));
            put(char(0x80 | ((u >> 12) & 0x3F)));
            put(char(0x80 | ((u >> 6) & 0x3F)));
            put(char(0x80 | (u & 0x3F)));
        } else if (QChar::isSurrogate(c)) {
            put('?');
        } else {
            put(char(0xE0 | (c >> 12)));
            put(char(0x80 | ((c >> 6) & 0x3F)));
            put(char(0x80 | (c & 0x3F)));
        }
    }
}

qint64 utf8Length(QStringView text)
{
    // Counting by the same walk keeps the length and the bytes from ever disagreeing.
    qint64 n = 0;
    walkUtf8(text, [&n](char) { ++n; });
    return n;
}

QByteArray encodeUtf8(QStringView text)
{
    QByteArray out(utf8Length(text), Qt::Uninitialized);
    char *o = out.data();
    walkUtf8(text, [&o](char b) { *o++ = b; });
    return out;
}

QString withLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Walks a text character by character, asking `writable` once for each distinct character
// above ASCII (an unpaired surrogate is never writable) and handing every character to `put`
// with the answer. Counts the unwritable ones and notes the line of the first.
template <typename Writable, typename Put>
DocumentEncoding::Saved walkWritable(QStringView text, Writable &&writable, Put &&put)
{
    DocumentEncoding::Saved counted;
    QHash<char32_t, bool> known;
    qint64 line = 1;
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] < 0x80) {
            line += p[i] == u'\n';
            put(QStringView(p + i, 1), true);
            continue;
        }
        const bool pair = QChar::isHighSurrogate(p[i]) && i + 1 < n && QChar::isLowSurrogate(p[i + 1]);
        const QStringView one(p + i, pair ? 2 : 1);
        bool ok = false;
        if (pair || !QChar::isSurrogate(p[i])) {
            const char32_t key = pair ? QChar::surrogateToUcs4(p[i], p[i + 1]) : p[i];
            auto found = known.find(key);
            if (found == known.end())
                found = known.insert(key, writable(one));
            ok = *found;
        }
        if (!ok && counted.unwritable++ == 0)
            counted.firstLine = line;
        put(one, ok);
        i += one.size() - 1;
    }
    return counted;
}

// Whether a character comes back from the converter as itself; its own substitutes are a
// private-use pair in EUC-JP and a control byte in ISO-2022-JP, which would not. The
// replacement character does come back from EUC-JP's substitute, yet is no character of it.
auto convertsBack(const char *converter)
{
    return [converter](QStringView one) {
        if (one == u"\uFFFD")
            return false;
        QStringEncoder encoder(converter);
        QStringDecoder decoder(converter);
        const QByteArray bytes = encoder.encode(one);
        return QString(decoder.decode(bytes)) == one;
    };
}

// ISO-2022-JP has no half-width kana; mail software writes them full-width, with a voicing mark
// joined to its kana (ｶﾞ becomes ガ), rather than lose them.
QString withFullWidthKana(const QString &text)
{
    auto isHalfKana = [](QChar c) { return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F; };
    if (std::none_of(text.begin(), text.end(), isHalfKana))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i;
        while (end < text.size() && isHalfKana(text[end]))
            ++end;
        if (end == i) {
            out += text[i++];
            continue;
        }
        out += text.mid(i, end - i).normalized(QString::NormalizationForm_KC);
        i = end;
    }
    return out;
}

EncodingDetect::Detection detectionAs(const QByteArray &bytes, Encoding encoding)
{
    EncodingDetect::Detection d;
    d.encoding = encoding;
    if (encoding == Encoding::Utf8)
        d.hasBom = bytes.startsWith("\xEF\xBB\xBF");
    if (encoding == Encoding::Utf16) {
        d.hasBom = bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE");
        d.bigEndian = d.hasBom ? bytes.startsWith("\xFE\xFF") : EncodingDetect::bigEndianWithoutMark(bytes);
    }
    return d;
}

} // namespace

namespace DocumentEncoding {

ByteForm byteFormOf(Encoding encoding)
{
    return encoding == Encoding::Sjis ? ByteForm::Cp932 : ByteForm::Utf8;
}

QByteArray encode(QStringView text, ByteForm form)
{
    return form == ByteForm::Cp932 ? Cp932::encode(text) : encodeUtf8(text);
}

QString decode(const QByteArray &bytes, ByteForm form)
{
    if (form == ByteForm::Cp932)
        return Cp932::decode(bytes);
    // A U+FEFF at the start of the text is a character of it, not a mark to drop.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return withLineBreaks(decoder.decode(bytes));
}

qint64 byteLength(QStringView text, ByteForm form)
{
    return form == ByteForm::Cp932 ? Cp932::byteLength(text) : utf8Length(text);
}

EncodingDetect::Detection detection(const QByteArray &bytes, std::optional<Encoding> chosen)
{
    return chosen ? detectionAs(bytes, *chosen) : EncodingDetect::detect(bytes);
}

Loaded load(const QByteArray &bytes, std::optional<Encoding> chosen)
{
    Loaded loaded;
    loaded.detection = detection(bytes, chosen);
    if (loaded.detection.encoding == Encoding::Sjis) {
        // The common case keeps its one-pass decoder, which also knows the length.
        Cp932::Decoded decoded = Cp932::decodeCounting(bytes);
        loaded.text = std::move(decoded.text);
        loaded.byteLength = decoded.byteLength;
    } else {
        loaded.text = EncodingDetect::decode(bytes, loaded.detection);
        loaded.byteLength = utf8Length(loaded.text);
    }
    return loaded;
}

Saved saveFormCounting(QStringView text, const EncodingDetect::Detection &detection)
{
    auto ignore = [](QStringView, bool) {};
    Saved saved;
    switch (detection.encoding) {
    case Encoding::Sjis:
        // The encoder writes one '?' for each character the code page lacks.
        saved = walkWritable(
            text, [](QStringView one) { return Cp932::encodeReplacing(one) != "?"; }, ignore);
        saved.bytes = Cp932::encodeReplacing(text);
        return saved;
    case Encoding::Utf8:
        saved = walkWritable(text, [](QStringView) { return true; }, ignore);
        saved.bytes = (detection.hasBom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + encodeUtf8(text);
        return saved;
    case Encoding::Utf16: {
        saved = walkWritable(text, [](QStringView) { return true; }, ignore);
        QString crlf = text.toString();
        crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        QStringEncoder encoder(detection.bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                               detection.hasBom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        saved.bytes = encoder.encode(crlf);
        return saved;
    }
    case Encoding::Euc:
    case Encoding::Jis:
        break;
    }
    const char *converter = EncodingDetect::converterName(detection.encoding);
    const QString widened = detection.encoding == Encoding::Jis ? withFullWidthKana(text.toString()) : text.toString();
    QString writable;
    writable.reserve(widened.size() + widened.size() / 16);
    saved = walkWritable(widened, convertsBack(converter), [&writable](QStringView one, bool ok) {
        if (one == u"\n")
            writable += QLatin1String("\r\n");
        else if (ok)
            writable += one;
        else
            writable += QLatin1Char('?');
    });
    QStringEncoder encoder(converter);
    saved.bytes = encoder.encode(writable);
    return saved;
}

QByteArray saveForm(QStringView text, const EncodingDetect::Detection &detection)
{
    return saveFormCounting(text, detection).bytes;
}

QByteArray byteFormOfFile(const QByteArray &bytes, const EncodingDetect::Detection &detection)
{
    if (detection.encoding != Encoding::Sjis && detection.encoding != Encoding::Utf8)
        return encodeUtf8(EncodingDetect::decode(bytes, detection));
    // CR and LF are never part of a multi-byte character in either, so the breaks are found
    // in the bytes themselves and nothing else is touched.
    const qsizetype skip = detection.encoding == Encoding::Utf8 && bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QByteArray out;
    out.reserve(bytes.size() - skip + bytes.size() / 32);
    const char *p = bytes.constData() + skip;
    const char *end = bytes.constData() + bytes.size();
    while (p < end) {
        const char *stop = p;
        while (stop < end && *stop != '\r' && *stop != '\n')
            ++stop;
        out.append(p, stop - p);
        if (stop == end)
            break;
        out.append("\r\n", 2);
        p = stop + (*stop == '\r' && stop + 1 < end && stop[1] == '\n' ? 2 : 1);
    }
    return out;
}

Saved saveFormOfByteForm(const QByteArray &bytes, const EncodingDetect::Detection &detection)
{
    switch (detection.encoding) {
    case Encoding::Sjis:
        return {bytes};
    case Encoding::Utf8:
        return {(detection.hasBom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + bytes};
    default:
        return saveFormCounting(decode(bytes, ByteForm::Utf8), detection);
    }
}

Choice choiceFromStored(const QString &stored)
{
    if (stored.size() == 1) {
        for (const Choice choice : {Choice::Auto, Choice::Sjis, Choice::Utf8, Choice::Euc, Choice::Jis})
            if (stored[0] == QLatin1Char(char(choice)))
                return choice;
    }
    return Choice::Auto;
}

std::optional<Encoding> forcedEncoding(Choice choice)
{
    switch (choice) {
    case Choice::Sjis:
        return Encoding::Sjis;
    case Choice::Utf8:
        return Encoding::Utf8;
    case Choice::Euc:
        return Encoding::Euc;
    case Choice::Jis:
        return Encoding::Jis;
    default:
        return std::nullopt;
    }
}

} // namespace DocumentEncoding
