#include "ui/QtJapaneseTranslator.h"

#include <QLibraryInfo>
#include <QLocale>

#include <cstring>

namespace {

struct Mend {
    const char *context;
    const char *source;
    const char16_t *text;
};

constexpr Mend kMends[] = {
    {"QShortcut", "Backspace", u"Backspace"},
};

} // namespace

bool QtJapaneseTranslator::loadQtBase()
{
    return load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString QtJapaneseTranslator::translate(const char *context, const char *sourceText, const char *disambiguation,
                                        int n) const
{
    for (const Mend &m : kMends)
        if (context && sourceText && std::strcmp(context, m.context) == 0 && std::strcmp(sourceText, m.source) == 0)
            return QString::fromUtf16(m.text);
    return QTranslator::translate(context, sourceText, disambiguation, n);
}
