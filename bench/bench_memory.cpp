// Peak memory of one load, per byte of file. VmHWM is a high-water mark for the whole
// process, so every measurement runs in a fresh child process of this executable.
#include "bench/BenchSupport.h"
#include "bench/PeakMemory.h"

#include "ui/widgets/TextView.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <sys/prctl.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace bench {

int runPeakMemoryChild(int argc, char **argv)
{
    // When the parent is killed by a time limit, the child must not linger with gigabytes.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    QString path;
    WrapMode wrap = WrapMode::RightEdge;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kPeakMemoryOption, std::strlen(kPeakMemoryOption)) == 0)
            path = QString::fromLocal8Bit(argv[i] + std::strlen(kPeakMemoryOption));
        else if (std::strncmp(argv[i], kPeakWrapOption, std::strlen(kPeakWrapOption)) == 0)
            wrap = WrapMode(argv[i][std::strlen(kPeakWrapOption)]);
    }
    const qint64 fileSize = QFile(path).size();
    Window window;
    if (path.isEmpty() || fileSize <= 0 || !window.start()) {
        std::fprintf(stderr, "peak memory: no file or no window\n");
        return 2;
    }
    MainWindow &form = window.form();
    setWrap(form, wrap);
    const qint64 before = procStatusBytes("VmRSS");
    // Writing 5 resets VmHWM to the current RSS, leaving start-up peaks out.
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    const Stopwatch watch;
    loadDocument(form, path);
    settle();
    const double seconds = watch.seconds();
    const qint64 peak = procStatusBytes("VmHWM");
    if (named<TextView>(form, "RichEdit")->isEmpty() || form.session().status().text(StatusPanel::Lines).isEmpty()) {
        std::fprintf(stderr, "peak memory: the view stayed empty\n");
        return 3;
    }
    std::printf("rss_before=%lld peak=%lld file=%lld seconds=%.6f\n", static_cast<long long>(before),
                static_cast<long long>(peak), static_cast<long long>(fileSize), seconds);
    std::fflush(stdout);
    return 0;
}

namespace {

void BM_PeakMemory(benchmark::State &state, qint64 size, WrapMode wrap, bool mixed)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("peak.txt")),
                                   mixed ? generateMixedText(size) : generateText(size));
    double bytesPerByte = 0, peakMB = 0, beforeMB = 0;
    for (auto _ : state) {
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({QString::fromLatin1(kPeakMemoryOption) + path, QString::fromLatin1(kPeakWrapOption) + QLatin1Char(char(wrap))});
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        if (!child.waitForStarted() || !child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit
            || child.exitCode() != 0) {
            state.SkipWithError("the child process failed");
            break;
        }
        const QString out = QString::fromLatin1(child.readAllStandardOutput());
        const QRegularExpressionMatch m = QRegularExpression(
            QStringLiteral("rss_before=(\\d+) peak=(\\d+) file=(\\d+) seconds=([0-9.]+)")).match(out);
        if (!m.hasMatch()) {
            state.SkipWithError("the child process printed no figures");
            break;
        }
        const double before = m.captured(1).toDouble();
        const double peak = m.captured(2).toDouble();
        const double file = m.captured(3).toDouble();
        bytesPerByte = (peak - before) / file;
        peakMB = peak / double(kMB);
        beforeMB = before / double(kMB);
        // The load time in the child: a cold-process figure next to the in-process ones.
        state.SetIterationTime(m.captured(4).toDouble());
    }
    state.counters["bytes_per_byte"] = bytesPerByte;
    state.counters["peak_rss_MB"] = peakMB;
    state.counters["rss_before_MB"] = beforeMB;
}

const bool registered = [] {
    std::vector<qint64> sizes{10 * kMB};
    if (hugeEnabled())
        sizes.push_back(100 * kMB);
    for (qint64 size : sizes)
        for (WrapMode wrap : {WrapMode::None, WrapMode::RightEdge}) {
            const QString name = QStringLiteral("PeakMemory/%1/%2")
                                     .arg(sizeName(size), wrap == WrapMode::None ? "wrap_off" : "wrap_on");
            benchmark::RegisterBenchmark(name.toStdString().c_str(), BM_PeakMemory, size, wrap, false)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    for (qint64 size : sizes)
        benchmark::RegisterBenchmark(QStringLiteral("PeakMemory/%1_mixed/wrap_on").arg(sizeName(size)).toStdString().c_str(),
                                     BM_PeakMemory, size, WrapMode::RightEdge, true)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace bench
