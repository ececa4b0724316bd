#pragma once

#include "robot/question.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>

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
    // Asks a question: puts it on the robot's board, runs send (false: the link is down, nothing
    // to wait for) and waits for its own answer within the bound. Nullopt when the link was down
    // or no answer came in time; that is logged once, naming caller.
    std::optional<Answer> ask(Robot& robot, const char* caller, const AnswerTag& expected,
                              const std::function<bool()>& send) const;

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
