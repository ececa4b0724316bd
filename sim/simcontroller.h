#pragma once

#include "simchaos.h"
#include "simfamily.h"
#include "simrecorder.h"

#include "link/framedecoder.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kelvo::sim {

class PushFamily;
class SimCell;

enum class SimMode {
    Normal,          // every family answers
    Silent,          // frames are recorded, nothing is answered or sent unasked
    HeartbeatsOnly,  // nothing is answered; only 0x7266 is sent, every heartbeat period
};

// A simulated robot controller on the control port. Lives in one thread and is used only from it;
// SimHarness drives it from other threads.
class SimController : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(QTcpSocket* client, const Frame& frame)>;

    explicit SimController(SimRecorder& recorder, QObject* parent = nullptr);
    ~SimController() override;

    // From now on keeps the state of a controller with `robots` robots (1 to 4) and answers through
    // every message family. Until then only heartbeats are answered, and what setReply scripts.
    void simulateRobots(int robots);
    // The controller's state; null until simulateRobots.
    SimCell* cell() { return cell_.get(); }
    // Pushes the current position and the digital inputs to every client hz times a second (see
    // PushFamily); 0 stops. False without simulateRobots or for a rate out of range.
    bool setPushRate(int hz);

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return port_; }
    void stopListening();
    bool resumeListening();
    // Drops every client and stops listening; listens again on the same port after downMs.
    void reboot(int downMs);
    void dropConnections();

    void setMode(SimMode mode);
    // How the controller answers, for the library's write-then-read rules. Changes reported:
    // an accepted setter's change is pushed to every client unasked (as well as answering later
    // queries); off, queries alone tell it. Both on by default.
    void setReportChanges(bool on) { reportChanges_ = on; }
    bool reportsChanges() const { return reportChanges_; }
    // Off, heartbeats (0x7266) are never replied to.
    void setHeartbeatReplies(bool on) { heartbeatReplies_ = on; }
    bool repliesToHeartbeats() const { return heartbeatReplies_; }
    void setHeartbeatPeriod(int ms);
    void setReplyDelay(int ms) { replyDelayMs_ = qMax(0, ms); }
    void setVerbose(bool verbose) { verbose_ = verbose; }
    // Every write goes out in two pieces, pauseMs apart (the controller's thread waits meanwhile);
    // 0 writes whole.
    void setSplitFrames(int pauseMs) { splitPauseMs_ = qMax(0, pauseMs); }
    // Every write goes out one byte at a time.
    void setSingleByteWrites(bool on) { singleByteWrites_ = on; }
    // The chaos mode (see SimChaos); off until started.
    SimChaos& chaos() { return *chaos_; }
    // Answers every frame with this command word by replyCommand, with the given payload or, when
    // none is given, the received one. Takes precedence over the families.
    void setReply(quint16 command, quint16 replyCommand, std::optional<QByteArray> payload);

    // Sent to every client at once, whatever the mode.
    void sendRaw(const QByteArray& bytes);
    void sendReport(quint16 command, const QByteArray& payload);

    // For the message families.
    void on(quint16 command, Handler handler);
    // An answer to one client, after the reply delay.
    void reply(QTcpSocket* client, quint16 command, const QByteArray& payload);
    // What a controller sends unasked when its state changes: to every client, after the reply
    // delay, in Normal mode only.
    void push(quint16 command, const QByteArray& payload);
    int openClients() const { return clients_.size(); }

signals:
    // For observers such as the console: connections, frames received, bytes sent.
    void clientAccepted(int connection);
    void clientClosed(int connection);
    void frameReceived(int connection, quint16 command, const QByteArray& payload);
    void bytesWritten(int connection, const QByteArray& bytes);

private:
    struct Client {
        int id = 0;
        FrameDecoder decoder{FrameDecoder::HeadErrors::Silent};
    };
    struct ScriptedReply {
        quint16 command = 0;
        std::optional<QByteArray> payload;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* client);
    void onDisconnected(QTcpSocket* client);
    void dispatch(QTcpSocket* client, const Frame& frame);
    void sendHeartBeats();
    void write(QTcpSocket* client, const QByteArray& bytes);

    SimRecorder& recorder_;
    QTcpServer server_;
    QHostAddress address_;
    quint16 port_ = 0;
    QHash<QTcpSocket*, Client> clients_;
    QHash<quint16, Handler> handlers_;
    QHash<quint16, ScriptedReply> scripted_;
    std::unique_ptr<SimCell> cell_;  // outlives the families, which use it
    std::vector<std::unique_ptr<SimFamily>> families_;
    PushFamily* pusher_ = nullptr;  // one of families_
    std::unique_ptr<SimChaos> chaos_;
    SimMode mode_ = SimMode::Normal;
    QTimer heartBeatTimer_;
    int replyDelayMs_ = 0;
    int splitPauseMs_ = 0;
    bool singleByteWrites_ = false;
    int nextClientId_ = 1;
    bool verbose_ = false;
    bool reportChanges_ = true;
    bool heartbeatReplies_ = true;
};

}  // namespace kelvo::sim
