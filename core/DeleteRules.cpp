#include "core/DeleteRules.h"

#include "core/PathForm.h"
#include "resources/DeleteTexts.h"

#include <array>

namespace DeleteRules {

namespace {

template <std::size_t N>
bool containsAny(const QString &path, const std::array<const char *, N> &fragments)
{
    for (const char *fragment : fragments) {
        if (path.contains(QLatin1String(fragment), Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace

bool isTextFilePath(const QString &path)
{
    static constexpr std::array kFragments{".txt", ".log", ".csv", ".doc", ".htm", ".css", ".xml", ".shtml"};
    return containsAny(path, kFragments);
}

bool isQuietDeletePath(const QString &path)
{
    static constexpr std::array kFragments{".txt", ".log"};
    return containsAny(path, kFragments);
}

Decision decide(const QString &path, bool withoutAsking, bool allowNonText)
{
    const bool text = isTextFilePath(path);
    const QString shown = PathForm::displayName(path);
    if (!text && !allowNonText)
        return {Step::Refuse, {}};
    if (withoutAsking) {
        if (isQuietDeletePath(path))
            return {Step::DeleteNow, {}};
        return {Step::Ask, DeleteTexts::kUnsuppressibleQuestion.arg(shown)};
    }
    return {Step::Ask, (text ? DeleteTexts::kTextQuestion : DeleteTexts::kOtherQuestion).arg(shown)};
}

} // namespace DeleteRules
