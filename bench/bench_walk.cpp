// Walking a folder with the cursor keys in the file list: each Down shows the next file.
#include "bench/BenchSupport.h"

#include "ui/FileSelectionBox.h"
#include "ui/widgets/FileListBox.h"
#include "ui/widgets/TextView.h"

#include <QTemporaryDir>
#include <QTest>

namespace bench {
namespace {

constexpr int kWalkFiles = 1000;
constexpr qint64 kWalkFileSize = 20 * kKB;

// One folder for the process: building it anew for each repetition would dominate the run.
const QString &walkFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        for (int i = 0; i < kWalkFiles; ++i)
            writeFile(dir.filePath(QStringLiteral("walk%1.txt").arg(i, 4, 10, QLatin1Char('0'))),
                      generateText(kWalkFileSize, 1000 + i));
        return true;
    }();
    (void)made;
    static const QString path = dir.path();
    return path;
}

bool statusFilled(MainWindow &form)
{
    // Panel 1 (read-only) and 2 (debug) are empty by design for these files.
    return !form.session().status().text(StatusPanel::Date).isEmpty() && !form.session().status().text(StatusPanel::Size).isEmpty() && !form.session().status().text(StatusPanel::Lines).isEmpty();
}

// The window over the walk folder with the file list listing it and holding the focus.
FileListBox *openWalkFolder(benchmark::State &state, Window &window)
{
    const QString folder = walkFolder();
    if (!window.start()) {
        state.SkipWithError("the window was not shown");
        return nullptr;
    }
    MainWindow &form = window.form();
    named<FileSelectionBox>(form, "PanelDirBars")->openFolder(folder);
    FileListBox *list = named<FileListBox>(form, "FileListBox1");
    list->setFocus();
    settle();
    if (list->count() != kWalkFiles) {
        state.SkipWithError("the file list does not hold the walk folder");
        return nullptr;
    }
    return list;
}

// One Down key in the file list until the next file and its status are shown.
bool step(MainWindow &form, FileListBox *list)
{
    const QString before = form.FileNameNow();
    QTest::keyClick(list, Qt::Key_Down);
    settle();
    return form.FileNameNow() != before && !named<TextView>(form, "RichEdit")->isEmpty() && statusFilled(form);
}

void BM_WalkStep(benchmark::State &state)
{
    Window window;
    FileListBox *list = openWalkFolder(state, window);
    if (!list)
        return;
    MainWindow &form = window.form();
    for (auto _ : state) {
        if (list->currentRow() == list->count() - 1) {
            // At the end of the list the walk starts over from the top, not timed.
            QTest::keyClick(list, Qt::Key_Home);
            settle();
        }
        const Stopwatch watch;
        const bool moved = step(form, list);
        state.SetIterationTime(watch.seconds());
        if (!moved) {
            state.SkipWithError("a Down key did not show the next file");
            break;
        }
    }
}

void BM_WalkFolder(benchmark::State &state)
{
    Window window;
    FileListBox *list = openWalkFolder(state, window);
    if (!list)
        return;
    MainWindow &form = window.form();
    const QString last = list->directory() + list->item(kWalkFiles - 1)->text();
    for (auto _ : state) {
        // A re-read list has nothing selected: the first Down shows the first file.
        list->reread();
        settle();
        const Stopwatch watch;
        bool moved = true;
        for (int i = 0; i < kWalkFiles && moved; ++i)
            moved = step(form, list);
        state.SetIterationTime(watch.seconds());
        if (!moved || form.FileNameNow() != last) {
            state.SkipWithError("the walk did not reach the last file");
            break;
        }
    }
    state.counters["files"] = kWalkFiles;
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Walk/step/20KB", BM_WalkStep)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0)
        ->Repetitions(5);
    benchmark::RegisterBenchmark("Walk/1000files/20KB", BM_WalkFolder)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3);
    return true;
}();

} // namespace
} // namespace bench
