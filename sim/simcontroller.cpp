#include "simcontroller.h"

#include "heartbeatfamily.h"
#include "iofamily.h"
#include "jobfamily.h"
#include "modefamily.h"
#include "motionfamily.h"
#include "motionqueuefamily.h"
#include "pushfamily.h"
#include "reportfamily.h"
#include "servofamily.h"
#include "simcell.h"
#include "simlog.h"

#include "link/frame.h"

#include <QPointer>
#include <QThread>

namespace kelvo::sim {

namespace {

constexpr int kDefaultHeartbeatPeriodMs = 1000;

}  // namespace

SimController::SimController(SimRecorder& recorder, QObject* parent)
    : QObject(parent), recorder_(recorder), server_(this), heartBeatTimer_(this) {
    connect(&server_, &QTcpServer::newConnection, this, &SimController::onNewConnection);
    heartBeatTimer_.setInterval(kDefaultHeartbeatPeriodMs);
    connect(&heartBeatTimer_, &QTimer::timeout, this, &SimController::sendHeartBeats);
    families_.push_back(std::make_unique<HeartbeatFamily>(*this));
    chaos_ = std::make_unique<SimChaos>(*this);
}

SimController::~SimController() {
    chaos_.reset();
    dropConnections();
    pusher_ = nullptr;
    families_.clear();
}

void SimController::simulateRobots(int robots) {
    if (cell_) {
        return;
    }
    cell_ = std::make_unique<SimCell>(robots);
    families_.push_back(std::make_unique<ReportFamily>(*this, *cell_));
    families_.push_back(std::make_unique<ServoFamily>(*this, *cell_));
    families_.push_back(std::make_unique<ModeFamily>(*this, *cell_));
    families_.push_back(std::make_unique<IoFamily>(*this, *cell_));
    families_.push_back(std::make_unique<MotionFamily>(*this, *cell_));
    families_.push_back(std::make_unique<JobFamily>(*this, *cell_));
    families_.push_back(std::make_unique<MotionQueueFamily>(*this, *cell_));
    auto pusher = std::make_unique<PushFamily>(*this, *cell_);
    pusher_ = pusher.get();
    families_.push_back(std::move(pusher));
}

bool SimController::setPushRate(int hz) {
    return pusher_ && pusher_->setRate(hz);
}

bool SimController::listen(const QHostAddress& address, quint16 port) {
    if (!server_.listen(address, port)) {
        qCWarning(lcSim) << "cannot listen on" << address.toString() << port
                         << server_.errorString();
        return false;
    }
    address_ = address;
    port_ = server_.serverPort();
    return true;
}

void SimController::stopListening() {
    server_.close();
}

bool SimController::resumeListening() {
    return server_.isListening() || listen(address_, port_);
}

void SimController::reboot(int downMs) {
    dropConnections();
    stopListening();
    QTimer::singleShot(qMax(0, downMs), this, [this] { resumeListening(); });
}

void SimController::dropConnections() {
    const QList<QTcpSocket*> clients = clients_.keys();
    for (QTcpSocket* client : clients) {
        client->abort();
    }
}

void SimController::setMode(SimMode mode) {
    mode_ = mode;
    if (mode == SimMode::HeartbeatsOnly) {
        heartBeatTimer_.start();
    } else {
        heartBeatTimer_.stop();
    }
}

void SimController::setHeartbeatPeriod(int ms) {
    heartBeatTimer_.setInterval(qMax(1, ms));
}

void SimController::setReply(quint16 command, quint16 replyCommand,
                             std::optional<QByteArray> payload) {
    scripted_.insert(command, ScriptedReply{replyCommand, std::move(payload)});
}

void SimController::sendRaw(const QByteArray& bytes) {
    const QList<QTcpSocket*> clients = clients_.keys();
    for (QTcpSocket* client : clients) {
        write(client, bytes);
    }
}

void SimController::sendReport(quint16 command, const QByteArray& payload) {
    sendRaw(encodeFrame(command, payload));
}

void SimController::on(quint16 command, Handler handler) {
    handlers_.insert(command, std::move(handler));
}

void SimController::reply(QTcpSocket* client, quint16 command, const QByteArray& payload) {
    const QByteArray frame = encodeFrame(command, payload);
    if (replyDelayMs_ == 0) {
        write(client, frame);
        return;
    }
    QPointer<QTcpSocket> target(client);
    QTimer::singleShot(replyDelayMs_, this, [this, target, frame] {
        if (target) {
            write(target, frame);
        }
    });
}

void SimController::push(quint16 command, const QByteArray& payload) {
    if (mode_ != SimMode::Normal) {
        return;
    }
    const QList<QTcpSocket*> clients = clients_.keys();
    for (QTcpSocket* client : clients) {
        reply(client, command, payload);
    }
}

void SimController::onNewConnection() {
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Client state;
        state.id = nextClientId_++;
        clients_.insert(client, state);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { onReadyRead(client); });
        connect(client, &QTcpSocket::disconnected, this,
                [this, client] { onDisconnected(client); });
        recorder_.recordAccepted();
        emit clientAccepted(state.id);
        if (verbose_) {
            qCInfo(lcSim) << "connection" << state.id << "from" << client->peerAddress().toString();
        }
    }
}

void SimController::onDisconnected(QTcpSocket* client) {
    const int id = clients_.value(client).id;
    if (clients_.remove(client) == 0) {
        return;
    }
    recorder_.recordClosed();
    client->deleteLater();
    emit clientClosed(id);
}

void SimController::onReadyRead(QTcpSocket* client) {
    auto it = clients_.find(client);
    if (it == clients_.end()) {
        return;
    }
    it->decoder.append(client->readAll());
    const int id = it->id;
    Frame frame;
    // Handlers may drop the client; look it up again for every frame.
    while ((it = clients_.find(client)) != clients_.end() && it->decoder.next(&frame)) {
        recorder_.recordFrame(SimFrame{frame.command, frame.payload, nowMs(), id});
        if (verbose_) {
            qCInfo(lcSim).noquote() << QStringLiteral("recv %1 0x%2 %3")
                                           .arg(id)
                                           .arg(frame.command, 4, 16, QLatin1Char('0'))
                                           .arg(QString::fromUtf8(frame.payload).trimmed());
        }
        emit frameReceived(id, frame.command, frame.payload);
        dispatch(client, frame);
    }
}

void SimController::dispatch(QTcpSocket* client, const Frame& frame) {
    if (mode_ != SimMode::Normal) {
        return;
    }
    const auto scripted = scripted_.constFind(frame.command);
    if (scripted != scripted_.constEnd()) {
        reply(client, scripted->command, scripted->payload.value_or(frame.payload));
        return;
    }
    const auto handler = handlers_.constFind(frame.command);
    if (handler != handlers_.constEnd()) {
        (*handler)(client, frame);
    }
}

void SimController::sendHeartBeats() {
    sendReport(kHeartBeat, HeartbeatFamily::heartBeatPayload());
}

void SimController::write(QTcpSocket* client, const QByteArray& bytes) {
    if (bytes.isEmpty() || client->state() != QAbstractSocket::ConnectedState) {
        return;
    }
    if (singleByteWrites_) {
        // Each byte flushed on its own; the socket may close on the way.
        for (int i = 0; i < bytes.size() && client->state() == QAbstractSocket::ConnectedState;
             ++i) {
            client->write(bytes.constData() + i, 1);
            client->flush();
        }
    } else if (splitPauseMs_ > 0 && bytes.size() > 1) {
        client->write(bytes.left(bytes.size() / 2));
        client->flush();
        QThread::msleep(static_cast<unsigned long>(splitPauseMs_));
        client->write(bytes.mid(bytes.size() / 2));
    } else {
        client->write(bytes);
    }
    client->flush();
    emit bytesWritten(clients_.value(client).id, bytes);
}

}  // namespace kelvo::sim
