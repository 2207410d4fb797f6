#include "ui/widgets/FilterComboBox.h"

FilterComboBox::FilterComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

bool FilterComboBox::setEntries(const std::vector<FilterEntry> &entries)
{
    const QString text = ::filterText(entries);
    if (count() > 0 && text.compare(filterText_, Qt::CaseInsensitive) == 0)
        return false;
    entries_ = entries;
    filterText_ = text;
    const QSignalBlocker blocker(this);
    clear();
    for (const FilterEntry &entry : entries_)
        addItem(entry.name, entry.mask);
    setCurrentIndex(0);
    return true;
}

QString FilterComboBox::mask() const
{
    return currentData().toString();
}
