#pragma once

#include "simcontroller.h"
#include "simrecorder.h"

#include "link/threadtaskrunner.h"

#include <QByteArray>
#include <QString>
#include <QThread>
#include <QVector>

#include <json/value.h>

#include <functional>
#include <mutex>
#include <optional>

namespace kelvo::sim {

// A SimController in a thread of its own, driven from any other thread (with or without an event
// loop). Every call blocks until the controller has done it. Not to be called from inside the
// simulator's own thread (a handler given to run() or setReply()).
class SimHarness {
public:
    SimHarness();
    ~SimHarness();
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    // Keeps the state of a controller with `robots` robots and answers through every message
    // family (SimController::simulateRobots). Without it only heartbeats are answered.
    void simulateRobots(int robots = 1);
    // SimController::setPushRate: the position and the inputs pushed hz times a second; 0 stops.
    bool setPushRate(int hz);

    // Listens on a loopback address; port 0 takes any free port. Returns the port, 0 on failure.
    quint16 start(const QString& address = QStringLiteral("127.0.0.1"), quint16 port = 0);
    quint16 port() const { return port_; }
    QString address() const { return address_; }

    // Frames received, in order of arrival, over all connections.
    QVector<SimFrame> frames() const;
    void clearFrames();
    // The next frame with this command word that no earlier expectFrame returned; empty if none
    // comes within timeoutMs.
    std::optional<SimFrame> expectFrame(quint16 command, int timeoutMs = 3000);
    // True when no frame with this command word arrives within forMs.
    bool expectNoFrame(quint16 command, int forMs);

    // Connections accepted since start, and connections open now.
    int accepted() const;
    int openConnections() const;
    bool waitForAccepted(int count, int timeoutMs);
    bool waitForOpen(int count, int timeoutMs);

    // To every open connection, whatever the mode.
    void sendReport(quint16 command, const QByteArray& payload);
    void sendJson(quint16 command, const Json::Value& body);
    void sendRaw(const QByteArray& bytes);

    // Faults.
    void setMode(SimMode mode);
    void setHeartbeatPeriod(int ms);
    void setReplyDelay(int ms);
    void setSplitFrames(int pauseMs);
    void setReply(quint16 command, quint16 replyCommand,
                  std::optional<QByteArray> payload = std::nullopt);
    void dropConnections();
    void stopListening();
    bool resumeListening();
    void reboot(int downMs);
    // The chaos mode (SimChaos), on a seeded generator; stopChaos ends it.
    void startChaos(quint64 seed, const SimChaosRates& rates = SimChaosRates());
    void stopChaos();

    // Runs any code on the controller, in its thread, and waits for it.
    void run(const std::function<void(SimController&)>& task);

private:
    SimRecorder recorder_;
    QThread thread_;
    std::mutex stopped_;
    ThreadTaskRunner runner_;
    SimController* controller_;
    QString address_;
    quint16 port_ = 0;
};

}  // namespace kelvo::sim
