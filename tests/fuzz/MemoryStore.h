#pragma once

#include "core/SettingsStore.h"

#include <QMap>

// A settings key in memory, for feeding the loader any values at all.
class MemoryStore : public SettingsStore {
public:
    QMap<QString, QString> values;
    bool exists = true;

    std::unique_ptr<SettingsKey> open() override { return exists ? std::make_unique<Key>(values) : nullptr; }
    std::unique_ptr<SettingsKey> openOrCreate() override
    {
        exists = true;
        return std::make_unique<Key>(values);
    }
    void deleteKey() override
    {
        values.clear();
        exists = false;
    }

private:
    class Key : public SettingsKey {
    public:
        explicit Key(QMap<QString, QString> &values) : values_(values) {}
        QString read(const QString &name) const override { return values_.value(name); }
        bool write(const QString &name, const QString &value) override
        {
            values_.insert(name, value);
            return true;
        }
        void remove(const QString &name) override { values_.remove(name); }
        bool close() override { return true; }

    private:
        QMap<QString, QString> &values_;
    };
};
