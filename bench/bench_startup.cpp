// Start-up as the user waits for it: the main window built, shown and the last file of the
// previous run reopened. Measured in-process; the process launch itself (dynamic linking,
// QApplication, fonts) is left out, as the program has no hook that marks "shown".
#include "bench/BenchSupport.h"

#include "ui/widgets/TextView.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace bench {
namespace {

void BM_Startup(benchmark::State &state, qint64 size)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("last.txt")), cachedText(size));
    const QString settingsPath = dir.filePath(QStringLiteral("brennick/Skimlet.conf"));
    for (auto _ : state) {
        {
            // Closing the window saves its own state, so the stored one is written anew each time.
            QSettings settings(settingsPath, QSettings::IniFormat);
            settings.clear();
            settings.setValue(QStringLiteral("FileNameNow"), path);
            settings.setValue(QStringLiteral("AppliSetFlags"), QStringLiteral("111111C0001000S0"));
        }
        auto window = std::make_unique<Window>(settingsPath);
        const Stopwatch watch;
        const bool shown = window->start();
        state.SetIterationTime(watch.seconds());
        if (!shown || window->form().FileNameNow() != path || named<TextView>(window->form(), "RichEdit")->isEmpty()
            || window->form().session().status().text(StatusPanel::Lines).isEmpty()) {
            state.SkipWithError("the window did not come up with the last file");
            break;
        }
        window.reset();
    }
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Startup/reopen/1MB", BM_Startup, kMB)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3)
        ->Repetitions(3);
    return true;
}();

} // namespace
} // namespace bench
