#include "ui/PrintDialog.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "resources/PrintTexts.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kDialogWidth = 420;
} // namespace

PrintDialog::PrintDialog(PrintFormContext context, QWidget *parent)
    : QDialog(parent), context_(std::move(context))
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(PrintTexts::kCaption);
    if (parent)
        setFont(parent->font()); // a window does not take its owner's font by itself

    GroupBox1 = new QGroupBox(PrintTexts::kGroupFile);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    EditFilePath = new QLineEdit;
    EditFilePath->setObjectName(QStringLiteral("EditFilePath"));
    EditFilePath->setFrame(false);
    EditFilePath->setReadOnly(true);
    auto *fileColumn = new QVBoxLayout(GroupBox1);
    fileColumn->addWidget(EditFilePath);

    GroupBox2 = new QGroupBox(PrintTexts::kGroupApplication);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    RadioApp = new QRadioButton(PrintTexts::kRadioApp);
    RadioApp->setObjectName(QStringLiteral("RadioApp"));
    EditPrintSoft = new QLineEdit;
    EditPrintSoft->setObjectName(QStringLiteral("EditPrintSoft"));
    EditPrintSoft->setReadOnly(true);
    RadioNotepad = new QRadioButton(PrintTexts::kRadioNotepad);
    RadioNotepad->setObjectName(QStringLiteral("RadioNotepad"));
    auto *appColumn = new QVBoxLayout(GroupBox2);
    appColumn->addWidget(RadioApp);
    auto *softRow = new QHBoxLayout;
    softRow->addSpacing(20);
    softRow->addWidget(EditPrintSoft);
    appColumn->addLayout(softRow);
    appColumn->addWidget(RadioNotepad);

    BitBtn1 = new QPushButton(PrintTexts::kBtnPrint);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(PrintTexts::kBtnCancel);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(BitBtn1);
    buttonRow->addWidget(BitBtn2);

    auto *column = new QVBoxLayout(this);
    column->addWidget(GroupBox1);
    column->addWidget(GroupBox2);
    column->addLayout(buttonRow);

    connect(BitBtn1, &QPushButton::clicked, this, &PrintDialog::BitBtn1Click);
    // Esc reaches reject() as well.
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(kDialogWidth, sizeHint().height());
}

void PrintDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void PrintDialog::FormShow()
{
    if (QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    EditFilePath->setText(context_.filePath);
    EditPrintSoft->setText(context_.printApplication);
    if (FileSystem::fileExists(context_.printApplication)) {
        RadioApp->setChecked(true);
    } else {
        RadioApp->setEnabled(false);
        RadioNotepad->setChecked(true);
    }
    BitBtn1->setFocus();
}

void PrintDialog::BitBtn1Click()
{
    if (RadioApp->isChecked()) {
        choice_ = Choice::Application;
    } else if (RadioNotepad->isChecked()) {
        choice_ = Choice::Notepad;
    } else {
        context_.dialogs.message(this, PrintTexts::kChooseText, PrintTexts::kCaption, Dialogs::Kind::Notice);
        return;
    }
    accept();
}
