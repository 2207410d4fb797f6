// The view's line layout alone, without the window: code page 932 text (whose units never join
// into clusters, so it keeps the quick walks) and text with emoji and marks (measured and
// wrapped cluster by cluster).
#include "bench/BenchSupport.h"
#include "core/Cp932.h"
#include "ui/widgets/TextLayout.h"

#include <QFont>

#include <benchmark/benchmark.h>

namespace bench {
namespace {

QString emojiText(qsizetype characters)
{
    const QString line = QStringLiteral("家族👨‍👩‍👧で出かけた。café (e\u0301) 👍🏽 葛\U000E0100飾 ☺\uFE0E 吾輩は猫である。\n");
    QString text;
    text.reserve(characters + line.size());
    while (text.size() < characters)
        text += line;
    return text;
}

// Both layers from scratch: the hard lines and the wrap at 600 pixels.
void BM_Layout(benchmark::State &state, bool emoji)
{
    const QString text = emoji ? emojiText(5'000'000) : Cp932::decode(cachedText(10 * kMB));
    const auto widths = std::make_shared<CharWidths>(QFont(QStringLiteral("IPAGothic"), 10));
    TextLayout layout(text);
    layout.setWidths(widths);
    layout.lineStarts(true, 600); // the widths are learnt once, as for every later file
    for (auto _ : state) {
        layout.invalidate();
        benchmark::DoNotOptimize(layout.lineStarts(true, 600).size());
    }
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Layout/cp932/10MB", BM_Layout, false)->Unit(benchmark::kMillisecond)->Repetitions(5);
    benchmark::RegisterBenchmark("Layout/emoji/5M_units", BM_Layout, true)->Unit(benchmark::kMillisecond)->Repetitions(5);
    return true;
}();

} // namespace
} // namespace bench
