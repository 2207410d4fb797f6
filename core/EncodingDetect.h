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

// Recognises the encoding in this order: a byte-order mark (UTF-8, UTF-16 LE/BE); 7-bit bytes
// holding ISO-2022-JP escape sequences; valid UTF-8 with at least one multi-byte sequence;
// else CP932 or EUC-JP, whichever decodes without an error (or reaches further before its
// first one), and where both do, by how Japanese each decoded text looks (japaneseScore).
// CP932 wins ties and is the answer for pure ASCII and for no bytes at all. The bytes are read
// once and only as far as needed: the two decodings advance together until one fails, and
// where both still decode 256 KB after the first non-ASCII byte, the score so far decides.
Detection detect(const QByteArray &bytes);

// detect() over bytes handed over in order, piece by piece, with the same answer: nothing is
// held but a few bytes carried over a piece's end and the stretch after the first non-ASCII
// byte that the choice between CP932 and EUC-JP reads.
class PieceDetector {
public:
    // Takes the next bytes; false once the answer is known, so that no more need be read.
    bool feed(const char *data, qsizetype size);
    // The answer for the bytes fed, the end of the file being reached or not needed.
    Detection finish();

private:
    QByteArray head_;   // the first bytes, for a byte-order mark
    bool sawHigh_ = false;
    bool jis_ = false;
    QByteArray tail_;   // the last bytes of the ASCII, for an escape cut by a piece's end
    bool utf8_ = true;
    QByteArray carry_;  // a UTF-8 character cut by a piece's end
    QByteArray window_; // from the first non-ASCII byte on, as far as the choice reads
};

// The text form of the bytes in the given encoding: CR LF, a lone CR and a lone LF become
// '\n', a leading byte-order mark is dropped, bytes that are invalid there become U+FFFD.
// UTF-16 without a mark is read as little-endian, as Windows writes it.
QString decode(const QByteArray &bytes, Encoding encoding);

// decode() straight through the platform's converter for EUC-JP and ISO-2022-JP (decode()
// walks tables taken from it), slower; tests compare the two on valid input.
QString referenceDecode(const QByteArray &bytes, Encoding encoding);

// How Japanese a decoding of the bytes looks, for the choice between CP932 and EUC-JP: kana,
// punctuation and common kanji count for it, rare kanji, extensions and private-use code
// points against it. Undefined for the other encodings; -inf where the bytes do not decode.
double japaneseScore(const QByteArray &bytes, Encoding encoding);


} // namespace EncodingDetect
