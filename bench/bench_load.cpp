// Loading a file into the window, against the raw limits of reading and decoding it.
#include "bench/BenchSupport.h"

#include "core/Cp932.h"
#include "core/StatusTexts.h"
#include "platform/FileSystem.h"
#include "ui/widgets/TextView.h"

#include <QTemporaryDir>

#include <vector>

namespace bench {
namespace {

std::vector<qint64> sizes(std::initializer_list<qint64> always, bool withHuge)
{
    std::vector<qint64> out(always);
    if (withHuge)
        out.push_back(100 * kMB);
    return out;
}

void BM_ReadWholeFile(benchmark::State &state, qint64 size)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("read.txt")), cachedText(size));
    for (auto _ : state) {
        FileSystem::ReadResult read = FileSystem::readWholeFile(path);
        if (!read.bytes || read.bytes->size() != size) {
            state.SkipWithError("the file did not read back whole");
            break;
        }
        benchmark::DoNotOptimize(read.bytes->data());
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void BM_DecodeCp932(benchmark::State &state, qint64 size)
{
    const QByteArray bytes = cachedText(size);
    for (auto _ : state)
        benchmark::DoNotOptimize(Cp932::decode(bytes));
    state.SetBytesProcessed(state.iterations() * size);
}

// LoadDocument (which ends in RefreshViewState and so counts the displayed lines for the line-count panel)
// and the queued painting of the first screen.
void BM_Load(benchmark::State &state, qint64 size, WrapMode wrap, bool mixed)
{
    QTemporaryDir dir;
    const QByteArray bytes = cachedText(size, mixed);
    const QString path = writeFile(dir.filePath(QStringLiteral("load.txt")), bytes);
    // The status must count the file's lines: exactly without wrapping, at least as many with it.
    const qint64 logicalLines = StatusTexts::logicalLineCount(Cp932::decode(bytes));
    Window window;
    if (!window.start()) {
        state.SkipWithError("the window was not shown");
        return;
    }
    MainWindow &form = window.form();
    for (auto _ : state) {
        // Every load starts from an empty view, so dropping the last text is not timed.
        named<TextView>(form, "RichEdit")->setText(QString());
        settle();
        setWrap(form, wrap);
        const Stopwatch watch;
        loadDocument(form, path);
        settle();
        state.SetIterationTime(watch.seconds());
        if (named<TextView>(form, "RichEdit")->isEmpty() || form.session().status().text(StatusPanel::Lines).isEmpty() || form.FileNameNow() != path) {
            state.SkipWithError("the view or the status bar stayed empty after the load");
            break;
        }
        const qint64 shown = digitsIn(form.session().status().text(StatusPanel::Lines));
        if (wrap == WrapMode::None ? shown != logicalLines : shown < logicalLines) {
            state.SkipWithError("the status bar shows a wrong line count");
            break;
        }
    }
    state.counters["lines"] = double(digitsIn(form.session().status().text(StatusPanel::Lines)));
    state.SetBytesProcessed(state.iterations() * size);
}

const bool registered = [] {
    const bool huge = hugeEnabled();
    for (qint64 size : sizes({10 * kMB}, true)) {
        benchmark::RegisterBenchmark(("Raw/ReadWholeFile/" + sizeName(size)).toStdString().c_str(),
                                     BM_ReadWholeFile, size)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(3);
    }
    for (qint64 size : sizes({100 * kKB, kMB, 10 * kMB}, true)) {
        benchmark::RegisterBenchmark(("Raw/DecodeCp932/" + sizeName(size)).toStdString().c_str(), BM_DecodeCp932,
                                     size)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(3);
    }
    for (qint64 size : sizes({100 * kKB, kMB, 10 * kMB}, huge)) {
        for (WrapMode wrap : {WrapMode::None, WrapMode::RightEdge}) {
            const QString name = QStringLiteral("Load/%1/%2")
                                     .arg(sizeName(size), wrap == WrapMode::None ? "wrap_off" : "wrap_on");
            auto *b = benchmark::RegisterBenchmark(name.toStdString().c_str(), BM_Load, size, wrap, false)
                          ->UseManualTime()
                          ->Unit(benchmark::kMillisecond);
            // Every size repeats for a median; from 10 MB a single load is one sample, since
            // a slow view may take many seconds for it.
            if (size <= kMB)
                b->Repetitions(5);
            else
                b->Iterations(1)->Repetitions(3);
        }
    }
    // The whole character mix of users' files, wrapped as by default.
    for (qint64 size : sizes({10 * kMB}, huge)) {
        const QString name = QStringLiteral("Load/%1_mixed/wrap_on").arg(sizeName(size));
        benchmark::RegisterBenchmark(name.toStdString().c_str(), BM_Load, size, WrapMode::RightEdge, true)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(3);
    }
    return true;
}();

} // namespace
} // namespace bench
