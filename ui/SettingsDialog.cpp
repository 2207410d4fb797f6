#include "ui/SettingsDialog.h"

#include "core/ColorText.h"
#include "core/PathUtil.h"
#include "core/SettingsRecord.h"
#include "platform/Dialogs.h"
#include "resources/SettingsTexts.h"
#include "ui/SystemColors.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kHintDuration = 25000;

namespace Colors {
constexpr std::uint32_t clBlack = 0x00000000u;
constexpr std::uint32_t clWhite = 0x00FFFFFFu;
constexpr std::uint32_t lcdGreen = 0x0000E5ACu; // "$0000e5ac": red 172, green 229, blue 0
constexpr std::uint32_t clInactiveCaption = ColorText::kSystemColorBase + 3;
constexpr std::uint32_t clInactiveCaptionText = ColorText::kSystemColorBase + 19;
constexpr std::uint32_t clInfoText = ColorText::kSystemColorBase + 23;
constexpr std::uint32_t clInfoBk = ColorText::kSystemColorBase + 24;
} // namespace Colors

void setHint(QWidget *widget, const QString &text)
{
    widget->setToolTip(text);
    widget->setToolTipDuration(kHintDuration);
}

template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel *note(const QString &text)
{
    auto *l = new QLabel(text);
    l->setWordWrap(false);
    return l;
}

QChar flagChar(bool on)
{
    return QLatin1Char(on ? '1' : '0');
}

} // namespace

SettingsDialog::SettingsDialog(SettingsDialogHost host, QWidget *parent) : QDialog(parent), host_(std::move(host))
{
    setObjectName(QStringLiteral("AppSetForm"));
    setWindowTitle(SettingsTexts::kCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));

    PageControl1 = named(new QTabWidget, QStringLiteral("PageControl1"));
    PageControl1->setUsesScrollButtons(false); // all six pages in sight
    PageControl1->addTab(createGeneralPage(), SettingsTexts::kPageGeneral);
    PageControl1->addTab(createFilterPage(), SettingsTexts::kPageFilters);
    PageControl1->addTab(createEditorPage(), SettingsTexts::kPageEditors);
    PageControl1->addTab(createPrintPage(), SettingsTexts::kPagePrint);
    PageControl1->addTab(createSafetyPage(), SettingsTexts::kPageSafety);
    PageControl1->addTab(createColorPage(), SettingsTexts::kPageColors);

    BitBtn1 = named(new QPushButton(SettingsTexts::kOk), QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = named(new QPushButton(SettingsTexts::kCancel), QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    for (QPushButton *b : {BitBtn1, BitBtn2})
        b->setMinimumWidth(80);
    connect(BitBtn1, &QPushButton::clicked, this, &SettingsDialog::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(PageControl1, 1);
    column->addLayout(buttons);
    // The designed client area; the Japanese desktop faces may need a little more.
    resize(442, 308);
    setFixedSize(sizeHint().expandedTo(QSize(442, 308)));
}

QWidget *SettingsDialog::createGeneralPage()
{
    auto *page = new QWidget;
    auto *history = new QGroupBox(SettingsTexts::kGroupHistory);
    CheckBox1 = named(new QCheckBox(SettingsTexts::kCheckBox1), QStringLiteral("CheckBox1"));
    CheckBox2 = named(new QCheckBox(SettingsTexts::kCheckBox2), QStringLiteral("CheckBox2"));
    auto *historyColumn = new QVBoxLayout(history);
    historyColumn->addWidget(CheckBox1);
    historyColumn->addWidget(CheckBox2);
    cbRememberPosition = named(new QCheckBox(SettingsTexts::kRememberPosition), QStringLiteral("cbRememberPosition"));
    historyColumn->addWidget(cbRememberPosition);

    auto *maintenance = new QGroupBox(SettingsTexts::kGroupMaintenance);
    BtnClearHistory = named(new QPushButton(SettingsTexts::kClearHistory), QStringLiteral("BtnClearHistory"));
    BtnClearHistory->setAutoDefault(false);
    connect(BtnClearHistory, &QPushButton::clicked, this, &SettingsDialog::BtnClearHistoryClick);
    auto *maintenanceRow = new QHBoxLayout(maintenance);
    maintenanceRow->addWidget(BtnClearHistory);
    maintenanceRow->addStretch(1);

    BtnForDebugMode = named(new QToolButton, QStringLiteral("BtnForDebugMode"));
    BtnForDebugMode->setText(SettingsTexts::kForDebugMode);
    BtnForDebugMode->setAutoRaise(true);
    QPalette grey = BtnForDebugMode->palette();
    grey.setColor(QPalette::ButtonText, Qt::gray);
    BtnForDebugMode->setPalette(grey);
    connect(BtnForDebugMode, &QToolButton::clicked, this, &SettingsDialog::BtnForDebugModeClick);

    auto *column = new QVBoxLayout(page);
    column->addWidget(history);
    column->addWidget(maintenance);
    column->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BtnForDebugMode);
    column->addLayout(bottom);
    return page;
}

QWidget *SettingsDialog::createFilterPage()
{
    auto *page = new QWidget;
    auto *group = new QGroupBox(SettingsTexts::kGroupFilters);
    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(2);
    auto *arrow = new QLabel(SettingsTexts::kArrowDown);
    auto *extrasNote = note(SettingsTexts::kExtrasNote[0] + QLatin1Char('\n') + SettingsTexts::kExtrasNote[1]);
    auto *noteRow = new QHBoxLayout;
    noteRow->addStretch(1);
    noteRow->addWidget(extrasNote);
    noteRow->addWidget(arrow);
    grid->addLayout(noteRow, 0, 0, 1, 3);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        EditFilterName[i] = named(new QLineEdit, QStringLiteral("EditFilter%1Name").arg(n));
        EditFilterName[i]->setFrame(false);
        setFieldFace(EditFilterName[i], false);
        EditFilterName[i]->installEventFilter(this);
        BtnRen[i] = named(new QPushButton(SettingsTexts::kRename), QStringLiteral("BtnRen%1").arg(n));
        BtnRen[i]->setAutoDefault(false);
        connect(BtnRen[i], &QPushButton::clicked, this, [this, i] { BtnRen1Click(i); });
        auto *nameRow = new QHBoxLayout;
        nameRow->setSpacing(0);
        nameRow->addWidget(new QLabel(SettingsTexts::kNameOpen));
        nameRow->addWidget(EditFilterName[i], 1);
        nameRow->addWidget(new QLabel(SettingsTexts::kNameClose));
        nameRow->addSpacing(6);
        nameRow->addWidget(BtnRen[i]);
        nameRow->addStretch(1);
        grid->addLayout(nameRow, 1 + 2 * i, 0, 1, 3);

        EditFilter[i] = named(new QLineEdit, QStringLiteral("EditFilter%1").arg(n));
        EditFilterU[i] = named(new QLineEdit, QStringLiteral("EditFilterU%1").arg(n));
        auto *plus = new QLabel(SettingsTexts::kPlus);
        QFont big = plus->font();
        big.setPointSize(12);
        big.setBold(true);
        plus->setFont(big);
        grid->addWidget(EditFilter[i], 2 + 2 * i, 0);
        grid->addWidget(plus, 2 + 2 * i, 1);
        grid->addWidget(EditFilterU[i], 2 + 2 * i, 2);
    }
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(2, 2);
    for (QLineEdit *field : EditFilter)
        field->installEventFilter(this);
    for (QLineEdit *field : EditFilterU)
        field->installEventFilter(this);
    // Extensions are typed in Latin letters: no input method here.
    for (auto *fields : {&EditFilter, &EditFilterU})
        for (QLineEdit *field : *fields)
            field->setAttribute(Qt::WA_InputMethodEnabled, false);

    cbSelectTextFile = named(new QComboBox, QStringLiteral("cbSelectTextFile"));
    for (const QString &entry : SettingsTexts::kSelectTextFile)
        cbSelectTextFile->addItem(entry);
    auto *allRow = new QHBoxLayout;
    auto *allColumn = new QVBoxLayout;
    allColumn->addWidget(new QLabel(SettingsTexts::kAllTextLabel));
    allColumn->addWidget(cbSelectTextFile);
    allRow->addLayout(allColumn, 1);
    allRow->addWidget(note(SettingsTexts::kNotExtras[0] + QLatin1Char('\n') + SettingsTexts::kNotExtras[1]
                           + QLatin1Char('\n') + SettingsTexts::kNotExtras[2]));

    cbNaturalSort = named(new QCheckBox(SettingsTexts::kNaturalSort), QStringLiteral("cbNaturalSort"));

    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(group);
    column->addLayout(allRow);
    column->addWidget(cbNaturalSort);
    return page;
}

QWidget *SettingsDialog::createEditorPage()
{
    auto *page = new QWidget;
    auto *group = new QGroupBox(SettingsTexts::kGroupEditors);
    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(SettingsTexts::kEditorsIntro), 0, 0, 1, 4);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        EditEditApp[i] = named(new QLineEdit, i == 0 ? QStringLiteral("EditEditApp") : QStringLiteral("EditEditApp%1").arg(n));
        EditEditAppC[i] = named(new QLineEdit, i == 0 ? QStringLiteral("EditEditAppCaption")
                                                      : QStringLiteral("EditEditAppC%1").arg(n));
        BtnForFileViewE[i] = named(new QPushButton(i == 0 ? SettingsTexts::kBrowse1 : SettingsTexts::kBrowseN[i - 1]),
                                   i == 0 ? QStringLiteral("BtnForFileView") : QStringLiteral("BtnForFileViewE%1").arg(n));
        BtnForFileViewE[i]->setAutoDefault(false);
        QLineEdit *target = EditEditApp[i];
        connect(BtnForFileViewE[i], &QPushButton::clicked, this, [this, target] { BtnForFileViewClick(target); });
    }
    for (int k = 0; k < 8; ++k)
        LabelV[k] = named(new QLabel, QStringLiteral("LabelV%1").arg(k + 1));
    LabelV[0]->setText(SettingsTexts::kCaption1);
    LabelV[1]->setText(SettingsTexts::kMenuNote);
    for (int i = 1; i < 4; ++i) {
        LabelV[2 * i]->setText(SettingsTexts::kCaptionN[i - 1]);
        LabelV[2 * i + 1]->setText(SettingsTexts::kPathN[i - 1]);
    }
    LabelV[0]->setBuddy(EditEditAppC[0]);
    auto *path1 = new QLabel(SettingsTexts::kPath1);
    path1->setBuddy(EditEditApp[0]);

    grid->addWidget(LabelV[0], 1, 0);
    grid->addWidget(EditEditAppC[0], 1, 1);
    grid->addWidget(LabelV[1], 1, 2, 1, 2);
    grid->addWidget(path1, 2, 0);
    grid->addWidget(EditEditApp[0], 2, 1, 1, 2);
    grid->addWidget(BtnForFileViewE[0], 2, 3);
    grid->addWidget(note(SettingsTexts::kNotepadNote), 3, 0, 1, 4);
    grid->addWidget(note(SettingsTexts::kCallableNote), 4, 0, 1, 4);

    cbUseEditors = named(new QCheckBox(SettingsTexts::kUseEditors), QStringLiteral("cbUseEditors"));
    grid->addWidget(cbUseEditors, 5, 0, 1, 4);
    for (int i = 1; i < 4; ++i) {
        LabelV[2 * i]->setBuddy(EditEditAppC[i]);
        LabelV[2 * i + 1]->setBuddy(EditEditApp[i]);
        auto *row = new QHBoxLayout;
        row->addWidget(LabelV[2 * i]);
        row->addWidget(EditEditAppC[i], 1);
        row->addWidget(LabelV[2 * i + 1]);
        row->addWidget(EditEditApp[i], 3);
        row->addWidget(BtnForFileViewE[i]);
        grid->addLayout(row, 5 + i, 0, 1, 4);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    connect(cbUseEditors, &QCheckBox::toggled, this, &SettingsDialog::cbUseEditorsClick);

    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(group);
    column->addStretch(1);
    return page;
}

QWidget *SettingsDialog::createPrintPage()
{
    auto *page = new QWidget;
    auto *group = new QGroupBox(SettingsTexts::kGroupPrint);
    EditPrintApp = named(new QLineEdit, QStringLiteral("EditPrintApp"));
    BtnForFileView2 = named(new QPushButton(SettingsTexts::kBrowse1), QStringLiteral("BtnForFileView2"));
    BtnForFileView2->setAutoDefault(false);
    connect(BtnForFileView2, &QPushButton::clicked, this, [this] { BtnForFileViewClick(EditPrintApp); });
    auto *label = new QLabel(SettingsTexts::kPrintLabel);
    label->setBuddy(EditPrintApp);
    auto *row = new QHBoxLayout;
    row->addWidget(EditPrintApp, 1);
    row->addWidget(BtnForFileView2);
    auto *inner = new QVBoxLayout(group);
    inner->addWidget(label);
    inner->addLayout(row);
    inner->addWidget(note(SettingsTexts::kNotepadNote));
    inner->addWidget(note(SettingsTexts::kPrintNote1 + QLatin1Char('\n') + SettingsTexts::kPrintNote2));
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(group);
    column->addStretch(1);
    return page;
}

QWidget *SettingsDialog::createSafetyPage()
{
    auto *page = new QWidget;
    ImageExclamation = named(new QLabel, QStringLiteral("ImageExclamation"));
    ImageExclamation->setFixedSize(32, 32);
    auto *intro = note(SettingsTexts::kSafetyIntro[0] + QLatin1Char('\n') + SettingsTexts::kSafetyIntro[1]
                       + QLatin1Char('\n') + SettingsTexts::kSafetyIntro[2]);
    auto *top = new QHBoxLayout;
    top->addWidget(ImageExclamation, 0, Qt::AlignTop);
    top->addWidget(intro, 1);

    auto *group = new QGroupBox(SettingsTexts::kGroupFileOps);
    cbSafeNotOnlyText = named(new QCheckBox(SettingsTexts::kSafeNotOnlyText), QStringLiteral("cbSafeNotOnlyText"));
    cbSafeFileDel = named(new QCheckBox(SettingsTexts::kSafeFileDel), QStringLiteral("cbSafeFileDel"));
    auto *inner = new QVBoxLayout(group);
    inner->addWidget(cbSafeNotOnlyText);
    inner->addWidget(note(SettingsTexts::kTextFilesNote));
    inner->addWidget(cbSafeFileDel);
    connect(cbSafeNotOnlyText, &QCheckBox::toggled, this, &SettingsDialog::cbSafeFileDelClick);
    connect(cbSafeFileDel, &QCheckBox::toggled, this, &SettingsDialog::cbSafeFileDelClick);

    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(4, 4, 4, 4);
    column->addLayout(top);
    column->addWidget(group);
    column->addStretch(1);
    return page;
}

QWidget *SettingsDialog::createColorPage()
{
    auto *page = new QWidget;
    auto *group = new QGroupBox(SettingsTexts::kGroupColors);
    rbColor1 = named(new QRadioButton(SettingsTexts::kColor1), QStringLiteral("rbColor1"));
    rbColor2 = named(new QRadioButton(SettingsTexts::kColor2), QStringLiteral("rbColor2"));
    rbColor3 = named(new QRadioButton(SettingsTexts::kColor3), QStringLiteral("rbColor3"));
    rbColor4 = named(new QRadioButton(SettingsTexts::kColor4), QStringLiteral("rbColor4"));
    rbColor0 = named(new QRadioButton(SettingsTexts::kColor0), QStringLiteral("rbColor0"));
    colorButtons_ = new QButtonGroup(this);
    const std::pair<QRadioButton *, ColorPreset> presets[] = {{rbColor1, ColorPreset::Windows},
                                                              {rbColor2, ColorPreset::MsDos},
                                                              {rbColor3, ColorPreset::LcdGreen},
                                                              {rbColor4, ColorPreset::ToolTip},
                                                              {rbColor0, ColorPreset::User}};
    auto *inner = new QVBoxLayout(group);
    for (const auto &entry : presets) {
        QRadioButton *button = entry.first;
        const ColorPreset preset = entry.second; // a named copy: clang 14 cannot capture a binding
        colorButtons_->addButton(button);
        inner->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, preset](bool on) {
            if (on)
                rbColor1Click(preset);
        });
    }

    BitBtn3 = named(new QPushButton(SettingsTexts::kFrontColor), QStringLiteral("BitBtn3"));
    BitBtn4 = named(new QPushButton(SettingsTexts::kBackColor), QStringLiteral("BitBtn4"));
    PanelFrontPreview = named(new QFrame, QStringLiteral("PanelFrontPreview"));
    PanelBackPreview = named(new QFrame, QStringLiteral("PanelBackPreview"));
    LabelFrontColor = named(new QLabel(SettingsTexts::kNoColorYet), QStringLiteral("LabelFrontColor"));
    LabelBackColor = named(new QLabel(SettingsTexts::kNoColorYet), QStringLiteral("LabelBackColor"));
    auto *pick = new QGridLayout;
    pick->addWidget(BitBtn3, 0, 0);
    pick->addWidget(PanelFrontPreview, 0, 1);
    pick->addWidget(LabelFrontColor, 0, 2);
    pick->addWidget(BitBtn4, 1, 0);
    pick->addWidget(PanelBackPreview, 1, 1);
    pick->addWidget(LabelBackColor, 1, 2);
    pick->setColumnStretch(2, 1);
    inner->addLayout(pick);
    for (QPushButton *b : {BitBtn3, BitBtn4})
        b->setAutoDefault(false);
    for (QFrame *panel : {PanelFrontPreview, PanelBackPreview}) {
        panel->setFixedSize(22, 18);
        panel->setFrameShape(QFrame::Box);
        panel->setAutoFillBackground(true);
    }
    panelBack_ = Colors::clInactiveCaption;
    panelFront_ = Colors::clInactiveCaptionText;
    setPanelColor(PanelBackPreview, panelBack_);
    setPanelColor(PanelFrontPreview, panelFront_);
    connect(BitBtn3, &QPushButton::clicked, this, &SettingsDialog::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &SettingsDialog::BitBtn4Click);

    auto *reverse = new QGroupBox(SettingsTexts::kGroupReverse);
    cbReverseColor = named(new QCheckBox(SettingsTexts::kReverseColor), QStringLiteral("cbReverseColor"));
    auto *reverseRow = new QVBoxLayout(reverse);
    reverseRow->addWidget(cbReverseColor);
    connect(cbReverseColor, &QCheckBox::toggled, this, &SettingsDialog::cbReverseColorClick);

    PanelColorPreview = named(new QLabel(SettingsTexts::kColorPreview), QStringLiteral("PanelColorPreview"));
    PanelColorPreview->setAlignment(Qt::AlignCenter);
    PanelColorPreview->setFrameShape(QFrame::Panel);
    PanelColorPreview->setFrameShadow(QFrame::Sunken);
    PanelColorPreview->setAutoFillBackground(true);
    PanelColorPreview->setMinimumSize(150, 90);
    QFont previewFont(QStringLiteral("ＭＳ ゴシック"), 12);
    PanelColorPreview->setFont(previewFont);

    auto *right = new QVBoxLayout;
    right->addWidget(reverse);
    right->addWidget(PanelColorPreview, 1);
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(group, 1);
    row->addLayout(right, 1);
    return page;
}

void SettingsDialog::showEvent(QShowEvent *event)
{
    if (!shown_) {
        shown_ = true;
        FormShow();
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void SettingsDialog::FormShow()
{
    SettingsRecord &s = host_.settings;
    Initialising = true;
    PageControl1->setCurrentIndex(0);
    for (int i = 0; i < 4; ++i) {
        EditEditApp[i]->setText(s.AppliForEdit[i]);
        EditEditAppC[i]->setText(s.AppliForEditN[i]);
    }
    cbUseEditors->setChecked(s.flagIs(Flag::UseEditors, '1'));
    EditPrintApp->setText(s.AppliForPrint);

    CheckBox1->setChecked(s.flagIs(Flag::ReopenLastFile, '1'));
    CheckBox2->setChecked(s.flagIs(Flag::KeepHistory, '1'));
    cbRememberPosition->setChecked(s.RememberPosition);
    cbSafeFileDel->setChecked(s.flagIs(Flag::DeleteWithoutAsking, '1'));
    cbSafeNotOnlyText->setChecked(s.flagIs(Flag::DeleteNonText, '1'));

    for (int i = 0; i < 4; ++i) {
        EditFilterName[i]->setText(s.FilterName[i]);
        EditFilter[i]->setText(s.EditFilterB[i]);
        EditFilterU[i]->setText(s.EditFilterU[i]);
    }
    cbSelectTextFile->setCurrentIndex(s.flagIs(Flag::AllTextLists, '0') ? 0 : s.flagIs(Flag::AllTextLists, '2') ? 2 : 1);
    cbNaturalSort->setChecked(s.NaturalSort);

    setPreview(s.ColorBack, s.ColorText);
    const bool swapped = s.flagIs(Flag::SwapColors, '1');
    switch (ColorPreset(s.flag(Flag::ColorPreset).toLatin1())) {
    case ColorPreset::Windows: rbColor1->setChecked(true); break;
    case ColorPreset::MsDos: rbColor2->setChecked(true); break;
    case ColorPreset::LcdGreen: rbColor3->setChecked(true); break;
    case ColorPreset::ToolTip: rbColor4->setChecked(true); break;
    case ColorPreset::User:
        // The view shows the user's colours with the swap applied; the panels hold them unswapped.
        panelBack_ = swapped ? s.ColorText : s.ColorBack;
        panelFront_ = swapped ? s.ColorBack : s.ColorText;
        setPanelColor(PanelBackPreview, panelBack_);
        setPanelColor(PanelFrontPreview, panelFront_);
        rbColor0->setChecked(true);
        break;
    default: break;
    }
    if (swapped)
        cbReverseColor->setChecked(true);

    ImageExclamation->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    SetHints();
    if (host_.debugMenuVisible && host_.debugMenuVisible())
        BtnForDebugMode->setEnabled(false);
    Initialising = false;
    cbUseEditorsClick();
}

void SettingsDialog::SetHints()
{
    setHint(CheckBox1, SettingsTexts::kHintCheckBox1);
    setHint(CheckBox2, SettingsTexts::kHintCheckBox2);
    setHint(BtnClearHistory, SettingsTexts::kHintClearHistory);
    setHint(BtnForDebugMode, SettingsTexts::kHintForDebugMode);
    for (int i = 0; i < 4; ++i) {
        setHint(EditFilterName[i], SettingsTexts::kHintFilterName);
        setHint(EditFilter[i], SettingsTexts::kHintFilterMain);
        setHint(EditFilterU[i], SettingsTexts::kHintFilterExtra);
    }
    setHint(cbSafeNotOnlyText, SettingsTexts::kHintSafeNotOnlyText);
    setHint(cbSafeFileDel, SettingsTexts::kHintSafeFileDel);
}

void SettingsDialog::BitBtn1Click()
{
    SettingsRecord &s = host_.settings;
    for (int i = 0; i < 4; ++i)
        s.AppliForEdit[i] = EditEditApp[i]->text();
    for (int i = 0; i < 4; ++i)
        s.AppliForEditN[i] = EditEditAppC[i]->text();
    s.setFlag(Flag::UseEditors, flagChar(cbUseEditors->isChecked()));
    s.AppliForPrint = EditPrintApp->text();
    s.setFlag(Flag::ReopenLastFile, flagChar(CheckBox1->isChecked()));
    s.setFlag(Flag::KeepHistory, flagChar(CheckBox2->isChecked()));
    s.setFlag(Flag::DeleteWithoutAsking, flagChar(cbSafeFileDel->isChecked()));
    s.setFlag(Flag::DeleteNonText, flagChar(cbSafeNotOnlyText->isChecked()));
    for (int i = 0; i < 4; ++i)
        s.FilterName[i] = EditFilterName[i]->text();
    for (int i = 0; i < 4; ++i)
        s.EditFilterB[i] = EditFilter[i]->text();
    for (int i = 0; i < 4; ++i)
        s.EditFilterU[i] = EditFilterU[i]->text();
    s.setFlag(Flag::AllTextLists, QChar(u'0' + std::max(0, cbSelectTextFile->currentIndex())));
    s.NaturalSort = cbNaturalSort->isChecked();
    s.RememberPosition = cbRememberPosition->isChecked();
    if (const std::optional<ColorPreset> preset = selectedPreset())
        s.setFlag(Flag::ColorPreset, QLatin1Char(char(*preset)));
    s.setFlag(Flag::SwapColors, flagChar(cbReverseColor->isChecked()));
    s.ColorBack = previewBack_;
    s.ColorText = previewText_;
    accept();
}

std::optional<ColorPreset> SettingsDialog::selectedPreset() const
{
    if (rbColor1->isChecked())
        return ColorPreset::Windows;
    if (rbColor2->isChecked())
        return ColorPreset::MsDos;
    if (rbColor3->isChecked())
        return ColorPreset::LcdGreen;
    if (rbColor4->isChecked())
        return ColorPreset::ToolTip;
    if (rbColor0->isChecked())
        return ColorPreset::User;
    return std::nullopt;
}

void SettingsDialog::BtnForFileViewClick(QLineEdit *target)
{
    const std::optional<QString> chosen =
        host_.dialogs.openFile(this, SettingsTexts::kBrowseTitle,
                               PathUtil::SplitPath(target->text(), PathUtil::PathPart::Folder),
                               SettingsTexts::kBrowseFilters, 0);
    if (chosen)
        target->setText(*chosen);
}

void SettingsDialog::BtnForDebugModeClick()
{
    if (host_.showDebugMenu)
        host_.showDebugMenu();
    host_.dialogs.message(this, SettingsTexts::kDebugEnabledText, host_.applicationTitle,
                          Dialogs::Kind::Plain);
}

void SettingsDialog::BtnClearHistoryClick()
{
    BrowsingHistory &history = host_.settings.History;
    for (QString &entry : history.PreHistory)
        entry.clear();
    for (QString &entry : history.NextHistory)
        entry.clear();
    host_.dialogs.message(this, SettingsTexts::kHistoryClearedText, SettingsTexts::kHistoryClearedCaption,
                          Dialogs::Kind::Notice);
}

void SettingsDialog::cbSafeFileDelClick()
{
    if (cbSafeFileDel->isChecked() && cbSafeNotOnlyText->isChecked() && !Initialising)
        host_.dialogs.message(this, SettingsTexts::kDangerText, SettingsTexts::kDangerCaption, Dialogs::Kind::Warning);
}

void SettingsDialog::EditFilterU1Exit(QLineEdit *field)
{
    const QString text = field->text();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char(';')))
        field->setText(text + QLatin1Char(';'));
}

void SettingsDialog::cbUseEditorsClick()
{
    const bool on = cbUseEditors->isChecked();
    setFieldFace(EditEditAppC[0], on);
    for (int i = 1; i < 4; ++i) {
        setFieldFace(EditEditAppC[i], on);
        setFieldFace(EditEditApp[i], on);
    }
    for (QLabel *label : LabelV)
        label->setEnabled(on);
}

void SettingsDialog::BtnRen1Click(int row)
{
    EditFilterName[row]->setFocus();
}

void SettingsDialog::EditFilter1NameEnter(QLineEdit *field)
{
    setFieldFace(field, true);
}

void SettingsDialog::EditFilter1NameExit(QLineEdit *field)
{
    setFieldFace(field, false);
}

bool SettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    const bool focusMoved = (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        && static_cast<QFocusEvent *>(event)->reason() != Qt::ActiveWindowFocusReason
        && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason;
    // Only a move to another control counts, not a message box or menu coming up.
    if (focusMoved) {
        auto *field = qobject_cast<QLineEdit *>(watched);
        const bool in = event->type() == QEvent::FocusIn;
        if (std::find(EditFilterName.begin(), EditFilterName.end(), field) != EditFilterName.end()) {
            in ? EditFilter1NameEnter(field) : EditFilter1NameExit(field);
        } else if (!in && field) {
            EditFilterU1Exit(field);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsDialog::setFieldFace(QLineEdit *field, bool editable)
{
    QPalette p = field->palette();
    const QPalette &base = QApplication::palette();
    p.setColor(QPalette::Base, editable ? base.color(QPalette::Base) : base.color(QPalette::Button));
    field->setPalette(p);
}

void SettingsDialog::cbReverseColorClick()
{
    setPreview(previewText_, previewBack_);
}

void SettingsDialog::rbColor1Click(ColorPreset preset)
{
    if (cbReverseColor->isChecked())
        cbReverseColor->setChecked(false);
    switch (preset) {
    case ColorPreset::Windows: setPreview(ColorText::clWindow, ColorText::clWindowText); break;
    case ColorPreset::MsDos: setPreview(Colors::clBlack, Colors::clWhite); break;
    case ColorPreset::LcdGreen: setPreview(Colors::lcdGreen, Colors::clBlack); break;
    case ColorPreset::ToolTip: setPreview(Colors::clInfoBk, Colors::clInfoText); break;
    case ColorPreset::User: setPreview(panelBack_, panelFront_); break;
    }
}

void SettingsDialog::BitBtn3Click()
{
    const std::optional<QColor> chosen =
        host_.dialogs.chooseColor(this, SystemColors::toQColor(previewText_, QApplication::palette()));
    if (!chosen)
        return;
    panelFront_ = ColorText::fromRgb(chosen->rgb() & 0xFFFFFFu);
    setPanelColor(PanelFrontPreview, panelFront_);
    setPreview(previewBack_, panelFront_);
    LabelFrontColor->setText(ColorText::toText(panelFront_));
    rbColor0->setChecked(true);
}

void SettingsDialog::BitBtn4Click()
{
    const std::optional<QColor> chosen =
        host_.dialogs.chooseColor(this, SystemColors::toQColor(previewBack_, QApplication::palette()));
    if (!chosen)
        return;
    panelBack_ = ColorText::fromRgb(chosen->rgb() & 0xFFFFFFu);
    setPanelColor(PanelBackPreview, panelBack_);
    setPreview(panelBack_, previewText_);
    LabelBackColor->setText(ColorText::toText(panelBack_));
    rbColor0->setChecked(true);
}

void SettingsDialog::setPreview(std::uint32_t background, std::uint32_t text)
{
    previewBack_ = background;
    previewText_ = text;
    QPalette p = PanelColorPreview->palette();
    p.setColor(QPalette::Window, SystemColors::toQColor(background, QApplication::palette()));
    p.setColor(QPalette::WindowText, SystemColors::toQColor(text, QApplication::palette()));
    PanelColorPreview->setPalette(p);
}

void SettingsDialog::setPanelColor(QFrame *panel, std::uint32_t color)
{
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, SystemColors::toQColor(color, QApplication::palette()));
    panel->setPalette(p);
}
