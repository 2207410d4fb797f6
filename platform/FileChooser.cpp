#include "platform/FileChooser.h"

#include "core/FileNames.h"
#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "resources/FileDialogTexts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kNameRole = Qt::UserRole;       // the entry's name in the path form
constexpr int kFolderRole = Qt::UserRole + 1; // true for a folder

QString nameOf(const QListWidgetItem *item) { return item->data(kNameRole).toString(); }
bool isFolder(const QListWidgetItem *item) { return item->data(kFolderRole).toBool(); }

// "name (patterns)": where the pattern part begins, or -1.
qsizetype patternStart(const QString &filter)
{
    if (!filter.endsWith(QLatin1Char(')')))
        return -1;
    return filter.lastIndexOf(QLatin1String(" ("));
}
} // namespace

FileChooser::FileChooser(QWidget *parent, Mode mode, const QString &title) : QDialog(parent), mode_(mode)
{
    setWindowTitle(title);
    resize(640, 440);

    auto *folderLabel = new QLabel(FileDialogTexts::kFolderLabel, this);
    folderField_ = new QLineEdit(this);
    folderField_->setObjectName(QStringLiteral("folderField"));
    folderLabel->setBuddy(folderField_);
    upButton_ = new QToolButton(this);
    upButton_->setObjectName(QStringLiteral("upButton"));
    upButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    upButton_->setToolTip(FileDialogTexts::kUpHint);
    upButton_->setAccessibleName(FileDialogTexts::kUpHint);

    auto *entriesLabel =
        new QLabel(mode == Mode::Folder ? FileDialogTexts::kFoldersLabel : FileDialogTexts::kEntriesLabel, this);
    entries_ = new QListWidget(this);
    entries_->setObjectName(QStringLiteral("entryList"));
    entries_->setSelectionMode(QAbstractItemView::SingleSelection);
    entries_->setUniformItemSizes(true);
    entriesLabel->setBuddy(entries_);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problemLabel"));
    acceptButton_ = new QPushButton(mode == Mode::Open   ? FileDialogTexts::kOpenButton
                                    : mode == Mode::Save ? FileDialogTexts::kSaveButton
                                                         : FileDialogTexts::kChooseButton,
                                    this);
    acceptButton_->setObjectName(QStringLiteral("acceptButton"));
    acceptButton_->setDefault(true);
    cancelButton_ = new QPushButton(FileDialogTexts::kCancelButton, this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto *layout = new QVBoxLayout(this);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(folderField_, 1);
    folderRow->addWidget(upButton_);
    layout->addLayout(folderRow);
    layout->addWidget(entriesLabel);
    layout->addWidget(entries_, 1);
    auto *grid = new QGridLayout;
    if (mode != Mode::Folder) {
        auto *nameLabel = new QLabel(FileDialogTexts::kNameLabel, this);
        nameField_ = new QLineEdit(this);
        nameField_->setObjectName(QStringLiteral("nameField"));
        nameLabel->setBuddy(nameField_);
        auto *typeLabel = new QLabel(FileDialogTexts::kTypeLabel, this);
        types_ = new QComboBox(this);
        types_->setObjectName(QStringLiteral("fileTypeCombo"));
        // Long filter names must not widen the dialog past a small screen.
        types_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        types_->setMinimumContentsLength(16);
        typeLabel->setBuddy(types_);
        grid->addWidget(nameLabel, 0, 0);
        grid->addWidget(nameField_, 0, 1);
        grid->addWidget(typeLabel, 1, 0);
        grid->addWidget(types_, 1, 1);
        connect(types_, &QComboBox::currentIndexChanged, this, [this](int index) {
            mask_ = maskOfFilter(filters_.value(index));
            relist();
        });
    }
    grid->addWidget(acceptButton_, 0, 2);
    grid->addWidget(cancelButton_, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addWidget(problem_);

    setTabOrder(folderField_, upButton_);
    setTabOrder(upButton_, entries_);
    QWidget *last = entries_;
    if (nameField_) {
        setTabOrder(entries_, nameField_);
        setTabOrder(nameField_, types_);
        last = types_;
    }
    setTabOrder(last, acceptButton_);
    setTabOrder(acceptButton_, cancelButton_);

    connect(upButton_, &QToolButton::clicked, this, &FileChooser::goUp);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), this), &QShortcut::activated, this, &FileChooser::goUp);
    connect(entries_, &QListWidget::itemDoubleClicked, this, &FileChooser::enterOrAccept);
    connect(entries_, &QListWidget::currentItemChanged, this, &FileChooser::currentEntryChanged);
    connect(acceptButton_, &QPushButton::clicked, this, &FileChooser::acceptName);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    entries_->installEventFilter(this);
    folderField_->installEventFilter(this);

    // Open and folder: the list first, to walk with the arrow keys; save: the name.
    if (nameField_ && mode == Mode::Save)
        nameField_->setFocus();
    else
        entries_->setFocus();
}

QString FileChooser::maskOfFilter(const QString &filter)
{
    const qsizetype start = patternStart(filter);
    if (start < 0)
        return QStringLiteral("*;");
    const QString patterns = filter.mid(start + 2, filter.size() - start - 3);
    QString mask;
    for (const QString &pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        mask += pattern + QLatin1Char(';');
    return mask.isEmpty() ? QStringLiteral("*;") : mask;
}

QString FileChooser::nameOfFilter(const QString &filter)
{
    const qsizetype start = patternStart(filter);
    return start < 0 ? filter : filter.left(start);
}

void FileChooser::setFilters(const QStringList &filters, int selected)
{
    if (!types_)
        return;
    filters_ = filters;
    const QSignalBlocker blocker(types_);
    types_->clear();
    for (const QString &filter : filters)
        types_->addItem(nameOfFilter(filter));
    const int index = selected >= 0 && selected < filters.size() ? selected : 0;
    types_->setCurrentIndex(index);
    mask_ = maskOfFilter(filters.value(index));
    relist();
}

void FileChooser::setFolder(const QString &folder)
{
    QString shown = folder.isEmpty() ? QString() : PathUtil::withTrailingSlash(FileSystem::absolutePath(folder));
    while (!shown.isEmpty() && !FileSystem::folderExists(shown)) {
        if (shown == QLatin1String("/")) {
            shown.clear();
            break;
        }
        shown = PathUtil::SplitPath(shown.chopped(1), PathUtil::PathPart::Folder);
    }
    if (shown.isEmpty())
        shown = PathUtil::withTrailingSlash(QDir::homePath());
    folder_ = shown;
    folderField_->setText(folder_);
    problem_->clear();
    relist();
}

void FileChooser::setName(const QString &name)
{
    if (!nameField_)
        return;
    nameField_->setText(name);
    const FileNames::NameParts parts = FileNames::splitName(name);
    if (mode_ == Mode::Save && !parts.extension.isEmpty())
        nameField_->setSelection(0, int(parts.name.size()));
    else
        nameField_->selectAll();
}

void FileChooser::relist()
{
    if (folder_.isEmpty())
        return;
    const QSignalBlocker blocker(entries_);
    entries_->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const auto add = [this](const QIcon &icon, const QString &name, bool folder) {
        auto *item = new QListWidgetItem(icon, PathForm::displayName(name), entries_);
        item->setData(kNameRole, name);
        item->setData(kFolderRole, folder);
    };
    for (const QString &name : listSubfolders(folder_))
        add(folderIcon, name, true);
    if (mode_ != Mode::Folder) {
        // A name that fits two patterns is listed once.
        QStringList files = listFolder(folder_, mask_);
        files.removeDuplicates();
        for (const QString &name : files)
            add(fileIcon, name, false);
    }
    // The first entry takes the focus mark without being chosen.
    if (entries_->count() > 0)
        entries_->selectionModel()->setCurrentIndex(entries_->model()->index(0, 0), QItemSelectionModel::NoUpdate);
}

void FileChooser::goUp()
{
    if (folder_ == QLatin1String("/"))
        return;
    const QString child = PathUtil::SplitPath(folder_.chopped(1), PathUtil::PathPart::FileName);
    setFolder(PathUtil::SplitPath(folder_.chopped(1), PathUtil::PathPart::Folder));
    // The folder just left takes the focus mark, so that Return goes back into it.
    for (int row = 0; row < entries_->count(); ++row) {
        if (isFolder(entries_->item(row)) && nameOf(entries_->item(row)) == child) {
            entries_->selectionModel()->setCurrentIndex(entries_->model()->index(row, 0),
                                                        QItemSelectionModel::NoUpdate);
            break;
        }
    }
}

void FileChooser::enterOrAccept(QListWidgetItem *item)
{
    if (!item)
        return;
    if (isFolder(item)) {
        setFolder(folder_ + nameOf(item));
        return;
    }
    chosen_ = folder_ + nameOf(item);
    accept();
}

void FileChooser::acceptName()
{
    if (!nameField_) {
        const QListWidgetItem *item = entries_->currentItem();
        chosen_ = item && item->isSelected() ? PathUtil::withTrailingSlash(folder_ + nameOf(item)) : folder_;
        accept();
        return;
    }
    const QString typed = nameField_->text();
    if (typed.isEmpty()) {
        QListWidgetItem *item = entries_->currentItem();
        if (item && item->isSelected() && isFolder(item))
            enterOrAccept(item);
        else
            QApplication::beep();
        return;
    }
    const QString path = resolveTyped(typed);
    if (FileSystem::folderExists(path)) {
        setFolder(path);
        nameField_->clear();
        return;
    }
    chosen_ = path;
    accept();
}

void FileChooser::acceptFolderField()
{
    const QString typed = folderField_->text();
    const QString path = resolveTyped(typed);
    if (FileSystem::folderExists(path)) {
        setFolder(path);
        entries_->setFocus();
    } else if (nameField_ && FileSystem::fileExists(path)) {
        chosen_ = path;
        accept();
    } else {
        problem_->setText(FileDialogTexts::kNoSuchFolder.arg(PathForm::displayName(typed)));
    }
}

void FileChooser::currentEntryChanged(QListWidgetItem *item)
{
    if (nameField_ && item && !isFolder(item))
        setName(nameOf(item));
}

QString FileChooser::resolveTyped(const QString &typed) const
{
    const QString path = QDir::isAbsolutePath(typed) ? typed : folder_ + typed;
    if (typed.contains(QLatin1Char('/')) || FileSystem::fileExists(path) || FileSystem::folderExists(path))
        return path;
    // A code page 932 name typed as it is shown stands for the listed entry.
    for (int row = 0; row < entries_->count(); ++row) {
        if (entries_->item(row)->text() == typed)
            return folder_ + nameOf(entries_->item(row));
    }
    return path;
}

bool FileChooser::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == folderField_ && enter) {
        acceptFolderField();
        return true;
    }
    if (watched == entries_) {
        QListWidgetItem *current = entries_->currentItem();
        if (enter) {
            if (current)
                enterOrAccept(current);
            else
                acceptName();
            return true;
        }
        if (key->key() == Qt::Key_Backspace && key->modifiers() == Qt::NoModifier) {
            goUp();
            return true;
        }
        // The marked first entry is chosen by the first Down rather than skipped.
        if (current && !current->isSelected() && key->key() == Qt::Key_Down
            && key->modifiers() == Qt::NoModifier) {
            current->setSelected(true);
            currentEntryChanged(current);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
