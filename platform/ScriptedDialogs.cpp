#include "platform/ScriptedDialogs.h"

namespace {
template <typename T>
std::optional<T> nextAnswer(std::deque<std::optional<T>> &answers)
{
    if (answers.empty())
        return std::nullopt;
    std::optional<T> answer = answers.front();
    answers.pop_front();
    return answer;
}
} // namespace

Dialogs::Answer ScriptedDialogs::defaultAnswer(Kind kind)
{
    switch (kind) {
    case Kind::Confirm:
    case Kind::ConfirmNotice:
        return Answer::No;
    case Kind::QuestionAfterFailure:
        return Answer::Yes;
    default:
        return Answer::Ok;
    }
}

Dialogs::Answer ScriptedDialogs::message(QWidget *, const QString &text, const QString &caption, Kind kind)
{
    messages.push_back({text, caption, kind});
    if (answers.empty())
        return defaultAnswer(kind);
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::openFile(QWidget *, const QString &title, const QString &folder,
                                                 const QStringList &filters, int selectedFilter)
{
    fileRequests.push_back({title, folder, filters, selectedFilter, {}});
    return nextAnswer(fileAnswers);
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget *, const QString &title, const QString &folder,
                                                 const QString &name, const QStringList &filters, int selectedFilter)
{
    fileRequests.push_back({title, folder, filters, selectedFilter, name});
    return nextAnswer(fileAnswers);
}

std::optional<QString> ScriptedDialogs::chooseFolder(QWidget *, const QString &title, const QString &start)
{
    folderTitles.push_back(title);
    folderStarts.push_back(start);
    return nextAnswer(folderAnswers);
}

std::optional<QFont> ScriptedDialogs::chooseFont(QWidget *, const QFont &initial,
                                                 const std::function<void(const QFont &)> &apply)
{
    if (!fontScript)
        return std::nullopt;
    return fontScript(initial, apply);
}

std::optional<QString> ScriptedDialogs::inputText(QWidget *, const QString &, const QString &prompt, const QString &)
{
    inputPrompts.push_back(prompt);
    return nextAnswer(inputAnswers);
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget *, const QColor &)
{
    return nextAnswer(colorAnswers);
}
