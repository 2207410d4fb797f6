#pragma once

#include <QString>

// Whether and how the viewed file may be deleted. The fragments are matched as case-sensitive
// substrings of the whole path, not as extensions: "A.TXT" is no text file, while anything
// inside a folder named "notes.txt" is one.
namespace DeleteRules {

// The path contains one of ".txt", ".log", ".csv", ".doc", ".htm", ".css", ".xml", ".shtml".
bool isTextFilePath(const QString &path);
// The path contains ".txt" or ".log": the files whose question may be suppressed.
bool isQuietDeletePath(const QString &path);

enum class Step {
    Refuse,    // the safety rule stops it; show the safety message
    Ask,       // ask `question`, No the default
    DeleteNow, // suppressed question: delete at once
};
struct Decision {
    Step step;
    QString question; // set for Ask
};

// `withoutAsking` is flag 8 at "1", `allowNonText` flag 9 at "1".
Decision decide(const QString &path, bool withoutAsking, bool allowNonText);

} // namespace DeleteRules
