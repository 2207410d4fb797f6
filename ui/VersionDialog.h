#pragma once

#include <QDialog>

class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;

// The version dialog: the program's name and version, rights lines and the author's addresses.
class VersionDialog : public QDialog {
    Q_OBJECT
public:
    VersionDialog(Dialogs &dialogs, QWidget *parent = nullptr);

    QLabel *Image1, *Image2;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9;
    QFrame *Bevel1;
    QLineEdit *Edit1, *Edit2, *Edit3;
    QPushButton *BitBtn1;

    void FormShow();
    void Image1Click();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Dialogs &dialogs_;
    bool shown_ = false;
};
