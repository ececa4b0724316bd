// Status reports decoded into notifications; they change no state.

#include "robot/decodedreports.h"
#include "link/jsonwire.h"
#include "robot/reportfields.h"
#include "robot/reportroute.h"
#include "robot/robot.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace json = kelvo::json;
using kelvo::intMember;

namespace {

constexpr int kRobotAxes = 7;
constexpr int kSyncAxes = 5;
// Above this the controller's external-axis count is not believed.
constexpr int kMaxOuterAxes = 3;

QByteArray g6(double value) {
    return QString::number(value, 'g', 6).toLatin1();
}

QByteArray g6Member(const Json::Value& report, const char* key) {
    return g6(json::doubleOr(json::member(report, key)));
}

// The first count values of an array member in g6, each followed by a space.
QByteArray eachFollowedBySpace(const Json::Value& report, const char* key, int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += g6(json::doubleOr(json::element(json::member(report, key), i))) + ' ';
    }
    return text;
}

// The first count values of an array member in g6, separated by spaces.
QByteArray separatedBySpaces(const Json::Value& report, const char* key, int count) {
    QByteArray text = eachFollowedBySpace(report, key, count);
    text.chop(1);
    return text;
}

// Seven robot-axis values, five sync-axis values and ";"; then, for the reports that carry them,
// the seven maxima and the five sync maxima.
QByteArray motorFigures(const Json::Value& report, const char* axes, const char* sync,
                        const char* maxAxes = nullptr, const char* maxSync = nullptr) {
    QByteArray text = eachFollowedBySpace(report, axes, kRobotAxes) +
                      separatedBySpaces(report, sync, kSyncAxes) + ';';
    if (maxAxes) {
        text += eachFollowedBySpace(report, maxAxes, kRobotAxes) +
                separatedBySpaces(report, maxSync, kSyncAxes);
    }
    return text;
}

// MaxSpeed, a space, MaxAcc; a missing member leaves its place empty.
QByteArray inchSpeedText(const Json::Value& report) {
    QByteArray text;
    if (json::has(report, "MaxSpeed"))
        text += g6Member(report, "MaxSpeed");
    text += ' ';
    if (json::has(report, "MaxAcc"))
        text += g6Member(report, "MaxAcc");
    return text;
}

// One byte per present member.
QByteArray presentBytes(const Json::Value& report, std::initializer_list<const char*> keys) {
    QByteArray bytes;
    for (const char* key : keys) {
        if (json::has(report, key)) {
            bytes += static_cast<char>(json::intOr(json::member(report, key)));
        }
    }
    return bytes;
}

}  // namespace

DecodedReports::DecodedReports(TcpConnectModule* from, const Robot& robot, QObject* parent)
    : QObject(parent), robot_(robot) {
    routeStatusReports(from);
    routeAlarmReports(from);
    routeParameterReports(from);
}

void DecodedReports::routeStatusReports(TcpConnectModule* from) {
    kelvo::connectRoutes<QByteArray>(
        from, this,
        {
            {&TcpConnectModule::receivedJobStatus,
             &DecodedReports::robot_net_slot_JobStatusProcess},
            {&TcpConnectModule::receivedStepEndStatus,
             &DecodedReports::robot_net_slot_stepEndProcess},
            {&TcpConnectModule::receivedBWBStatus,
             &DecodedReports::robot_net_slot_BWBCommandStatus},
            {&TcpConnectModule::recriveRobotCycleIndex,
             &DecodedReports::robot_net_slot_RobotCycleIndex},
            {&TcpConnectModule::receivedCurrentUserCoords,
             &DecodedReports::robot_net_slot_receiveUser},
            {&TcpConnectModule::receivedUserCoordsNote, &DecodedReports::robot_net_slot_userNote},
            {&TcpConnectModule::receivedUserSuccess, &DecodedReports::robot_net_slot_userSuc},
            {&TcpConnectModule::recrivedModbusState, &DecodedReports::robot_net_slot_ModbusState},
            {&TcpConnectModule::recriveModbusIoState,
             &DecodedReports::robot_net_slot_ModbusIoState},
            {&TcpConnectModule::recvSensitivity, &DecodedReports::robot_net_slot_sensitivity},
            {&TcpConnectModule::receiveJointInchSpeed,
             &DecodedReports::robot_net_slot_jointInchSpeed},
            {&TcpConnectModule::receivedOutInchSpeed, &DecodedReports::robot_net_slot_outInchSpeed},
            {&TcpConnectModule::receiveRectInchSpeed,
             &DecodedReports::robot_net_slot_rectInchSpeed},
            {&TcpConnectModule::receiveInterpolationMode,
             &DecodedReports::robot_net_slot_recvInterpolationMode},
            {&TcpConnectModule::receiveOutterAxisCount,
             &DecodedReports::robot_net_slot_receiveOutterAxisCount},
            {&TcpConnectModule::receiveMotorSpeed,
             &DecodedReports::robot_net_slot_receiveMotorSpeed},
            {&TcpConnectModule::receiveMotorTorque,
             &DecodedReports::robot_net_slot_receiveMotorTorque},
            {&TcpConnectModule::signal_receivedMotorLoad,
             &DecodedReports::slot_robotNetSlotReceivedMotorLoad},
            {&TcpConnectModule::receivedPresentRobot, &DecodedReports::robot_net_slot_PresentRobot},
        });
    connect(from, &TcpConnectModule::receivedPosition, this,
            &DecodedReports::robot_net_slot_positionProcess);
    connect(from, &TcpConnectModule::receivedZeroSuccess, this,
            &DecodedReports::robot_net_slot_zeroSuccess);
    connect(from, &TcpConnectModule::receivedData, this,
            &DecodedReports::robot_net_slot_receivedDataProcess);
    // recvSelectFuncton, recvControlNumber, receivedProSelfStart and receiveUnsafePoint carry
    // nothing the library keeps or passes on; they stay unconnected.
}

void DecodedReports::robot_net_slot_positionProcess(QVector<double> pos, int coord, int robot) {
    emit robot_position_update(pos, coord, robot);
}

void DecodedReports::robot_net_slot_JobStatusProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> robot = intMember(*report, "robot");
    const std::optional<int> continueRun = intMember(*report, "continueRun");
    if (!robot || !continueRun)
        return;
    const std::optional<int> status = intMember(*report, "status");
    if (*continueRun == 1) {
        if (status)
            emit robotp_jstatus(*robot, *status);
        emit robot_job_continueRun();
    } else if (*continueRun == 0 && status) {
        emit robot_job_status(*robot, *status, 0);
    }
}

void DecodedReports::robot_net_slot_stepEndProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> robot = intMember(*report, "robot");
    const std::optional<int> num = intMember(*report, "num");
    const QString jobname = json::text(json::member(*report, "jobname"));
    if (robot && num && !jobname.isEmpty())
        emit robot_step_end(*robot, jobname, *num);
}

void DecodedReports::robot_net_slot_BWBCommandStatus(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> robot = intMember(*report, "robot");
    const std::optional<int> num = intMember(*report, "num");
    if (robot && num)
        emit robot_BWB_command(*robot, *num);
}

void DecodedReports::robot_net_slot_RobotCycleIndex(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> robot = intMember(*report, "robot");
    const std::optional<int> count = intMember(*report, "count");
    if (!robot || !count)
        return;
    emit robot_cycletimes_update(*robot, *count);
    if (const std::optional<int> index = intMember(*report, "index")) {
        emit RobotCycleIndex(*robot, *count, *index);
        emit sPBtnState(*robot, *count, *index);
    }
}

void DecodedReports::robot_net_slot_receiveUser(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> number = intMember(*report, "curUserNum")) {
        emit robot_usercoords_inuse(QString::number(*number));
    }
}

void DecodedReports::robot_net_slot_userNote(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report && json::has(*report, "note")) {
        emit robot_usercoords_note(json::text(json::member(*report, "note")));
    }
}

void DecodedReports::robot_net_slot_userSuc(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    bool success = false;
    if (report && json::has(*report, "result") &&
        json::toBool(json::member(*report, "result"), &success)) {
        emit robot_user_suc(success ? 1 : 0);
    }
}

void DecodedReports::robot_net_slot_zeroSuccess() {
    emit robot_zero_success();
}

void DecodedReports::robot_net_slot_ModbusState(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report)
        emit robot_Modbus_State(presentBytes(*report, {"ModbusConnect"}));
}

void DecodedReports::robot_net_slot_ModbusIoState(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report) {
        emit robot_Modbus_Io_State(presentBytes(*report, {"ModbusConnect", "ExternIOConnect"}));
    }
}

void DecodedReports::robot_net_slot_sensitivity(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report && json::has(*report, "Sensitivity")) {
        emit robot_sensitivity_data_check(g6Member(*report, "Sensitivity"));
    }
}

void DecodedReports::robot_net_slot_jointInchSpeed(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> axis = intMember(*report, "AxisNum")) {
        emit robot_jointInchSpeed_data_check(*axis, inchSpeedText(*report));
    }
}

void DecodedReports::robot_net_slot_outInchSpeed(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> axis = intMember(*report, "AxisNum")) {
        emit robot_outInchSpeed_data_check(*axis, inchSpeedText(*report));
    }
}

void DecodedReports::robot_net_slot_rectInchSpeed(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report)
        emit robot_rectInchSpeed_data_check(inchSpeedText(*report));
}

void DecodedReports::robot_net_slot_recvInterpolationMode(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    for (const char* key : {"interpolationMethod", "absolutePosResolution", "remoteDefaultSpeed",
                            "runDelayTime", "stopTime"}) {
        if (!json::has(*report, key))
            return;
    }
    QByteArray text =
        g6Member(*report, "interpolationMethod") + ' ' + g6Member(*report, "absolutePosResolution");
    for (const char* key : {"remoteDefaultSpeed", "runDelayTime", "stopTime"}) {
        text += ' ' + QByteArray::number(json::intOr(json::member(*report, key)));
    }
    emit robot_interpolationMode_data_check(text);
}

void DecodedReports::robot_net_slot_receiveOutterAxisCount(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> count = intMember(*report, "AxisNum");
    if (count && *count <= kMaxOuterAxes)
        emit robot_tool_receiveOutterAxisCount(*count);
}

void DecodedReports::robot_net_slot_receiveMotorSpeed(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report) {
        emit robot_tool_receiveMotorSpeed(
            motorFigures(*report, "vel", "velSync", "maxVel", "maxVelSync"));
    }
}

void DecodedReports::robot_net_slot_receiveMotorTorque(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    emit robot_tool_receiveMotorTorque(
        motorFigures(*report, "torq", "torqSync", "maxTorq", "maxTorqSync"));
    emit robot_tool_receiveMotorTorqueTheo(eachFollowedBySpace(*report, "theoTorq", kRobotAxes) +
                                           eachFollowedBySpace(*report, "maxTheoTorq", kRobotAxes));
}

void DecodedReports::slot_robotNetSlotReceivedMotorLoad(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report)
        emit signal_robotReceivedMotorLoad(
            motorFigures(*report, "motorOverload", "motorOverloadSync"));
}

void DecodedReports::robot_net_slot_PresentRobot(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> count = intMember(*report, "listnum");
    const Json::Value& names = json::member(*report, "nameList");
    if (!count || *count < 1 || !json::has(*report, "nameList"))
        return;
    // Entries past the end of the list would be empty; a hostile count must not build them.
    const int listed = names.isArray() ? static_cast<int>(names.size()) : 0;
    QStringList list{QStringLiteral("自定义")};
    for (int i = 0; i < std::min(*count, listed); ++i) {
        list << json::text(json::element(names, static_cast<Json::ArrayIndex>(i)));
    }
    emit receivePresentRobotList(list);
}

void DecodedReports::robot_net_slot_receivedDataProcess(quint16 cmd, QByteArray data) {
    emit robot_received_data(cmd, data);
}
