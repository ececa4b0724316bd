#include "simharness.h"

#include "link/jsonwire.h"

#include <QHostAddress>

namespace kelvo::sim {

SimHarness::SimHarness() : controller_(new SimController(recorder_)) {
    controller_->moveToThread(&thread_);
    runner_.moveToThread(&thread_);
    // QThread::wait() orders the end of the thread before what follows it, but ThreadSanitizer
    // cannot see that through Qt; a mutex taken last in the thread and again after wait() can.
    QObject::connect(
        &thread_, &QThread::finished, &thread_,
        [this] { std::lock_guard<std::mutex> lock(stopped_); }, Qt::DirectConnection);
    thread_.start();
}

SimHarness::~SimHarness() {
    runner_.runAndWait([this] { delete controller_; });
    thread_.quit();
    thread_.wait();
    std::lock_guard<std::mutex> lock(stopped_);
}

void SimHarness::run(const std::function<void(SimController&)>& task) {
    runner_.runAndWait([this, &task] { task(*controller_); });
}

void SimHarness::simulateRobots(int robots) {
    run([robots](SimController& sim) { sim.simulateRobots(robots); });
}

bool SimHarness::setPushRate(int hz) {
    bool set = false;
    run([&](SimController& sim) { set = sim.setPushRate(hz); });
    return set;
}

quint16 SimHarness::start(const QString& address, quint16 port) {
    port_ = 0;
    run([&](SimController& sim) {
        if (sim.listen(QHostAddress(address), port)) {
            port_ = sim.port();
        }
    });
    address_ = address;
    return port_;
}

QVector<SimFrame> SimHarness::frames() const {
    return recorder_.frames();
}

void SimHarness::clearFrames() {
    recorder_.clearFrames();
}

std::optional<SimFrame> SimHarness::expectFrame(quint16 command, int timeoutMs) {
    return recorder_.takeFrame(command, timeoutMs);
}

bool SimHarness::expectNoFrame(quint16 command, int forMs) {
    return !recorder_.takeFrame(command, forMs);
}

int SimHarness::accepted() const {
    return recorder_.accepted();
}

int SimHarness::openConnections() const {
    return recorder_.open();
}

bool SimHarness::waitForAccepted(int count, int timeoutMs) {
    return recorder_.waitForConnections([count](int accepted, int) { return accepted >= count; },
                                        timeoutMs);
}

bool SimHarness::waitForOpen(int count, int timeoutMs) {
    return recorder_.waitForConnections([count](int, int open) { return open == count; },
                                        timeoutMs);
}

void SimHarness::sendReport(quint16 command, const QByteArray& payload) {
    run([&](SimController& sim) { sim.sendReport(command, payload); });
}

void SimHarness::sendJson(quint16 command, const Json::Value& body) {
    sendReport(command, json::write(body).value_or(QByteArray()));
}

void SimHarness::sendRaw(const QByteArray& bytes) {
    run([&](SimController& sim) { sim.sendRaw(bytes); });
}

void SimHarness::setMode(SimMode mode) {
    run([mode](SimController& sim) { sim.setMode(mode); });
}

void SimHarness::setHeartbeatPeriod(int ms) {
    run([ms](SimController& sim) { sim.setHeartbeatPeriod(ms); });
}

void SimHarness::setReplyDelay(int ms) {
    run([ms](SimController& sim) { sim.setReplyDelay(ms); });
}

void SimHarness::setSplitFrames(int pauseMs) {
    run([pauseMs](SimController& sim) { sim.setSplitFrames(pauseMs); });
}

void SimHarness::setReply(quint16 command, quint16 replyCommand,
                          std::optional<QByteArray> payload) {
    run([&](SimController& sim) { sim.setReply(command, replyCommand, payload); });
}

void SimHarness::dropConnections() {
    run([](SimController& sim) { sim.dropConnections(); });
}

void SimHarness::stopListening() {
    run([](SimController& sim) { sim.stopListening(); });
}

bool SimHarness::resumeListening() {
    bool listening = false;
    run([&](SimController& sim) { listening = sim.resumeListening(); });
    return listening;
}

void SimHarness::reboot(int downMs) {
    run([downMs](SimController& sim) { sim.reboot(downMs); });
}

void SimHarness::startChaos(quint64 seed, const SimChaosRates& rates) {
    run([&](SimController& sim) { sim.chaos().start(seed, rates); });
}

void SimHarness::stopChaos() {
    run([](SimController& sim) { sim.chaos().stop(); });
}

}  // namespace kelvo::sim
