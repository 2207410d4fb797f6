#pragma once

#include <QComboBox>
#include <QHash>

// The roots of the file system: "/", the home folder and mounted volumes. Each root
// remembers the folder last shown under it for the run.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget *parent = nullptr);

    // Re-reads the roots (volumes come and go).
    void refreshRoots();
    // Selects the root holding `folder` and remembers the folder as its current one.
    void followFolder(const QString &folder);
    QString currentRoot() const;

signals:
    // The user chose a root: the folder to move to.
    void driveChosen(const QString &folder);

private:
    QString rootFor(const QString &folder) const;
    QHash<QString, QString> currentFolders_;
    bool following_ = false;
};
