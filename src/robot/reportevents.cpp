#include "robot/reportevents.h"

#include "link/jsonwire.h"
#include "message/tcpconnectmodule.h"
#include "robot/reportfields.h"

#include <QDateTime>

#include <optional>
#include <utility>

namespace json = kelvo::json;
using kelvo::intMember;

namespace {

std::vector<double> valuesOf(const Json::Value& array) {
    std::vector<double> values;
    if (!array.isArray())
        return values;
    values.reserve(array.size());
    for (Json::ArrayIndex i = 0; i < array.size(); ++i)
        values.push_back(json::doubleOr(array[i]));
    return values;
}

}  // namespace

ReportEvents::ReportEvents(TcpConnectModule* from, Sink sink) : sink_(std::move(sink)) {
    using M = TcpConnectModule;
    const auto route = [this, from](void (M::*signal)(QByteArray), int kind, int code) {
        connect(
            from, signal, this, [this, kind, code](QByteArray data) { onReport(kind, code, data); },
            Qt::DirectConnection);
    };
    route(&M::receivedServoStatus, RobotEvent::Servo, 0);
    route(&M::receivedOperationMode, RobotEvent::Mode, 0);
    route(&M::receivedCoordinationMode, RobotEvent::Coord, 0);
    route(&M::receivedSpeedInfo, RobotEvent::Speed, 0);
    route(&M::receivedProRunStatus, RobotEvent::Running, 0);
    route(&M::receivedChangeRobot, RobotEvent::RobotSelection, 0);
    route(&M::recriveMoreRobotCurPosition, RobotEvent::Position, 0);
    route(&M::receivedDoutStatus, RobotEvent::Io, RobotEvent::Dout);
    route(&M::receivedDinStatus, RobotEvent::Io, RobotEvent::Din);
    route(&M::receivedAoutStatus, RobotEvent::Io, RobotEvent::Aout);
    route(&M::receivedAinStatus, RobotEvent::Io, RobotEvent::Ain);
    route(&M::receivedError, RobotEvent::Alarm, RobotEvent::Error);
    route(&M::receivedWarning, RobotEvent::Alarm, RobotEvent::Warning);
    route(&M::receivedInfo, RobotEvent::Alarm, RobotEvent::Info);
    connect(from, &M::linkStateInLinkThread, this, &ReportEvents::onLink, Qt::DirectConnection);
}

void ReportEvents::post(RobotEvent event) const {
    event.time = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    sink_(std::move(event));
}

// One event per change of the link: a loss is announced once however often it is told.
void ReportEvents::onLink(int state) {
    const int up = state != 0 ? 1 : 0;
    if (up == linkState_ || (linkState_ == -1 && up == 0))
        return;
    linkState_ = up;
    RobotEvent event;
    event.kind = RobotEvent::Link;
    event.code = up;
    event.text = up ? "connected" : "connection lost or closed";
    post(std::move(event));
}

void ReportEvents::onReport(int kind, int code, const QByteArray& data) const {
    RobotEvent event;
    event.kind = kind;
    event.code = code;
    event.report = data;
    post(std::move(event));
}

namespace {

// The member each kind's code comes from.
const char* codeKey(int kind) {
    switch (kind) {
        case RobotEvent::Servo:
        case RobotEvent::Running:
            return "status";
        case RobotEvent::Mode:
        case RobotEvent::RobotSelection:
            return "mode";
        case RobotEvent::Coord:
        case RobotEvent::Position:
            return "coord";
        case RobotEvent::Speed:
            return "speed";
        default:
            return nullptr;
    }
}

// The array member each kind's values come from.
const char* valuesKey(int kind, int code) {
    if (kind == RobotEvent::Position)
        return "pos";
    if (kind == RobotEvent::Io)
        return code == RobotEvent::Dout || code == RobotEvent::Din ? "status" : "value";
    return nullptr;
}

}  // namespace

bool RobotEvent::decode() {
    if (report.isNull())
        return true;  // made whole where it was made
    const std::optional<Json::Value> body = json::parse(report);
    report = QByteArray();
    if (!body)
        return false;
    robot = intMember(*body, "robot").value_or(0);
    if (const char* key = codeKey(kind))
        code = intMember(*body, key).value_or(-1);
    if (const char* key = valuesKey(kind, code))
        values = valuesOf(json::member(*body, key));
    if (kind == Alarm) {
        const Json::Value& data = json::member(*body, "data");
        if (data.isString())
            text = json::text(data).toStdString();
        if (const std::optional<int> number = intMember(*body, "type"))
            values.push_back(*number);
    }
    return true;
}
