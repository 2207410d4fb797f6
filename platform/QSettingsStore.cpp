#include "platform/QSettingsStore.h"

#include "core/PathForm.h"
#include "core/RegularFile.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>

namespace {

// Far beyond any settings file the program writes; a larger one is no settings file of ours.
constexpr qint64 kLargestSettingsFile = 16 * 1024 * 1024;

// QSettings opens its file itself, blocking, and reads all of it: a FIFO in the file's place
// would stop the program before its window appears, a link to /dev/zero would fill the
// memory. So the file is read here, without blocking and only when it is a regular file, and
// QSettings works on a private copy; what it writes there goes back to the file at close.
class QSettingsKey : public SettingsKey {
public:
    // `writable` false: the path holds something that is no settings file, left as it is.
    QSettingsKey(const QString &path, const QByteArray &contents, bool writable)
        : path_(path), writable_(writable && copy_.isValid())
    {
        const QString copyPath = copy_.filePath(QStringLiteral("Skimlet.conf"));
        {
            QFile file(copyPath);
            if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
                writable_ = false;
        }
        settings_.emplace(copyPath, QSettings::IniFormat);
    }

    QString read(const QString &name) const override
    {
        const QVariant value = settings_->value(name);
        // A value holding a comma comes back as a list when another program wrote it unquoted.
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QLatin1Char(','));
        return value.toString();
    }
    bool write(const QString &name, const QString &value) override
    {
        if (!writable_ || !settings_->isWritable())
            return false;
        settings_->setValue(name, value);
        changed_ = true;
        return true;
    }
    void remove(const QString &name) override
    {
        if (!writable_ || !settings_->contains(name))
            return;
        settings_->remove(name);
        changed_ = true;
    }
    bool close() override
    {
        if (!changed_)
            return true;
        settings_->sync();
        if (settings_->status() != QSettings::NoError)
            return false;
        const RegularFile::Read copied = RegularFile::readAll(QFile::encodeName(settings_->fileName()));
        if (!copied.bytes)
            return false;
        changed_ = false;
        return FileSystem::writeFileAtomically(path_, *copied.bytes).written;
    }

private:
    QString path_;
    QTemporaryDir copy_;
    bool writable_;
    bool changed_ = false;
    std::optional<QSettings> settings_;
};

struct Contents {
    std::optional<QByteArray> bytes; // none when the path holds no settings file we may read
    bool missing = false;            // nothing is there (a link leading nowhere included)
};

Contents contentsOf(const QString &path)
{
    const RegularFile::Read read = RegularFile::readAll(PathForm::toNative(path), kLargestSettingsFile);
    if (read.bytes && !read.truncated)
        return {read.bytes, false};
    return {std::nullopt, !read.bytes && read.error == ENOENT};
}

} // namespace

// Where QSettings keeps organisation "brennick", application "Skimlet"; asking a QSettings
// object would have it read the file.
QSettingsStore::QSettingsStore()
    : path_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/brennick/Skimlet.conf"))
{
}

QSettingsStore::QSettingsStore(const QString &filePath) : path_(filePath) {}

std::unique_ptr<SettingsKey> QSettingsStore::open()
{
    const Contents contents = contentsOf(path_);
    if (!contents.bytes)
        return nullptr;
    return std::make_unique<QSettingsKey>(path_, *contents.bytes, true);
}

std::unique_ptr<SettingsKey> QSettingsStore::openOrCreate()
{
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath()))
        return nullptr;
    const Contents contents = contentsOf(path_);
    // Something else in the file's place (a folder, a FIFO, a device) opens as a key whose
    // every write fails, so that the failure is reported and the thing itself is not touched.
    return std::make_unique<QSettingsKey>(path_, contents.bytes.value_or(QByteArray()),
                                          contents.bytes || contents.missing);
}

void QSettingsStore::deleteKey()
{
    QFile::remove(path_);
}
