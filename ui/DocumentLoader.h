#pragma once

#include "core/Archive.h"
#include "core/Document.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

// Reads documents on a thread of its own, so that a large file never holds up the window. A
// load that ends within the given wait is handed back at once, as if read on the spot;
// otherwise `ended` receives it later, on the window's thread.
class DocumentLoader : public QObject {
    Q_OBJECT
public:
    // How every load, listing and member read it runs is made; the defaults are the program's.
    struct Options {
        // Files smaller than this are read on the spot: a thread would only add its start-up
        // to every step through a folder. Tests set 0 to have every load run on a thread.
        qint64 readOnTheSpotBelow = qint64(4) << 20;
        // What each load is given besides its own cancel, progress and watch: when a file is
        // read as shown, and what tests slow a load through.
        Document::LoadControl load;
        // What tests stand for a slow archive through (see Archive::Control).
        std::function<void(qint64 done)> archiveStep;
        // How many bytes are free in the folder a member too large to hold twice is unpacked
        // in; unset, what its file system says. Tests stand for a full disk through it.
        std::function<qint64(const QString &folder)> freeSpace;
    };

    explicit DocumentLoader(Options options, QObject *parent = nullptr);
    explicit DocumentLoader(QObject *parent = nullptr) : DocumentLoader(Options{}, parent) {}
    ~DocumentLoader() override;

    const Options &options() const { return options_; }

    // What is done to a loaded document before it is handed back, on the thread that read
    // it (the book it is shown as, say).
    using Prepare = std::function<void(Document &)>;

    // Starts a load, cancelling one still running. Returns its result when it ends within
    // `wait`; otherwise nothing, and `ended` follows.
    // `watchLarge` is asked, here, for a watch of the text of a file read as shown; the load
    // begins meanwhile.
    std::optional<Document::Loaded> load(const QString &path, std::optional<EncodingDetect::Encoding> chosen,
                                         std::chrono::milliseconds wait,
                                         const std::function<TextStore::IndexWatch()> &watchLarge = {},
                                         const Prepare &prepare = {});
    // Starts reading a file that a load will soon ask for, while the window is still being
    // made: the next load of the same path in the same encoding takes it over, anything else
    // the loader is asked drops it unseen. Only a regular file that is read whole is read ahead.
    void readAhead(const QString &path, std::optional<EncodingDetect::Encoding> chosen, Prepare prepare);
    // Drops a read ahead that no load took over.
    void dropReadAhead();
    // Reads an archive's listing, to be kept by ArchiveFolder, as a load runs: what it hands
    // back or `ended` receives carries the listing's status in `archiveStatus`, and
    // Failure::Cancelled when it was cancelled; no document.
    std::optional<Document::Loaded> listArchive(const QString &archivePath, std::chrono::milliseconds wait);
    // Reads a member of an archive whole, for a copy of its bytes, as a load runs: what it
    // hands back or `ended` receives carries the read's status in `archiveStatus`, and
    // Failure::Cancelled when it was cancelled; no document. `into` holds the member once the
    // read has ended uncancelled; a cancelled read may still be writing to it.
    std::optional<Document::Loaded> readMember(const QString &path, std::shared_ptr<Archive::Member> into,
                                               std::chrono::milliseconds wait);
    // Whether a load, listing or read runs that was asked for (a read ahead was not yet).
    bool running() const;
    // Stops the running load; `ended` receives it as cancelled at once.
    void cancel();
    // Waits for the running load, listing or read to end and hands its result back here
    // (`ended` is not told); nothing when none runs.
    std::optional<Document::Loaded> finish();

    std::function<void(Document::Loaded)> ended;

signals:
    // The share of the running load read so far, 0 to 100.
    void progressed(int percent);

private:
    struct Task;
    using Work = std::function<Document::Loaded(const Document::LoadControl &control)>;
    // `whenStarted` runs here once the work has begun on its thread (or before it runs here).
    std::optional<Document::Loaded> run(Work work, std::chrono::milliseconds wait,
                                        const std::function<void()> &whenStarted = {});
    // Starts the work on a thread as the running task; false where the system gives none.
    bool start(Work work, const std::function<void()> &whenStarted = {});
    // Waits up to `wait` for the running task; its result once it has ended.
    std::optional<Document::Loaded> waitFor(std::chrono::milliseconds wait);
    void deliver(const std::shared_ptr<Task> &task);
    void joinWorker();

    // The archive reads of a running task, with its cancel.
    Archive::Control archiveControl(const Document::LoadControl &running) const;
    // A member of an archive, read whole through the reader kept for its archive: into memory,
    // or, given an `unpackFolder`, into an unlinked file there that is then read as a file on
    // the disk is, its text seen by the running load's watch. `size` is what its header
    // claims: the room it needs, and what the share unpacked is counted against.
    Document::Loaded loadMember(const QString &path, std::optional<EncodingDetect::Encoding> chosen,
                                const Document::LoadControl &running, const QString &unpackFolder,
                                qint64 size) const;

    Options options_;
    std::shared_ptr<Task> task_;
    std::thread worker_;
    // Workers of cancelled loads, left to end at their next piece; a cancel never waits.
    std::vector<std::pair<std::thread, std::shared_ptr<Task>>> stopping_;
};
