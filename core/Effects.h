#pragma once

#include <QByteArray>
#include <QChar>
#include <QIODevice>

// The display effects: byte filters over CP932 text with CR LF line breaks.
// Every rule compares single bytes that cannot be part of a double-byte character
// (CR, LF, TAB, blank, '<', '>'), so no decoding is needed.
//   'C' drops line breaks, 'S' drops blanks and TABs, 'T' drops <tags>,
//   'F' drops a mail header up to its empty line, 'N' numbers the lines.
namespace Effects {

// True for 'C', 'S', 'T', 'F', 'N'.
bool isKind(QChar kind);

// Streams `in` to `out` by the kind's byte rule in 64 KiB blocks, so a large text
// never needs a second copy in memory. Returns false when reading or writing failed
// or the kind is unknown.
bool transform(QChar kind, QIODevice &in, QIODevice &out);

// As above with a chosen block size; tiny blocks let the tests put block boundaries
// inside every look-ahead and tag.
bool transform(QChar kind, QIODevice &in, QIODevice &out, qsizetype blockSize);

// Convenience over whole byte arrays; an unknown kind gives an empty array.
QByteArray transform(QChar kind, const QByteArray &bytes);

} // namespace Effects
