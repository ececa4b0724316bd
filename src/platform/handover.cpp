#include "platform/handover.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>

namespace kelvo::platform {

namespace {

struct Handover {
    const std::function<void()>* work = nullptr;
    std::exception_ptr error;
    bool done = false;
};

// Hand-overs waiting to run, per target thread, in the order their events were posted: a
// thread's posted events run in that order.
struct Pending {
    std::mutex mutex;
    std::condition_variable done;
    std::map<QThread*, std::deque<Handover*>> byThread;
};

Pending& pending() {
    static Pending* const instance = new Pending;  // outlives every thread that may hand over
    return *instance;
}

// In the target thread, for each event posted by runInThreadOf: what the caller wrote comes
// through the mutex, none of it with the event.
void runNext() {
    Pending& p = pending();
    Handover* handover = nullptr;
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        auto queue = p.byThread.find(QThread::currentThread());
        handover = queue->second.front();
        queue->second.pop_front();
        if (queue->second.empty())
            p.byThread.erase(queue);
    }
    try {
        (*handover->work)();
    } catch (...) {
        handover->error = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        handover->done = true;
    }
    p.done.notify_all();
}

}  // namespace

void runInThreadOf(QObject* target, const std::function<void()>& work) {
    if (target->thread() == QThread::currentThread()) {
        work();
        return;
    }
    Handover handover;
    handover.work = &work;
    Pending& p = pending();
    std::unique_lock<std::mutex> lock(p.mutex);
    p.byThread[target->thread()].push_back(&handover);
    // Posted under the lock: the target's first step takes it, so it comes after all of this. The
    // posted functor is empty, so nothing of it is read before that step.
    QMetaObject::invokeMethod(
        target, [] { runNext(); }, Qt::QueuedConnection);
    p.done.wait(lock, [&handover] { return handover.done; });
    lock.unlock();
    if (handover.error)
        std::rethrow_exception(handover.error);
}

}  // namespace kelvo::platform
