#pragma once

#include "core/FileFilter.h"

#include <QListWidget>
#include <QSet>

// The files of one folder that match a mask, in the order set (naturally, unless told otherwise).
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString directory() const { return directory_; }
    QString mask() const { return mask_; }
    // Each re-reads the list; afterwards nothing is selected. The names left out are those of
    // the archives the folder list shows: walked as folders there, as files they would give
    // only their raw bytes. They come from the folder list so that no file is recognised twice.
    void setDirectory(const QString &folder, QSet<QString> leftOut = {});
    void setMask(const QString &mask);
    // Re-reads the list when the order changes.
    void setNameOrder(NameOrder order);
    NameOrder nameOrder() const { return order_; }
    void reread();

    // The full path of the selected file, or empty.
    QString selectedPath() const;
    // The full paths of the listed files, in the list's order.
    QStringList paths() const;
    // Selects the first item with exactly this name; false when there is none.
    bool selectName(const QString &name);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

signals:
    // The selection changed, also to nothing after a re-read.
    void selectionChangedTo(const QString &path);

private:
    QString directory_;
    QString mask_;
    QSet<QString> leftOut_;
    NameOrder order_ = NameOrder::Natural;
};
