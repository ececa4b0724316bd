#include "apisession.h"

#include "platform/ownerthread.h"
#include "robot/robot.h"

#include <chrono>
#include <thread>

namespace kelvo::api {

namespace {

constexpr int kConnectPolls = 5;
constexpr int kConnectPollIntervalMs = 1000;

}  // namespace

ApiSession& ApiSession::instance() {
    static ApiSession* const session = new ApiSession;  // lives until the process is gone
    return *session;
}

void ApiSession::runInOwnerThread(const std::function<void()>& work) {
    platform::runInOwnerThread(work, [] { instance().teardown(); });
}

bool ApiSession::connect(const QString& ip) {
    if (connectCalled_.exchange(true))
        return false;
    KelvoSession* session = nullptr;
    runInOwnerThread([&session, &ip] { session = KelvoSession::createInOwnerThread(ip); });
    session->setReplyTimeout(defaultReplyTimeoutMs_);
    default_ = session;
    const bool connected = pollConnected(*session);
    platform::renewExitHandler();
    if (!connected)
        session->robot().robot_DisconnectToC();
    return connected;
}

// Reads the link state five times, 1000 ms apart; a link that comes up during the last pause is
// not looked at again.
bool ApiSession::pollConnected(KelvoSession& session) const {
    for (int poll = 0; poll < kConnectPolls; ++poll) {
        if (session.robot().connected())
            return true;
        // The link state reaches the flag from the connection thread: no events need running here.
        std::this_thread::sleep_for(std::chrono::milliseconds(kConnectPollIntervalMs));
    }
    return false;
}

void ApiSession::setDefaultReplyTimeout(int ms) {
    if (ms < 0)
        return;
    defaultReplyTimeoutMs_ = ms;
    if (KelvoSession* const session = default_)
        session->setReplyTimeout(ms);
}

KelvoSession* ApiSession::open(const QString& ip, quint16 port, int timeoutMs, int* error) {
    runInOwnerThread([] {});  // Qt can run the session's objects, and exit is handled
    KelvoSession* const session = KelvoSession::open(ip, port, timeoutMs, error);
    platform::renewExitHandler();
    if (session) {
        std::lock_guard<std::mutex> lock(openMutex_);
        open_.insert(session);
    }
    return session;
}

void ApiSession::close(KelvoSession* session) {
    if (release(session))
        delete session;
}

bool ApiSession::release(KelvoSession* session) {
    std::lock_guard<std::mutex> lock(openMutex_);
    return open_.erase(session) != 0;
}

bool ApiSession::isOpen(KelvoSession* session) {
    std::lock_guard<std::mutex> lock(openMutex_);
    return open_.count(session) != 0;
}

// At process exit, in the owner thread: closing a session joins its threads.
void ApiSession::teardown() {
    std::set<KelvoSession*> open;
    {
        std::lock_guard<std::mutex> lock(openMutex_);
        open.swap(open_);
    }
    for (KelvoSession* session : open)
        delete session;
    delete default_.exchange(nullptr);
}

}  // namespace kelvo::api
