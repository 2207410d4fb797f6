#pragma once

#include "core/FolderSearch.h"

#include <QObject>

#include <memory>
#include <thread>
#include <utility>
#include <vector>

class QTimer;

// Runs a search through the files of the list on a thread of its own, so that the window keeps
// answering while a large folder is searched. Its end comes back on the window's thread.
class FolderSearchRunner : public QObject {
    Q_OBJECT
public:
    explicit FolderSearchRunner(QObject *parent = nullptr);
    ~FolderSearchRunner() override;

    // Starts a search, dropping one still running.
    void start(FolderSearch::Request request);
    // Stops the running search; nothing of it is delivered.
    void cancel();
    bool running() const { return task_ != nullptr; }

signals:
    // How far the running search got; only once it has run longer than a glance, then
    // every tenth of a second.
    void progressed(qsizetype done, qsizetype total);
    void ended(const FolderSearch::Result &result);

private:
    struct Task;
    void showProgress();
    void deliver(const std::shared_ptr<Task> &task);
    void reap(bool all);

    std::shared_ptr<Task> task_;
    QTimer *progressTimer_;
    // Threads of searches dropped, each left to end at its next file; a cancel never waits.
    std::vector<std::pair<std::thread, std::shared_ptr<Task>>> threads_;
};
