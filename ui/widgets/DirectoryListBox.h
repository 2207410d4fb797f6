#pragma once

#include "core/FileFilter.h"

#include <QListWidget>

// The folder tree along the current folder: the root, each folder down to the current one,
// then the current folder's subfolders.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget *parent = nullptr);

    // Moves to `folder` and rebuilds the list from disk.
    void setDirectory(const QString &folder);
    // The current folder with a trailing '/'.
    QString directory() const { return directory_; }
    // Rebuilds the list for the current folder.
    void rebuild();
    // The archives listed after the subfolders, by name.
    const QStringList &archives() const { return archives_; }
    // How the subfolders are ordered; a change rebuilds the list.
    void setNameOrder(NameOrder order);

signals:
    // The user opened a folder of the list (left click or Enter).
    void folderOpened(const QString &folder);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString directory_ = QStringLiteral("/");
    NameOrder order_ = NameOrder::Natural;
    QStringList archives_;
};
