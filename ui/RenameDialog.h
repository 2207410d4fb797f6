#pragma once

#include <QDialog>

class Dialogs;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// Changes the viewed file's name, its read-only and archive attributes and its last-write time
// in one go.
class RenameDialog : public QDialog {
    Q_OBJECT
public:
    RenameDialog(Dialogs &dialogs, const QString &path, QWidget *parent = nullptr);

    // The viewed file's path, following a successful rename.
    const QString &path() const { return path_; }

    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
    QLineEdit *EditName, *EditExp;
    QCheckBox *cbReadOnly, *cbArchive;
    QLineEdit *EditYear, *EditMonth, *EditDay, *EditHour, *EditMinute, *EditSecond;
    QPushButton *BitBtn1, *BitBtn2;

    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Shows the forbidden-character message when the text has one, and focuses the field.
    bool refuseForbidden(QLineEdit *field, const QString &lead);
    void setTime();

    Dialogs &dialogs_;
    QString path_;
    bool shownOnce_ = false;
};
