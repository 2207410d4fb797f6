#pragma once

#include "core/DocumentEncoding.h"
#include "core/History.h"
#include "core/SettingsStore.h"

#include <QString>

#include <array>
#include <cstdint>

// Positions in the flag buffer `AppliSetFlags`. 0-15 are stored; the NUL at 16 ends the stored
// text; 17 and 18 carry a dialog's mode for the time it is open and are never stored.
namespace Flag {
inline constexpr int ReopenLastFile = 0;     // "1": a start without argument reopens FileNameNow
inline constexpr int KeepHistory = 1;        // "1": the history is stored at exit
inline constexpr int ShowToolBars = 2;       // "0" hides PanelToolBars
inline constexpr int ShowPathBar = 3;        // "0" hides PanelPathBar
inline constexpr int ShowFileSelect = 4;     // "0" hides the file-selection box
inline constexpr int ShowStyleBar = 5;       // "0" hides PanelToolsOnViewArea
inline constexpr int FileBoxLayout = 6;      // "A", "B", else complete
inline constexpr int NoReloadAfterMove = 7;  // "1": moving or deleting leaves list and view alone
inline constexpr int DeleteWithoutAsking = 8;
inline constexpr int DeleteNonText = 9;
inline constexpr int AllTextLists = 10;      // "0", "1", "2": which main lists form all text files
inline constexpr int FilterEntry = 11;       // "0"-"5"
inline constexpr int UseEditors = 12;        // "1": the Edit button opens the editor menu
inline constexpr int ShowSearchBar = 13;     // "0" hides PanelSearch
inline constexpr int ColorPreset = 14;       // "S", "M", "G", "T", "U"
inline constexpr int SwapColors = 15;        // "1": text and background shown swapped
inline constexpr int Terminator = 16;
inline constexpr int BookmarkDialogMode = 17; // "A" add, "E" organise
inline constexpr int CopyMoveMode = 18;       // "C" copy, "M" move
} // namespace Flag

// How the view wraps long lines, by the character WordWrapFlag stores.
enum class WrapMode : char {
    None = 'N',      // no wrapping; long lines scroll
    RightEdge = 'R', // at the view's right edge
    Column = '0',    // at a column count: no behaviour of its own
};

// The file-selection box's layouts, by the character stored at Flag::FileBoxLayout.
enum class FileBoxLayout : char {
    All = 'A',      // the file list fills the box under the filter
    Big = 'B',      // a short folder list above it
    Complete = 'C', // drive, folder and filter lists above it
};

// The view's colour presets, by the character stored at Flag::ColorPreset.
enum class ColorPreset : char {
    Windows = 'S',  // the desktop's window colours
    MsDos = 'M',    // white on black
    LcdGreen = 'G', // black on liquid-crystal green
    ToolTip = 'T',  // the desktop's tool-tip colours
    User = 'U',     // the user's own two colours
};

// The persistent settings of the main window with their stored layout.
struct SettingsRecord {
    static constexpr int kFlagCount = 16;
    static constexpr int kFlagBufferSize = 20;
    static constexpr int kBookmarkDialogMode = Flag::BookmarkDialogMode;
    static constexpr int kCopyMoveMode = Flag::CopyMoveMode;
    static constexpr int kDefaultLimitSizeForEffect = 524228;
    static constexpr int kDefaultWidth = 696;
    static constexpr int kDefaultHeight = 480;
    static constexpr int kNoPosition = -10;
    static constexpr int kDefaultFontSize = 9;
    // Larger sizes draw nothing legible; a stored one counts as unusable at start.
    static constexpr int kMaxFontSize = 400;
    // The author's message comes at this count, which then starts again from 0.
    static constexpr int kRunTimeForMessage = 35;
    // Stored window edges and sizes are held within this many pixels either way: far beyond any
    // desktop, and small enough that the window arithmetic cannot overflow.
    static constexpr int kGeometryLimit = 100000;

    SettingsRecord();

    QChar WordWrapFlag = QLatin1Char(char(WrapMode::RightEdge));
    bool UninstallRequested = false;
    bool SettingsKeyMissing = false;
    int WindowX = kNoPosition; // the top edge
    int WindowY = kNoPosition; // the left edge
    int RunTime = 0;
    BrowsingHistory History;   // FileNameNow, PreHistory, NextHistory

    std::array<QString, 4> AppliForEdit;
    std::array<QString, 4> AppliForEditN;
    QString AppliForPrint;
    std::array<QString, 4> FilterName;
    std::array<QString, 4> EditFilterB;
    std::array<QString, 4> EditFilterU;
    int LimitSizeForEffect = kDefaultLimitSizeForEffect;

    std::array<QChar, kFlagBufferSize> AppliSetFlags{};
    QString CopyMoveFolder;

    // Applied to the view and the window at once by the loader's caller.
    QString FontName;
    int FontSize = kDefaultFontSize;
    std::uint32_t ColorText;
    std::uint32_t ColorBack;
    int WindowWidth = kDefaultWidth;
    int WindowHeight = kDefaultHeight;
    // The encoding chosen in the view menu (DocumentEncoding::Choice), for every file shown.
    QChar TextEncoding = QLatin1Char(char(DocumentEncoding::Choice::Auto));
    // The file list orders runs of digits by their value ("NaturalSort", "1" or "0").
    bool NaturalSort = true;
    // Each file opens where the reader left it ("RememberPosition", "1" or "0").
    bool RememberPosition = true;
    // Text written to the end of the shown file is shown as it comes ("FollowTail").
    bool FollowTail = false;
    // F3 goes on into the following files of the list ("SearchFolder", "1" or "0").
    bool SearchFolder = false;

    static const std::array<QString, 4> &DefaultExtensions();
    static const std::array<QString, 4> &DefaultFilterNames();
    static QString DefaultFlags() { return QStringLiteral("111111C0001000S0"); }
    static QString DefaultFontName();

    // WordWrapFlag read as a mode; a stored character that names none gives no listed mode.
    WrapMode wrapMode() const { return WrapMode(WordWrapFlag.toLatin1()); }
    void setWrapMode(WrapMode mode) { WordWrapFlag = QLatin1Char(char(mode)); }
    // TextEncoding read as a choice; a character that names none reads as Auto.
    DocumentEncoding::Choice encodingChoice() const { return DocumentEncoding::choiceFromStored(QString(TextEncoding)); }
    void setEncodingChoice(DocumentEncoding::Choice choice) { TextEncoding = QLatin1Char(char(choice)); }

    // The size the view starts in: FontSize, or the default where that is below 5 pt or beyond
    // the largest.
    int startFontSize() const { return FontSize < 5 || FontSize > kMaxFontSize ? kDefaultFontSize : FontSize; }

    QChar flag(int position) const { return AppliSetFlags[position]; }
    bool flagIs(int position, char c) const { return AppliSetFlags[position] == QLatin1Char(c); }
    void setFlag(int position, QChar c) { AppliSetFlags[position] = c; }
    // The buffer up to its first NUL, as stored.
    QString flagText() const;
    // The bounded 17-character copy of a stored text: positions after a short text are NUL.
    void copyFlags(const QString &stored);

    // Puts every default in place (the first step of loading).
    void resetToDefaults();
};

enum class SaveResult { Saved, KeyUnavailable, WriteFailed };

// Fills the record from the store; a missing key leaves the defaults and sets SettingsKeyMissing.
void LoadSettings(SettingsRecord &record, SettingsStore &store);
// Writes the record in the stored order; stops at the first failing write.
SaveResult SaveSettings(const SettingsRecord &record, SettingsStore &store, bool writePosition,
                        const QString &programPath);
// Removes rp0-rp9 and rn0-rn9, unless the key was missing at load.
void DeleteStoredHistory(const SettingsRecord &record, SettingsStore &store);
