#include "ui/SearchBar.h"

#include "resources/MainTexts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

SearchBar::SearchBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PanelSearch"));
    setFixedHeight(30);
    setAutoFillBackground(true);

    LabelSearchWord = new QLabel(MainTexts::kSearchLabel);
    LabelSearchWord->setObjectName(QStringLiteral("LabelSearchWord"));
    EditSearch = new QLineEdit;
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    LabelSearchWord->setBuddy(EditSearch);
    btnGoSearch = new QToolButton;
    btnGoSearch->setObjectName(QStringLiteral("btnGoSearch"));
    btnGoSearch->setAutoRaise(true);
    cbMatchCase = new QCheckBox(MainTexts::kMatchCase);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));
    BtnClosePanelSearch = new QToolButton;
    BtnClosePanelSearch->setObjectName(QStringLiteral("BtnClosePanelSearch"));
    BtnClosePanelSearch->setText(MainTexts::kCloseSearch);
    BtnClosePanelSearch->setToolTip(MainTexts::kCloseSearchHint);
    BtnClosePanelSearch->setAccessibleName(MainTexts::kCloseSearchHint);
    BtnClosePanelSearch->setAutoRaise(true);
    QFont bold = BtnClosePanelSearch->font();
    bold.setBold(true);
    BtnClosePanelSearch->setFont(bold);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->addWidget(LabelSearchWord);
    row->addWidget(EditSearch, 1);
    row->addWidget(btnGoSearch);
    row->addSpacing(8);
    row->addWidget(cbMatchCase);
    row->addStretch(0);
    row->addWidget(BtnClosePanelSearch);
    HighlightSearchBar(false);
}

void SearchBar::HighlightSearchBar(bool on)
{
    highlighted_ = on;
    QPalette p = palette();
    const QPalette standard = QWidget().palette();
    p.setColor(QPalette::Window, on ? standard.color(QPalette::ToolTipBase) : standard.color(QPalette::Button));
    setPalette(p);
    QPalette label = LabelSearchWord->palette();
    label.setColor(QPalette::WindowText, on ? QColor(Qt::blue) : standard.color(QPalette::WindowText));
    LabelSearchWord->setPalette(label);
}
