// Aozora Bunko notation read into the shown book, against decoding the same bytes alone: the
// effect's share of showing a 2 MB novel.
#include "bench/BenchSupport.h"

#include "core/Aozora.h"
#include "core/Cp932.h"
#include "core/Document.h"
#include "ui/widgets/TextView.h"

#include <QScrollBar>

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

// The text shown in a view of 1000 x 800 with wrap on, from the decoded text to the first paint:
// as a book (arg 1, recognised and read into the book first) and as it stands (arg 0).
void BM_AozoraShow(benchmark::State &state)
{
    const QString text = Cp932::decode(novel());
    DocumentModel model;
    TextView view;
    view.setModel(&model);
    view.resize(1000, 800);
    view.show();
    settle();
    for (auto _ : state) {
        auto document = std::make_shared<Document>(text);
        if (state.range(0) == 1 && Aozora::isAozoraText(document->text()))
            document->showAsBook(true);
        model.setDocument(document);
        view.viewport()->repaint();
    }
}
BENCHMARK(BM_AozoraShow)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// One page of the book painted after a page down, readings and all, in a window of 1000 x 800:
// the time a frame of scrolling takes (one frame at 60 Hz is 16.7 ms). The arg: 1 as a book,
// 0 the same text plain.
void BM_AozoraPaintPage(benchmark::State &state)
{
    auto document = std::make_shared<Document>(Cp932::decode(novel()));
    if (state.range(0) == 1)
        document->showAsBook(true);
    DocumentModel model;
    TextView view;
    view.resize(1000, 800);
    view.setModel(&model);
    model.setDocument(document);
    view.show();
    settle();
    QScrollBar *bar = view.verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep() < bar->maximum() ? bar->value() + bar->pageStep() : 0);
        view.viewport()->repaint();
    }
    state.counters["lines"] = double(bar->maximum());
}
BENCHMARK(BM_AozoraPaintPage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace bench
