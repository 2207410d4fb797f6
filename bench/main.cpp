// The benchmark runner: a QApplication on the offscreen platform around Google Benchmark,
// plus a child mode that measures the peak memory of one load in a fresh process.
#include "bench/BenchSupport.h"
#include "bench/PeakMemory.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QFont>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

int main(int argc, char **argv)
{
    // Figures are only comparable on one platform; offscreen needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orlimbo"));
    // The substitutes the program installs, so the view lays out the same glyphs.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});

    // The work files of the effects go to a folder of the run, never next to the executable.
    QTemporaryDir programDir;
    SetProgramFolderOverride(programDir.path());

    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], bench::kPeakMemoryOption, std::strlen(bench::kPeakMemoryOption)) == 0)
            return bench::runPeakMemoryChild(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SetProgramFolderOverride(QString());
    return 0;
}
