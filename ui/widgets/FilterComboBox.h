#pragma once

#include "core/FileFilter.h"

#include <QComboBox>

// The file types: named entries with masks, no free text.
class FilterComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit FilterComboBox(QWidget *parent = nullptr);

    // Takes a new set of entries. Returns false, keeping the selection, when the filter text
    // equals the one held (letter case aside); otherwise rebuilds and selects entry 0.
    bool setEntries(const std::vector<FilterEntry> &entries);
    QString mask() const;
    QString filterText() const { return filterText_; }
    const std::vector<FilterEntry> &entries() const { return entries_; }

private:
    std::vector<FilterEntry> entries_;
    QString filterText_;
};
