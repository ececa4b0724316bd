#pragma once

#include "message/requesttypes.h"
#include "robot/decodedreports.h"
#include "robot/questionboard.h"
#include "robot/reportevents.h"

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QMetaType>
#include <QObject>
#include <QSharedPointer>
#include <QString>

#include <json/value.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class TcpConnectModule;
namespace kelvo {
class FrameRecorder;
}

// Kinematic family of the selected robot, as the controller codes it. Any other value the
// controller sends is kept as it is.
enum class RobotType : int {
    SixAxis = 1,
    ScaraFourAxis = 2,
    PalletisingFourAxis = 3,
    FourAxis = 4,
    OneAxis = 5,
    FiveAxis = 6,
    SixAxisSpecialShape = 7,
    ScaraTwoAxis = 8,
};
Q_DECLARE_METATYPE(RobotType)

// The library's one proxy for the controller link. It owns the message layer (and through it the
// connection thread), keeps the latest controller state the reports carried (the state cache) and
// offers the requests the exported calls make. The reports it decodes without keeping anything
// go to its DecodedReports.
//
// Threads. The Robot belongs to the thread that created it. Eleven report handlers (servo, mode,
// coordinate system, speed, the four I/O reports, running state, current position, external-axis
// position) run in the connection thread, so an asker blocked awaiting its answer is released
// without processing events; every other handler runs queued in the owning thread. Scalar cache
// fields are atomics and may be read from any thread; the position and I/O arrays are written and
// copied out under the request mutex, so a copy never mixes two reports; the text fields belong to
// the owning thread.
//
// Questions, from any thread but the connection thread: put a Question on questions() before
// sending its request; only its own answer releases it, with the values that answer carried (see
// question.h). Every other report updates the cache and releases nothing.
class Robot : public QObject {
    Q_OBJECT

public:
    // The controller at ip, port 6000. The link is not started: see startLink.
    explicit Robot(const QString& ip, QObject* parent = nullptr);
    // Any port, for simulated controllers.
    Robot(const QString& ip, quint16 port, QObject* parent = nullptr);
    ~Robot() override;

    // ---- Robot selection: written by the robot-change report, read anywhere ----
    // The "robot" value of every request: teachRobotNumber when non-zero, else baseRobotNumber.
    int currentRobotNumber() const;
    int baseRobotNumber() const;
    int teachRobotNumber() const;
    // Mode 0 selects robot for teaching; mode 1 clears the teach selection and makes robot the
    // base; other modes change nothing.
    void setCurrentRobot(int mode, int robot);

    // ---- Link ----
    // Starts the connection thread and returns once it runs; the first attempt follows at its
    // first check tick. `connected()` follows the link from the connection thread.
    void startLink();
    // Records the link's frames and events; set it before startLink.
    void setFrameRecorder(std::shared_ptr<kelvo::FrameRecorder> recorder);
    bool connected() const { return connected_; }
    // Closes the link and keeps it closed, until robot_startConnectToC.
    void robot_DisconnectToC();
    // Attempts at once, and at every check tick after a loss.
    void robot_startConnectToC();
    QString ipAddress() const { return ipAddress_; }
    // The message layer the link hands received frames to; a harness may hand it frames directly.
    TcpConnectModule* messageLayer() const { return connection_.data(); }
    // The controller's identifier for the job caches; no report sets it, so it stays empty.
    QString controllerIdentifier() const { return controllerIdentifier_; }

    // ---- Sending: true when the frame was handed to the link, false while it is down ----
    bool sendCommand(quint16 command, const QByteArray& payload);
    // The object written as the wire's JSON; an object holding a NaN or an infinity is refused:
    // nothing is sent and the result is false.
    bool sendCommand(quint16 command, const Json::Value& payload);

    // ---- Request operations (each returns its send result) ----
    bool queryDout();
    bool queryDin();
    bool queryAout();
    bool queryAin();
    bool queryCurrentPosition(int coord);
    bool querySyncPosition();
    bool queryRunningState();
    bool runJob(const QString& jobname);
    bool switchToTeachMode();
    bool startJog(qint8 axis, qint8 direction);
    bool stopJog(int axis);
    // The deadman command, sent only in teach mode with servo status 1 or 3.
    bool robot_key_slot_saftySwitchProcess(int status);
    bool requestServoOn();
    bool queryServoStatus();
    bool querySelectedTool();
    bool clearAlarm(quint32 code);
    bool clearAllAlarms();
    // Jogs axis 1 to 12 (8 to 12 are the external axes) when the servo status allows jogging.
    bool jogAxis(int axis, bool positive);
    // 1 when the servo status answering a servo-on request is 1; otherwise logs it with the
    // deadman state and gives 0.
    int servoOnResult(int servoStatus) const;

    // ---- Questions ----
    QuestionBoard& questions() { return questions_; }
    enum class Asked { Answered, NotSent, Unanswered };
    // Puts a question for expected on the board, runs send (false: the link is down; the first
    // frame it sends goes out fenced) and waits for its own answer until the deadline; the answer
    // goes to answer when given.
    Asked ask(const AnswerTag& expected, const std::function<bool()>& send, QDeadlineTimer deadline,
              Answer* answer = nullptr, Unreadable unreadable = Unreadable::Waits);
    // Heartbeat fences behind questions; on by default.
    void setFences(bool on);
    // In teach mode, sends the enabling switch pressed whatever the cached servo state: for a
    // servo-on request the controller answered with 1.
    bool pressEnablingSwitch();

    // ---- State cache: copy-outs (out must hold 16, 6 or 5 doubles; null is ignored) ----
    void copyDout(double* out) const;
    void copyDin(double* out) const;
    void copyAout(double* out) const;
    void copyAin(double* out) const;
    void copyCurrentPosition(double* out) const;
    void copySyncPosition(double* out) const;

    // ---- State cache: fields ----
    quint8 coordMode() const { return coordMode_; }
    int servoStatus() const { return servoStatus_; }
    int deadmanStatus() const { return deadmanStatus_; }
    int currentToolNumber() const { return currentToolNumber_; }
    // robot 1 to 4; 0 for any other number.
    int robotServoStatus(int robot) const;
    int operationMode() const { return operationMode_; }
    QString teachTypeText() const { return teachTypeText_; }
    bool fbCmdMode() const { return fbCmdMode_; }
    int robotType() const { return robotType_; }
    int robotCount() const { return robotCount_; }
    int runningState() const { return runningState_; }
    int syncPositionerCoord() const { return syncPositionerCoord_; }
    QString uploadAnswer() const { return uploadAnswer_; }
    bool socketOpen() const { return socketOpen_; }
    int jogSpeed() const { return jogSpeed_; }

    // ---- Notifications of the reports decoded but not kept ----
    DecodedReports& decodedReports() { return *decoded_; }

    // ---- Events ----
    // From now on every report a host wants to hear of becomes an event for sink, in the
    // connection thread as it arrives. Set it once, before startLink.
    void setEventSink(ReportEvents::Sink sink);
    // Hands on an event made elsewhere (the file transfer); nothing before setEventSink.
    void postEvent(RobotEvent event);

    // ---- File transfer ----
    // Time stamps of transfer traffic, passed to the connection thread as signs of life.
    void updateLastPingTime(const QDateTime& t);

public slots:
    // The reports that keep the state cache. Those decoded without keeping anything go to
    // DecodedReports; every other report ends in the message layer, where the host events are
    // made (reportevents.h).

    // ---- Status reports: answering (robotstatusreports.cpp) ----
    void robot_net_slot_servoChangedProcess(QByteArray data);
    void robot_net_slot_modeProcess(QByteArray data);
    void robot_net_slot_coordChangedProcess(QByteArray data);
    void robot_net_slot_velocityProcess(QByteArray data);
    void robot_net_slot_doutProcess(QByteArray data);
    void robot_net_slot_dinProcess(QByteArray data);
    void robot_net_slot_aoutProcess(QByteArray data);
    void robot_net_slot_ainProcess(QByteArray data);
    void robot_net_slot_prorunstatus(QByteArray data);
    void robot_net_slot_MoreRobotCurPosition(QByteArray data);
    void robot_net_slot_curEXPosition(QByteArray data);
    void robot_net_slot_SocketState(QByteArray data);

    // ---- Status reports: other state (robotstatusreports.cpp) ----
    void robot_net_slot_deadmanChangedProcess(QByteArray data);
    void robot_net_slot_DeadManMode(QByteArray data);
    void robot_net_slot_ToolChangedProcess(QByteArray data);
    void robot_net_slot_teachtype(QByteArray data);
    void robot_net_slot_fb(QByteArray data);
    void robot_net_slot_robotType(QByteArray data);
    void robot_net_slot_robotSum(QByteArray data);
    void robot_net_slot_changeRobot(QByteArray data);
    void robot_net_slot_SyncPositonerSwitch(QByteArray data);
    void robot_net_slot_UploadAnswer(QByteArray data);
    void robot_net_slot_connectSucceed(int state);

signals:
    // ---- Towards the message layer ----
    void setLastPingTime(QDateTime t);

    // ---- For the file transfer: the job reports its synchronisation follows ----
    void robot_job_Sum_list(QByteArray data);
    void robot_job_File_list(QByteArray data);
    void robot_job_File_Info_Finish();

    // ---- Status reports ----
    void robot_servo_changed(QByteArray modeRobotStatus);
    void updateR1MotButtonText();
    void updateR2MotButtonText();
    void updateR3MotButtonText();
    void updateR4MotButtonText();
    void show_hide_Axis_widget(int show);
    void robot_mode_changed(OperationMode mode);
    void robot_coord_changed(quint8 coord);
    void robot_speed_changed(qint8 speed);
    void robot_dout_display(QByteArray status);
    void robot_din_display(QByteArray status);
    void pro_run_status(QByteArray robotAndStatus);
    void receive_moreRobot_CurPosition(QByteArray posText, QByteArray posDegText);
    void deadmanStateChange(int deadman);
    void deadmanModeChange(bool ishardWired, int port);
    void robot_tool_changed(int tool);
    void robot_change_CurRobotType(RobotType type);
    void robot_change_RobotSum(int sum);
    void robot_change_CurRobot(int mode, int robot);
    void robot_outterAxis_num();

private:
    // Report connections, one function per area; each lists its routes as a table.
    void routeStatusReports();
    void routeTransferReports();

    bool sendToCurrentRobot(quint16 command, Json::Value payload);
    bool jogWhenAllowed(qint8 axis, qint8 direction);
    bool sendDeadman(int status);
    // Writes the report's values into a cache array under the cache mutex, then offers them as
    // the answer tagged tag.
    void cacheAndAnswer(const AnswerTag& tag, const Answer& answer, double* cache, int count);
    // A readable report's answer, taken from the report itself.
    void answer(const AnswerTag& tag, const Answer& answer);
    // A report of the kind that cannot be read: only questions that take such reports are
    // answered, with the cache.
    void answerUnreadable(const AnswerTag& tag);
    Answer snapshotOf(AnswerKind kind) const;
    // A current-position report, its value or its quick reading, into the cache, answering the
    // question it answers.
    template <typename Report>
    void cacheCurrentPosition(const Report& report);
    void routeFences();
    void copyOut(const double* from, int count, double* out) const;
    // An I/O report: the first 16 entries of its array into cache, after showing all 128 as bytes
    // through display when there is one. Always answers.
    void cacheIoReport(const QByteArray& data, AnswerKind kind, const char* key, double* cache,
                       void (Robot::*display)(QByteArray));

    // ---- Owned and referenced objects ----
    QSharedPointer<TcpConnectModule> connection_;
    QuestionBoard questions_;
    std::unique_ptr<ReportEvents> events_;
    DecodedReports* decoded_;  // a child
    // Base robot in the low half, teach robot in the high half: one lock-free word, so a reader
    // never sees half of a robot change.
    std::atomic<quint64> selection_{quint64(1) << 32 | 1};  // robot 1 for both
    // Guards the cache arrays, so a copy never mixes two reports.
    mutable std::mutex cacheMutex_;

    // ---- State cache ----
    std::atomic<quint8> coordMode_{0};
    std::atomic<int> servoStatus_{1};
    std::atomic<int> deadmanStatus_{0};
    std::atomic<int> currentToolNumber_{0};
    std::array<std::atomic<int>, 4> robotServoStatus_{};
    std::atomic<int> operationMode_{0};
    QString teachTypeText_;
    std::atomic<bool> fbCmdMode_{false};
    std::atomic<int> robotType_{1};
    std::atomic<int> robotCount_{1};
    std::atomic<int> runningState_{0};
    std::atomic<int> syncPositionerCoord_{0};
    QString uploadAnswer_;
    std::atomic<bool> connected_{false};
    // The arrays are guarded by cacheMutex_.
    double currentPosition_[6] = {};
    double syncPosition_[5] = {};
    double doutValues_[16] = {};
    double dinValues_[16] = {};
    double aoutValues_[16] = {};
    double ainValues_[16] = {};
    std::atomic<bool> socketOpen_{false};
    std::atomic<int> jogSpeed_{0};
    const QString ipAddress_;
    const QString controllerIdentifier_;
};
