#pragma once

#include <QString>

#include <atomic>
#include <functional>

class Robot;

namespace kelvo::api {

// The library's one controller session: the Robot every export acts on, bound by the first
// connect_robot and kept until the process exits, and the bound on query waits.
class ApiSession {
public:
    static ApiSession& instance();

    // Binds the Robot for ip and waits for the link; only the first call does anything.
    bool connect(const QString& ip);
    // Null before connect_robot, and again once the process has started to exit.
    Robot* robot() const { return robot_; }

    // 0 waits without limit; negative values are ignored.
    void setReplyTimeout(int ms);
    // With the request mutex held, runs send (false: the link is down, nothing to wait for) and
    // waits for the next answering report within the bound. True when a report ended the wait; an
    // unanswered query is logged once, naming caller, and the cache stands as it is.
    bool awaitReply(Robot& robot, const char* caller, const std::function<bool()>& send) const;

private:
    ApiSession() = default;
    Robot* createInOwnerThread(const QString& ip);
    bool pollConnected(Robot& robot) const;
    void teardown();

    std::atomic<bool> connectCalled_{false};
    std::atomic<Robot*> robot_{nullptr};
    std::atomic<int> replyTimeoutMs_{3000};
};

}  // namespace kelvo::api
