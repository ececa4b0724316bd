#include "apisession.h"

#include "apilog.h"
#include "platform/ownerthread.h"
#include "robot/robot.h"
#include "robot/sleepwithevents.h"
#include "transfer/tcpupdownfile.h"

#include <QDeadlineTimer>

#include <chrono>
#include <thread>

namespace kelvo::api {

namespace {

constexpr int kConnectPolls = 5;
constexpr int kConnectPollIntervalMs = 1000;

// Waits while the Robot's queued reports (the link state among them) are delivered: by the
// library's own event thread, or else by processing this thread's events.
void pauseForReports(int ms) {
    if (platform::ownsEventThread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    } else {
        sleepWithEvents(ms);
    }
}

}  // namespace

ApiSession& ApiSession::instance() {
    static ApiSession* const session = new ApiSession;  // lives until the process is gone
    return *session;
}

bool ApiSession::connect(const QString& ip) {
    if (connectCalled_.exchange(true))
        return false;
    Robot* const robot = createInOwnerThread(ip);
    robot_ = robot;
    const bool connected = pollConnected(*robot);
    if (!connected)
        robot->robot_DisconnectToC();
    return connected;
}

Robot* ApiSession::createInOwnerThread(const QString& ip) {
    Robot* robot = nullptr;
    platform::runInOwnerThread(
        [&robot, &ip] {
            TcpUpDownFile::installAccessor();
            robot = Robot::instance(ip);
            robot->startLink();
        },
        [this] { teardown(); });
    return robot;
}

// Reads the link state five times, 1000 ms apart; a link that comes up during the last pause is
// not looked at again.
bool ApiSession::pollConnected(Robot& robot) const {
    for (int poll = 0; poll < kConnectPolls; ++poll) {
        if (robot.connected())
            return true;
        pauseForReports(kConnectPollIntervalMs);
    }
    return false;
}

// At process exit, in the Robot's own thread: destroying the Robot joins its connection thread.
void ApiSession::teardown() {
    delete robot_.exchange(nullptr);
}

void ApiSession::setReplyTimeout(int ms) {
    if (ms >= 0)
        replyTimeoutMs_ = ms;
}

std::optional<Answer> ApiSession::ask(Robot& robot, const char* caller, const AnswerTag& expected,
                                     const std::function<bool()>& send) const {
    const int timeoutMs = replyTimeoutMs_;
    const QDeadlineTimer deadline =
        timeoutMs == 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    Answer answer;
    switch (robot.ask(expected, send, deadline, &answer)) {
    case Robot::Asked::Answered:
        return answer;
    case Robot::Asked::NotSent:
        qCDebug(lcApi).nospace() << caller << ": link down, cached values returned";
        break;
    case Robot::Asked::Unanswered:
        qCDebug(lcApi).nospace() << caller << ": no answer within " << timeoutMs
                                 << " ms, cached values returned";
        break;
    }
    return std::nullopt;
}

}  // namespace kelvo::api
