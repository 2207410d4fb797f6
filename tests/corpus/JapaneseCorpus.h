#pragma once

#include "core/EncodingDetect.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Japanese texts of several kinds and sizes in the five encodings, for measuring how well
// the encoding of a file is recognised. The same seed always gives the same texts.
namespace JapaneseCorpus {

enum class Genre { Prose, Mail, Html, Source, HalfKana };
constexpr int kGenres = 5;

QString genreName(Genre genre);

struct Sample {
    Genre genre = Genre::Prose;
    EncodingDetect::Encoding encoding = EncodingDetect::Encoding::Sjis;
    qsizetype targetSize = 0; // the size asked for; bytes.size() is at most this
    QString text;             // what decoding the bytes must give ('\n' line breaks)
    QByteArray bytes;
    bool bigEndian = false; // UTF-16 only
};

// One text of the genre in the encoding of at most targetSize bytes (at least 20), holding at
// least one character beyond ASCII.
Sample generate(Genre genre, EncodingDetect::Encoding encoding, qsizetype targetSize, quint32 seed);

// perEncoding texts in each encoding, sizes spread evenly on a logarithmic scale from
// minSize to maxSize bytes and the genres taking turns.
std::vector<Sample> generateCorpus(int perEncoding, qsizetype minSize, qsizetype maxSize, quint32 seed);

// A given text in the encoding, line by line with CR LF or LF breaks, UTF-8 and UTF-16 led by
// their byte-order mark where asked; its text is what decoding the bytes gives.
Sample fromText(const QString &text, EncodingDetect::Encoding encoding, bool crlf, bool withBom = false,
                bool bigEndian = false);

// What damage a file may come with: its last character cut (a download or a log cut short),
// one stray byte, or stray bytes at about one in 1,000, one in each stretch of 1,000 bytes.
// A stray byte stands before a line break (where it ends no character), as a byte that is
// invalid there alone; in UTF-16 it makes a unit an unpaired surrogate instead, as an extra
// byte would shift every unit after it.
enum class Damage { CutLastCharacter, OneStrayByte, StrayBytesPerThousand };
constexpr int kDamages = 3;

QString damageName(Damage damage);

// The sample with the damage done: its bytes, and as its text what decoding them must give,
// U+FFFD where a character was damaged (a cut UTF-8 character may give more than one).
Sample damaged(const Sample &sample, Damage damage, quint32 seed);

// A UTF-16 sample without its byte-order mark.
Sample withoutMark(const Sample &sample);

} // namespace JapaneseCorpus
