#pragma once

#include <QString>
#include <QStringList>

#include <vector>

struct SettingsRecord;

// A mask is a list of wildcard patterns, each closed by ';' so that masks join by
// plain concatenation. Patterns use '*' and '?' and are matched against a file name,
// ignoring case. An empty mask matches nothing.

// The patterns of a mask in order; empty pieces are dropped.
QStringList splitMask(const QString &mask);

// Whether a file name fits one pattern. A trailing ".*" also fits a name without
// that dot, so "*.*" fits every name, as it did where the masks come from.
bool matchesPattern(const QString &name, const QString &pattern);

// How a list of names is ordered.
enum class NameOrder {
    // By the case-folded text, unit by unit: "10" before "2". Equal names keep their order.
    Plain,
    // Runs of digits by their value, then without regard to case, as the Japanese collation
    // orders words: "2" before "10". Names that still compare equal ("a" and "A") go by their
    // bytes, so the order is total and never depends on the order read.
    Natural,
};

// Puts the names in the natural order.
void sortNaturally(QStringList &names);

// Every name fitting each pattern in turn (a name fitting two patterns comes twice), in the
// given order. Names in the path form (core/PathForm.h) are matched and sorted as they are shown.
QStringList listMatches(const QStringList &names, const QString &mask, NameOrder order = NameOrder::Plain);

// The mask of "all text files", chosen by flag 10; the supplementary lists never join it.
QString allTextFilesMask(const SettingsRecord &r);

struct FilterEntry {
    QString name;
    QString mask;
};

// The six entries of the file-type list: the four edited lists, all text files, all files.
std::vector<FilterEntry> filterEntries(const SettingsRecord &r);

// "name|mask|name|mask|...", the form a dialog filter is built from.
QString filterText(const std::vector<FilterEntry> &entries);

// The entries as Qt dialog filters, "name (pattern pattern ...)", in the same order.
QStringList dialogFilters(const std::vector<FilterEntry> &entries);
