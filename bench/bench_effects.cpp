// The display effects: the raw byte filter, and the command in the window (work files,
// filter, decoding and showing the result).
#include "bench/BenchSupport.h"

#include "core/EffectList.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QTemporaryDir>

namespace bench {
namespace {

// A benchmark's name for an effect: its command's name without "Action".
QString nameOf(const Effect &effect)
{
    return QLatin1String(effect.command).mid(6);
}

// The usual text behind a short mail header, so that cutting the header leaves the body
// instead of nothing (the generated text has no empty line).
QByteArray effectText(qint64 size)
{
    const QByteArray header = "From: bench@example.jp\r\nSubject: bench\r\n\r\n";
    return header + cachedText(size - header.size());
}

void BM_EffectsTransform(benchmark::State &state, const Effect *effect, qint64 size)
{
    const QByteArray bytes = effectText(size);
    for (auto _ : state) {
        const QByteArray out = Effects::transform(effect->kind, bytes);
        if (out.isEmpty()) {
            state.SkipWithError("the filter gave nothing");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * size);
}

// Applying an effect through its command. Each round restores the original text
// untimed by triggering the command again, as the user would to switch it off.
void BM_Effect(benchmark::State &state, const Effect *effect, qint64 size)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("effect.txt")), effectText(size));
    Window window;
    if (!startWith(state, window, path, WrapMode::RightEdge))
        return;
    MainWindow &form = window.form();
    QAction *command = form.findChild<QAction *>(QLatin1String(effect->command));
    for (auto _ : state) {
        // Above 512 KiB the command asks first.
        window.dialogs().answers.push_back(Dialogs::Answer::Yes);
        const Stopwatch watch;
        command->trigger();
        settle();
        state.SetIterationTime(watch.seconds());
        window.dialogs().answers.clear();
        if (!command->isChecked()) {
            state.SkipWithError("the effect was not applied");
            break;
        }
        command->trigger();
        settle();
        if (command->isChecked()) {
            state.SkipWithError("the effect was not switched off");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * size);
}

const bool registered = [] {
    for (const Effect &effect : kEffects)
        for (qint64 size : {kMB, 10 * kMB})
            benchmark::RegisterBenchmark(
                QStringLiteral("Raw/EffectsTransform/%1/%2").arg(nameOf(effect), sizeName(size)).toStdString().c_str(),
                BM_EffectsTransform, &effect, size)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(3);
    for (const Effect &effect : kEffects)
        for (qint64 size : {kMB, 10 * kMB}) {
            auto *b = benchmark::RegisterBenchmark(
                          QStringLiteral("Effect/%1/%2").arg(nameOf(effect), sizeName(size)).toStdString().c_str(),
                          BM_Effect, &effect, size)
                          ->UseManualTime()
                          ->Unit(benchmark::kMillisecond);
            if (size <= kMB)
                b->Iterations(3)->Repetitions(3);
            else
                b->Iterations(1)->Repetitions(1);
        }
    return true;
}();

} // namespace
} // namespace bench
