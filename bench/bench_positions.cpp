// The reading-place store as the program meets it: read once at the first load of a run, with
// 2,000 records of long paths; and one place taken as the reader walks away from a file.
#include "bench/BenchSupport.h"

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

const bool registered = [] {
    benchmark::RegisterBenchmark("Positions/read/2000", BM_ReadStore)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Positions/write/2000", BM_WriteStore)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace bench
