#include "ui/widgets/DriveComboBox.h"

#include "core/PathUtil.h"

#include <QDir>
#include <QStorageInfo>

namespace {

bool isUserVolume(const QStorageInfo &volume)
{
    const QString root = volume.rootPath();
    return volume.isValid() && volume.isReady()
        && (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/"))
            || root.startsWith(QLatin1String("/run/media/")));
}

} // namespace

DriveComboBox::DriveComboBox(QWidget *parent) : QComboBox(parent)
{
    refreshRoots();
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString root = itemData(index).toString();
        emit driveChosen(currentFolders_.value(root, root));
    });
}

void DriveComboBox::refreshRoots()
{
    const QString current = currentRoot();
    QStringList roots{QStringLiteral("/"), PathUtil::withTrailingSlash(QDir::homePath())};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        if (isUserVolume(volume))
            roots << PathUtil::withTrailingSlash(volume.rootPath());
    roots.removeDuplicates();
    const QSignalBlocker blocker(this);
    clear();
    for (const QString &root : roots)
        addItem(root, root);
    const int index = findData(current);
    setCurrentIndex(index >= 0 ? index : 0);
}

QString DriveComboBox::rootFor(const QString &folder) const
{
    QString best = QStringLiteral("/");
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (folder.startsWith(root) && root.size() > best.size())
            best = root;
    }
    return best;
}

void DriveComboBox::followFolder(const QString &folder)
{
    const QString root = rootFor(PathUtil::withTrailingSlash(folder));
    currentFolders_[root] = folder;
    const QSignalBlocker blocker(this);
    setCurrentIndex(findData(root));
}

QString DriveComboBox::currentRoot() const
{
    return currentData().toString();
}
