#include "loghandler.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstring>
#include <mutex>
#include <shared_mutex>

namespace kelvo::api {

namespace {

struct Route {
    KelvoLogHandler handler = nullptr;
    void* user = nullptr;
    int minLevel = KELVO_LOG_DEBUG;
    QtMessageHandler previous = nullptr;
    bool installed = false;
};

// Readers log from any thread; a change waits until no handler call is running, so that once
// kelvo_set_log_handler returns the old handler is not called again.
std::shared_mutex& routeMutex() {
    static std::shared_mutex mutex;
    return mutex;
}

Route& route() {
    static Route r;
    return r;
}

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
    // A handler that logs through Qt again is passed on, not called into itself.
    thread_local bool inHandler = false;
    std::shared_lock<std::shared_mutex> lock(routeMutex());
    const Route& r = route();
    if (!r.handler || !ours(context.category) || inHandler) {
        if (r.previous)
            r.previous(type, context, text);
        return;
    }
    if (levelOf(type) < r.minLevel)
        return;
    const QByteArray utf8 = text.toUtf8();
    inHandler = true;
    r.handler(levelOf(type), context.category, utf8.constData(), r.user);
    inHandler = false;
}

}  // namespace

void setLogHandler(KelvoLogHandler handler, void* user, int minLevel) {
    std::unique_lock<std::shared_mutex> lock(routeMutex());
    Route& r = route();
    r.handler = handler;
    r.user = user;
    r.minLevel = minLevel;
    if (handler && !r.installed) {
        r.previous = qInstallMessageHandler(routeMessage);
        r.installed = true;
    } else if (!handler && r.installed) {
        qInstallMessageHandler(r.previous);
        r.installed = false;
    }
}

}  // namespace kelvo::api
