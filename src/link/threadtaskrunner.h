#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace kelvo {

// Runs functions handed over from any thread in the thread it lives in, in the order given.
// The functions pass through a standard mutex and the wake-up event carries no data, so the
// ordering is visible to ThreadSanitizer, which cannot see into Qt's event queue.
class ThreadTaskRunner : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Queues the task and returns at once. The runner's thread must run an event loop.
    void post(std::function<void()> task);
    // Runs the task at once in the runner's own thread; from any other thread, queues it and waits
    // until it has run.
    void runAndWait(std::function<void()> task);

private:
    Q_INVOKABLE void runPending();

    std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace kelvo
