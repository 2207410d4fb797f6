#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class QEvent;

// While the first lines of a large file are shown and the rest of it is read, the reader may
// move through those lines, walk on to another file and stop the read. Anything else (a
// command, typing, a click elsewhere) first waits for the whole text, so that no command ever
// works on part of it. Watches the whole program while it is on.
class FirstLinesGate : public QObject {
public:
    // `free`: the widgets (and what they hold) that clicks may reach without waiting.
    FirstLinesGate(std::vector<QPointer<QWidget>> free, std::function<void()> waitForWhole, QObject *parent);
    void setOn(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isFree(QObject *watched) const;

    std::vector<QPointer<QWidget>> free_;
    std::function<void()> waitForWhole_;
    bool on_ = false;
};
