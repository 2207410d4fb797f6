#include "ui/DocumentLoader.h"

#include "core/ArchiveFolder.h"
#include "core/PathForm.h"
#include "core/RegularFile.h"
#include "platform/ProgramFolder.h"

#include <QStorageInfo>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <future>
#include <mutex>
#include <system_error>

struct DocumentLoader::Task {
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    Document::Loaded result;
    // A read ahead no load has taken over yet: the path and encoding it reads in.
    std::optional<std::pair<QString, std::optional<EncodingDetect::Encoding>>> ahead;
};

namespace {

// How reading a member ended, on a load's terms, with no document.
Document::Loaded readEnded(const Archive::Member &member, Document::Failure failure)
{
    Document::Loaded read;
    read.failure = member.status == Archive::Status::Cancelled ? Document::Failure::Cancelled : failure;
    read.error = member.error;
    read.archiveStatus = member.status;
    read.brokenAt = member.brokenAt;
    read.memberSize = member.entry.size;
    return read;
}

// A loaded document with `prepare` done to it. Should that run out of memory, the document is
// handed back as it was read; the window's thread tries again and says so.
Document::Loaded prepared(Document::Loaded loaded, const DocumentLoader::Prepare &prepare)
{
    if (loaded.document && prepare) {
        try {
            prepare(*loaded.document);
            loaded.prepared = true;
        } catch (const std::bad_alloc &) {
        }
    }
    return loaded;
}

} // namespace

DocumentLoader::DocumentLoader(Options options, QObject *parent) : QObject(parent), options_(std::move(options)) {}

Archive::Control DocumentLoader::archiveControl(const Document::LoadControl &running) const
{
    return {running.cancel, options_.archiveStep};
}

Document::Loaded DocumentLoader::loadMember(const QString &path, std::optional<EncodingDetect::Encoding> chosen,
                                            const Document::LoadControl &running, const QString &unpackFolder,
                                            qint64 size) const
{
    Archive::Control control = archiveControl(running);
    RegularFile::Handle file;
    Document::Loaded refused;
    refused.failure = Document::Failure::Unreadable;
    refused.archiveStatus = Archive::Status::Unwritable;
    refused.unpackFolder = unpackFolder;
    refused.unpackNeeded = size;
    const auto freeThere = [&] {
        return options_.freeSpace ? options_.freeSpace(unpackFolder) : QStorageInfo(unpackFolder).bytesAvailable();
    };
    if (!unpackFolder.isEmpty()) {
        if (const qint64 free = freeThere(); free >= 0 && free < size) {
            refused.error = ENOSPC;
            refused.unpackFree = free;
            return refused;
        }
        file = RegularFile::createUnlinked(PathForm::toNative(unpackFolder));
        if (!file.isOpen()) {
            refused.error = file.error();
            return refused;
        }
        control.file = file.fd();
        // Unpacking is the first half of the load, indexing the file the second.
        control.step = [&, percent = -1](qint64 done) mutable {
            const int now = int(std::min(done, size) * 50 / std::max<qint64>(size, 1));
            if (running.progress && now != percent)
                running.progress(percent = now);
            if (options_.archiveStep)
                options_.archiveStep(done);
        };
    }
    const Archive::Member member = ArchiveFolder::read(path, control);
    if (member.status == Archive::Status::Unwritable) {
        refused.error = member.error;
        file = RegularFile::Handle(); // what it took is free again
        refused.unpackFree = freeThere();
        return refused;
    }
    if (member.status != Archive::Status::Ok && member.status != Archive::Status::Damaged)
        return readEnded(member, Document::Failure::Unreadable);
    Document::Loaded loaded;
    if (member.inFile) {
        Document::LoadControl reading = running;
        if (running.progress)
            reading.progress = [&running](int percent) { running.progress(50 + percent / 2); };
        loaded = Document::load(path, std::move(file), chosen, reading);
    } else {
        // Held in memory, or kept from an earlier read.
        loaded = Document::fromBytes(path, member.bytes, chosen);
        loaded.error = member.error;
    }
    loaded.archiveStatus = member.status;
    loaded.brokenAt = member.brokenAt;
    return loaded;
}

DocumentLoader::~DocumentLoader()
{
    if (task_)
        task_->cancel = true;
    joinWorker();
    for (auto &[thread, task] : stopping_)
        thread.join();
}

void DocumentLoader::joinWorker()
{
    if (worker_.joinable())
        worker_.join();
}

std::optional<Document::Loaded> DocumentLoader::load(const QString &path,
                                                     std::optional<EncodingDetect::Encoding> chosen,
                                                     std::chrono::milliseconds wait,
                                                     const std::function<TextStore::IndexWatch()> &watchLarge,
                                                     const Prepare &prepare)
{
    if (task_ && task_->ahead && task_->ahead->first == path && task_->ahead->second == chosen) {
        task_->ahead.reset();
        return waitFor(wait);
    }
    if (task_)
        cancel();
    // A file that is no regular one, or not there, is refused at once by the load itself.
    const std::optional<RegularFile::Identity> file = RegularFile::identityAt(PathForm::toNative(path));
    // A member is unpacked, which may take long whatever its size: always off this thread.
    const std::optional<Archive::Entry> member = file ? std::nullopt : ArchiveFolder::member(path);
    // A member too large to hold twice is unpacked into a file and read as one; one past the
    // limit is refused on its header alone.
    const qint64 memberSize = member ? member->size : -1;
    const bool unpackToFile = memberSize >= options_.load.readAsShownFrom && memberSize <= Archive::kMaxUnpackedSize;
    const QString unpackFolder = unpackToFile ? WorkFolder() : QString();
    const bool large = (file ? file->size : memberSize) >= options_.load.readAsShownFrom && watchLarge;
    if (!member && (!file || file->size < options_.readOnTheSpotBelow)) {
        Document::LoadControl control = options_.load;
        if (large)
            control.watch = watchLarge();
        return prepared(Document::load(path, chosen, control), prepare);
    }
    // The watch is made here, where the font may be asked, while the thread already recognises
    // the encoding and reads the first piece; the text waits for it before it is measured.
    auto watch = std::make_shared<std::promise<TextStore::IndexWatch>>();
    std::shared_future<TextStore::IndexWatch> made = watch->get_future().share();
    TextStore::IndexWatch forward;
    if (large) {
        forward.piece = [made](size_t run, QStringView piece, qint64 at) {
            if (const TextStore::IndexWatch &w = made.get(); w.piece)
                w.piece(run, piece, at);
        };
        forward.done = [made](std::vector<qint64> runStarts, qint64 size) {
            if (const TextStore::IndexWatch &w = made.get(); w.done)
                w.done(std::move(runStarts), size);
        };
    }
    return run(
        [this, path, chosen, member = member.has_value(), unpackFolder, memberSize, forward,
         prepare](const Document::LoadControl &running) {
            Document::LoadControl watched = running;
            watched.watch = forward;
            return prepared(member ? loadMember(path, chosen, watched, unpackFolder, memberSize)
                                   : Document::load(path, chosen, watched),
                            prepare);
        },
        wait, [&] {
            TextStore::IndexWatch made;
            try {
                if (large)
                    made = watchLarge();
            } catch (...) {
                watch->set_value({}); // the text is read on, unmeasured
                throw;
            }
            watch->set_value(std::move(made));
        });
}

void DocumentLoader::readAhead(const QString &path, std::optional<EncodingDetect::Encoding> chosen, Prepare prepare)
{
    if (task_)
        return;
    const std::optional<RegularFile::Identity> file = RegularFile::identityAt(PathForm::toNative(path));
    if (!file || file->size >= options_.load.readAsShownFrom)
        return;
    const bool started = start([path, chosen, prepare = std::move(prepare)](const Document::LoadControl &control) {
        return prepared(Document::load(path, chosen, control), prepare);
    });
    if (started)
        task_->ahead.emplace(path, chosen);
}

void DocumentLoader::dropReadAhead()
{
    if (task_ && task_->ahead)
        cancel();
}

bool DocumentLoader::running() const
{
    return task_ && !task_->ahead;
}

std::optional<Document::Loaded> DocumentLoader::listArchive(const QString &archivePath, std::chrono::milliseconds wait)
{
    if (task_)
        cancel();
    return run(
        [this, archivePath](const Document::LoadControl &control) {
            Document::Loaded listed;
            listed.archiveStatus = ArchiveFolder::listing(archivePath, archiveControl(control))->status;
            if (listed.archiveStatus == Archive::Status::Cancelled)
                listed.failure = Document::Failure::Cancelled;
            return listed;
        },
        wait);
}

std::optional<Document::Loaded> DocumentLoader::readMember(const QString &path, std::shared_ptr<Archive::Member> into,
                                                           std::chrono::milliseconds wait)
{
    if (task_)
        cancel();
    return run(
        [this, path, into](const Document::LoadControl &control) {
            *into = ArchiveFolder::read(path, archiveControl(control));
            // Part of a member is no copy of it: a damaged one is refused whole.
            return readEnded(*into, into->status == Archive::Status::Ok ? Document::Failure::None
                                                                         : Document::Failure::Unreadable);
        },
        wait);
}

std::optional<Document::Loaded> DocumentLoader::run(Work work, std::chrono::milliseconds wait,
                                                    const std::function<void()> &whenStarted)
{
    // Where the system gives no further thread, the work is done here, slower but whole.
    if (!start(work, whenStarted))
        return work(options_.load);
    return waitFor(wait);
}

bool DocumentLoader::start(Work work, const std::function<void()> &whenStarted)
{
    std::erase_if(stopping_, [](std::pair<std::thread, std::shared_ptr<Task>> &stopping) {
        const std::lock_guard lock(stopping.second->mutex);
        if (!stopping.second->done)
            return false;
        stopping.first.join();
        return true;
    });
    auto task = std::make_shared<Task>();
    const auto spawn = [&](auto &&job) {
        try {
            worker_ = std::thread(std::forward<decltype(job)>(job));
            return true;
        } catch (const std::system_error &) {
            return false;
        }
    };
    const bool started = spawn([this, task, work] {
        Document::LoadControl control = options_.load;
        control.cancel = &task->cancel;
        control.progress = [this, task](int percent) {
            QMetaObject::invokeMethod(
                this, [this, task, percent] {
                    if (task == task_ && !task->ahead)
                        emit progressed(percent);
                },
                Qt::QueuedConnection);
        };
        Document::Loaded result = work(control);
        {
            const std::lock_guard lock(task->mutex);
            task->result = std::move(result);
            task->done = true;
        }
        task->doneChanged.notify_all();
        // Dropped unread if the loader is gone by then; it waits for this thread before it goes.
        QMetaObject::invokeMethod(this, [this, task] { deliver(task); }, Qt::QueuedConnection);
    });
    if (whenStarted) {
        try {
            whenStarted();
        } catch (...) {
            if (started) {
                task->cancel = true;
                stopping_.emplace_back(std::move(worker_), task);
            }
            throw;
        }
    }
    if (!started)
        return false;
    task_ = task;
    return true;
}

std::optional<Document::Loaded> DocumentLoader::waitFor(std::chrono::milliseconds wait)
{
    const std::shared_ptr<Task> task = task_;
    std::unique_lock lock(task->mutex);
    const auto done = [&] { return task->done; };
    // An unbounded wait is no deadline: one that far ahead would overflow the clock.
    if (wait == std::chrono::milliseconds::max())
        task->doneChanged.wait(lock, done);
    else if (!task->doneChanged.wait_for(lock, wait, done))
        return std::nullopt;
    lock.unlock();
    task_.reset();
    joinWorker();
    return std::move(task->result);
}

std::optional<Document::Loaded> DocumentLoader::finish()
{
    if (!running())
        return std::nullopt;
    return waitFor(std::chrono::milliseconds::max());
}

void DocumentLoader::deliver(const std::shared_ptr<Task> &task)
{
    if (task != task_ || task->ahead)
        return; // handed back already, cancelled, or read ahead and kept until a load takes it
    task_.reset();
    joinWorker();
    if (ended)
        ended(std::move(task->result));
}

void DocumentLoader::cancel()
{
    if (!task_)
        return;
    const bool ahead = task_->ahead.has_value();
    task_->cancel = true;
    stopping_.emplace_back(std::move(worker_), std::exchange(task_, nullptr));
    if (ahead)
        return; // nothing waits for a read ahead
    Document::Loaded cancelled;
    cancelled.failure = Document::Failure::Cancelled;
    if (ended)
        ended(std::move(cancelled));
}
