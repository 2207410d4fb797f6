#include "core/FileFilter.h"

#include "core/PathForm.h"
#include "core/SettingsRecord.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

// Folding one UTF-16 unit at a time keeps lengths equal, so '?' and '*' line up
// between the folded and the original text.
QString foldUnits(const QString &text)
{
    QString folded(text.size(), Qt::Uninitialized);
    const QChar *in = text.constData();
    QChar *out = folded.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = QChar(char16_t(QChar::toCaseFolded(char32_t(in[i].unicode()))));
    return folded;
}

// A surrogate pair is one character to '?' and '*'.
qsizetype charUnitsAt(const QChar *s, qsizetype size, qsizetype i)
{
    return (s[i].isHighSurrogate() && i + 1 < size && s[i + 1].isLowSurrogate()) ? 2 : 1;
}

// Both texts already folded. Backtracks only to the last '*', which keeps it linear
// for the usual "*.ext" and never builds anything per call.
bool globMatch(const QChar *n, qsizetype nl, const QChar *p, qsizetype pl)
{
    qsizetype ni = 0;
    qsizetype pi = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (ni < nl) {
        if (pi < pl) {
            const QChar pc = p[pi];
            if (pc == QLatin1Char('*')) {
                starP = ++pi;
                starN = ni;
                continue;
            }
            if (pc == QLatin1Char('?')) {
                ni += charUnitsAt(n, nl, ni);
                ++pi;
                continue;
            }
            if (pc == n[ni]) {
                ++ni;
                ++pi;
                continue;
            }
        }
        if (starP < 0)
            return false;
        starN += charUnitsAt(n, nl, starN);
        ni = starN;
        pi = starP;
    }
    while (pi < pl && p[pi] == QLatin1Char('*'))
        ++pi;
    return pi == pl;
}

struct CompiledPattern {
    QString folded;
    bool dotStarTail = false;

    explicit CompiledPattern(const QString &pattern)
        : folded(foldUnits(pattern)), dotStarTail(pattern.endsWith(QLatin1String(".*")))
    {
    }

    bool matches(const QString &foldedName) const
    {
        const QChar *n = foldedName.constData();
        if (globMatch(n, foldedName.size(), folded.constData(), folded.size()))
            return true;
        // The dot before a final '*' may be absent: "README" fits "*.*".
        return dotStarTail && globMatch(n, foldedName.size(), folded.constData(), folded.size() - 2);
    }
};

} // namespace

QStringList splitMask(const QString &mask)
{
    return mask.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

bool matchesPattern(const QString &name, const QString &pattern)
{
    return CompiledPattern(pattern).matches(foldUnits(name));
}

namespace {

// Sorts positions into `names` naturally. Each name gets its collation key once, so a large
// folder costs one key per name rather than a collation per comparison.
// The program's language, whatever the desktop's: the order is the same everywhere. Opened
// once a thread: every listing of a folder asks for it.
const QCollator &naturalCollator()
{
    static thread_local const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

void sortPositionsNaturally(std::vector<qsizetype> &hits, const QStringList &names)
{
    const QCollator &collator = naturalCollator();
    std::vector<std::optional<QCollatorSortKey>> keys(size_t(names.size()));
    std::vector<QByteArray> bytes(size_t(names.size()));
    for (qsizetype i : hits) {
        if (!keys[size_t(i)]) {
            keys[size_t(i)] = collator.sortKey(PathForm::displayName(names[i]));
            bytes[size_t(i)] = PathForm::toNative(names[i]);
        }
    }
    std::stable_sort(hits.begin(), hits.end(), [&keys, &bytes](qsizetype a, qsizetype b) {
        const int byKey = keys[size_t(a)]->compare(*keys[size_t(b)]);
        return byKey != 0 ? byKey < 0 : bytes[size_t(a)] < bytes[size_t(b)];
    });
}

} // namespace

void sortNaturally(QStringList &names)
{
    std::vector<qsizetype> positions(size_t(names.size()));
    std::iota(positions.begin(), positions.end(), qsizetype(0));
    sortPositionsNaturally(positions, names);
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : positions)
        sorted.append(names[i]);
    names = std::move(sorted);
}

QStringList listMatches(const QStringList &names, const QString &mask, NameOrder order)
{
    const QStringList patterns = splitMask(mask);
    if (patterns.isEmpty() || names.isEmpty())
        return {};

    // Fold each name once: the sort below reuses the folded text as its key.
    std::vector<QString> folded;
    folded.reserve(names.size());
    for (const QString &name : names)
        folded.push_back(foldUnits(PathForm::displayName(name)));

    std::vector<qsizetype> hits;
    for (const QString &pattern : patterns) {
        const CompiledPattern compiled(pattern);
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (compiled.matches(folded[size_t(i)]))
                hits.push_back(i);
        }
    }
    if (order == NameOrder::Natural) {
        sortPositionsNaturally(hits, names);
    } else {
        std::stable_sort(hits.begin(), hits.end(), [&folded](qsizetype a, qsizetype b) {
            return folded[size_t(a)] < folded[size_t(b)];
        });
    }

    QStringList result;
    result.reserve(qsizetype(hits.size()));
    for (qsizetype i : hits)
        result.append(names[i]);
    return result;
}

QString allTextFilesMask(const SettingsRecord &r)
{
    const auto &b = r.EditFilterB;
    switch (r.flag(Flag::AllTextLists).unicode()) {
    case u'0':
        return b[0] + b[1];
    case u'1':
        return b[2] + b[0] + b[1];
    case u'2':
        return b[3] + b[2] + b[0] + b[1];
    default:
        return {};
    }
}

std::vector<FilterEntry> filterEntries(const SettingsRecord &r)
{
    std::vector<FilterEntry> entries;
    entries.reserve(6);
    for (size_t k = 0; k < 4; ++k) {
        const QString mask = r.EditFilterB[k] + r.EditFilterU[k];
        entries.push_back({r.FilterName[k] + QLatin1Char('(') + mask + QLatin1Char(')'), mask});
    }
    entries.push_back({QStringLiteral("すべてのテキストファイル"), allTextFilesMask(r)});
    entries.push_back({QStringLiteral("すべてのファイル(*.*)"), QStringLiteral("*.*")});
    return entries;
}

QString filterText(const std::vector<FilterEntry> &entries)
{
    QStringList parts;
    for (const FilterEntry &e : entries) {
        parts.append(e.name);
        parts.append(e.mask);
    }
    return parts.join(QLatin1Char('|'));
}

QStringList dialogFilters(const std::vector<FilterEntry> &entries)
{
    QStringList filters;
    for (const FilterEntry &e : entries)
        filters.append(e.name + QLatin1String(" (") + splitMask(e.mask).join(QLatin1Char(' ')) + QLatin1Char(')'));
    return filters;
}
