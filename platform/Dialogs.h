#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// Every modal interaction with the user goes through here, so tests can script the answers
// and assert exactly what was asked.
class Dialogs {
public:
    // The kinds of message box: each has its own icon, buttons and default button.
    enum class Kind {
        Failure,              // error icon, OK
        Warning,              // exclamation icon, OK
        Notice,               // information icon, OK
        Confirm,              // question icon, Yes/No, No the default
        QuestionAfterFailure, // error icon, Yes/No, Yes the default
        Plain,                // no icon, OK
        ConfirmNotice,        // information icon, Yes/No, No the default
    };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    virtual Answer message(QWidget *parent, const QString &text, const QString &caption, Kind kind) = 0;
    // A file-open dialog: the chosen path, or nothing on cancel. Paths are in the path form
    // (core/PathForm.h); filters are "name (pattern pattern ...)".
    virtual std::optional<QString> openFile(QWidget *parent, const QString &title, const QString &folder,
                                            const QStringList &filters, int selectedFilter) = 0;
    // A save dialog starting with `name` in its name field.
    virtual std::optional<QString> saveFile(QWidget *parent, const QString &title, const QString &folder,
                                            const QString &name, const QStringList &filters,
                                            int selectedFilter) = 0;
    // A folder chooser starting in `start`: the chosen folder with its trailing '/'.
    virtual std::optional<QString> chooseFolder(QWidget *parent, const QString &title, const QString &start) = 0;
    // A font dialog with an Apply button that calls `apply` with the current choice.
    virtual std::optional<QFont> chooseFont(QWidget *parent, const QFont &initial,
                                            const std::function<void(const QFont &)> &apply) = 0;
    // A one-line input box: the text entered, or nothing on cancel.
    virtual std::optional<QString> inputText(QWidget *parent, const QString &caption, const QString &prompt,
                                             const QString &initial) = 0;
    virtual std::optional<QColor> chooseColor(QWidget *parent, const QColor &initial) = 0;
};

// The message boxes and dialogs of the desktop.
class DesktopDialogs : public Dialogs {
public:
    Answer message(QWidget *parent, const QString &text, const QString &caption, Kind kind) override;
    std::optional<QString> openFile(QWidget *parent, const QString &title, const QString &folder,
                                    const QStringList &filters, int selectedFilter) override;
    std::optional<QString> saveFile(QWidget *parent, const QString &title, const QString &folder,
                                    const QString &name, const QStringList &filters, int selectedFilter) override;
    std::optional<QString> chooseFolder(QWidget *parent, const QString &title, const QString &start) override;
    std::optional<QFont> chooseFont(QWidget *parent, const QFont &initial,
                                    const std::function<void(const QFont &)> &apply) override;
    std::optional<QString> inputText(QWidget *parent, const QString &caption, const QString &prompt,
                                     const QString &initial) override;
    std::optional<QColor> chooseColor(QWidget *parent, const QColor &initial) override;
};
