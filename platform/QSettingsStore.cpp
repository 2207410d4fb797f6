#include "platform/QSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

class QSettingsKey : public SettingsKey {
public:
    explicit QSettingsKey(const QString &path) : settings_(path, QSettings::IniFormat) {}

    QString read(const QString &name) const override
    {
        const QVariant value = settings_.value(name);
        // A value holding a comma comes back as a list when another program wrote it unquoted.
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QLatin1Char(','));
        return value.toString();
    }
    bool write(const QString &name, const QString &value) override
    {
        if (!settings_.isWritable())
            return false;
        settings_.setValue(name, value);
        return true;
    }
    void remove(const QString &name) override { settings_.remove(name); }
    bool close() override
    {
        settings_.sync();
        return settings_.status() == QSettings::NoError;
    }

private:
    QSettings settings_;
};

} // namespace

QSettingsStore::QSettingsStore()
    : path_(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brennick"),
                      QStringLiteral("Skimlet")).fileName())
{
}

QSettingsStore::QSettingsStore(const QString &filePath) : path_(filePath) {}

std::unique_ptr<SettingsKey> QSettingsStore::open()
{
    const QFileInfo info(path_);
    if (!info.isFile() || !info.isReadable())
        return nullptr;
    return std::make_unique<QSettingsKey>(path_);
}

std::unique_ptr<SettingsKey> QSettingsStore::openOrCreate()
{
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath()))
        return nullptr;
    return std::make_unique<QSettingsKey>(path_);
}

void QSettingsStore::deleteKey()
{
    QFile::remove(path_);
}
