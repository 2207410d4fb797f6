#include "core/Cp932.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

// CP932 text of Japanese and ASCII lines of 10-120 characters with CR LF, from a fixed seed.
QByteArray generateText(qsizetype bytes)
{
    static const QString japanese = QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。～①ソ表");
    QRandomGenerator random(42);
    QString text;
    QByteArray out;
    while (out.size() < bytes) {
        const int length = 10 + int(random.bounded(111));
        QString line;
        const bool ascii = random.bounded(2) == 0;
        for (int i = 0; i < length; ++i)
            line += ascii ? QChar(u'a' + random.bounded(26)) : japanese[random.bounded(japanese.size())];
        out += Cp932::encode(line + QLatin1Char('\n'));
    }
    out.truncate(bytes);
    return out;
}

void BM_DecodeCp932(benchmark::State &state)
{
    const QByteArray bytes = generateText(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(Cp932::decode(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeCp932)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
