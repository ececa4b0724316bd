#include "loghandler.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <condition_variable>
#include <cstring>
#include <mutex>

namespace kelvo::api {

namespace {

struct Route {
    KelvoLogHandler handler = nullptr;
    void* user = nullptr;
    int minLevel = KELVO_LOG_DEBUG;
    QtMessageHandler previous = nullptr;
    bool installed = false;
};

// Readers log from any thread and call the handler outside the lock; a change waits until no
// handler call is running, so that once kelvo_set_log_handler returns the old handler is not
// called again. A change from inside a handler cannot wait for itself, nor for other threads'
// calls (they may be waiting for it): it takes effect for the next line.
struct Router {
    std::mutex mutex;
    std::condition_variable idle;
    Route route;
    int running = 0;
};

Router& router() {
    static Router r;
    return r;
}

// A handler that logs through Qt again is passed on, not called into itself.
thread_local bool inHandler = false;

int levelOf(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return KELVO_LOG_DEBUG;
        case QtInfoMsg:
            return KELVO_LOG_INFO;
        case QtWarningMsg:
            return KELVO_LOG_WARNING;
        case QtCriticalMsg:
        case QtFatalMsg:
            return KELVO_LOG_ERROR;
    }
    return KELVO_LOG_ERROR;
}

bool ours(const char* category) {
    return category && std::strncmp(category, "kelvo.", 6) == 0;
}

void routeMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    Router& r = router();
    std::unique_lock<std::mutex> lock(r.mutex);
    const Route route = r.route;
    if (!route.handler || !ours(context.category) || inHandler) {
        lock.unlock();
        if (route.previous)
            route.previous(type, context, text);
        return;
    }
    if (levelOf(type) < route.minLevel)
        return;
    ++r.running;
    lock.unlock();
    const QByteArray utf8 = text.toUtf8();
    inHandler = true;
    try {
        route.handler(levelOf(type), context.category, utf8.constData(), route.user);
    } catch (...) {
        // A host's exception must not leave the count of running calls behind.
    }
    inHandler = false;
    lock.lock();
    if (--r.running == 0)
        r.idle.notify_all();
}

}  // namespace

bool inLogHandler() {
    return inHandler;
}

void setLogHandler(KelvoLogHandler handler, void* user, int minLevel) {
    Router& r = router();
    std::unique_lock<std::mutex> lock(r.mutex);
    Route& route = r.route;
    route.handler = handler;
    route.user = user;
    route.minLevel = minLevel;
    if (handler && !route.installed) {
        route.previous = qInstallMessageHandler(routeMessage);
        route.installed = true;
    } else if (!handler && route.installed) {
        qInstallMessageHandler(route.previous);
        route.installed = false;
    }
    if (!inHandler)
        r.idle.wait(lock, [&r] { return r.running == 0; });
}

}  // namespace kelvo::api
