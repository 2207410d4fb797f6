#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// Code page 932 (Shift-JIS with the Microsoft extensions) in both directions.
// The text form keeps one '\n' per line break; the byte form writes CR LF.
namespace Cp932 {

// Decodes file bytes: CR LF, a lone CR and a lone LF all become '\n';
// bytes that are not valid CP932 become U+FFFD.
QString decode(const QByteArray &bytes);

struct Decoded {
    QString text;
    qint64 byteLength; // the length of encode(text)
};
// decode() that also gives the byte length of the text's code page 932 form with CR LF
// breaks, mostly without a second pass: a valid text re-encodes to as many bytes as it had.
Decoded decodeCounting(const QByteArray &bytes);

// decode() piece by piece, for a file read in pieces. Each call decodes the longest start of
// the bytes that decodes alike whatever follows them (all of them with `last`) into `out`,
// which has room for as many units as bytes, and says how much it took and wrote. A piece may
// take nothing when no byte in it can end one (no line feed, blank, digit or control byte).
class PieceDecoder {
public:
    struct Step {
        qsizetype taken = 0;
        qsizetype written = 0;
    };
    Step decode(const char *bytes, qsizetype size, char16_t *out, bool last);
    // The byte length of everything decoded so far, as decodeCounting gives it; `text` is it.
    qint64 byteLength(QStringView text) const;

private:
    qint64 taken_ = 0;
    qint64 invalid_ = 0;
    qint64 lone_ = 0;
};

// The same decoding straight through the platform's converter, slower; the tables of the
// decoder above are taken from it, and tests compare the two.
QString referenceDecode(const QByteArray &bytes);

// What decode() makes of one byte that is not a lead byte, and of a lead byte with the byte
// after it: U+FFFD where they are no character of code page 932, the pair also where the
// second byte cannot follow the lead.
char16_t decodeSingle(unsigned char byte);
char16_t decodePair(unsigned char lead, unsigned char trail);

// A character that has no code page 932 form.
struct Unmappable {
    qsizetype position = 0; // where it starts in the text, in UTF-16 units
    char32_t character = 0; // the whole code point; an unpaired surrogate as its own value
};

struct StrictEncoded {
    QByteArray bytes;                     // the whole text; empty when `unmappable` is set
    std::optional<Unmappable> unmappable; // the first character without a form
};

// The encoder for everything the program writes. Each character gets the bytes Windows writes
// for it; the forms Linux converters give seven of them (U+301C, U+2016, U+2212, U+00A2,
// U+00A3, U+00AC, U+2014) get those same bytes, read back as the Windows forms. Nothing is ever
// substituted: the first character without a form is reported and no bytes are given, so
// each writer decides. '\n' is written as CR LF.
StrictEncoded encodeStrict(QStringView text);

// The text with each of those seven characters in its Linux form (U+FF5E becomes U+301C ...),
// for finding a name that a Linux tool wrote.
QString withLinuxForms(QStringView text);

// The encoder above, with every '\n' written as CR LF; a character without a form is written
// as the platform converter substitutes it, an unpaired surrogate as one '?'.
QByteArray encode(QStringView text);

// encode() that writes '?' for every character code page 932 cannot represent, as a text
// saved to a file is written.
QByteArray encodeReplacing(QStringView text);

// The length of encode(text) without building it.
qint64 byteLength(QStringView text);

} // namespace Cp932
