// Archives read as folders, in core: listing a large ZIP and stepping through members with one
// Archive::Reader, beside reading the same members as plain files.
#include "bench/BenchSupport.h"

#include "core/Archive.h"
#include "core/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

#include <cstdlib>

namespace bench {
namespace {

constexpr int kListedMembers = 10000;
constexpr int kWalkedMembers = 1000;
constexpr qsizetype kMemberSize = 20 * kKB;

QString memberName(int i) { return QStringLiteral("第%1章.txt").arg(i, 4, 10, QLatin1Char('0')); }

void writeArchive(const QString &path, int format, int filter, int members, qsizetype size)
{
    struct archive *a = archive_write_new();
    archive_write_set_format(a, format);
    archive_write_add_filter(a, filter);
    if (archive_write_open_filename(a, QFile::encodeName(path).constData()) != ARCHIVE_OK)
        std::abort();
    const QByteArray data = generateText(size);
    for (int i = 0; i < members; ++i) {
        struct archive_entry *e = archive_entry_new();
        archive_entry_copy_pathname(e, memberName(i).toUtf8().constData());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, data.size());
        archive_write_header(a, e);
        archive_write_data(a, data.constData(), size_t(data.size()));
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// The ZIP of many members, a ZIP and a tar.gz of the walked ones, and a folder of the same files.
const QString &made(const char *which)
{
    static const bool once = [] {
        QTemporaryDir &dir = workDir();
        writeArchive(dir.filePath("list.zip"), ARCHIVE_FORMAT_ZIP, ARCHIVE_FILTER_NONE, kListedMembers, 100);
        writeArchive(dir.filePath("walk.zip"), ARCHIVE_FORMAT_ZIP, ARCHIVE_FILTER_NONE, kWalkedMembers, kMemberSize);
        writeArchive(dir.filePath("walk.tar.gz"), ARCHIVE_FORMAT_TAR_PAX_RESTRICTED, ARCHIVE_FILTER_GZIP,
                     kWalkedMembers, kMemberSize);
        QDir(dir.path()).mkdir("folder");
        const QByteArray data = generateText(kMemberSize);
        for (int i = 0; i < kWalkedMembers; ++i) {
            QFile file(dir.filePath("folder/" + memberName(i)));
            if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
                std::abort();
        }
        return true;
    }();
    (void)once;
    static QHash<QByteArray, QString> paths;
    if (!paths.contains(which))
        paths.insert(which, workDir().filePath(QString::fromLatin1(which)));
    return paths[which];
}

void BM_ArchiveListZip(benchmark::State &state)
{
    const QString path = made("list.zip");
    for (auto _ : state) {
        const Archive::Listing listing = Archive::list(path);
        if (listing.entries.size() != kListedMembers)
            state.SkipWithError("listing incomplete");
    }
    state.SetItemsProcessed(state.iterations() * kListedMembers);
}
BENCHMARK(BM_ArchiveListZip)->Unit(benchmark::kMillisecond);

// One step is one member read whole, forward through the archive.
void BM_ArchiveStepForward(benchmark::State &state, const char *which)
{
    const QString path = made(which);
    auto reader = std::make_unique<Archive::Reader>(path);
    int next = 0;
    for (auto _ : state) {
        if (next == kWalkedMembers) {
            state.PauseTiming();
            reader = std::make_unique<Archive::Reader>(path);
            next = 0;
            state.ResumeTiming();
        }
        const Archive::Member member = reader->read(memberName(next++));
        if (member.bytes.size() != kMemberSize)
            state.SkipWithError("member not read");
    }
}
BENCHMARK_CAPTURE(BM_ArchiveStepForward, zip, "walk.zip")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ArchiveStepForward, tar_gz, "walk.tar.gz")->Unit(benchmark::kMicrosecond);

// A step back in a solid archive: the member before the last one read, not kept.
void BM_ArchiveStepBackSolid(benchmark::State &state)
{
    const QString path = made("walk.tar.gz");
    Archive::Reader reader(path);
    int at = kWalkedMembers / 2;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 10; ++i) // more than the reader keeps
            reader.read(memberName(at + i));
        state.ResumeTiming();
        if (reader.read(memberName(at - 1)).bytes.size() != kMemberSize)
            state.SkipWithError("member not read");
    }
}
BENCHMARK(BM_ArchiveStepBackSolid)->Unit(benchmark::kMillisecond);

void BM_FolderStepForward(benchmark::State &state)
{
    const QString folder = made("folder");
    int next = 0;
    for (auto _ : state) {
        const RegularFile::Read read = RegularFile::readAll(QFile::encodeName(folder + '/' + memberName(next)));
        next = (next + 1) % kWalkedMembers;
        if (!read.bytes || read.bytes->size() != kMemberSize)
            state.SkipWithError("file not read");
    }
}
BENCHMARK(BM_FolderStepForward)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace bench
