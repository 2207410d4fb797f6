#include "ui/widgets/FileListBox.h"

#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "platform/FolderListing.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {
// A name that is not UTF-8 keeps its path form here; every other name is its shown text.
constexpr int kNameRole = Qt::UserRole;

QString nameOf(const QListWidgetItem *item)
{
    const QVariant name = item->data(kNameRole);
    return name.isValid() ? name.toString() : item->text();
}
} // namespace

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setStyleSheet(QStringLiteral("QListView::item { height: 16px; }"));
    connect(this, &QListWidget::itemSelectionChanged, this, [this] { emit selectionChangedTo(selectedPath()); });
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    // Taking the focus makes the first entry current without selecting it; the first Down
    // then shows that entry instead of skipping it.
    QListWidgetItem *item = currentItem();
    if (item && !item->isSelected() && event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier) {
        item->setSelected(true);
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::mousePressEvent(QMouseEvent *event)
{
    // The right button brings up the pop-up menu without selecting, and so without loading.
    if (event->button() != Qt::RightButton)
        QListWidget::mousePressEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::RightButton)
        QListWidget::mouseReleaseEvent(event);
}

void FileListBox::setDirectory(const QString &folder, QSet<QString> leftOut)
{
    directory_ = PathUtil::withTrailingSlash(folder);
    leftOut_ = std::move(leftOut);
    reread();
}

void FileListBox::setMask(const QString &mask)
{
    mask_ = mask;
    reread();
}

void FileListBox::setNameOrder(NameOrder order)
{
    if (order == order_)
        return;
    order_ = order;
    reread();
}

void FileListBox::reread()
{
    {
        const QSignalBlocker blocker(this);
        clear();
        if (!directory_.isEmpty()) {
            QStringList names = listFolder(directory_, mask_, order_);
            names.removeIf([this](const QString &name) { return leftOut_.contains(name); });
            QStringList shown;
            shown.reserve(names.size());
            for (const QString &name : names)
                shown.append(PathForm::displayName(name));
            addItems(shown);
            for (qsizetype row = 0; row < names.size(); ++row) {
                if (!PathForm::isPlain(names[row]))
                    item(int(row))->setData(kNameRole, names[row]);
            }
        }
        setCurrentRow(-1);
    }
    emit selectionChangedTo(QString());
}

QString FileListBox::selectedPath() const
{
    const QListWidgetItem *item = currentItem();
    if (!item || !item->isSelected())
        return {};
    return directory_ + nameOf(item);
}

QStringList FileListBox::paths() const
{
    QStringList all;
    all.reserve(count());
    for (int row = 0; row < count(); ++row)
        all.append(directory_ + nameOf(item(row)));
    return all;
}

bool FileListBox::selectName(const QString &name)
{
    for (int row = 0; row < count(); ++row) {
        if (nameOf(item(row)) == name) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}
