// The reading-place store as the program meets it: read once at the first load of a run, with
// 2,000 records of long paths; and one place taken as the reader walks away from a file.
#include "bench/BenchSupport.h"

#include "core/Cp932.h"
#include "core/PositionStore.h"

#include <QDateTime>
#include <QTemporaryDir>

namespace bench {
namespace {

void fill(PositionStore &store, int count)
{
    for (int i = 0; i < count; ++i) {
        PositionStore::Record record;
        record.size = 2'000'000 + i;
        record.modifiedNs = 1'700'000'000'000'000'000 + i;
        record.top = {1'000'000 + i, 20'000 + i};
        record.caret = {1'000'400 + i, 20'010 + i};
        record.caretMoved = i % 2 == 0;
        record.visitedMs = QDateTime::currentMSecsSinceEpoch() - i;
        record.tail = QByteArray(PositionStore::kTailBytes, char('a' + i % 26));
        store.remember("/home/reader/\x96\x7B\x95\xB6/novels/volume-" + QByteArray::number(i) + ".txt", record);
    }
}

void BM_ReadStore(benchmark::State &state)
{
    QTemporaryDir dir;
    {
        PositionStore store(dir.path());
        fill(store, PositionStore::kMaxRecords);
        if (!store.write())
            return state.SkipWithError("the store was not written");
    }
    for (auto _ : state) {
        PositionStore store(dir.path());
        store.read();
        if (store.size() != PositionStore::kMaxRecords)
            return state.SkipWithError("the store did not read back whole");
        benchmark::DoNotOptimize(store);
    }
}

void BM_WriteStore(benchmark::State &state)
{
    QTemporaryDir dir;
    PositionStore store(dir.path());
    fill(store, PositionStore::kMaxRecords);
    for (auto _ : state) {
        fill(store, 1);
        if (!store.write())
            return state.SkipWithError("the store was not written");
    }
}

// A place near the end of a large text taken as the reader walks away, and found again when
// the file is shown: both walk the text before it once.
void BM_PlaceInText(benchmark::State &state, qint64 size)
{
    const QString text = Cp932::decode(cachedText(size));
    const qint64 position = text.size() - 100;
    const qint64 total = DocumentEncoding::byteLength(text, DocumentEncoding::ByteForm::Cp932);
    const TextPlace place = TextPlaces::placeOf(text, DocumentEncoding::ByteForm::Cp932, position);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextPlaces::placeOf(text, DocumentEncoding::ByteForm::Cp932, position, total));
        if (TextPlaces::positionOf(text, DocumentEncoding::ByteForm::Cp932, place, total) != position)
            return state.SkipWithError("the place did not lead back");
    }
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Positions/place/2MB", BM_PlaceInText, 2 * kMB)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Positions/place/100MB", BM_PlaceInText, 100 * kMB)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Positions/read/2000", BM_ReadStore)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Positions/write/2000", BM_WriteStore)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace bench
