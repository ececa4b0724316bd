#include "robot/robot.h"

#include "link/jsonwire.h"
#include "message/commandwords.h"
#include "message/tcpconnectmodule.h"
#include "robot/robotlog.h"

#include <QDebug>
#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <chrono>

namespace {

constexpr quint16 kControllerPort = 6000;
// Sets the connection thread's supervision periods: check tick 1666 ms, liveness check 2000 ms.
constexpr int kTimeBase = 300000;
constexpr int kJogAllowedServoStatus = 3;
constexpr int kServoOnStatus = 1;
constexpr int kTeachMode = 0;
constexpr int kLastJogAxis = 12;

// Both numbers packed in one lock-free word, so a reader never sees half of a robot change.
struct RobotSelection {
    qint32 base;
    qint32 teach;

    static RobotSelection unpack(quint64 word) {
        return {static_cast<qint32>(static_cast<quint32>(word >> 32)),
                static_cast<qint32>(static_cast<quint32>(word))};
    }
    quint64 pack() const {
        return (quint64{static_cast<quint32>(base)} << 32) | static_cast<quint32>(teach);
    }
};
std::atomic<quint64> selection{RobotSelection{1, 1}.pack()};
static_assert(std::atomic<quint64>::is_always_lock_free);

std::atomic<Robot::FileTransferAccessor> fileTransferAccessor{nullptr};

}  // namespace

Robot* Robot::instance(const QString& ip) {
    static Robot* const robot = new Robot(ip);
    return robot;
}

Robot::Robot(const QString& ip, QObject* parent) : Robot(ip, kControllerPort, parent) {}

Robot::Robot(const QString& ip, quint16 port, QObject* parent)
    : QObject(parent),
      connection_(new TcpConnectModule(ip, port, kTimeBase)),
      teachTypeText_(QStringLiteral("点动")),
      uploadAnswer_(QStringLiteral("no")),
      ipAddress_(ip) {
    qRegisterMetaType<OperationMode>("OperationMode");
    qRegisterMetaType<RobotType>("RobotType");
    connection_->setRobotNumberSource(&Robot::currentRobotNumber);

    routeStatusReports();
    routeDecodedReports();
    routePassThroughReports();
    routeAlarmReports();
    routeParameterReports();
    connect(this, &Robot::setLastPingTime, connection_.data(), &TcpConnectModule::setLastPingTime);
    connect(this, &Robot::send_Stop_Move_Command, connection_.data(),
            &TcpConnectModule::sendStopMoveCommand);

    // The job file transfer object (TcpUpDownFile), last, as it may read this Robot.
    if (const FileTransferAccessor accessor = fileTransferAccessor) {
        fileTransfer_ = accessor(this);
    }
}

Robot::~Robot() {
    // Stop the connection thread first: its direct handlers use the members destroyed below.
    connection_.reset();
}

// ---- Robot selection ----

int Robot::currentRobotNumber() {
    const RobotSelection s = RobotSelection::unpack(selection.load());
    return s.teach != 0 ? s.teach : s.base;
}

int Robot::baseRobotNumber() {
    return RobotSelection::unpack(selection.load()).base;
}

int Robot::teachRobotNumber() {
    return RobotSelection::unpack(selection.load()).teach;
}

void Robot::setCurrentRobot(int mode, int robot) {
    if (mode != 0 && mode != 1)
        return;
    quint64 old = selection.load();
    RobotSelection s;
    do {
        s = RobotSelection::unpack(old);
        if (mode == 0) {
            s.teach = robot;
        } else {
            s = RobotSelection{robot, 0};
        }
    } while (!selection.compare_exchange_weak(old, s.pack()));
}

// ---- Link ----

void Robot::startLink() {
    connection_->start();
}

void Robot::robot_setwd_slot_changeIP(QString ip) {
    connection_->changeIp(ip);
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

bool Robot::robot_key_slot_saftySwitchProcess(int status) {
    const int servo = servoStatus_;
    if (operationMode_ != kTeachMode ||
        (servo != kServoOnStatus && servo != kJogAllowedServoStatus)) {
        return false;
    }
    Json::Value payload;
    payload["deadman"] = status;
    return sendCommand(kelvo::cmd::kSetDeadman, payload);
}

int Robot::servoOnResult() {
    if (servoStatus_ == kServoOnStatus)
        return 1;
    qCDebug(lcRobot) << "servo " << servoStatus() << " deadman " << deadmanStatus();
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

void Robot::robot_key_slot_axisProcess(qint8 axis, qint8 operation) {
    jogWhenAllowed(axis, operation);
}

#define KELVO_JOG_SLOTS(word, axis)                       \
    void Robot::startJog##word##AxisNegativeDirection() { \
        jogWhenAllowed(axis, -1);                         \
    }                                                     \
    void Robot::startJog##word##AxisPositiveDirection() { \
        jogWhenAllowed(axis, +1);                         \
    }
KELVO_JOG_SLOTS(One, 1)
KELVO_JOG_SLOTS(Two, 2)
KELVO_JOG_SLOTS(Three, 3)
KELVO_JOG_SLOTS(Four, 4)
KELVO_JOG_SLOTS(Five, 5)
KELVO_JOG_SLOTS(Six, 6)
KELVO_JOG_SLOTS(Seven, 7)
KELVO_JOG_SLOTS(O1, 8)
KELVO_JOG_SLOTS(O2, 9)
KELVO_JOG_SLOTS(O3, 10)
KELVO_JOG_SLOTS(O4, 11)
KELVO_JOG_SLOTS(O5, 12)
#undef KELVO_JOG_SLOTS

void Robot::reSetRobotType(RobotType type) {
    robotType_ = static_cast<int>(type);
    emit robot_change_CurRobotType(type);
}

// ---- Request and wait ----

void Robot::lockRequest() {
    requestMutex_.lock();
}

void Robot::unlockRequest() {
    requestMutex_.unlock();
}

bool Robot::waitForReply(QDeadlineTimer deadline) {
    std::unique_lock<std::mutex> lock(requestMutex_, std::adopt_lock);
    // Counting wakes makes the wait immune to spurious wake-ups: only a report ends it.
    const quint64 generation = replyGeneration_;
    const auto answered = [&] { return replyGeneration_ != generation; };
    if (deadline.isForever()) {
        replyCondition_.wait(lock, answered);
        return true;
    }
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::nanoseconds(deadline.remainingTimeNSecs());
    return replyCondition_.wait_until(lock, until, answered);
}

void Robot::wakeWaiters() {
    std::lock_guard<std::mutex> lock(requestMutex_);
    ++replyGeneration_;
    replyCondition_.notify_all();
}

// ---- Copy-outs ----

void Robot::copyOut(const double* from, int count, double* out) const {
    if (!out)
        return;
    std::lock_guard<std::mutex> lock(requestMutex_);
    std::copy(from, from + count, out);
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

void Robot::setFileTransferAccessor(FileTransferAccessor accessor) {
    fileTransferAccessor = accessor;
}

bool Robot::uploadJobFiles(const QStringList& names) {
    if (!fileTransfer_)
        return false;
    // From another thread, wait until the transfer object has run its connection step.
    const Qt::ConnectionType type = QThread::currentThread() == fileTransfer_->thread()
                                        ? Qt::DirectConnection
                                        : Qt::BlockingQueuedConnection;
    return QMetaObject::invokeMethod(fileTransfer_, "setUpLoadJobFileName", type,
                                     Q_ARG(QStringList, names));
}

void Robot::updateLastPingTime(const QDateTime& t) {
    emit setLastPingTime(t);
}
