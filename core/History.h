#pragma once

#include <QString>

#include <array>

// How a file comes to be loaded, and so what the load does to the history.
enum class LoadMode : char {
    New = 'N',     // a file chosen anew: recorded, the forward list emptied
    Back = 'H',    // back to a PreHistory entry
    Forward = 'M', // forward to a NextHistory entry
    Reload = 'R',  // the same file again: the history stays
};

// The browsing history: the file shown now, ten files behind it and ten ahead.
// Entry 0 is the nearest; an empty text is an empty entry. Gaps and repeats are
// kept, paths are compared exactly.
struct BrowsingHistory {
    static constexpr int kSize = 10;

    QString FileNameNow;
    std::array<QString, kSize> PreHistory;
    std::array<QString, kSize> NextHistory;

    // A file shown as a new file: the current one goes behind, the forward list empties.
    void RecordNewFile(const QString &path);
    // Back to PreHistory[i]; the skipped entries land ahead in reverse order.
    void StepBackTo(int i);
    // Forward to NextHistory[i]; the mirror image of StepBackTo.
    void StepForwardTo(int i);

    // The text of the debug listing.
    QString DebugListing() const;
};
