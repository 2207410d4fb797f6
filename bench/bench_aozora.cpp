// Aozora Bunko notation read into the shown book, against decoding the same bytes alone: the
// effect's share of showing a 2 MB novel.
#include "bench/BenchSupport.h"

#include "core/Aozora.h"
#include "core/Cp932.h"

#include <archive.h>
#include <archive_entry.h>

namespace bench {
namespace {

constexpr qsizetype kNovelBytes = 2 * 1024 * kKB;

// The works kept for the benchmarks, repeated to 2 MB of CP932, as one text with its own
// explanation at the top and bibliography at the end.
const QByteArray &novel()
{
    static const QByteArray bytes = [] {
        QByteArray utf8;
        archive *a = archive_read_new();
        archive_read_support_filter_all(a);
        archive_read_support_format_raw(a);
        archive_entry *entry = nullptr;
        if (archive_read_open_filename(a, ORLIMBO_BENCH_DATA "/aozora.txt.xz", 1 << 16) == ARCHIVE_OK
            && archive_read_next_header(a, &entry) == ARCHIVE_OK) {
            char block[1 << 16];
            for (la_ssize_t n; (n = archive_read_data(a, block, sizeof block)) > 0;)
                utf8.append(block, n);
        }
        archive_read_free(a);
        const QString works = QString::fromUtf8(utf8).remove(u'\f');
        QByteArray out;
        while (out.size() < kNovelBytes)
            out += Cp932::encode(works);
        return out;
    }();
    return bytes;
}

void BM_AozoraDecodeOnly(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Cp932::decode(novel()));
    state.SetBytesProcessed(state.iterations() * novel().size());
}
BENCHMARK(BM_AozoraDecodeOnly)->Unit(benchmark::kMillisecond);

void BM_AozoraDecodeAndParse(benchmark::State &state)
{
    for (auto _ : state) {
        const QString text = Cp932::decode(novel());
        if (!Aozora::isAozoraText(text))
            state.SkipWithError("not recognised");
        benchmark::DoNotOptimize(Aozora::parse(text));
    }
    state.SetBytesProcessed(state.iterations() * novel().size());
}
BENCHMARK(BM_AozoraDecodeAndParse)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace bench
