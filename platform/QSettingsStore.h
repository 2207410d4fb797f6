#pragma once

#include "core/SettingsStore.h"

// The settings key as a QSettings file: by default the per-user file of organisation
// "brennick", application "Skimlet"; tests give a path of their own.
class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    explicit QSettingsStore(const QString &filePath);

    std::unique_ptr<SettingsKey> open() override;
    std::unique_ptr<SettingsKey> openOrCreate() override;
    void deleteKey() override;

    QString filePath() const { return path_; }

private:
    QString path_;
};
