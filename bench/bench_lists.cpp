// Filling the folder and file lists of the file-selection box from disk.
#include "bench/BenchSupport.h"

#include "core/FileFilter.h"
#include "platform/FolderListing.h"
#include "ui/FileSelectionBox.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/FileListBox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace bench {
namespace {

constexpr int kListedFiles = 10000;
constexpr int kSubfolders = 1000;

// Empty files are enough: listing reads names, never contents. Every fourth name has a
// type the usual masks leave out, so the filter has something to do.
const QString &fileFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        const char *types[] = {".txt", ".log", ".csv", ".dat"};
        for (int i = 0; i < kListedFiles; ++i) {
            QFile file(dir.filePath(QStringLiteral("File%1%2").arg(i, 5, 10, QLatin1Char('0')).arg(QLatin1String(types[i % 4]))));
            if (!file.open(QIODevice::WriteOnly))
                std::abort();
        }
        return true;
    }();
    (void)made;
    static const QString path = dir.path();
    return path;
}

const QString &subfolderFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        for (int i = 0; i < kSubfolders; ++i)
            if (!QDir(dir.path()).mkdir(QStringLiteral("Folder%1").arg(i, 4, 10, QLatin1Char('0'))))
                std::abort();
        return true;
    }();
    (void)made;
    static const QString path = dir.path();
    return path;
}

void BM_ListFolder(benchmark::State &state, NameOrder order)
{
    const QString folder = fileFolder();
    const QString mask = QStringLiteral("*.txt;*.log;*.csv;");
    qsizetype listed = 0;
    for (auto _ : state) {
        listed = listFolder(folder, mask, order).size();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["listed"] = double(listed);
}

// The window's own file list, with the mask start-up gave it, painted after the change.
void BM_FileListBox(benchmark::State &state)
{
    const QString folder = fileFolder();
    Window window;
    if (!window.start()) {
        state.SkipWithError("the window was not shown");
        return;
    }
    FileListBox *list = named<FileListBox>(window.form(), "FileListBox1");
    for (auto _ : state) {
        const Stopwatch watch;
        list->setDirectory(folder);
        settle();
        state.SetIterationTime(watch.seconds());
        if (list->count() == 0) {
            state.SkipWithError("the file list stayed empty");
            break;
        }
    }
    state.counters["listed"] = list->count();
}

void BM_DirectoryListBox(benchmark::State &state)
{
    const QString folder = subfolderFolder();
    Window window;
    if (!window.start()) {
        state.SkipWithError("the window was not shown");
        return;
    }
    DirectoryListBox *list = named<DirectoryListBox>(window.form(), "DirectoryListBox1");
    for (auto _ : state) {
        const Stopwatch watch;
        list->setDirectory(folder);
        settle();
        state.SetIterationTime(watch.seconds());
        if (list->count() < kSubfolders) {
            state.SkipWithError("the folder list misses subfolders");
            break;
        }
    }
    state.counters["listed"] = list->count();
}

const bool registered = [] {
    benchmark::RegisterBenchmark("List/listFolder/10000files", BM_ListFolder, NameOrder::Plain)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    benchmark::RegisterBenchmark("List/listFolder/10000files/natural", BM_ListFolder, NameOrder::Natural)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    benchmark::RegisterBenchmark("List/FileListBox/10000files", BM_FileListBox)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    benchmark::RegisterBenchmark("List/DirectoryListBox/1000folders", BM_DirectoryListBox)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    return true;
}();

} // namespace
} // namespace bench
