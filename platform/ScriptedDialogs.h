#pragma once

#include "platform/Dialogs.h"

#include <deque>
#include <vector>

// A test double: answers from queues and records every call.
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString text;
        QString caption;
        Kind kind;
    };
    struct FileRequest {
        QString title;
        QString folder;
        QStringList filters;
        int selectedFilter;
        QString name; // the save dialog's starting name
    };

    std::vector<Message> messages;
    std::deque<Answer> answers;                   // empty: the default button
    std::vector<FileRequest> fileRequests;
    std::deque<std::optional<QString>> fileAnswers; // empty: cancel
    std::vector<QString> folderTitles;
    std::vector<QString> folderStarts;
    std::deque<std::optional<QString>> folderAnswers;
    // Runs inside the font dialog: may call `apply` and returns the dialog's result.
    std::function<std::optional<QFont>(const QFont &, const std::function<void(const QFont &)> &)> fontScript;
    std::vector<QString> inputPrompts;
    std::deque<std::optional<QString>> inputAnswers; // empty: cancel
    std::deque<std::optional<QColor>> colorAnswers;  // empty: cancel

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

    static Answer defaultAnswer(Kind kind);
};
