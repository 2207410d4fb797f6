#pragma once

#include <QByteArray>
#include <QString>

// Which of the five encodings of Japanese text a file's bytes are in, and decoding from each.
namespace EncodingDetect {

enum class Encoding { Sjis, Utf8, Utf16, Euc, Jis };

// The name the status bar shows: "SJIS", "UTF-8", "UTF-16", "EUC", "JIS".
QString panelName(Encoding encoding);

// The converter name for QStringDecoder / QStringEncoder ("windows-31j", "UTF-8", "UTF-16",
// "EUC-JP", "ISO-2022-JP"); writing UTF-16 picks its byte order from the Detection.
const char *converterName(Encoding encoding);

struct Detection {
    Encoding encoding = Encoding::Sjis;
    bool hasBom = false;    // the bytes begin with the encoding's byte-order mark
    bool bigEndian = false; // UTF-16 only
};

// Recognises the encoding in this order: a byte-order mark (UTF-8, UTF-16 LE/BE); UTF-16
// without a mark, by its zero bytes (the high byte of every ASCII character, which no 8-bit
// text has) and units that read as text in one byte order; 7-bit bytes holding ISO-2022-JP
// escape sequences; UTF-8 with at least one multi-byte sequence; else CP932 or EUC-JP by how
// Japanese each decoded text looks (japaneseScore). CP932 wins ties and is the answer for pure
// ASCII and for no bytes at all.
//
// A few damaged bytes do not change the answer. From 1 KB up an encoding stays the answer
// with up to one invalid sequence in 1,000 bytes, as long as its valid characters beyond
// ASCII (for ISO-2022-JP its designations and double-byte characters) outnumber the invalid
// ones four times; a character cut by the end is no error there. Shorter texts must decode
// without an error, as a rate over so few bytes says nothing. An encoding whose errors run
// ahead of both its bytes and its valid characters is ruled out as soon as they do. Of CP932
// and EUC-JP, where both may carry their errors as damage, the score less a cost for each
// error decides; where one may, that one; where neither, the one with fewer errors.
//
// The bytes are read once and only as far as needed: the two decodings CP932 and EUC-JP
// advance together until one is ruled out, and where both remain 256 KB after the first
// non-ASCII byte, what they met so far decides.
Detection detect(const QByteArray &bytes);

// How one encoding reads the bytes scanned so far: the invalid sequences met, the valid
// characters beyond ASCII met (for ISO-2022-JP: the bytes from 0x80 up, and the designations
// and double-byte characters),
// and whether the errors have already ruled it out.
struct Tally {
    qint64 errors = 0;
    qint64 good = 0;
    bool dropped = false;
};

// detect() over bytes handed over in order, piece by piece, with the same answer: nothing is
// held but the first bytes, a few bytes carried over a piece's end and the stretch after the
// first non-ASCII byte that the choice between CP932 and EUC-JP reads.
class PieceDetector {
public:
    // Takes the next bytes; false once the answer is known, so that no more need be read.
    bool feed(const char *data, qsizetype size);
    // The answer for the bytes fed, the end of the file being reached or not needed.
    Detection finish();

private:
    QByteArray head_;    // the first bytes, for a byte-order mark or UTF-16 without one
    qint64 fed_ = 0;
    Tally jis_;
    int jisState_ = 0;   // how far into an escape sequence the bytes fed end
    qint64 jisWideFrom_ = -1; // where the double-byte run the bytes fed end in began
    Tally utf8_;
    QByteArray carry_;   // a UTF-8 character cut by a piece's end
    qint64 windowAt_ = -1; // where the first non-ASCII byte is; -1 before it
    QByteArray window_;  // from the first non-ASCII byte on, as far as the choice reads
};

// The text form of the bytes in the given encoding: CR LF, a lone CR and a lone LF become
// '\n', a leading byte-order mark is dropped, bytes that are invalid there become U+FFFD.
// UTF-16 without a mark is read as little-endian, as Windows writes it.
QString decode(const QByteArray &bytes, Encoding encoding);
// The same in the encoding a detection found: UTF-16 without a mark in its byte order.
QString decode(const QByteArray &bytes, const Detection &detection);

// Whether UTF-16 bytes without a mark are big-endian, as their zero bytes and units show;
// false where they do not tell.
bool bigEndianWithoutMark(const QByteArray &bytes);

// decode() straight through the platform's converter for EUC-JP and ISO-2022-JP (decode()
// walks tables taken from it), slower; tests compare the two on valid input.
QString referenceDecode(const QByteArray &bytes, Encoding encoding);

// How Japanese a decoding of the bytes looks, for the choice between CP932 and EUC-JP: kana,
// punctuation and common kanji count for it, rare kanji, extensions and private-use code
// points against it. Undefined for the other encodings; -inf where the bytes do not decode.
double japaneseScore(const QByteArray &bytes, Encoding encoding);


} // namespace EncodingDetect
