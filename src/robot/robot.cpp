#include "robot/robot.h"

#include "link/heartbeatfence.h"
#include "link/jsonwire.h"
#include "message/commandwords.h"
#include "message/tcpconnectmodule.h"
#include "robot/reportroute.h"
#include "robot/robotlog.h"

#include <QDebug>
#include <QMetaObject>
#include <QThread>

#include <algorithm>

namespace {

constexpr quint16 kControllerPort = 6000;
// Sets the connection thread's supervision periods: check tick 1666 ms, liveness check 2000 ms.
constexpr int kTimeBase = 300000;
constexpr int kJogAllowedServoStatus = 3;
constexpr int kServoOnStatus = 1;
constexpr int kTeachMode = 0;
constexpr int kLastJogAxis = 12;

quint64 packSelection(int base, int teach) {
    return quint64(quint32(base)) | quint64(quint32(teach)) << 32;
}
static_assert(std::atomic<quint64>::is_always_lock_free);

}  // namespace

Robot::Robot(const QString& ip, QObject* parent) : Robot(ip, kControllerPort, parent) {}

Robot::Robot(const QString& ip, quint16 port, QObject* parent)
    : QObject(parent),
      connection_(new TcpConnectModule(ip, port, kTimeBase)),
      decoded_(new DecodedReports(connection_.data(), *this, this)),
      teachTypeText_(QStringLiteral("点动")),
      uploadAnswer_(QStringLiteral("no")),
      ipAddress_(ip) {
    qRegisterMetaType<OperationMode>("OperationMode");
    qRegisterMetaType<RobotType>("RobotType");
    connection_->setRobotNumberSource([this] { return currentRobotNumber(); });

    routeStatusReports();
    routeTransferReports();
    routeFences();
    connect(this, &Robot::setLastPingTime, connection_.data(), &TcpConnectModule::setLastPingTime);
}

Robot::~Robot() {
    // End the connection thread first, with the link still whole: its direct handlers use the
    // members destroyed below, and may send while they run.
    connection_->stopThread();
}

// ---- Robot selection ----

int Robot::currentRobotNumber() const {
    const quint64 s = selection_;
    const int teach = qint32(s >> 32);
    return teach != 0 ? teach : qint32(s);
}

int Robot::baseRobotNumber() const {
    return qint32(selection_.load());
}

int Robot::teachRobotNumber() const {
    return qint32(selection_.load() >> 32);
}

void Robot::setCurrentRobot(int mode, int robot) {
    if (mode != 0 && mode != 1)
        return;
    quint64 old = selection_.load();
    while (!selection_.compare_exchange_weak(
        old, mode == 0 ? packSelection(qint32(old), robot) : packSelection(robot, 0))) {
    }
}

// The synchronisation of the file transfer follows these job reports; no other report is relayed.
void Robot::routeTransferReports() {
    TcpConnectModule* from = connection_.data();
    kelvo::connectRoutes<QByteArray>(
        from, this,
        {
            {&TcpConnectModule::recvJobSumlist, &Robot::robot_job_Sum_list},
            {&TcpConnectModule::recvJobFileList, &Robot::robot_job_File_list},
        });
    connect(from, &TcpConnectModule::recvJobFileInfoFinish, this,
            &Robot::robot_job_File_Info_Finish);
}

// ---- Link ----

void Robot::startLink() {
    connection_->start();
}

void Robot::setFrameRecorder(std::shared_ptr<kelvo::FrameRecorder> recorder) {
    connection_->setFrameRecorder(std::move(recorder));
}

void Robot::robot_DisconnectToC() {
    connection_->stopConnect();
}

void Robot::robot_startConnectToC() {
    connection_->startConnect();
}

// ---- Sending ----

bool Robot::sendCommand(quint16 command, const QByteArray& payload) {
    return connection_->send(command, payload);
}

bool Robot::sendCommand(quint16 command, const Json::Value& payload) {
    const std::optional<QByteArray> text = kelvo::json::write(payload);
    return text && sendCommand(command, *text);
}

bool Robot::sendToCurrentRobot(quint16 command, Json::Value payload) {
    payload["robot"] = currentRobotNumber();
    return sendCommand(command, payload);
}

// ---- Request operations ----

bool Robot::queryDout() {
    return sendCommand(kelvo::cmd::kQueryDout, QByteArray());
}

bool Robot::queryDin() {
    return sendCommand(kelvo::cmd::kQueryDin, QByteArray());
}

bool Robot::queryAout() {
    return sendCommand(kelvo::cmd::kQueryAout, QByteArray());
}

bool Robot::queryAin() {
    return sendCommand(kelvo::cmd::kQueryAin, QByteArray());
}

bool Robot::queryCurrentPosition(int coord) {
    Json::Value payload;
    payload["coord"] = coord;
    return sendToCurrentRobot(kelvo::cmd::kQueryCurrentPosition, payload);
}

bool Robot::querySyncPosition() {
    Json::Value payload;
    payload["coord"] = 0;
    return sendToCurrentRobot(kelvo::cmd::kQuerySyncPosition, payload);
}

bool Robot::queryRunningState() {
    return sendToCurrentRobot(kelvo::cmd::kQueryRunStatus, Json::Value(Json::objectValue));
}

bool Robot::runJob(const QString& jobname) {
    Json::Value payload;
    payload["continueRun"] = 0;
    payload["jobname"] = jobname.toStdString();
    payload["line"] = 1;
    return sendToCurrentRobot(kelvo::cmd::kRunJob, payload);
}

bool Robot::switchToTeachMode() {
    Json::Value payload;
    payload["mode"] = kTeachMode;
    return sendCommand(kelvo::cmd::kSetOperationMode, payload);
}

bool Robot::startJog(qint8 axis, qint8 direction) {
    Json::Value payload;
    payload["axis"] = axis;
    payload["direction"] = direction;
    return sendCommand(kelvo::cmd::kStartJog, payload);
}

bool Robot::stopJog(int axis) {
    Json::Value payload;
    payload["axis"] = axis;
    return sendCommand(kelvo::cmd::kStopJog, payload);
}

bool Robot::requestServoOn() {
    return connection_->setServoStatus(ServoStatus::Ready);
}

bool Robot::queryServoStatus() {
    return connection_->getServoStatus();
}

bool Robot::querySelectedTool() {
    return connection_->getSelectTool();
}

bool Robot::clearAlarm(quint32 code) {
    return connection_->clearError(code);
}

bool Robot::clearAllAlarms() {
    return connection_->clearAllError();
}

bool Robot::robot_key_slot_saftySwitchProcess(int status) {
    const int servo = servoStatus_;
    if (operationMode_ != kTeachMode ||
        (servo != kServoOnStatus && servo != kJogAllowedServoStatus)) {
        return false;
    }
    return sendDeadman(status);
}

bool Robot::pressEnablingSwitch() {
    return operationMode_ == kTeachMode && sendDeadman(1);
}

bool Robot::sendDeadman(int status) {
    Json::Value payload;
    payload["deadman"] = status;
    return sendCommand(kelvo::cmd::kSetDeadman, payload);
}

int Robot::servoOnResult(int servoStatus) const {
    if (servoStatus == kServoOnStatus)
        return 1;
    qCDebug(lcRobot) << "servo " << servoStatus << " deadman " << deadmanStatus();
    return 0;
}

// ---- Jogging ----

bool Robot::jogWhenAllowed(qint8 axis, qint8 direction) {
    return servoStatus_ == kJogAllowedServoStatus && startJog(axis, direction);
}

bool Robot::jogAxis(int axis, bool positive) {
    if (axis < 1 || axis > kLastJogAxis)
        return false;
    return jogWhenAllowed(static_cast<qint8>(axis), positive ? 1 : -1);
}

// ---- Events ----

void Robot::setEventSink(ReportEvents::Sink sink) {
    events_ = std::make_unique<ReportEvents>(connection_.data(), std::move(sink));
}

void Robot::postEvent(RobotEvent event) {
    if (events_)
        events_->post(std::move(event));
}

// ---- Questions ----

Robot::Asked Robot::ask(const AnswerTag& expected, const std::function<bool()>& send,
                        QDeadlineTimer deadline, Answer* answer, Unreadable unreadable) {
    Question question(questions_, expected, unreadable);
    {
        const kelvo::FencedSend fenced;
        if (!send())
            return Asked::NotSent;
        question.sent(fenced.sequence());
    }
    if (!question.await(deadline))
        return Asked::Unanswered;
    if (answer)
        *answer = question.answer();
    return Asked::Answered;
}

void Robot::setFences(bool on) {
    connection_->setFences(on);
}

// Direct: replies and lifts reach the board in order with the reports around them.
void Robot::routeFences() {
    connect(
        connection_.data(), &TcpConnectModule::heartbeatReplied, this,
        [this](quint64 replies) { questions_.heartbeatReplied(replies); }, Qt::DirectConnection);
    connect(
        connection_.data(), &TcpConnectModule::fencesLifted, this,
        [this] { questions_.liftFences(); }, Qt::DirectConnection);
}

// ---- Copy-outs ----

void Robot::copyOut(const double* from, int count, double* out) const {
    if (!out)
        return;
    std::lock_guard<std::mutex> lock(cacheMutex_);
    std::copy(from, from + count, out);
}

Answer Robot::snapshotOf(AnswerKind kind) const {
    Answer a;
    switch (kind) {
        case AnswerKind::Servo:
            a.value = servoStatus_;
            break;
        case AnswerKind::Mode:
            a.value = operationMode_;
            break;
        case AnswerKind::Coord:
            a.value = coordMode_;
            break;
        case AnswerKind::Speed:
            a.value = jogSpeed_;
            break;
        case AnswerKind::RunningState:
            a.value = runningState_;
            break;
        case AnswerKind::Tool:
            a.value = currentToolNumber_;
            break;
        case AnswerKind::Dout:
            copyOut(doutValues_, 16, a.values.data());
            break;
        case AnswerKind::Din:
            copyOut(dinValues_, 16, a.values.data());
            break;
        case AnswerKind::Aout:
            copyOut(aoutValues_, 16, a.values.data());
            break;
        case AnswerKind::Ain:
            copyOut(ainValues_, 16, a.values.data());
            break;
        case AnswerKind::Position:
            copyOut(currentPosition_, 6, a.values.data());
            break;
        case AnswerKind::SyncPosition:
            copyOut(syncPosition_, 5, a.values.data());
            break;
    }
    return a;
}

void Robot::copyDout(double* out) const {
    copyOut(doutValues_, 16, out);
}

void Robot::copyDin(double* out) const {
    copyOut(dinValues_, 16, out);
}

void Robot::copyAout(double* out) const {
    copyOut(aoutValues_, 16, out);
}

void Robot::copyAin(double* out) const {
    copyOut(ainValues_, 16, out);
}

void Robot::copyCurrentPosition(double* out) const {
    copyOut(currentPosition_, 6, out);
}

void Robot::copySyncPosition(double* out) const {
    copyOut(syncPosition_, 5, out);
}

int Robot::robotServoStatus(int robot) const {
    return robot >= 1 && robot <= 4 ? robotServoStatus_[robot - 1].load() : 0;
}

// ---- File transfer ----

void Robot::updateLastPingTime(const QDateTime& t) {
    emit setLastPingTime(t);
}
