#pragma once

#include "core/EncodingDetect.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

// Looking for a word through the files of a list, one after another, each in its own decoded
// text, for the search that goes on past the viewed file.
//
// Every file is searched in the text a load would show it in, with no display effect: each
// load starts without effects, so a file reached by the search is shown exactly as searched,
// and the hit selected there is the one that was found.
namespace FolderSearch {

// Files larger than this are passed over rather than read whole for a search.
inline constexpr qint64 kLargestSearched = qint64(256) << 20;

enum class Direction { Forward, Backward };

// What reading one source gave: its bytes, or nothing when it was passed over (unreadable,
// no regular file, larger than kLargestSearched).
struct Source {
    std::optional<QByteArray> bytes;
};
// Reads a source by its name. Files of the file system by default; an archive's members
// through a reader of the archive.
using Reader = std::function<Source(const QString &name)>;

// Reads a file of the file system as a load would: never through anything but a regular file.
Source readFile(const QString &path);

struct Request {
    QStringList sources;  // in the file list's order
    qsizetype first = 0;  // the first source looked at; from there on in the direction
    Direction direction = Direction::Forward;
    QString word;
    bool matchCase = false;
    // The encoding every file is read in, as for any load; none recognises each file's own.
    std::optional<EncodingDetect::Encoding> chosen;
};

// What may be asked and told while a search runs, from another thread.
struct Control {
    const std::atomic<bool> *cancel = nullptr;
    // Sources looked at so far, of all there are to look at, after each one.
    std::function<void(qsizetype done, qsizetype total)> progress;
    Reader read = readFile;
};

struct Result {
    qsizetype found = -1;     // the index of the nearest source holding the word; -1 for none
    qint64 position = -1;     // its first hit (forward) or last hit (backward) in its text
    qsizetype passedOver = 0; // sources that could not be searched
    bool cancelled = false;
};

// The nearest source from `first` on in the direction whose text holds the word.
Result search(const Request &request, const Control &control = {});

} // namespace FolderSearch
