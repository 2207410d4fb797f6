// The mask matcher against a plain table of which name prefixes fit which pattern prefixes.
// Input: pattern, a NUL byte, then names separated by NUL bytes, all UTF-8.
#include "core/FileFilter.h"
#include "tests/fuzz/FuzzCheck.h"

#include <vector>

namespace {

constexpr qsizetype kLongest = 200; // keeps the table small enough for many runs a second

// Whether the whole name fits the whole pattern; '?' takes one character, '*' any run of them,
// letters compare case-folded. Only for texts without surrogates, where a unit is a character.
bool referenceGlob(const QString &name, const QString &pattern)
{
    const auto fold = [](QChar c) { return QChar::toCaseFolded(c.unicode()); };
    const qsizetype n = name.size();
    const qsizetype p = pattern.size();
    // fits[j][i]: pattern[j..] fits name[i..]
    std::vector<std::vector<char>> fits(size_t(p + 1), std::vector<char>(size_t(n + 1), 0));
    fits[size_t(p)][size_t(n)] = 1;
    for (qsizetype j = p - 1; j >= 0; --j) {
        for (qsizetype i = n; i >= 0; --i) {
            const QChar pc = pattern[j];
            bool ok = false;
            if (pc == QLatin1Char('*'))
                ok = fits[size_t(j + 1)][size_t(i)] || (i < n && fits[size_t(j)][size_t(i + 1)]);
            else if (i < n && (pc == QLatin1Char('?') || fold(pc) == fold(name[i])))
                ok = fits[size_t(j + 1)][size_t(i + 1)];
            fits[size_t(j)][size_t(i)] = ok;
        }
    }
    return fits[0][0];
}

bool referenceMatch(const QString &name, const QString &pattern)
{
    if (referenceGlob(name, pattern))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && referenceGlob(name, pattern.chopped(2));
}

bool hasSurrogate(const QString &text)
{
    for (QChar c : text)
        if (c.isSurrogate())
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QList<QByteArray> parts = FuzzInput::bytes(data, size).split('\0');
    if (parts.isEmpty())
        return 0;
    const QString pattern = QString::fromUtf8(parts[0]).left(kLongest);
    QStringList names;
    for (qsizetype k = 1; k < parts.size() && k <= 16; ++k)
        names.append(QString::fromUtf8(parts[k]).left(kLongest));

    for (const QString &name : names) {
        const bool fits = matchesPattern(name, pattern);
        if (!hasSurrogate(name) && !hasSurrogate(pattern))
            FUZZ_CHECK(fits == referenceMatch(name, pattern));
        FUZZ_CHECK(matchesPattern(name, QStringLiteral("*")));
        if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
            FUZZ_CHECK(matchesPattern(name, name));
    }

    // A mask of that pattern lists each fitting name once per piece it fits.
    const QString mask = pattern + QLatin1Char(';');
    const QStringList listed = listMatches(names, mask);
    qsizetype expected = 0;
    for (const QString &piece : splitMask(mask))
        for (const QString &name : names)
            expected += matchesPattern(name, piece);
    FUZZ_CHECK(listed.size() == expected);
    for (const QString &name : listed)
        FUZZ_CHECK(names.contains(name));
    return 0;
}
