#pragma once

#include "platform/QSettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace bench {

constexpr qint64 kKB = 1024;
constexpr qint64 kMB = 1024 * 1024;

// CP932 text of Japanese and ASCII lines of 10-120 characters with CR LF, the same for
// the same seed and size.
QByteArray generateText(qsizetype bytes, quint32 seed = 42);
// CP932 text with the whole character mix of users' files (second-level kanji, NEC and
// IBM characters, half-width katakana; bench/MixedText.h), the same the black box loads.
QByteArray generateMixedText(qsizetype bytes, quint32 seed = 42);
// generateText(bytes), or generateMixedText(bytes) when mixed, kept for the next call with
// the same size and kind, since repetitions of a case would otherwise build the same 100 MB
// again each time.
QByteArray cachedText(qsizetype bytes, bool mixed = false);

// Writes bytes to a file, creating its folder; aborts the run when that fails, since
// every figure after it would be meaningless.
QString writeFile(const QString &path, const QByteArray &bytes);

// "100KB", "1MB", "10MB", "100MB".
QString sizeName(qint64 bytes);

// The 100 MB cases run only with ORLIMBO_BENCH_HUGE=1, so a quick run stays quick.
bool hugeEnabled();

// Lets queued work (layout, painting of the offscreen backing store) finish, as it would
// before the user sees the result.
void settle();
// LoadDocument, and the events until a load that ran on past the window's wait has ended.
void loadDocument(MainWindow &form, const QString &path);

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"), or -1.
qint64 procStatusBytes(const char *field);

// The number in a status text such as "全12,345行"; -1 when there is none.
qint64 digitsIn(const QString &text);

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

// The main window as the tests build it: scripted dialogs, a recording shell and a settings
// file of its own, shown at the default 696 x 480.
class Window {
public:
    // An empty settings path gives a fresh settings file that does not exist yet.
    explicit Window(const QString &settingsPath = {});
    ~Window();
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;

    // Constructs and shows the window; true once it is exposed.
    bool start();
    MainWindow &form() { return *form_; }
    ScriptedDialogs &dialogs() { return dialogs_; }

private:
    QTemporaryDir configDir_;
    QSettingsStore store_;
    ScriptedDialogs dialogs_;
    RecordingShell shell_;
    std::unique_ptr<MainWindow> form_;
};

// Shows the window and loads a file with the given wrap mode.
// Reports a benchmark error and returns false when the view or the status stays empty.
bool loadInto(benchmark::State &state, MainWindow &form, const QString &path, WrapMode wrap);
// Starts the window and loads the file into it; reports a benchmark error and returns false
// when either fails.
bool startWith(benchmark::State &state, Window &window, const QString &path, WrapMode wrap);

// The window's object of type T with this name; the benchmarks reach the window as a user would.
template <class T>
T *named(MainWindow &form, const char *name)
{
    return form.findChild<T *>(QLatin1String(name));
}
// Sets the wrap mode through its command: none, or anything else as the window's edge.
void setWrap(MainWindow &form, WrapMode wrap);

} // namespace bench
