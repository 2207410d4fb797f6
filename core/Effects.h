#pragma once

#include <QByteArray>
#include <QChar>
#include <QIODevice>

enum class EffectKind : char; // core/EffectList.h

// The byte rules of the display effects: filters over CP932 text with CR LF line breaks.
// Every rule compares single bytes that cannot be part of a double-byte character
// (CR, LF, TAB, blank, '<', '>'), so no decoding is needed.
namespace Effects {

// A byte rule, over devices in blocks of a given size and over a whole array.
struct ByteRule {
    bool (*stream)(QIODevice &in, QIODevice &out, qsizetype blockSize);
    bool (*whole)(const QByteArray &bytes, QIODevice &out);
    bool grows; // the output can be longer than the input
};

extern const ByteRule cutBreaks;   // drops CR and LF
extern const ByteRule cutSpaces;   // drops blanks and TABs
extern const ByteRule cutTags;     // drops <tags>
extern const ByteRule cutHeader;   // drops a mail header up to its empty line
extern const ByteRule numberLines; // numbers the lines

// True for the character of a listed effect.
bool isKind(QChar kind);

// Streams `in` to `out` by the kind's byte rule in 64 KiB blocks, so a large text
// never needs a second copy in memory. Returns false when reading or writing failed
// or the kind is unknown.
bool transform(EffectKind kind, QIODevice &in, QIODevice &out);

// As above with a chosen block size; tiny blocks let the tests put block boundaries
// inside every look-ahead and tag.
bool transform(EffectKind kind, QIODevice &in, QIODevice &out, qsizetype blockSize);

// Convenience over whole byte arrays; an unknown kind gives an empty array.
QByteArray transform(EffectKind kind, const QByteArray &bytes);

} // namespace Effects
