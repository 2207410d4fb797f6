#include "platform/Dialogs.h"

#include "platform/FileChooser.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

Dialogs::Answer DesktopDialogs::message(QWidget *parent, const QString &text, const QString &caption, Kind kind)
{
    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(caption);
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool yesNo = false;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    switch (kind) {
    case Kind::Failure:
        icon = QMessageBox::Critical;
        break;
    case Kind::Warning:
        icon = QMessageBox::Warning;
        break;
    case Kind::Notice:
        icon = QMessageBox::Information;
        break;
    case Kind::Confirm:
        icon = QMessageBox::Question;
        yesNo = true;
        defaultButton = QMessageBox::No;
        break;
    case Kind::ConfirmNotice:
        icon = QMessageBox::Information;
        yesNo = true;
        defaultButton = QMessageBox::No;
        break;
    case Kind::QuestionAfterFailure:
        icon = QMessageBox::Critical;
        yesNo = true;
        defaultButton = QMessageBox::Yes;
        break;
    case Kind::Plain:
        break;
    }
    box.setIcon(icon);
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(defaultButton);
    const int result = box.exec();
    if (!yesNo)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

namespace {

std::optional<QString> runChooser(FileChooser &chooser, const QString &folder)
{
    chooser.setFolder(folder);
    if (chooser.exec() != QDialog::Accepted)
        return std::nullopt;
    return chooser.chosenPath();
}

} // namespace

std::optional<QString> DesktopDialogs::openFile(QWidget *parent, const QString &title, const QString &folder,
                                                const QStringList &filters, int selectedFilter)
{
    // A name that names no file is reported by the caller.
    FileChooser chooser(parent, FileChooser::Mode::Open, title);
    chooser.setFilters(filters, selectedFilter);
    return runChooser(chooser, folder);
}

std::optional<QString> DesktopDialogs::saveFile(QWidget *parent, const QString &title, const QString &folder,
                                                const QString &name, const QStringList &filters, int selectedFilter)
{
    // Choosing an existing file is the answer: it is replaced without a question.
    FileChooser chooser(parent, FileChooser::Mode::Save, title);
    chooser.setFilters(filters, selectedFilter);
    chooser.setName(name);
    return runChooser(chooser, folder);
}

std::optional<QString> DesktopDialogs::chooseFolder(QWidget *parent, const QString &title, const QString &start)
{
    FileChooser chooser(parent, FileChooser::Mode::Folder, title);
    return runChooser(chooser, start);
}

std::optional<QFont> DesktopDialogs::chooseFont(QWidget *parent, const QFont &initial,
                                                const std::function<void(const QFont &)> &apply)
{
    QFontDialog dialog(initial, parent);
    // Qt's own dialog, so that an Apply button can be added beside OK and Cancel.
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // Face, style and size only: the effects (underline, strike-out) are not offered.
    for (QGroupBox *group : dialog.findChildren<QGroupBox *>())
        if (group->findChild<QCheckBox *>())
            group->hide();
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
        QPushButton *applyButton = buttons->addButton(QDialogButtonBox::Apply);
        QObject::connect(applyButton, &QPushButton::clicked, &dialog,
                         [&dialog, &apply] { apply(dialog.currentFont()); });
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

std::optional<QString> DesktopDialogs::inputText(QWidget *parent, const QString &caption, const QString &prompt,
                                                 const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QColor> DesktopDialogs::chooseColor(QWidget *parent, const QColor &initial)
{
    const QColor color = QColorDialog::getColor(initial, parent);
    if (!color.isValid())
        return std::nullopt;
    return color;
}
