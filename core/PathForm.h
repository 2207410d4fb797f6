#pragma once

#include "core/Cp932.h"

#include <QByteArray>
#include <QString>

#include <functional>

// A file name on Linux is bytes; archives unpacked from Windows leave names whose bytes are code
// page 932, which Qt's own decoding (UTF-8) turns into U+FFFD and can never map back. The
// program carries every path as a QString in the form below, and only platform/ turns it into
// bytes for the system, so each file is reached by its original name.
//
// A path is taken segment by segment (between '/'):
// - a segment of valid UTF-8 is its UTF-8 text, exactly as Qt decodes it;
// - any other segment is kMarker followed by its code page 932 decoding. A character is kept
//   only where it encodes back to the very bytes it came from; every other byte (an invalid
//   sequence, CR or LF, a character of two byte forms) is carried as kEscapeBase + byte, a
//   private-use character that no code page 932 decoding gives.
// A valid UTF-8 segment that itself starts with the marker takes the second form too, so that
// the two forms never meet. Thus fromNative is one-to-one and toNative(fromNative(b)) == b for
// all bytes. The marker is a default-ignorable character: a CP932-named "あ.txt" shows like the
// UTF-8-named one beside it, yet the two are different texts.
namespace PathForm {

inline constexpr char16_t kMarker = 0x2060;     // WORD JOINER
inline constexpr char16_t kEscapeBase = 0xF700; // U+F700..U+F7FF carry single bytes

// The path form of a name or path as the system gives it.
QString fromNative(const QByteArray &bytes);
// The bytes the system knows the path by.
QByteArray toNative(const QString &path);
// Whether the path holds only UTF-8 segments, so Qt's own file classes reach it too.
bool isPlain(const QString &path);

// The path as it is shown: marked segments without their marker and every carried byte as
// U+FFFD. A plain path is returned as it is.
QString displayName(const QString &path);

// The code page 932 form, as the bookmark file stores paths: a UTF-8 segment through the
// strict encoder, a marked segment as its own bytes. Nothing is substituted: the first
// character of a UTF-8 segment without a form is reported, its position counted in `path`.
Cp932::StrictEncoded toCp932(const QString &path);
// Whether toCp932 gives the path's bytes.
bool isStorableAsCp932(const QString &path);

using NativeExists = std::function<bool(const QByteArray &)>;
// The path a code page 932 path field stands for. Segment by segment from the start: the
// decoded text names a UTF-8 segment, as always; where no such entry exists, the decoded text
// with the Linux forms of its characters (a folder "波〜線" named by a Linux tool); where neither
// exists but the bytes themselves name one, the segment is that CP932-named entry. Where more
// exist, the first of these wins: the file format cannot tell them apart. Without `exists`,
// the decoded text.
QString fromCp932(const QByteArray &field, const NativeExists &exists);

} // namespace PathForm
