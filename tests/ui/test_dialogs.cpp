#include "core/FileFilter.h"
#include "core/SettingsRecord.h"
#include "platform/Dialogs.h"
#include "platform/FileChooser.h"
#include "tests/TestPrinters.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString text;
    QString caption;
};

// Shows a real message box of one kind, notes what it looks like and presses its default button.
Dialogs::Answer showAndPressDefault(Dialogs::Kind kind, SeenBox &seen)
{
    QTimer::singleShot(0, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.text = box->text();
        seen.caption = box->windowTitle();
        box->defaultButton()->click();
    });
    DesktopDialogs dialogs;
    return dialogs.message(nullptr, QStringLiteral("本文"), QStringLiteral("見出し"), kind);
}

} // namespace

TEST(DesktopDialogs, EachKindHasItsIconButtonsAndDefault)
{
    struct Expected {
        Dialogs::Kind kind;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        Dialogs::Answer answer;
    };
    const Expected cases[] = {
        {Dialogs::Kind::Failure, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, Dialogs::Answer::Ok},
        {Dialogs::Kind::Warning, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok, Dialogs::Answer::Ok},
        {Dialogs::Kind::Notice, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok, Dialogs::Answer::Ok},
        {Dialogs::Kind::Confirm, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
         Dialogs::Answer::No},
        {Dialogs::Kind::QuestionAfterFailure, QMessageBox::Critical, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, Dialogs::Answer::Yes},
        {Dialogs::Kind::ConfirmNotice, QMessageBox::Information, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
         Dialogs::Answer::No},
        {Dialogs::Kind::Plain, QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok, Dialogs::Answer::Ok},
    };
    for (const Expected &expected : cases) {
        SeenBox seen;
        const Dialogs::Answer answer = showAndPressDefault(expected.kind, seen);
        SCOPED_TRACE(int(expected.kind));
        EXPECT_EQ(seen.icon, expected.icon);
        EXPECT_EQ(seen.buttons, expected.buttons);
        EXPECT_EQ(seen.defaultButton, expected.defaultButton);
        EXPECT_EQ(answer, expected.answer);
        EXPECT_EQ(seen.text, QStringLiteral("本文"));
        EXPECT_EQ(seen.caption, QStringLiteral("見出し"));
    }
}

TEST(DesktopDialogs, TheOpenDialogListsEachFileTypeOnceByItsName)
{
    const std::vector<FilterEntry> entries = filterEntries(SettingsRecord());
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        auto *dialog = qobject_cast<FileChooser *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
        dialog->reject();
    });
    DesktopDialogs dialogs;
    EXPECT_EQ(dialogs.openFile(nullptr, QStringLiteral("ファイルを開く"), QDir::tempPath(), dialogFilters(entries), 0),
              std::nullopt);
    QStringList names;
    for (const FilterEntry &entry : entries)
        names << entry.name;
    EXPECT_EQ(shown, names);
    EXPECT_EQ(shown.value(0), QStringLiteral("テキストファイル（狭義）(*.txt;*.log;*.csv;*.doc;)"));
}
