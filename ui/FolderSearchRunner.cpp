#include "ui/FolderSearchRunner.h"

#include <QTimer>

#include <atomic>
#include <system_error>

namespace {
// Searches that end within this show no progress at all.
constexpr int kProgressAfterMs = 300;
constexpr int kProgressEveryMs = 100;
} // namespace

struct FolderSearchRunner::Task {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    std::atomic<qsizetype> searched{0};
    std::atomic<qsizetype> total{0};
    FolderSearch::Result result;
};

FolderSearchRunner::FolderSearchRunner(QObject *parent) : QObject(parent), progressTimer_(new QTimer(this))
{
    connect(progressTimer_, &QTimer::timeout, this, &FolderSearchRunner::showProgress);
}

FolderSearchRunner::~FolderSearchRunner()
{
    if (task_)
        task_->cancel = true;
    reap(true);
}

void FolderSearchRunner::reap(bool all)
{
    std::erase_if(threads_, [all](std::pair<std::thread, std::shared_ptr<Task>> &entry) {
        if (!all && !entry.second->done)
            return false;
        if (entry.first.joinable())
            entry.first.join();
        return true;
    });
}

void FolderSearchRunner::start(FolderSearch::Request request)
{
    cancel();
    reap(false);
    auto task = std::make_shared<Task>();
    const auto work = [this, task, request = std::move(request)] {
        FolderSearch::Control control;
        control.cancel = &task->cancel;
        control.progress = [task](qsizetype done, qsizetype total) {
            task->searched = done;
            task->total = total;
        };
        task->result = FolderSearch::search(request, control);
        task->done = true;
        // Dropped unread when the runner is gone by then; it joins this thread before it goes.
        QMetaObject::invokeMethod(this, [this, task] { deliver(task); }, Qt::QueuedConnection);
    };
    task_ = task;
    try {
        threads_.emplace_back(std::thread(work), task);
    } catch (const std::system_error &) {
        // Where the system gives no further thread, the search runs here, the window waiting.
        work();
        return;
    }
    progressTimer_->start(kProgressAfterMs);
}

void FolderSearchRunner::showProgress()
{
    if (!task_)
        return;
    progressTimer_->setInterval(kProgressEveryMs);
    emit progressed(task_->searched, task_->total);
}

void FolderSearchRunner::deliver(const std::shared_ptr<Task> &task)
{
    if (task != task_)
        return; // cancelled, or replaced by a newer search
    task_.reset();
    progressTimer_->stop();
    reap(false);
    emit ended(task->result);
}

void FolderSearchRunner::cancel()
{
    if (!task_)
        return;
    task_->cancel = true;
    task_.reset();
    progressTimer_->stop();
}
