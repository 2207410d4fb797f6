#pragma once

#include "core/History.h"
#include "core/SettingsStore.h"

#include <QString>

#include <array>
#include <cstdint>

// The persistent settings of the main window with their stored layout.
struct SettingsRecord {
    static constexpr int kFlagCount = 16;
    static constexpr int kFlagBufferSize = 20;
    static constexpr int kBookmarkDialogMode = 17;
    static constexpr int kCopyMoveMode = 18;
    static constexpr int kDefaultLimitSizeForEffect = 524228;
    static constexpr int kDefaultWidth = 696;
    static constexpr int kDefaultHeight = 480;
    static constexpr int kNoPosition = -10;
    static constexpr int kDefaultFontSize = 9;

    SettingsRecord();

    QChar WordWrapFlag = QLatin1Char('R');
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

    static const std::array<QString, 4> &DefaultExtensions();
    static const std::array<QString, 4> &DefaultFilterNames();
    static QString DefaultFlags() { return QStringLiteral("111111C0001000S0"); }
    static QString DefaultFontName();

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
