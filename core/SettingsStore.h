#pragma once

#include <QString>

#include <memory>

// One open settings key: string values only.
class SettingsKey {
public:
    virtual ~SettingsKey() = default;
    // An absent value reads as an empty text.
    virtual QString read(const QString &name) const = 0;
    // False when the value could not be written.
    virtual bool write(const QString &name, const QString &value) = 0;
    // Removing an absent value is no error.
    virtual void remove(const QString &name) = 0;
    // Makes the writes durable; false when that failed.
    virtual bool close() = 0;
};

// The per-user settings key of the program.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Null when the key does not exist or cannot be opened.
    virtual std::unique_ptr<SettingsKey> open() = 0;
    // Null when the key can neither be opened nor created.
    virtual std::unique_ptr<SettingsKey> openOrCreate() = 0;
    // Removes the key with all its values.
    virtual void deleteKey() = 0;
};
