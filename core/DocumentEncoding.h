#pragma once

#include "core/EncodingDetect.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

// A shown document's encoding as the viewer uses it: reading a file's bytes into text, the
// byte form that the size, the effect limits and the effects' work files count in, and the
// bytes save-as writes.
namespace DocumentEncoding {

// The byte form of the view's text, every line break as CR LF: code page 932 for a CP932
// document, UTF-8 for every other, so that no character of the file is lost in an effect.
// The effects' byte rules hold for both: their bytes (CR, LF, TAB, blank, '<', '>') never occur
// inside a multi-byte character, and the full-width blank (81 40, E3 80 80) is two or three other
// bytes in either.
enum class ByteForm { Cp932, Utf8 };

ByteForm byteFormOf(EncodingDetect::Encoding encoding);

// The text in the byte form; every '\n' becomes CR LF, an unpaired surrogate one '?'.
QByteArray encode(QStringView text, ByteForm form);
// Bytes of the byte form back to text: line breaks become '\n', invalid bytes U+FFFD.
QString decode(const QByteArray &bytes, ByteForm form);
// The length of encode(text, form) without building it.
qint64 byteLength(QStringView text, ByteForm form);

struct Loaded {
    QString text;
    qint64 byteLength = 0; // of the text's byte form
    EncodingDetect::Detection detection; // the encoding the text was read in
};

// The encoding a file's bytes are read in: the chosen one (with its byte-order mark noted), or
// the recognised one when none is chosen.
EncodingDetect::Detection detection(const QByteArray &bytes, std::optional<EncodingDetect::Encoding> chosen);

// Reads a file's bytes in the chosen encoding, or in the recognised one when none is chosen.
Loaded load(const QByteArray &bytes, std::optional<EncodingDetect::Encoding> chosen);

// The byte form of a file's own bytes read as `detection` says, which a document's first
// effect starts from. CP932: the bytes themselves with every line break (CR LF, a lone CR, a
// lone LF) made CR LF and nothing decoded, so bytes that are no character pass unchanged;
// UTF-8 the same after its byte-order mark; the others the UTF-8 form of their decoded text.
QByteArray byteFormOfFile(const QByteArray &bytes, const EncodingDetect::Detection &detection);

// Bytes for save-as, and the characters of the text that the encoding could not hold.
struct Saved {
    QByteArray bytes;
    qint64 unwritable = 0; // characters written as '?'
    qint64 firstLine = 0;  // the line (from 1) of the first of them; 0 when there is none
};

// The text as save-as writes it: in the document's own encoding with CR LF breaks, led by the
// document's byte-order mark when it had one (UTF-16 always has one, in its byte order).
// Characters the encoding lacks (an unpaired surrogate in every one) become '?'.
Saved saveFormCounting(QStringView text, const EncodingDetect::Detection &detection);
QByteArray saveForm(QStringView text, const EncodingDetect::Detection &detection);

// Bytes of the byte form, as the effects make them, the way save-as writes them: a CP932
// document's as they are, a UTF-8 document's led by its byte-order mark when it had one; for
// the other encodings the text they hold, written as saveFormCounting writes it.
Saved saveFormOfByteForm(const QByteArray &bytes, const EncodingDetect::Detection &detection);

// The encoding chosen in the view menu, by the character stored for it; Auto recognises every file.
enum class Choice : char { Auto = 'A', Sjis = 'S', Utf8 = 'U', Euc = 'E', Jis = 'J' };

// The stored text as a choice: one of the five codes, anything else Auto.
Choice choiceFromStored(const QString &stored);
// The encoding a choice forces; none for Auto (and for anything unknown).
std::optional<EncodingDetect::Encoding> forcedEncoding(Choice choice);

} // namespace DocumentEncoding
