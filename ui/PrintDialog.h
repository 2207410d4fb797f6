#pragma once

#include <QDialog>

class Dialogs;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// What the print dialog needs of the main window.
struct PrintFormContext {
    QString filePath;         // the file to print
    QString printApplication; // `AppliForPrint`
    Dialogs &dialogs;
};

// The print dialog: shows the file and lets the user print it with the configured print
// application or with the plain-text editor's printing.
class PrintDialog : public QDialog {
    Q_OBJECT
public:
    enum class Choice { Cancel, Application, Notepad };

    PrintDialog(PrintFormContext context, QWidget *parent);

    // The choice the dialog closed with; Cancel until BitBtn1 accepts it.
    Choice choice() const { return choice_; }

    QGroupBox *GroupBox1;
    QLineEdit *EditFilePath;
    QGroupBox *GroupBox2;
    QRadioButton *RadioApp;
    QLineEdit *EditPrintSoft;
    QRadioButton *RadioNotepad;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;

public slots:
    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    PrintFormContext context_;
    Choice choice_ = Choice::Cancel;
};
