// A followed file that grows while it is shown: the time from one appended line to the window
// having taken and painted it, and what that costs the window's thread, against reading the
// whole file again (what a grown file cost before it grew in place).
#include "bench/BenchSupport.h"

#include "core/Cp932.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>

namespace bench {
namespace {

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Each iteration appends one line and waits, handling the window's events as it would, until
// the view holds it and has painted; the iteration's time runs from the write.
void BM_FollowAppend(benchmark::State &state, qint64 size)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("grows.log")), cachedText(size));
    Window window;
    if (!startWith(state, window, path, WrapMode::RightEdge))
        return;
    MainWindow &form = window.form();
    named<QAction>(form, "ActionFollowTail")->setChecked(true);
    auto *view = named<TextView>(form, "RichEdit");
    view->showPlace(view->store().size(), view->store().size(), true);
    settle();
    QFile file(path);
    if (!file.open(QIODevice::Append)) {
        state.SkipWithError("the file could not be appended to");
        return;
    }
    const QByteArray line = Cp932::encode(QStringLiteral("追記された一行、ログの末尾に書き足された文章です。\r\n"));
    double windowCpu = 0, slowest = 0;
    for (auto _ : state) {
        const qint64 before = view->store().size();
        const Stopwatch watch;
        const double cpuFrom = threadCpuSeconds();
        file.write(line);
        file.flush();
        while (view->store().size() == before) {
            if (watch.seconds() > 5) {
                state.SkipWithError("the appended line was not shown");
                return;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        settle();
        const double cpu = threadCpuSeconds() - cpuFrom;
        windowCpu += cpu;
        slowest = std::max(slowest, cpu);
        state.SetIterationTime(watch.seconds());
    }
    if (view->caretPosition() != view->store().size())
        state.SkipWithError("the view did not stay at the end");
    state.counters["window_cpu_ms"] =
        benchmark::Counter(windowCpu * 1000, benchmark::Counter::kAvgIterations);
    state.counters["slowest_window_cpu_ms"] = slowest * 1000;
    state.counters["lazy"] = view->store().isLazy() ? 1 : 0;
    // The same file read again whole, in the same run: what each growth cost before.
    const Stopwatch reload;
    loadDocument(form, path);
    settle();
    state.counters["reload_ms"] = reload.seconds() * 1000;
}

const bool registered = [] {
    std::vector<qint64> sizes{kMB, 100 * kMB};
    if (hugeEnabled())
        sizes.push_back(1024 * kMB);
    for (const qint64 size : sizes) {
        benchmark::RegisterBenchmark(("Follow/AppendOneLine/" + sizeName(size)).toStdString().c_str(), BM_FollowAppend,
                                     size)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20)
            ->Repetitions(3);
    }
    return true;
}();

} // namespace
} // namespace bench
