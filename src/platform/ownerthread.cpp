#include "platform/ownerthread.h"

#include "platform/handover.h"

#include <QCoreApplication>

#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

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

    void invoke(const std::function<void()>& work) { runInThreadOf(app_, work); }

    void stop() {
        if (!thread_.joinable())
            return;  // the exit handler is registered twice
        // Through the hand-over, whose lock orders the quit event's making and deleting for
        // ThreadSanitizer too.
        invoke([] { QCoreApplication::quit(); });
        thread_.join();
    }

private:
    void run() {
        int argc = 1;
        char name[] = "kelvo";
        char* argv[] = {name, nullptr};
        // Qt sets the process locale from the environment. The locale is the host's: left changed,
        // a host's own printf would write 2,5 where it wrote 2.5.
        const std::string hostLocale = std::setlocale(LC_ALL, nullptr);
        QCoreApplication app(argc, argv);
        std::setlocale(LC_ALL, hostLocale.c_str());
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
    bool exitHandlerRenewed = false;
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

// The teardown runs once, at whichever comes first.
std::function<void()> takeTeardown() {
    std::lock_guard<std::mutex> lock(owner().mutex);
    return std::exchange(owner().teardown, {});
}

void atProcessExit() {
    if (const std::function<void()> teardown = takeTeardown())
        runInOwner(teardown);
    if (owner().eventThread)
        owner().eventThread->stop();
}

// A host's application object is going away: its destructor calls this first, while Qt is still
// whole. Left for process exit, the library's objects would outlive it and could not be cleaned.
void beforeHostApplicationGoes() {
    if (const std::function<void()> teardown = takeTeardown())
        teardown();
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
            if (!o.eventThread)
                qAddPostRoutine(&beforeHostApplicationGoes);
        }
    }
    runInOwner(create);
}

void renewExitHandler() {
    std::lock_guard<std::mutex> lock(owner().mutex);
    if (!owner().exitHandlerRegistered || std::exchange(owner().exitHandlerRenewed, true))
        return;
    std::atexit(&atProcessExit);
}

}  // namespace kelvo::platform
