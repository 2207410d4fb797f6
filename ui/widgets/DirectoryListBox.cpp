#include "ui/widgets/DirectoryListBox.h"

#include "core/ArchiveFolder.h"
#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "platform/FolderListing.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

namespace {
constexpr int kPathRole = Qt::UserRole;
}

DirectoryListBox::DirectoryListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The archive icon may come from another source than the folder icons: all keep one size.
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    setIconSize(QSize(icon, icon));
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        emit folderOpened(item->data(kPathRole).toString());
    });
}

void DirectoryListBox::setDirectory(const QString &folder)
{
    directory_ = PathUtil::withTrailingSlash(QDir::cleanPath(folder));
    rebuild();
}

void DirectoryListBox::rebuild()
{
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon archiveIcon =
        QIcon::fromTheme(QStringLiteral("package-x-generic"), style()->standardIcon(QStyle::SP_DriveCDIcon));
    // Inside an archive the archive's own step of the chain carries its icon.
    const std::optional<Archive::SplitPath> inside = ArchiveFolder::locate(directory_);
    const QString archiveStep = inside ? PathUtil::withTrailingSlash(inside->archive) : QString();
    const QSignalBlocker blocker(this);
    clear();
    // The chain from the root down to the current folder, each one step further in.
    QStringList parts = directory_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = QStringLiteral("/");
    int depth = 0;
    auto add = [this](const QString &label, const QString &folder, int indent, const QIcon &icon) {
        auto *item =
            new QListWidgetItem(icon, QString(indent * 2, QLatin1Char(' ')) + PathForm::displayName(label), this);
        item->setData(kPathRole, folder);
        return item;
    };
    QListWidgetItem *current = add(QStringLiteral("/"), path, depth, openIcon);
    for (const QString &part : parts) {
        path += part + QLatin1Char('/');
        current = add(part, path, ++depth, path == archiveStep ? archiveIcon : openIcon);
    }
    for (const QString &sub : listSubfolders(directory_, order_))
        add(sub, directory_ + sub + QLatin1Char('/'), depth + 1, closedIcon);
    // The archives here are walked like folders and listed after them.
    archives_ = listArchives(directory_, order_);
    for (const QString &archive : archives_)
        add(archive, directory_ + archive + QLatin1Char('/'), depth + 1, archiveIcon);
    setCurrentItem(current);
}

void DirectoryListBox::setNameOrder(NameOrder order)
{
    if (order == order_)
        return;
    order_ = order;
    rebuild();
}

void DirectoryListBox::keyPressEvent(QKeyEvent *event)
{
    // The cursor keys only move the highlight, so that any subfolder can be reached from the
    // keyboard; Enter opens the highlighted folder.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit folderOpened(currentItem()->data(kPathRole).toString());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirectoryListBox::mousePressEvent(QMouseEvent *event)
{
    // The right button brings up the pop-up menu and leaves the highlight where it is.
    if (event->button() != Qt::RightButton)
        QListWidget::mousePressEvent(event);
}

void DirectoryListBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::RightButton)
        QListWidget::mouseReleaseEvent(event);
}
