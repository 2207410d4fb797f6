// Notes in the first status panel that last until the next key press.
#include "ui/MainWindow.h"

#include <QApplication>
#include <QEvent>

#include <functional>
#include <utility>

namespace {

// Runs its callback at the next key pressed anywhere in the program, once, and then goes.
// A key bound to a command arrives as a shortcut override and never as a key press.
class NextKeyWatch : public QObject {
public:
    NextKeyWatch(QObject *owner, std::function<void()> callback) : QObject(owner), callback_(std::move(callback))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) && callback_) {
            qApp->removeEventFilter(this);
            const std::function<void()> callback = std::exchange(callback_, nullptr);
            deleteLater();
            callback();
        }
        return false;
    }

private:
    std::function<void()> callback_;
};

} // namespace

void MainWindow::noteUntilNextKey(const QString &text)
{
    // What the panel said before comes back, unless something else has written it meanwhile.
    const QString before = statusText(StatusPanel::Date);
    setStatus(StatusPanel::Date, text);
    new NextKeyWatch(this, [this, before, text] {
        if (statusText(StatusPanel::Date) == text)
            setStatus(StatusPanel::Date, before);
    });
}
