#include "message/tcpconnectmodule.h"

#include "link/jsonwire.h"
#include "link/tcpconnectmoduleprivate.h"
#include "message/commandwords.h"
#include "message/messagelog.h"
#include "message/reportcatalogue.h"

#include <json/value.h>
#include <utility>

#include <optional>

namespace {

struct Position {
    QVector<double> values;
    int coord = 0;
    int robot = 0;
};

constexpr Json::ArrayIndex kPositionValues = 7;

// "posDeg" (missing elements count as 0.0), "coord" and "robot", all three present. A member of
// the wrong type drops the report: converting it would throw inside the JSON library.
std::optional<Position> parsePosition(const QByteArray& payload) {
    namespace json = kelvo::json;
    const std::optional<Json::Value> root = json::parse(payload);
    if (!root || !json::has(*root, "posDeg") || !json::has(*root, "coord") ||
        !json::has(*root, "robot")) {
        return std::nullopt;
    }
    const Json::Value& posDeg = json::member(*root, "posDeg");
    if (!posDeg.isArray())
        return std::nullopt;
    Position position;
    position.values.resize(kPositionValues);
    for (Json::ArrayIndex i = 0; i < kPositionValues; ++i) {
        if (!json::toDouble(json::element(posDeg, i), &position.values[static_cast<int>(i)])) {
            return std::nullopt;
        }
    }
    if (!json::toInt(json::member(*root, "coord"), &position.coord) ||
        !json::toInt(json::member(*root, "robot"), &position.robot)) {
        return std::nullopt;
    }
    return position;
}

Json::Value object(const char* key, int value) {
    Json::Value result(Json::objectValue);
    result[key] = value;
    return result;
}

}  // namespace

TcpConnectModule::TcpConnectModule(const QString& ip, const quint16& port, const int& timeBase)
    : d_(new kelvo::TcpConnectModulePrivate(ip, port, timeBase)) {
    // Receivers connect by name, and queued connections need the position type by name too.
    qRegisterMetaType<QVector<double>>("QVector<double>");
    connect(d_.data(), &kelvo::TcpConnectModulePrivate::receivedData, this,
            &TcpConnectModule::onReceivedData, Qt::DirectConnection);
    connect(d_.data(), &kelvo::TcpConnectModulePrivate::connectSucceed, this,
            &TcpConnectModule::onConnectSucceed);
    connect(d_.data(), &kelvo::TcpConnectModulePrivate::connectSucceed, this,
            &TcpConnectModule::linkStateInLinkThread, Qt::DirectConnection);
    connect(d_.data(), &kelvo::TcpConnectModulePrivate::heartbeatReplied, this,
            &TcpConnectModule::heartbeatReplied, Qt::DirectConnection);
    connect(d_.data(), &kelvo::TcpConnectModulePrivate::fencesLifted, this,
            &TcpConnectModule::fencesLifted, Qt::DirectConnection);
}

TcpConnectModule::~TcpConnectModule() {
    stopThread();
}

// The pointers stay set until the thread has ended: its handlers still send through them.
void TcpConnectModule::stopThread() {
    if (d_)
        d_->stopThread();
}

void TcpConnectModule::start() {
    if (d_)
        d_->startNetThread();
}

void TcpConnectModule::setFrameRecorder(std::shared_ptr<kelvo::FrameRecorder> recorder) {
    if (d_)
        d_->setRecorder(std::move(recorder));
}

bool TcpConnectModule::send(quint16 command, const QByteArray& payload) {
    return d_ && d_->sendFrame(command, payload);
}

void TcpConnectModule::setFences(bool on) {
    if (d_)
        d_->setFences(on);
}

void TcpConnectModule::changeIp(const QString& ip) {
    if (d_)
        d_->changeIp(ip);
}

void TcpConnectModule::stopConnect() {
    if (d_)
        d_->stopConnect();
}

void TcpConnectModule::startConnect() {
    if (d_)
        d_->startConnect();
}

void TcpConnectModule::setRobotNumberSource(RobotNumberSource source) {
    robotNumber_ = std::move(source);
}

int TcpConnectModule::robotNumber() const {
    return robotNumber_ ? robotNumber_() : 1;
}

bool TcpConnectModule::sendObject(quint16 command, const Json::Value& object) {
    const std::optional<QByteArray> payload = kelvo::json::write(object);
    return payload && send(command, *payload);
}

// Request slots.

bool TcpConnectModule::setServoStatus(ServoStatus servoStatus) {
    Json::Value payload = object("robot", robotNumber());
    payload["status"] = static_cast<int>(servoStatus);
    return sendObject(kelvo::cmd::kSetServoStatus, payload);
}

bool TcpConnectModule::getServoStatus() {
    return sendObject(kelvo::cmd::kQueryServoStatus, object("robot", robotNumber()));
}

void TcpConnectModule::setLastPingTime(QDateTime rectime) {
    if (d_)
        d_->setLastPingTime(rectime);
}

bool TcpConnectModule::getSelectTool() {
    return sendObject(kelvo::cmd::kQuerySelectedTool, object("robot", robotNumber()));
}

bool TcpConnectModule::clearError(ErrorList error) {
    QByteArray payload(4, '\0');
    for (int i = 0; i < 4; ++i)
        payload[i] = static_cast<char>(error >> (8 * (3 - i)));
    return send(kelvo::cmd::kClearError, payload);
}

bool TcpConnectModule::clearAllError() {
    return sendObject(kelvo::cmd::kClearAllErrors, object("robot", robotNumber()));
}

bool TcpConnectModule::onConnectSucceed(int state) {
    emit connectSucceed(state);
    return state != 0;
}

// Dispatch.

void TcpConnectModule::onReceivedData(quint16 command, QByteArray data) {
    // Directly connected receivers run inside this call; whatever they throw ends here, so the
    // connection thread goes on with the next frame.
    try {
        const kelvo::Report* report = kelvo::findReport(command);
        if (report) {
            dispatch(*report, data);
        } else {
            emit receivedData(command, data);
        }
    } catch (...) {
        qCWarning(lcMessage, "a receiver of command word 0x%04x threw", command);
    }
}

void TcpConnectModule::dispatch(const kelvo::Report& report, const QByteArray& data) {
    using Rule = kelvo::DispatchRule;
    using Signals = kelvo::Report;
    const auto forward = [&] { (this->*std::get<Signals::PayloadSignal>(report.signal))(data); };
    switch (report.rule) {
        case Rule::Forward:
            forward();
            break;
        case Rule::ForwardIfNotEmpty:
            if (!data.isEmpty())
                forward();
            break;
        case Rule::ForwardIfJson:
            if (kelvo::json::parse(data))
                forward();
            break;
        case Rule::OneByte:
            if (data.size() == 1) {
                (this->*std::get<Signals::ByteSignal>(report.signal))(
                    static_cast<qint8>(data.at(0)));
            }
            break;
        case Rule::Position:
            if (const std::optional<Position> position = parsePosition(data)) {
                (this->*std::get<Signals::PositionSignal>(report.signal))(
                    position->values, position->coord, position->robot);
            }
            break;
        case Rule::TwoSignals:
            forward();
            emit receivedJobStatus(data);
            break;
        case Rule::NoArguments:
            (this->*std::get<Signals::BareSignal>(report.signal))();
            break;
    }
}
