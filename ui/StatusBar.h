#pragma once

#include "core/StatusTexts.h"

#include <QStatusBar>

#include <array>

class ElidingLabel;
class QWidget;

// The window's status bar: seven panels side by side. Each panel is at least its designed
// width and grows to show its whole text; when the window is too narrow for all of them the
// panels give way one after another (the file kind, read-only mark, encoding, size and line
// count first, the position and the date last), each shortened with "…" rather than cut or
// drawn over its neighbour. The size is shortened in the middle so that both numbers' ends stay.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPanels = kStatusPanels;

    explicit StatusBar(QWidget *parent = nullptr);

    void setText(StatusPanel panel, const QString &text);
    QString text(StatusPanel panel) const;
    // Whether the panel takes room at all (the file-kind panel shows only in debug mode).
    void setPanelShown(StatusPanel panel, bool shown);

private:
    void arrange();
    bool eventFilter(QObject *watched, QEvent *event) override;

    QWidget *row_;
    std::array<ElidingLabel *, kPanels> panels_{};
    std::array<bool, kPanels> shown_{};
};
