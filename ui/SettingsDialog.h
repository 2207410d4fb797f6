#pragma once

#include "core/SettingsRecord.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class Dialogs;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
struct SettingsRecord;

// What the settings dialog needs of the main window.
struct SettingsDialogHost {
    SettingsRecord &settings;
    Dialogs &dialogs;
    std::function<bool()> debugMenuVisible;
    std::function<void()> showDebugMenu;
    QString applicationTitle; // the caption of the plain message box
};

// The six-page settings dialog. It copies the record into its controls when shown and back
// only on OK; clearing the history and the debug menu act at once.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(SettingsDialogHost host, QWidget *parent = nullptr);

    bool Initialising = false;

    QTabWidget *PageControl1;
    QPushButton *BitBtn1, *BitBtn2;
    // General.
    QCheckBox *CheckBox1, *CheckBox2;
    QCheckBox *cbRememberPosition;
    QPushButton *BtnClearHistory;
    QToolButton *BtnForDebugMode;
    // Filters: rows 1-4.
    std::array<QLineEdit *, 4> EditFilterName;  // EditFilter1Name-EditFilter4Name
    std::array<QPushButton *, 4> BtnRen;        // BtnRen1-BtnRen4
    std::array<QLineEdit *, 4> EditFilter;      // EditFilter1-EditFilter4
    std::array<QLineEdit *, 4> EditFilterU;     // EditFilterU1-EditFilterU4
    QComboBox *cbSelectTextFile;
    QCheckBox *cbNaturalSort;
    // Editors 1-4.
    std::array<QLineEdit *, 4> EditEditApp;     // EditEditApp, EditEditApp2-4
    std::array<QLineEdit *, 4> EditEditAppC;    // EditEditAppCaption, EditEditAppC2-4
    std::array<QPushButton *, 4> BtnForFileViewE; // BtnForFileView, BtnForFileViewE2-4
    std::array<QLabel *, 8> LabelV;             // LabelV1-LabelV8
    QCheckBox *cbUseEditors;
    // Printing.
    QLineEdit *EditPrintApp;
    QPushButton *BtnForFileView2;
    // Safety.
    QLabel *ImageExclamation;
    QCheckBox *cbSafeNotOnlyText, *cbSafeFileDel;
    // Colours.
    QRadioButton *rbColor1, *rbColor2, *rbColor3, *rbColor4, *rbColor0;
    QPushButton *BitBtn3, *BitBtn4;
    QFrame *PanelFrontPreview, *PanelBackPreview;
    QLabel *LabelFrontColor, *LabelBackColor;
    QCheckBox *cbReverseColor;
    QLabel *PanelColorPreview;

    // The colours as stored values (plain or system colours).
    std::uint32_t previewBackground() const { return previewBack_; }
    std::uint32_t previewText() const { return previewText_; }
    std::uint32_t backPanelColor() const { return panelBack_; }
    std::uint32_t frontPanelColor() const { return panelFront_; }

    void FormShow();
    void BitBtn1Click();
    void BtnForFileViewClick(QLineEdit *target);
    void BtnForDebugModeClick();
    void BtnClearHistoryClick();
    void cbSafeFileDelClick();
    void EditFilterU1Exit(QLineEdit *field);
    void cbUseEditorsClick();
    void BtnRen1Click(int row);
    void EditFilter1NameEnter(QLineEdit *field);
    void EditFilter1NameExit(QLineEdit *field);
    void cbReverseColorClick();
    void rbColor1Click(ColorPreset preset);
    void BitBtn3Click();
    void BitBtn4Click();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createGeneralPage();
    QWidget *createFilterPage();
    QWidget *createEditorPage();
    QWidget *createPrintPage();
    QWidget *createSafetyPage();
    QWidget *createColorPage();
    void SetHints();
    void setPreview(std::uint32_t background, std::uint32_t text);
    void setPanelColor(QFrame *panel, std::uint32_t color);
    void setFieldFace(QLineEdit *field, bool editable);
    std::optional<ColorPreset> selectedPreset() const;

    SettingsDialogHost host_;
    QButtonGroup *colorButtons_;
    std::uint32_t previewBack_ = 0;
    std::uint32_t previewText_ = 0;
    std::uint32_t panelBack_ = 0;
    std::uint32_t panelFront_ = 0;
    bool shown_ = false;
};
