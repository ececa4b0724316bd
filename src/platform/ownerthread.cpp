#include "platform/ownerthread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace kelvo::platform {

namespace {

// The library's own event thread, for hosts without a Qt application object.
class EventThread {
public:
    void start() {
        thread_ = std::thread([this] { run(); });
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return app_ != nullptr; });
    }

    void invoke(const std::function<void()>& work) {
        QMetaObject::invokeMethod(app_, work, Qt::BlockingQueuedConnection);
    }

    void stop() {
        QMetaObject::invokeMethod(app_, &QCoreApplication::quit, Qt::QueuedConnection);
        thread_.join();
    }

private:
    void run() {
        int argc = 1;
        char name[] = "kelvo";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            app_ = &app;
        }
        ready_.notify_one();
        app.exec();
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ready_;
    QCoreApplication* app_ = nullptr;
};

struct Owner {
    std::mutex mutex;
    EventThread* eventThread = nullptr;  // deliberately leaked: it must outlive static destruction
    std::function<void()> teardown;
    bool exitHandlerRegistered = false;
};

Owner& owner() {
    static Owner* instance = new Owner;
    return *instance;
}

void runInOwner(const std::function<void()>& work) {
    if (owner().eventThread) {
        owner().eventThread->invoke(work);
    } else {
        work();
    }
}

void atProcessExit() {
    Owner& o = owner();
    std::function<void()> teardown;
    {
        std::lock_guard<std::mutex> lock(o.mutex);
        teardown = std::move(o.teardown);
    }
    if (teardown)
        runInOwner(teardown);
    if (o.eventThread)
        o.eventThread->stop();
}

}  // namespace

void runInOwnerThread(const std::function<void()>& create, std::function<void()> teardown) {
    Owner& o = owner();
    {
        std::lock_guard<std::mutex> lock(o.mutex);
        if (!o.eventThread && !QCoreApplication::instance()) {
            o.eventThread = new EventThread;
            o.eventThread->start();
        }
        if (!o.exitHandlerRegistered) {
            o.exitHandlerRegistered = true;
            o.teardown = std::move(teardown);
            std::atexit(&atProcessExit);
        }
    }
    runInOwner(create);
}

bool ownsEventThread() {
    return owner().eventThread != nullptr;
}

}  // namespace kelvo::platform
