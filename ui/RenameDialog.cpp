#include "ui/RenameDialog.h"

#include "core/FileNames.h"
#include "core/FileTime.h"
#include "core/PathUtil.h"
#include "platform/Dialogs.h"
#include "platform/FileOpMessages.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "resources/RenameTexts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *timeField(const char *name, int maxLength, const QString &unit, QHBoxLayout *row)
{
    auto *field = new QLineEdit;
    field->setObjectName(QLatin1String(name));
    field->setMaxLength(maxLength);
    field->setFixedWidth(maxLength == 4 ? 44 : 28);
    row->addWidget(field);
    row->addWidget(new QLabel(unit));
    return field;
}

} // namespace

RenameDialog::RenameDialog(Dialogs &dialogs, const QString &path, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), path_(path)
{
    setObjectName(QStringLiteral("renattForm"));
    setWindowTitle(RenameTexts::kCaption);

    GroupBox1 = new QGroupBox(RenameTexts::kNameGroup);
    EditName = new QLineEdit;
    EditName->setObjectName(QStringLiteral("EditName"));
    EditName->setMinimumWidth(260);
    EditExp = new QLineEdit;
    EditExp->setObjectName(QStringLiteral("EditExp"));
    auto *names = new QFormLayout(GroupBox1);
    names->addRow(RenameTexts::kName, EditName);
    names->addRow(RenameTexts::kExtension, EditExp);

    GroupBox2 = new QGroupBox(RenameTexts::kAttributeGroup);
    cbReadOnly = new QCheckBox(RenameTexts::kReadOnly);
    cbReadOnly->setObjectName(QStringLiteral("cbReadOnly"));
    cbArchive = new QCheckBox(RenameTexts::kArchive);
    cbArchive->setObjectName(QStringLiteral("cbArchive"));
    auto *attributes = new QHBoxLayout(GroupBox2);
    attributes->addWidget(cbReadOnly);
    attributes->addWidget(cbArchive);
    attributes->addStretch(1);

    GroupBox3 = new QGroupBox(RenameTexts::kTimeGroup);
    auto *time = new QHBoxLayout(GroupBox3);
    EditYear = timeField("EditYear", 4, RenameTexts::kYear, time);
    EditMonth = timeField("EditMonth", 2, RenameTexts::kMonth, time);
    EditDay = timeField("EditDay", 2, RenameTexts::kDay, time);
    EditHour = timeField("EditHour", 2, RenameTexts::kHour, time);
    EditMinute = timeField("EditMinute", 2, RenameTexts::kMinute, time);
    EditSecond = timeField("EditSecond", 2, RenameTexts::kSecond, time);
    time->addStretch(1);

    BitBtn1 = new QPushButton(RenameTexts::kChange);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(RenameTexts::kCancel);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto *column = new QVBoxLayout(this);
    column->addWidget(GroupBox1);
    column->addWidget(GroupBox2);
    column->addWidget(GroupBox3);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &RenameDialog::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void RenameDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void RenameDialog::FormShow()
{
    const FileNames::NameParts parts = FileNames::splitName(PathUtil::SplitPath(path_, PathUtil::PathPart::FileName));
    EditName->setText(parts.name);
    EditExp->setText(parts.extension);

    const std::optional<FileOps::Attributes> attributes = FileOps::readAttributes(path_);
    cbReadOnly->setChecked(attributes && attributes->readOnly);
    cbArchive->setChecked(attributes && attributes->archive);
    // Where the file system keeps no user attributes there is no archive mark to set.
    cbArchive->setEnabled(!attributes || attributes->archiveSupported);

    const FileTime::Fields fields = FileTime::fieldsOf(FileSystem::lastWriteTime(path_));
    EditYear->setText(fields.year);
    EditMonth->setText(fields.month);
    EditDay->setText(fields.day);
    EditHour->setText(fields.hour);
    EditMinute->setText(fields.minute);
    EditSecond->setText(fields.second);
}

bool RenameDialog::refuseForbidden(QLineEdit *field, const QString &lead)
{
    if (!FileNames::containsForbiddenCharacter(field->text()))
        return false;
    dialogs_.message(this, lead + FileNames::kForbiddenCharacters, RenameTexts::kForbiddenCaption,
                     Dialogs::Kind::Failure);
    field->setFocus();
    return true;
}

void RenameDialog::BitBtn1Click()
{
    using FileOpMessages::Operation;
    const auto tell = [this](Operation operation, const FileOps::Result &result) {
        const FileOpMessages::Message m = FileOpMessages::failure(operation, result);
        dialogs_.message(this, m.text, m.caption, m.kind);
    };
    if (refuseForbidden(EditName, RenameTexts::kForbiddenName)
        || refuseForbidden(EditExp, RenameTexts::kForbiddenExtension))
        return;

    FileOps::Attributes a = FileOps::readAttributes(path_).value_or(FileOps::Attributes{});

    const QString newPath =
        PathUtil::SplitPath(path_, PathUtil::PathPart::Folder) + FileNames::joinName(EditName->text(), EditExp->text());
    const FileOps::Result renamed = FileOps::moveFile(path_, newPath);
    if (!renamed.ok()) {
        tell(Operation::Rename, renamed);
        return;
    }
    path_ = newPath;

    a.readOnly = cbReadOnly->isChecked();
    a.archive = cbArchive->isEnabled() && cbArchive->isChecked();
    const FileOps::Result written = FileOps::writeAttributes(path_, a);
    if (!written.ok())
        tell(Operation::Attributes, written);

    // The time is set on a writable file; read-only is put back afterwards whatever happened.
    const bool restoreReadOnly = a.readOnly;
    if (restoreReadOnly) {
        FileOps::Attributes writable = a;
        writable.readOnly = false;
        FileOps::writeAttributes(path_, writable);
    }
    setTime();
    if (restoreReadOnly) {
        // A change that already failed once is not reported a second time.
        const FileOps::Result restored = FileOps::writeAttributes(path_, a);
        if (!restored.ok() && written.ok())
            tell(Operation::Attributes, restored);
    }
    accept();
}

void RenameDialog::setTime()
{
    const std::optional<QDateTime> time = FileTime::timeOf(
        {EditYear->text(), EditMonth->text(), EditDay->text(), EditHour->text(), EditMinute->text(), EditSecond->text()});
    // Also a time that cannot be set for want of write access is reported, not passed over.
    const FileOps::Result result = time ? FileOps::setLastWriteTime(path_, *time) : FileOps::Result{FileOps::Status::Other, 0};
    if (!result.ok()) {
        const FileOpMessages::Message m = FileOpMessages::failure(FileOpMessages::Operation::Time, result);
        dialogs_.message(this, m.text, m.caption, m.kind);
    }
}
