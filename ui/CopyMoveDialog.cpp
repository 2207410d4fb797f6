#include "ui/CopyMoveDialog.h"

#include "core/FileNames.h"
#include "core/PathUtil.h"
#include "platform/Dialogs.h"
#include "platform/FileOpMessages.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "resources/CopyMoveTexts.h"

#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const CopyMoveTexts::ModeTexts &textsFor(CopyMoveMode mode)
{
    static const CopyMoveTexts::ModeTexts kNone;
    if (mode == CopyMoveMode::Copy)
        return CopyMoveTexts::kCopy;
    if (mode == CopyMoveMode::Move)
        return CopyMoveTexts::kMove;
    return kNone;
}

// Only a full path names a destination: nothing is ever copied relative to the working folder.
bool isFolder(const QString &text)
{
    return QDir::isAbsolutePath(text) && FileSystem::folderExists(text);
}

// Focus that leaves with the window (a message box, another program) stays with the field as
// far as the dialog is concerned.
bool isWindowFocusChange(QEvent *event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

} // namespace

CopyMoveDialog::CopyMoveDialog(Dialogs &dialogs, CopyMoveRequest request, CopyMoveMemory memory, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), request_(std::move(request)), memory_(std::move(memory))
{
    setObjectName(QStringLiteral("cmForm"));

    GroupBox1 = new QGroupBox(CopyMoveTexts::kTargetGroup);
    EditFileName = new QLineEdit;
    EditFileName->setObjectName(QStringLiteral("EditFileName"));
    EditFileName->setReadOnly(true);
    EditFileName->setFrame(false);
    EditFileName->setMinimumWidth(360);
    auto *sourceRow = new QVBoxLayout(GroupBox1);
    sourceRow->addWidget(EditFileName);

    FolderGroupBox = new QGroupBox;
    rbUserSet = new QRadioButton(CopyMoveTexts::kUserSet);
    rbUserSet->setObjectName(QStringLiteral("rbUserSet"));
    EditToFolder = new QLineEdit;
    EditToFolder->setObjectName(QStringLiteral("EditToFolder"));
    BtnSansyou = new QPushButton(CopyMoveTexts::kBrowse);
    BtnSansyou->setObjectName(QStringLiteral("BtnSansyou"));
    BtnSansyou->setAutoDefault(false);
    LabelNoDirectory = new QLabel(CopyMoveTexts::kNoDirectory);
    LabelNoDirectory->setObjectName(QStringLiteral("LabelNoDirectory"));
    LabelNoDirectory->setStyleSheet(QStringLiteral("color: red;"));
    LabelNoDirectory->hide();
    rbBookmark = new QRadioButton(CopyMoveTexts::kBookmark);
    rbBookmark->setObjectName(QStringLiteral("rbBookmark"));
    cbBookmark = new QComboBox;
    cbBookmark->setObjectName(QStringLiteral("cbBookmark"));
    cbBookmark->setEditable(false);
    auto *folderGrid = new QGridLayout(FolderGroupBox);
    folderGrid->addWidget(rbUserSet, 0, 0, 1, 2);
    folderGrid->addWidget(EditToFolder, 1, 0);
    folderGrid->addWidget(BtnSansyou, 1, 1);
    folderGrid->addWidget(LabelNoDirectory, 2, 0, 1, 2);
    folderGrid->addWidget(rbBookmark, 3, 0, 1, 2);
    folderGrid->addWidget(cbBookmark, 4, 0, 1, 2);
    // The warning appears without moving the controls below it.
    folderGrid->setRowMinimumHeight(2, LabelNoDirectory->sizeHint().height());

    BtnOk = new QPushButton;
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(CopyMoveTexts::kCancel);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAutoDefault(false);
    BtnCancel->setToolTip(CopyMoveTexts::kCancelHint);
    BtnNoReload = new QToolButton;
    BtnNoReload->setObjectName(QStringLiteral("BtnNoReload"));
    BtnNoReload->setText(CopyMoveTexts::kNoReload);
    BtnNoReload->setCheckable(true);
    BtnNoReload->setAutoRaise(true);
    BtnNoReload->hide();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnNoReload);
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);

    auto *column = new QVBoxLayout(this);
    column->addWidget(GroupBox1);
    column->addWidget(FolderGroupBox);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(BtnSansyou, &QPushButton::clicked, this, &CopyMoveDialog::BtnSansyouClick);
    connect(BtnOk, &QPushButton::clicked, this, &CopyMoveDialog::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbUserSet, &QRadioButton::clicked, this, &CopyMoveDialog::rbUserSetClick);
    connect(rbBookmark, &QRadioButton::clicked, this, &CopyMoveDialog::EditToFolderExit);
    EditToFolder->installEventFilter(this);
}

void CopyMoveDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

bool CopyMoveDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter and exit follow the field becoming and ceasing to be the dialog's focused control.
    if (watched == EditToFolder && event->type() == QEvent::FocusIn && !folderFieldActive_) {
        folderFieldActive_ = true;
        EditToFolderEnter();
    } else if (watched == EditToFolder && event->type() == QEvent::FocusOut && !isWindowFocusChange(event)) {
        folderFieldActive_ = false;
        EditToFolderExit();
    }
    return QDialog::eventFilter(watched, event);
}

void CopyMoveDialog::FormShow()
{
    const CopyMoveTexts::ModeTexts &texts = textsFor(request_.mode);
    setWindowTitle(texts.caption);
    FolderGroupBox->setTitle(texts.folderGroup);
    BtnOk->setText(texts.ok);
    BtnOk->setToolTip(texts.okHint);
    if (request_.mode == CopyMoveMode::Move) {
        BtnNoReload->setToolTip(CopyMoveTexts::kNoReloadHint);
        BtnNoReload->show();
        BtnNoReload->setChecked(memory_.noReload == QLatin1Char('1'));
    }
    EditFileName->setText(request_.source);
    alternativeName_.clear();
    fillBookmarkList();
    EditToFolder->setText(memory_.folder);
    // With no bookmarked folder left, the remembered bookmark choice falls back to the typed one.
    if (memory_.choice == QLatin1Char('2') && rbBookmark->isEnabled()) {
        rbBookmark->setChecked(true);
        EditToFolderExit();
        cbBookmark->setFocus();
    } else {
        rbUserSet->setChecked(true);
        rbUserSetClick();
    }
}

void CopyMoveDialog::fillBookmarkList()
{
    cbBookmark->clear();
    for (const QString &path : request_.bookmarkPaths) {
        if (isFolder(path))
            cbBookmark->addItem(path);
    }
    if (cbBookmark->count() == 0) {
        rbBookmark->setEnabled(false);
        return;
    }
    const int index = memory_.bookmarkIndex;
    cbBookmark->setCurrentIndex(index >= cbBookmark->count() ? 0 : std::max(index, -1));
}

void CopyMoveDialog::EditToFolderEnter()
{
    EditToFolder->setPalette(palette());
    LabelNoDirectory->hide();
    rbUserSet->setChecked(true);
    BtnOk->setEnabled(true);
}

void CopyMoveDialog::EditToFolderExit()
{
    if (rbUserSet->isChecked()) {
        if (!isFolder(EditToFolder->text())) {
            QPalette red = palette();
            red.setColor(QPalette::Text, Qt::red);
            EditToFolder->setPalette(red);
            LabelNoDirectory->show();
            BtnOk->setEnabled(false);
        }
        return;
    }
    EditToFolder->setPalette(palette());
    LabelNoDirectory->hide();
    BtnOk->setEnabled(true);
}

void CopyMoveDialog::rbUserSetClick()
{
    EditToFolderExit();
    EditToFolder->setFocus();
}

QString CopyMoveDialog::browseStart() const
{
    const QString typed = EditToFolder->text();
    if (QDir::isAbsolutePath(typed) && FileSystem::folderExists(typed))
        return typed;
    return PathUtil::SplitPath(request_.source, PathUtil::PathPart::Folder);
}

void CopyMoveDialog::BtnSansyouClick()
{
    rbUserSet->setChecked(true);
    const std::optional<QString> folder =
        dialogs_.chooseFolder(this, textsFor(request_.mode).browsePrompt, browseStart());
    if (folder)
        EditToFolder->setText(*folder);
    EditToFolder->setFocus();
}

std::optional<QString> CopyMoveDialog::destinationFolder()
{
    if (rbBookmark->isChecked()) {
        if (cbBookmark->currentIndex() < 0)
            return std::nullopt;
        return PathUtil::withTrailingSlash(cbBookmark->currentText());
    }
    QString folder = EditToFolder->text();
    if (!QDir::isAbsolutePath(folder))
        return std::nullopt;
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
        EditToFolder->setText(folder);
    }
    return folder;
}

void CopyMoveDialog::showFolderWarning(bool show)
{
    LabelNoDirectory->setVisible(show);
}

void CopyMoveDialog::BtnOkClick()
{
    if (!destinationFolder()) {
        // No folder at all: nothing to try, and nothing relative to the working folder.
        showFolderWarning(true);
        return;
    }
    if (attempt()) {
        rememberSettings();
        accept();
        return;
    }
    alternativeName_.clear();
}

bool CopyMoveDialog::attempt()
{
    const std::optional<QString> folder = destinationFolder();
    if (!folder)
        return false;
    const QString source = EditFileName->text();
    const QString name = alternativeName_.isEmpty() ? PathUtil::SplitPath(source, PathUtil::PathPart::FileName) : alternativeName_;
    const QString target = *folder + name;

    FileOps::Result result;
    FileOpMessages::Operation operation;
    if (request_.mode == CopyMoveMode::Copy) {
        operation = FileOpMessages::Operation::Copy;
        result = request_.member
                     ? FileOps::writeNewFile(target, request_.member->bytes, request_.member->entry.modifiedNs)
                     : FileOps::copyFile(source, target, request_.shownFile);
    } else if (request_.mode == CopyMoveMode::Move) {
        operation = FileOpMessages::Operation::Move;
        result = FileOps::moveFile(source, target, FileOps::Crossing::WhenNeeded, request_.shownFile);
    } else {
        return true;
    }
    if (result.ok())
        return true;

    const FileOpMessages::Message message = FileOpMessages::failure(operation, result);
    const Dialogs::Answer answer = dialogs_.message(this, message.text, message.caption, message.kind);
    if (message.kind != Dialogs::Kind::QuestionAfterFailure || answer != Dialogs::Answer::Yes)
        return false;
    const QString alternative = askAlternativeName();
    if (alternative.isEmpty())
        return false;
    alternativeName_ = alternative;
    attempt(); // however the retry ends, the dialog closes
    return true;
}

QString CopyMoveDialog::askAlternativeName()
{
    for (;;) {
        const std::optional<QString> name =
            dialogs_.inputText(this, CopyMoveTexts::kAltNameCaption, CopyMoveTexts::kAltNamePrompt, QString());
        if (!name || name->isEmpty())
            return {};
        if (!FileNames::containsForbiddenCharacter(*name))
            return *name;
        dialogs_.message(this, CopyMoveTexts::kForbiddenName + FileNames::kForbiddenCharacters, CopyMoveTexts::kForbiddenCaption,
                         Dialogs::Kind::Failure);
    }
}

void CopyMoveDialog::rememberSettings()
{
    memory_.bookmarkIndex = cbBookmark->currentIndex();
    memory_.folder = EditToFolder->text();
    memory_.choice = QLatin1Char(rbBookmark->isChecked() ? '2' : '1');
    if (request_.mode == CopyMoveMode::Move)
        memory_.noReload = QLatin1Char(BtnNoReload->isChecked() ? '1' : '0');
}
