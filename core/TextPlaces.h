#pragma once

#include "core/DocumentEncoding.h"

#include <QStringView>

class EffectSet;

// A place in a file's own text, kept in terms no layout can move: the byte offset in the text's
// byte form (CR LF breaks) and the line number, both from 0.
struct TextPlace {
    qint64 byteOffset = 0;
    qint64 line = 0;
    bool operator==(const TextPlace &) const = default;
};

namespace TextPlaces {

// The place of a character position of the text. `totalBytes`, the whole text's byte length
// when known (else -1), lets a place in the second half be measured from the end.
TextPlace placeOf(QStringView text, DocumentEncoding::ByteForm form, qint64 position, qint64 totalBytes = -1);
// The character position at a place, found by its line number and byte offset; a place beyond
// the text gives its end. An offset inside a character gives that character's start.
qint64 positionOf(QStringView text, DocumentEncoding::ByteForm form, const TextPlace &place, qint64 totalBytes = -1);

// A position of the shown text (the output of the effects that are on) as a position of the
// text the effects started from, mapped back through each effect's own rule (EffectPlaces in
// core/EffectList.h). Where an effect cannot say, the same fraction of the text is kept.
qint64 toUnprocessed(const EffectSet &effects, QStringView shown, QStringView unprocessed, qint64 position);

} // namespace TextPlaces
