#include "link/threadtaskrunner.h"

#include <QMetaObject>
#include <QThread>

namespace kelvo {

void ThreadTaskRunner::post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection);
}

void ThreadTaskRunner::runAndWait(std::function<void()> task) {
    if (QThread::currentThread() == thread()) {
        task();
        return;
    }
    bool finished = false;
    post([&] {
        task();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished = true;
        }
        finished_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return finished; });
}

void ThreadTaskRunner::runPending() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (tasks_.empty()) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

}  // namespace kelvo
