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
};

// One text of the genre in the encoding of at most targetSize bytes (at least 20), holding at
// least one character beyond ASCII.
Sample generate(Genre genre, EncodingDetect::Encoding encoding, qsizetype targetSize, quint32 seed);

// perEncoding texts in each encoding, sizes spread evenly on a logarithmic scale from
// minSize to maxSize bytes and the genres taking turns.
std::vector<Sample> generateCorpus(int perEncoding, qsizetype minSize, qsizetype maxSize, quint32 seed);

} // namespace JapaneseCorpus
