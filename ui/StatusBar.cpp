#include "ui/StatusBar.h"

#include "ui/widgets/ElidingLabel.h"

#include <QEvent>

#include <algorithm>

namespace {

// The designed widths: floors, since the desktop's Japanese faces set dates wider than the
// designed face did, and a panel grows rather than cut its text while there is room.
constexpr std::array<int, StatusBar::kPanels> kDesignedWidths = {115, 55, 50, 160, 75, 130, 50};
constexpr int kSpacing = 2;

// Which panel gives way first when the window is too narrow for all of them.
constexpr std::array<StatusPanel, StatusBar::kPanels> kGiveWayOrder = {
    StatusPanel::FileKind, StatusPanel::ReadOnly, StatusPanel::Encoding, StatusPanel::Size,
    StatusPanel::Lines,    StatusPanel::Position, StatusPanel::Date};

bool alignedRight(StatusPanel panel)
{
    return panel == StatusPanel::Size || panel == StatusPanel::Lines || panel == StatusPanel::Position;
}

} // namespace

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent), row_(new QWidget)
{
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);
    for (int i = 0; i < kPanels; ++i) {
        const auto panel = StatusPanel(i);
        auto *label = new ElidingLabel(panel == StatusPanel::Size ? Qt::ElideMiddle : Qt::ElideRight, row_);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment((alignedRight(panel) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        panels_[i] = label;
        shown_[i] = panel != StatusPanel::FileKind; // the file kind shows only in debug mode
    }
    row_->setObjectName(QStringLiteral("StatusPanels"));
    row_->setMinimumHeight(panels_[0]->sizeHint().height());
    row_->installEventFilter(this);
    addWidget(row_, 1);
}

void StatusBar::setText(StatusPanel panel, const QString &text)
{
    ElidingLabel *label = panels_[int(panel)];
    if (label->text() == text)
        return;
    label->setWholeText(text);
    arrange();
}

QString StatusBar::text(StatusPanel panel) const
{
    return panels_[int(panel)]->text();
}

void StatusBar::setPanelShown(StatusPanel panel, bool shown)
{
    shown_[int(panel)] = shown;
    arrange();
}

bool StatusBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == row_ && event->type() == QEvent::Resize)
        arrange();
    return QStatusBar::eventFilter(watched, event);
}

void StatusBar::arrange()
{
    std::array<int, kPanels> width{};
    std::array<int, kPanels> least{};
    int total = -kSpacing;
    for (int i = 0; i < kPanels; ++i) {
        if (!shown_[i])
            continue;
        width[i] = std::max(kDesignedWidths[i], panels_[i]->fullWidth());
        least[i] = std::min(width[i], panels_[i]->leastWidth());
        total += width[i] + kSpacing;
    }
    for (StatusPanel panel : kGiveWayOrder) {
        const int over = total - row_->width();
        if (over <= 0)
            break;
        const int cut = std::min(over, width[int(panel)] - least[int(panel)]);
        width[int(panel)] -= cut;
        total -= cut;
    }
    int x = 0;
    for (int i = 0; i < kPanels; ++i) {
        panels_[i]->setVisible(shown_[i]);
        if (!shown_[i])
            continue;
        panels_[i]->setGeometry(x, 0, width[i], row_->height());
        x += width[i] + kSpacing;
    }
}
