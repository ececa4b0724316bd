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

RobotEvent eventOf(int kind, const Json::Value& report) {
    RobotEvent event;
    event.kind = kind;
    event.robot = intMember(report, "robot").value_or(0);
    return event;
}

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
    const auto coded = [this, from](void (M::*signal)(QByteArray), int kind, const char* key) {
        connect(
            from, signal, this, [this, kind, key](QByteArray data) { onCoded(kind, key, data); },
            Qt::DirectConnection);
    };
    coded(&M::receivedServoStatus, RobotEvent::Servo, "status");
    coded(&M::receivedOperationMode, RobotEvent::Mode, "mode");
    coded(&M::receivedCoordinationMode, RobotEvent::Coord, "coord");
    coded(&M::receivedSpeedInfo, RobotEvent::Speed, "speed");
    coded(&M::receivedProRunStatus, RobotEvent::Running, "status");

    const auto values = [this, from](void (M::*signal)(QByteArray), int code, const char* key) {
        connect(
            from, signal, this,
            [this, code, key](QByteArray data) { onValues(RobotEvent::Io, code, key, data); },
            Qt::DirectConnection);
    };
    values(&M::receivedDoutStatus, RobotEvent::Dout, "status");
    values(&M::receivedDinStatus, RobotEvent::Din, "status");
    values(&M::receivedAoutStatus, RobotEvent::Aout, "value");
    values(&M::receivedAinStatus, RobotEvent::Ain, "value");

    const auto alarm = [this, from](void (M::*signal)(QByteArray), int code) {
        connect(
            from, signal, this, [this, code](QByteArray data) { onAlarm(code, data); },
            Qt::DirectConnection);
    };
    alarm(&M::receivedError, RobotEvent::Error);
    alarm(&M::receivedWarning, RobotEvent::Warning);
    alarm(&M::receivedInfo, RobotEvent::Info);

    connect(
        from, &M::recriveMoreRobotCurPosition, this,
        [this](QByteArray data) { onValues(RobotEvent::Position, -1, "pos", data); },
        Qt::DirectConnection);
    connect(from, &M::receivedChangeRobot, this, &ReportEvents::onRobotSelection,
            Qt::DirectConnection);
    connect(from, &M::connectSucceed, this, &ReportEvents::onLink, Qt::DirectConnection);
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

void ReportEvents::onCoded(int kind, const char* key, const QByteArray& data) const {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    RobotEvent event = eventOf(kind, *report);
    event.code = intMember(*report, key).value_or(-1);
    post(std::move(event));
}

// Values of an array member; code -1 takes the code from the report's coordinate system.
void ReportEvents::onValues(int kind, int code, const char* key, const QByteArray& data) const {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    RobotEvent event = eventOf(kind, *report);
    event.code = code >= 0 ? code : intMember(*report, "coord").value_or(-1);
    event.values = valuesOf(json::member(*report, key));
    post(std::move(event));
}

void ReportEvents::onAlarm(int code, const QByteArray& data) const {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    RobotEvent event = eventOf(RobotEvent::Alarm, *report);
    event.code = code;
    const Json::Value& alarmText = json::member(*report, "data");
    if (alarmText.isString())
        event.text = json::text(alarmText).toStdString();
    if (const std::optional<int> number = intMember(*report, "type"))
        event.values.push_back(*number);
    post(std::move(event));
}

void ReportEvents::onRobotSelection(const QByteArray& data) const {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    RobotEvent event = eventOf(RobotEvent::RobotSelection, *report);
    event.code = intMember(*report, "mode").value_or(-1);
    post(std::move(event));
}
