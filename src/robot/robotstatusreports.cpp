// Reports that update the state cache; the answering ones also release the questions they answer.

#include "link/jsonwire.h"
#include "message/commandwords.h"
#include "robot/reportfields.h"
#include "robot/reportroute.h"
#include "robot/robot.h"

#include <QMetaMethod>
#include <QTimer>

#include <algorithm>

#include <optional>

namespace json = kelvo::json;
using kelvo::hasArray;
using kelvo::intMember;

namespace {

constexpr int kTeachMode = 0;
constexpr int kRunMode = 2;
constexpr int kJogAllowedServoStatus = 3;
constexpr quint8 kUserCoordinates = 3;
// The positioner's own coordinate system: coordinate reports are ignored while it is selected.
constexpr int kPositionerCoordinate = 7;
constexpr int kIoReportSize = 128;
constexpr int kCachedIoPoints = 16;
constexpr int kCurrentPositionValues = 7;
constexpr int kCachedPositionValues = 6;
constexpr int kSyncAxes = 5;

// Set at load, cleared by the first valid mode report, which is announced even when unchanged.
std::atomic<bool> firstModeReportPending{true};

double elementAt(const Json::Value& report, const char* key, int index) {
    return json::doubleOr(json::element(json::member(report, key), index));
}

double elementAt(const json::QuickReport& report, const char* key, int index) {
    return report.number(key, index);
}

// Element i of an integer array member; missing, short or wrong-typed entries read as 0.
int intElementAt(const Json::Value& report, const char* key, int index) {
    return json::intOr(json::element(json::member(report, key), index));
}

// The low byte of 48 + value: "1" for 1; unsigned arithmetic keeps hostile values defined.
char digitOf(int value) {
    return static_cast<char>(48u + static_cast<unsigned>(value));
}

// "robot coord v1 ... v7" with each part present only when its member is.
QByteArray positionText(const Json::Value& report, const char* key) {
    QByteArray text;
    for (const char* prefix : {"robot", "coord"}) {
        if (json::has(report, prefix)) {
            text += QByteArray::number(json::intOr(json::member(report, prefix))) + ' ';
        }
    }
    if (json::has(report, key)) {
        for (int i = 0; i < kCurrentPositionValues; ++i) {
            if (i > 0)
                text += ' ';
            text += QString::number(elementAt(report, key, i), 'f', 4).toLatin1();
        }
    }
    return text;
}

// An answer of kind naming the robot its report names, if any.
template <typename Report>
AnswerTag tagOf(AnswerKind kind, const Report& report) {
    return {kind, intMember(report, "robot").value_or(AnswerTag::kAny)};
}

}  // namespace

void Robot::routeStatusReports() {
    TcpConnectModule* from = connection_.data();
    // These answer questions and must run in the connection thread: an asker blocked waiting for
    // its answer processes no events.
    kelvo::connectRoutes<QByteArray>(
        from, this,
        {
            {&TcpConnectModule::receivedCoordinationMode,
             &Robot::robot_net_slot_coordChangedProcess},
            {&TcpConnectModule::receivedServoStatus, &Robot::robot_net_slot_servoChangedProcess},
            {&TcpConnectModule::receivedSpeedInfo, &Robot::robot_net_slot_velocityProcess},
            {&TcpConnectModule::receivedOperationMode, &Robot::robot_net_slot_modeProcess},
            {&TcpConnectModule::receivedDoutStatus, &Robot::robot_net_slot_doutProcess},
            {&TcpConnectModule::receivedDinStatus, &Robot::robot_net_slot_dinProcess},
            {&TcpConnectModule::receivedAoutStatus, &Robot::robot_net_slot_aoutProcess},
            {&TcpConnectModule::receivedAinStatus, &Robot::robot_net_slot_ainProcess},
            {&TcpConnectModule::receivedProRunStatus, &Robot::robot_net_slot_prorunstatus},
            {&TcpConnectModule::recriveMoreRobotCurPosition,
             &Robot::robot_net_slot_MoreRobotCurPosition},
            {&TcpConnectModule::recvCurEXPosition, &Robot::robot_net_slot_curEXPosition},
            {&TcpConnectModule::receivedToolInfo, &Robot::robot_net_slot_ToolChangedProcess},
        },
        Qt::DirectConnection);
    kelvo::connectRoutes<QByteArray>(
        from, this,
        {
            {&TcpConnectModule::receivedSocketState, &Robot::robot_net_slot_SocketState},
            {&TcpConnectModule::receivedDeadmanStatus,
             &Robot::robot_net_slot_deadmanChangedProcess},
            {&TcpConnectModule::receivedDeadManMode, &Robot::robot_net_slot_DeadManMode},
            {&TcpConnectModule::receivedTeachModeType, &Robot::robot_net_slot_teachtype},
            {&TcpConnectModule::receivedFbCmdMode, &Robot::robot_net_slot_fb},
            {&TcpConnectModule::receivedRobotType, &Robot::robot_net_slot_robotType},
            {&TcpConnectModule::receiveRobotSum, &Robot::robot_net_slot_robotSum},
            {&TcpConnectModule::receivedChangeRobot, &Robot::robot_net_slot_changeRobot},
            {&TcpConnectModule::recvSyncPositonerSwitch,
             &Robot::robot_net_slot_SyncPositonerSwitch},
            {&TcpConnectModule::receiveUploadAnswer, &Robot::robot_net_slot_UploadAnswer},
        });
    // Straight from the connection thread: a caller polling connected() need not run this thread's
    // events for the flag to follow the link.
    connect(from, &TcpConnectModule::linkStateInLinkThread, this,
            &Robot::robot_net_slot_connectSucceed, Qt::DirectConnection);
}

void Robot::cacheAndAnswer(const AnswerTag& tag, const Answer& answer, double* cache, int count) {
    {
        std::lock_guard<std::mutex> lock(cacheMutex_);
        std::copy_n(answer.values.begin(), count, cache);
    }
    this->answer(tag, answer);
}

void Robot::answer(const AnswerTag& tag, const Answer& answer) {
    questions_.answer(tag, answer);
}

void Robot::answerUnreadable(const AnswerTag& tag) {
    questions_.unreadable(tag, [this, &tag] { return snapshotOf(tag.kind); });
}

// ---- Answering reports ----

void Robot::robot_net_slot_servoChangedProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    const std::optional<int> status = report ? intMember(*report, "status") : std::nullopt;
    if (!status) {
        answerUnreadable({AnswerKind::Servo});
        return;
    }
    const int mode = json::intOr(json::member(*report, "mode"));
    const int robot = json::intOr(json::member(*report, "robot"));

    // In teach mode only the robot selected for teaching speaks for the servo state; the others'
    // reports still answer with the status they carry.
    if (!(operationMode_ == kTeachMode && robot != teachRobotNumber()))
        servoStatus_ = *status;
    if (mode == 1 && robot >= 1 && robot <= 4) {
        robotServoStatus_[robot - 1] = *status;
        void (Robot::*const buttonText[])() = {
            &Robot::updateR1MotButtonText, &Robot::updateR2MotButtonText,
            &Robot::updateR3MotButtonText, &Robot::updateR4MotButtonText};
        emit(this->*buttonText[robot - 1])();
    }
    const char bytes[] = {static_cast<char>(mode), static_cast<char>(robot),
                          static_cast<char>(*status)};
    emit robot_servo_changed(QByteArray(bytes, sizeof bytes));
    if (!(operationMode_ == kTeachMode && *status == kJogAllowedServoStatus)) {
        emit show_hide_Axis_widget(0);
    }
    Answer a;
    a.value = *status;
    answer(tagOf(AnswerKind::Servo, *report), a);
}

void Robot::robot_net_slot_modeProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    const std::optional<int> mode = report ? intMember(*report, "mode") : std::nullopt;
    if (!mode || *mode < kTeachMode || *mode > kRunMode) {
        answerUnreadable({AnswerKind::Mode});
        return;
    }

    const bool changed = operationMode_.exchange(*mode) != *mode;
    // The controller answers with the teach type (0x2106).
    if (*mode == kTeachMode)
        sendCommand(kelvo::cmd::kQueryTeachModeType, QByteArray());
    const bool first = firstModeReportPending.exchange(false);
    if (changed || first)
        emit robot_mode_changed(static_cast<OperationMode>(*mode));
    Answer a;
    a.value = *mode;
    answer({AnswerKind::Mode}, a);
}

void Robot::robot_net_slot_coordChangedProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    const std::optional<int> robot = report ? intMember(*report, "robot") : std::nullopt;
    const std::optional<int> coord = report ? intMember(*report, "coord") : std::nullopt;
    if (!robot || !coord) {
        answerUnreadable({AnswerKind::Coord, robot.value_or(AnswerTag::kAny)});
        return;
    }
    if (*robot != currentRobotNumber() || syncPositionerCoord_ == kPositionerCoordinate)
        return;
    coordMode_ = static_cast<quint8>(*coord);
    emit robot_coord_changed(coordMode_);
    // The controller answers with the user coordinate system in use (0x3C0C).
    if (coordMode_ == kUserCoordinates) {
        sendToCurrentRobot(kelvo::cmd::kQueryCurrentUserCoords, Json::Value(Json::objectValue));
    }
    Answer a;
    a.value = coordMode_;
    answer({AnswerKind::Coord, *robot}, a);
}

void Robot::robot_net_slot_velocityProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    const std::optional<int> speed = report ? intMember(*report, "speed") : std::nullopt;
    if (!speed) {
        answerUnreadable(report ? tagOf(AnswerKind::Speed, *report) : AnswerTag{AnswerKind::Speed});
        return;
    }
    jogSpeed_ = *speed;
    emit robot_speed_changed(static_cast<qint8>(*speed));
    Answer a;
    a.value = *speed;
    answer(tagOf(AnswerKind::Speed, *report), a);
}

void Robot::cacheIoReport(const QByteArray& data, AnswerKind kind, const char* key, double* cache,
                          void (Robot::*display)(QByteArray)) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report || !hasArray(*report, key)) {
        answerUnreadable({kind});
        return;
    }
    if (display) {
        QByteArray bytes(kIoReportSize, '\0');
        for (int i = 0; i < kIoReportSize; ++i) {
            bytes[i] = static_cast<char>(intElementAt(*report, key, i));
        }
        emit(this->*display)(bytes);
    }
    Answer a;
    for (int i = 0; i < kCachedIoPoints; ++i)
        a.values[i] = intElementAt(*report, key, i);
    cacheAndAnswer({kind}, a, cache, kCachedIoPoints);
}

void Robot::robot_net_slot_doutProcess(QByteArray data) {
    cacheIoReport(data, AnswerKind::Dout, "status", doutValues_, &Robot::robot_dout_display);
}

void Robot::robot_net_slot_dinProcess(QByteArray data) {
    cacheIoReport(data, AnswerKind::Din, "status", dinValues_, &Robot::robot_din_display);
}

void Robot::robot_net_slot_aoutProcess(QByteArray data) {
    cacheIoReport(data, AnswerKind::Aout, "value", aoutValues_, nullptr);
}

void Robot::robot_net_slot_ainProcess(QByteArray data) {
    cacheIoReport(data, AnswerKind::Ain, "value", ainValues_, nullptr);
}

void Robot::robot_net_slot_prorunstatus(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    QByteArray text;
    AnswerTag tag{AnswerKind::RunningState};
    std::optional<int> status;
    if (report) {
        tag = tagOf(AnswerKind::RunningState, *report);
        const std::optional<int> robot = intMember(*report, "robot");
        status = intMember(*report, "status");
        if (robot)
            text += digitOf(*robot);
        if (status)
            text += digitOf(*status);
        runningState_ = status.value_or(0);
    }
    emit pro_run_status(text);
    if (!status) {
        answerUnreadable(tag);
        return;
    }
    Answer a;
    a.value = *status;
    answer(tag, a);
}

// Every query of a position waits for this report: without a listener for its texts, it is read
// without building its value (a third of the instructions of a query).
void Robot::robot_net_slot_MoreRobotCurPosition(QByteArray data) {
    const bool listened =
        isSignalConnected(QMetaMethod::fromSignal(&Robot::receive_moreRobot_CurPosition));
    if (!listened && json::readQuick(data, [this](const json::QuickReport& report) {
            cacheCurrentPosition(report);
        }))
        return;
    const std::optional<Json::Value> report = json::parse(data);
    if (report)
        cacheCurrentPosition(*report);
    else
        answerUnreadable({AnswerKind::Position});
    // The texts after the answer, so the asker is not kept waiting for them.
    if (!listened)
        return;
    QByteArray posText;
    QByteArray posDegText;
    if (report) {
        posText = positionText(*report, "pos");
        posDegText = positionText(*report, "posDeg");
    }
    emit receive_moreRobot_CurPosition(posText, posDegText);
}

template <typename Report>
void Robot::cacheCurrentPosition(const Report& report) {
    AnswerTag tag = tagOf(AnswerKind::Position, report);
    tag.coord = intMember(report, "coord").value_or(AnswerTag::kAny);
    if (!hasArray(report, "pos")) {
        answerUnreadable(tag);
        return;
    }
    Answer a;
    for (int i = 0; i < kCachedPositionValues; ++i)
        a.values[i] = elementAt(report, "pos", i);
    cacheAndAnswer(tag, a, currentPosition_, kCachedPositionValues);
}

void Robot::robot_net_slot_curEXPosition(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report) {
        answerUnreadable({AnswerKind::SyncPosition});
        return;
    }
    // Only the joint coordinates (0) answer the library's query; others are for someone else.
    if (intMember(*report, "coord") != 0)
        return;
    const AnswerTag tag = tagOf(AnswerKind::SyncPosition, *report);
    if (!hasArray(*report, "posSync")) {
        answerUnreadable(tag);
        return;
    }
    Answer a;
    for (int i = 0; i < kSyncAxes; ++i)
        a.values[i] = elementAt(*report, "posSync", i);
    cacheAndAnswer(tag, a, syncPosition_, kSyncAxes);
}

void Robot::robot_net_slot_SocketState(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    bool open = false;
    if (report && json::has(*report, "open") &&
        json::toBool(json::member(*report, "open"), &open)) {
        socketOpen_ = open;
    }
}

// ---- Other state reports ----

void Robot::robot_net_slot_deadmanChangedProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> deadman = intMember(*report, "deadman")) {
        deadmanStatus_ = *deadman;
        emit deadmanStateChange(*deadman);
    }
}

void Robot::robot_net_slot_DeadManMode(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    emit deadmanModeChange(json::intOr(json::member(*report, "deadmanMode")) == 1,
                           json::intOr(json::member(*report, "deadmanPort")));
}

void Robot::robot_net_slot_ToolChangedProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> tool = intMember(*report, "curToolNum")) {
        currentToolNumber_ = *tool;
        emit robot_tool_changed(*tool);
        Answer a;
        a.value = *tool;
        answer(tagOf(AnswerKind::Tool, *report), a);
    }
}

void Robot::robot_net_slot_teachtype(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> type = intMember(*report, "teachType");
    if (type == 0) {
        teachTypeText_ = QStringLiteral("点动");
    } else if (type == 1) {
        teachTypeText_ = QStringLiteral("拖拽");
    }
}

void Robot::robot_net_slot_fb(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    bool on = false;
    if (report && json::has(*report, "switch") &&
        json::toBool(json::member(*report, "switch"), &on)) {
        fbCmdMode_ = on;
    }
}

void Robot::robot_net_slot_robotType(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> type = intMember(*report, "type")) {
        robotType_ = *type;
        emit robot_change_CurRobotType(static_cast<RobotType>(*type));
    }
}

void Robot::robot_net_slot_robotSum(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> sum = intMember(*report, "sum")) {
        robotCount_ = *sum;
        emit robot_change_RobotSum(*sum);
    }
}

void Robot::robot_net_slot_changeRobot(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<int> mode = intMember(*report, "mode");
    const std::optional<int> robot = intMember(*report, "robot");
    if (!mode || !robot)
        return;
    setCurrentRobot(*mode, *robot);
    emit robot_change_CurRobot(*mode, *robot);
}

void Robot::robot_net_slot_SyncPositonerSwitch(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    if (const std::optional<int> num = intMember(*report, "num")) {
        syncPositionerCoord_ = *num;
        // With the positioner selected, its coordinate system is addressed as the next robot.
        const bool positioner = *num == kPositionerCoordinate;
        Json::Value payload;
        payload["coord"] = positioner ? coordMode_.load() : 0;
        payload["robot"] = currentRobotNumber() + (positioner ? 1 : 0);
        sendCommand(kelvo::cmd::kSetCoordinationMode, payload);
    }
    // The listeners re-read the axes once the coordinate change has had 100 ms to take effect. A
    // timer rather than a wait: the Robot may be destroyed meanwhile, and the timer with it.
    QTimer::singleShot(100, this, &Robot::robot_outterAxis_num);
}

void Robot::robot_net_slot_UploadAnswer(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (report && json::has(*report, "answer")) {
        uploadAnswer_ = json::text(json::member(*report, "answer"));
    }
}

void Robot::robot_net_slot_connectSucceed(int state) {
    connected_ = state != 0;
}
