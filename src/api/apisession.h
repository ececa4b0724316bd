#pragma once

#include "session.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>

namespace kelvo::api {

// The library's sessions: the default one, bound by the first connect_robot and kept until the
// process exits, and those of kelvo_open, each until kelvo_close. Whatever is still open when the
// process exits is closed then, before Qt goes.
class ApiSession {
public:
    static ApiSession& instance();

    // Binds the default session for ip and waits for the link; only the first call does anything.
    bool connect(const QString& ip);
    // Null before connect_robot, and again once the process has started to exit.
    KelvoSession* session() const { return default_; }

    // The flat reply timeout, also before connect_robot.
    void setDefaultReplyTimeout(int ms);

    KelvoSession* open(const QString& ip, quint16 port, int timeoutMs, int* error);
    void close(KelvoSession* session);
    // Takes session off the open ones, for a caller that destroys it itself; false when it was
    // not open (not ours, or another close has it).
    bool release(KelvoSession* session);
    // Whether session was made by open() and is not closed yet.
    bool isOpen(KelvoSession* session);

private:
    ApiSession() = default;
    // Runs work in the owner thread, making sure first that Qt can run the library's objects and
    // that whatever is open at exit is closed.
    static void runInOwnerThread(const std::function<void()>& work);
    bool pollConnected(KelvoSession& session) const;
    void teardown();

    std::atomic<bool> connectCalled_{false};
    std::atomic<KelvoSession*> default_{nullptr};
    std::atomic<int> defaultReplyTimeoutMs_{3000};
    std::mutex openMutex_;
    std::set<KelvoSession*> open_;
};

}  // namespace kelvo::api
