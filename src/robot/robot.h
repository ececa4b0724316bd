#pragma once

#include "message/requesttypes.h"
#include "robot/questionboard.h"
#include "robot/reportevents.h"

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QMetaType>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <json/value.h>

#include <array>
#include <functional>
#include <memory>
#include <atomic>
#include <mutex>

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
// connection thread), keeps the latest controller state the reports carried (the state cache),
// re-emits the reports as its own notifications and offers the requests the exported calls make.
//
// Threads. The Robot belongs to the thread that created it. Eleven report handlers (servo, mode,
// coordinate system, speed, the four I/O reports, running state, current position, external-axis
// position) run in the connection thread, so a requester blocked in waitForReply is released
// without processing events; every other handler runs queued in the owning thread. Scalar cache
// fields are atomics and may be read from any thread; the position and I/O arrays are written and
// copied out under the request mutex, so a copy never mixes two reports; the text fields belong to
// the owning thread.
//
// Questions, from any thread but the connection thread: put a Question on questions() before
// sending its request; only its own answer releases it, with a copy of the cache as that answer
// left it (see question.h). Every other report updates the cache and releases nothing.
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
    // first check tick. `connected()` follows the link as the owning thread processes events.
    void startLink();
    // Records the link's frames and events; set it before startLink.
    void setFrameRecorder(std::shared_ptr<kelvo::FrameRecorder> recorder);
    bool connected() const { return connected_; }
    QString ipAddress() const { return ipAddress_; }
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
    // Puts a question for expected on the board, runs send (false: the link is down) and waits
    // for its own answer until the deadline; the answer goes to answer when given.
    Asked ask(const AnswerTag& expected, const std::function<bool()>& send,
              QDeadlineTimer deadline, Answer* answer = nullptr);

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
    // ---- Link control ----
    void robot_setwd_slot_changeIP(QString ip);
    void robot_DisconnectToC();
    void robot_startConnectToC();

    // ---- Servo power and jogging ----
    // The deadman command, sent only in teach mode with servo status 1 or 3.
    bool robot_key_slot_saftySwitchProcess(int status);
    void robot_key_slot_axisProcess(qint8 axis, qint8 operation);
    void startJogOneAxisNegativeDirection();
    void startJogOneAxisPositiveDirection();
    void startJogTwoAxisNegativeDirection();
    void startJogTwoAxisPositiveDirection();
    void startJogThreeAxisNegativeDirection();
    void startJogThreeAxisPositiveDirection();
    void startJogFourAxisNegativeDirection();
    void startJogFourAxisPositiveDirection();
    void startJogFiveAxisNegativeDirection();
    void startJogFiveAxisPositiveDirection();
    void startJogSixAxisNegativeDirection();
    void startJogSixAxisPositiveDirection();
    void startJogSevenAxisNegativeDirection();
    void startJogSevenAxisPositiveDirection();
    void startJogO1AxisNegativeDirection();
    void startJogO1AxisPositiveDirection();
    void startJogO2AxisNegativeDirection();
    void startJogO2AxisPositiveDirection();
    void startJogO3AxisNegativeDirection();
    void startJogO3AxisPositiveDirection();
    void startJogO4AxisNegativeDirection();
    void startJogO4AxisPositiveDirection();
    void startJogO5AxisNegativeDirection();
    void startJogO5AxisPositiveDirection();

    void reSetRobotType(RobotType type);

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

    // ---- Status reports: decoded, emit only (robotdecodedreports.cpp) ----
    void robot_net_slot_positionProcess(QVector<double> pos, int coord, int robot);
    void robot_net_slot_JobStatusProcess(QByteArray data);
    void robot_net_slot_stepEndProcess(QByteArray data);
    void robot_net_slot_BWBCommandStatus(QByteArray data);
    void robot_net_slot_RobotCycleIndex(QByteArray data);
    void robot_net_slot_receiveUser(QByteArray data);
    void robot_net_slot_userNote(QByteArray data);
    void robot_net_slot_userSuc(QByteArray data);
    void robot_net_slot_zeroSuccess();
    void robot_net_slot_ModbusState(QByteArray data);
    void robot_net_slot_ModbusIoState(QByteArray data);
    void robot_net_slot_sensitivity(QByteArray data);
    void robot_net_slot_jointInchSpeed(QByteArray data);
    void robot_net_slot_outInchSpeed(QByteArray data);
    void robot_net_slot_rectInchSpeed(QByteArray data);
    void robot_net_slot_recvInterpolationMode(QByteArray data);
    void robot_net_slot_receiveOutterAxisCount(QByteArray data);
    void robot_net_slot_receiveMotorSpeed(QByteArray data);
    void robot_net_slot_receiveMotorTorque(QByteArray data);
    void slot_robotNetSlotReceivedMotorLoad(QByteArray data);
    void robot_net_slot_PresentRobot(QByteArray data);
    void robot_net_slot_receivedDataProcess(quint16 cmd, QByteArray data);

    // ---- Pass-through reports: the payload re-emitted unchanged (robotpassthrough.cpp) ----
    void robot_net_slot_EncoderState(QByteArray data);
    void robot_net_slot_SingleCycleValue(QByteArray data);
    void robot_net_slot_JobfiletoLine(QByteArray data);
    void robot_net_slot_IoStatus(QByteArray data);
    void robot_net_slot_ioparam(QByteArray data);
    void robot_net_slot_MoreRobotResetPosition(QByteArray data);
    void robot_net_slot_RunModeAutoMan(QByteArray data);
    void robot_net_slot_runningtime(QByteArray data);
    void robot_net_slot_DoutState(QByteArray data);
    void robot_net_slot_IOFuncState(QByteArray data);
    void robot_net_slot_FileNamesNeedDownOrUp(QByteArray data);
    void robot_net_slot_shotParameter(QByteArray data);
    void robot_net_slot_currentState(QByteArray data);
    void robot_net_slot_ControlComCycle(QByteArray data);
    void robot_net_slot_programTitle(QByteArray data);
    void robot_net_slot_SafeCheck(QByteArray data);
    void robot_net_slot_IdentificationData(QByteArray data);
    void robot_net_slot_Finish(QByteArray data);
    void robot_net_slot_ErrorStop(QByteArray data);
    void robot_net_slot_TrackData(QByteArray data);
    void robot_net_slot_TrackRange(QByteArray data);
    void robot_net_slot_recvServoPara(QByteArray data);
    void robot_net_slot_receivehistorycmd(QByteArray data);
    void robot_net_slot_SysClock(QByteArray data);
    void robot_net_slot_ServoList(QByteArray data);
    void robot_net_slot_ENI(QByteArray data);
    void robot_net_slot_RobotTypeSlave(QByteArray data);
    void robot_net_slot_RobotSyncAxle(QByteArray data);
    void robot_net_slot_recvCOOPERATIVE(QByteArray data);
    void robot_net_slot_IOConfig(QByteArray data);
    void robot_net_slot_JobSumlist(QByteArray data);
    void robot_net_slot_JobFileList(QByteArray data);
    void robot_net_slot_JobFileInfoFinish();
    void robot_net_slot_ControlLogList(QByteArray data);
    void robot_net_slot_ControlVersion(QByteArray data);
    void robot_net_slot_outterJointPara(QByteArray data);
    void robot_net_slot_outterZeroPoint();
    void robot_net_slot_OuterSingleCycle(QByteArray data);
    void robot_net_slot_outterAxisPos(QByteArray data);
    void robot_net_slot_outterAxisState(QByteArray data);
    void robotNetSlotOutterAxisCalResult(QByteArray data);
    void robotNetSlotReceivedPosOver(QByteArray data);
    void robotNetSlotReceivedTrackingError(QByteArray data);
    void robot_net_slot_receiveTransCoordPos(QByteArray data);
    void robot_net_slot_receiveSafetySet(QByteArray data);
    void robot_net_slot_receivedIODinAlarm(QByteArray data);
    void robot_net_slot_receivedIODoutAlarm(QByteArray data);
    void robot_net_slot_receivedIODinPortName(QByteArray data);
    void robot_net_slot_receivedIODoutPortName(QByteArray data);
    void robot_net_slot_receivedIOAIPortName(QByteArray data);
    void robot_net_slot_receivedIOAOPortName(QByteArray data);
    void robot_net_slot_receiveReservation(QByteArray data);
    void robot_net_slot_receiveControlIp(QByteArray data);
    void robot_net_slot_receiveConntrollerInitState(QByteArray data);
    void robot_net_slot_receiveGlobalVariant(QByteArray data);
    void robot_net_slot_receiveOneGlobalVariant(QByteArray data);
    void robot_net_slot_receiveAllglobalPosition(QByteArray data);
    void robot_net_slot_receiveGlobalPosition(QByteArray data);
    void robot_net_slot_receiveLocalVariantPosP(QByteArray data);
    void robot_net_slot_receiveLocalVariantPosE(QByteArray data);
    void robot_net_slot_receiveLocalVariantValue(QByteArray data);
    void robot_net_slot_receiveCollisionDetectDragTeach(QByteArray data);
    void robot_net_slot_receiveClearCollision(QByteArray data);
    void robot_net_slot_receivedCollision(QByteArray data);
    void robot_net_slot_receivedCollisionPara(QByteArray data);
    void robot_net_slot_receivedTorqFeedback(QByteArray data);
    void robot_net_slot_receivedDragSwitch(QByteArray data);
    void robot_net_slot_receivedDragPara(QByteArray data);
    void robot_net_slot_receivedDynaPara(QByteArray data);
    void robot_net_slot_receivedDynaIdentify(QByteArray data);
    void robot_net_slot_receivedThreeMouse(QByteArray data);
    void robot_net_slot_received3DMousePoint(QByteArray data);
    void robot_net_slot_received3DMouseMark(QByteArray data);
    void robot_net_slot_receiveBrakeAvoidCrushed(QByteArray data);
    void robot_net_slot_receiveBrakeAvoidCrushedDelay(QByteArray data);
    void robot_net_slot_receiveBrakeAvoidCrushedParam(QByteArray data);
    void robot_net_slot_receiveBrakeAvoidCrushedRecordtorq(QByteArray data);
    void robot_net_slot_receivedModbusProgram(QByteArray data);
    void robot_net_slot_receivedModbusParameter(QByteArray data);
    void robot_net_slot_receivedUploadEnable(QByteArray data);
    void robot_net_slot_receivedUploadPara(QByteArray data);
    void robot_net_slot_receivedDAformat(QByteArray data);
    void robot_net_slot_visionParameter(QByteArray data);
    void robot_net_slot_visionIp(QByteArray data);
    void robot_net_slot_visionPosParameter(QByteArray data);
    void robot_net_slot_visionPosGeture(QByteArray data);
    void robot_net_slot_visionPostrytakephoto(QByteArray data);
    void robot_net_slot_receiveVisionDebugPosList(QByteArray data);
    void robot_net_slot_TCPParameter(QByteArray data);
    void robot_net_slot_LaserParameter(QByteArray data);
    void robot_net_slot_TrackParameter(QByteArray data);
    void robot_net_slot_SearchParameter(QByteArray data);
    void robot_net_slot_LaserManufacturer(QByteArray data);
    void robot_net_slot_LaserCalibate(QByteArray data);
    void robot_net_slot_LaserCalibateReCord(QByteArray data);
    void robot_net_slot_LaserCalibateResult(QByteArray data);
    void robot_net_slot_ArcTrackCOMM(QByteArray data);
    void robot_net_slot_ArcTrackCOMP(QByteArray data);
    void slot_receivedArcSearch(QByteArray data);
    void robot_net_slot_trackConBasic(QByteArray data);
    void robot_net_slot_trackConTool(QByteArray data);
    void robot_net_slot_trackConCalibration(QByteArray data);
    void robot_net_slot_trackConCaliSensorPoint(QByteArray data);
    void robot_net_slot_trackConCaliSensorPos(QByteArray data);
    void robot_net_slot_trackConSensorPos(QByteArray data);
    void robot_net_slot_trackConPosr(QByteArray data);
    void robot_net_slot_calibrationPos(QByteArray data);
    void robot_net_slot_trackSpeed(QByteArray data);
    void robot_net_slot_receiveLaserTechParam(QByteArray data);
    void robot_net_slot_receiveCutTechParam(QByteArray data);
    void robot_net_slot_receiveChangeIosetData(QByteArray data);
    void robot_net_slot_receiveChangeLaserAnalog(QByteArray data);
    void robot_net_slot_receiveChangeLaserAnalogSet(QByteArray data);
    void robot_net_slot_weldIOData(QByteArray data);
    void robot_net_slot_WaveIUMatch(QByteArray data);
    void robot_net_slot_receivedWelder(QByteArray data);
    void robot_net_slot_receivedWelderState(QByteArray data);
    void robot_net_slot_receiveWeldEnableState(QByteArray data);
    void robot_net_slot_receiveWeldIntersectionCal(QByteArray data);
    void robot_net_slot_receiveWeldIntersectionPoint(QByteArray data);
    void robot_net_slot_receiveWeldIntersectionPara(QByteArray data);
    void robot_net_slot_receiveOuterWeldTorchParam(QByteArray data);
    void robot_net_slot_receiveOuterWeldType(QByteArray data);
    void robot_net_slot_palletToolParameter(QByteArray data);
    void robot_net_slot_palleteasyToolParameter(QByteArray data);
    void robot_net_slot_switchPalletMode(QByteArray data);
    void robot_net_slot_palletTrayParameter(QByteArray data);
    void robot_net_slot_palletPositionParameter(QByteArray data);
    void robot_net_slot_palleteasyPositionParameter(QByteArray data);
    void robot_net_slot_palletWorkpieceParameter(QByteArray data);
    void robot_net_slot_palletApproachParameter(QByteArray data);
    void robot_net_slot_palletOverlappingModel(QByteArray data);
    void robot_net_slot_palletPlaneModel(QByteArray data);
    void robot_net_slot_palletChangeModel(QByteArray data);
    void robot_net_slot_palletPlanePreview(QByteArray data);
    void robot_net_slot_palletState(QByteArray data);
    void robot_net_slot_palletLocATPara(QByteArray data);
    void robot_net_slot_pieceLocAT(QByteArray data);
    void robot_net_slot_receivePalletData(QByteArray data);
    void robot_net_slot_receivePolishPara(QByteArray data);
    void robot_net_slot_receivedScrewIO(QByteArray data);
    void robot_net_slot_receivedScrewPara(QByteArray data);
    void robot_net_slot_receivedScrewState(QByteArray data);
    void robot_net_slot_DecareParam(QByteArray data);
    void robot_net_slot_EncoderPara(QByteArray data);
    void robot_net_slot_countSuccessFor4(QByteArray data);
    void robot_net_slot_receivedresultForDH(QByteArray data);

    // ---- Alarm reports: logged, never kept (robotalarmreports.cpp) ----
    void robot_net_slot_errProcess(QByteArray data);
    void robot_net_slot_warnProcess(QByteArray data);
    void robot_net_slot_infoProcess(QByteArray data);
    void servoerrordelete();

    // ---- Parameter reports: decoded into texts, never kept (robotparameterreports.cpp) ----
    void robot_net_slot_keepToolCheck(QByteArray data);
    void robot_net_slot_keepToolCheckFor20(QByteArray data);
    void robot_net_slot_receive20MarkedPoint(QByteArray data);
    void robot_net_slot_receive7MarkedPoint(QByteArray data);
    void slot_receivedAllToolCheck(QByteArray data);
    void robot_net_slot_countToolData(QByteArray data);
    void robot_net_slot_countSuccess(QByteArray data);
    void robot_net_slot_countSuccessFor20(QByteArray data);
    void robot_net_slot_ResetResultToZeroPoint(QByteArray data);
    void robot_net_slot_receive20PointState(QByteArray data);
    void robot_net_slot_userCheck(QByteArray data);
    void robot_net_slot_userReply(QByteArray data);
    void robot_net_slot_arcsetData(QByteArray data);
    void robot_net_slot_waveweldData(QByteArray data);
    void robot_net_slot_weldData(QByteArray data);
    void robot_net_slot_matchData(QByteArray data);
    void robot_net_slot_receiveWeldState(QByteArray data);
    void robot_net_slot_robotRange(QByteArray data);
    void robot_net_slot_visionRange(QByteArray data);
    void robot_net_slot_interfereRange(QByteArray data);
    void robot_net_slot_jointPara(QByteArray data);
    void robot_net_slot_dhParaState(QByteArray data);

signals:
    // ---- Towards the message layer ----
    void setLastPingTime(QDateTime t);
    void send_Stop_Move_Command(int axis);

    // ---- Link ----
    void robot_connect_succeed(int state);

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

    // ---- Decoded reports ----
    void robot_position_update(QVector<double> pos, int coord, int robot);
    void robotp_jstatus(int robot, int status);
    void robot_job_continueRun();
    void robot_job_status(int robot, int status, int continueRun);
    void robot_step_end(int robot, QString jobname, int num);
    void robot_BWB_command(int robot, int num);
    void robot_cycletimes_update(int robot, int count);
    void RobotCycleIndex(int robot, int count, int index);
    void sPBtnState(int robot, int count, int index);
    void robot_usercoords_inuse(QString number);
    void robot_usercoords_note(QString note);
    void robot_user_suc(int success);
    void robot_zero_success();
    void robot_Modbus_State(QByteArray state);
    void robot_Modbus_Io_State(QByteArray state);
    void robot_sensitivity_data_check(QByteArray text);
    void robot_jointInchSpeed_data_check(int axis, QByteArray text);
    void robot_outInchSpeed_data_check(int axis, QByteArray text);
    void robot_rectInchSpeed_data_check(QByteArray text);
    void robot_interpolationMode_data_check(QByteArray text);
    void robot_tool_receiveOutterAxisCount(int count);
    void robot_tool_receiveMotorSpeed(QByteArray text);
    void robot_tool_receiveMotorTorque(QByteArray text);
    void robot_tool_receiveMotorTorqueTheo(QByteArray text);
    void signal_robotReceivedMotorLoad(QByteArray text);
    void receivePresentRobotList(QStringList names);
    void robot_received_data(quint16 cmd, QByteArray data);

    // ---- Spraying: relayed straight from the message layer ----
    void robot_Spray_Analog(QByteArray data);
    void robot_Spray_Digital(QByteArray data);
    void robot_Spray_Sequence(QByteArray data);
    void robot_Spray_TrackPara(QByteArray data);
    void robot_Spray_HandOperatOne(QByteArray data);
    void robot_Spray_HandOperatTwo(QByteArray data);
    void robot_Spray_HandOperatThree(QByteArray data);

    // ---- Pass-through reports ----
    void robot_mtservo_error(QByteArray data);
    void robot_singlevalue(QByteArray data);
    void robot_JobfiletoLine(QByteArray data);
    void robot_Io_State(QByteArray data);
    void receive_IO_Param(QByteArray data);
    void receive_moreRobot_ResetPosition(QByteArray data);
    void robot_runModeAutoMan(QByteArray data);
    void robot_runningtime_update(QByteArray data);
    void robot_DoutState_update(QByteArray data);
    void receive_IOFUNC_state(QByteArray data);
    void robot_FileName_Need_DownOrUp(QByteArray data);
    void robot_change_ShotParameter(QByteArray data);
    void robot_change_CurrentState(QByteArray data);
    void receive_ControlComCycle(QByteArray data);
    void robot_programtitle_reflash(QByteArray data);
    void robot_SafeCheck(QByteArray data);
    void robot_IdentificationData(QByteArray data);
    void robot_Finish(QByteArray data);
    void robot_ErrorStop(QByteArray data);
    void robot_TrackData(QByteArray data);
    void robot_TrackRange(QByteArray data);
    void receive_servo_Param(QByteArray data);
    void receive_his_cmd(QByteArray data);
    void robot_ControlSys_Clock(QByteArray data);
    void robot_ServoList(QByteArray data);
    void robot_ENI(QByteArray data);
    void robot_RobotTypeSlave(QByteArray data);
    void robot_RobotSyncAxle(QByteArray data);
    void robot_recvCOOPERATIVE(QByteArray data);
    void robot_IO_config(QByteArray data);
    void robot_job_Sum_list(QByteArray data);
    void robot_job_File_list(QByteArray data);
    void robot_job_File_Info_Finish();
    void robot_ControlLog_list(QByteArray data);
    void robot_Rec_ControlVersion(QByteArray data);
    void robot_outterJoint_para(QByteArray data);
    void robot_outerZeroPoint();
    void robot_outerSingleCycle(QByteArray data);
    void robot_outterAxis_pos(QByteArray data);
    void robot_outterAxis_state(QByteArray data);
    void robotOutterAxisCalResult(QByteArray data);
    void robotReceivedPosOver(QByteArray data);
    void robotReceivedTrackingError(QByteArray data);
    void robot_receiveTransCoordPos(QByteArray data);
    void robot_tool_receiveSafetySet(QByteArray data);
    void robot_receivedIODinAlarm(QByteArray data);
    void robot_receivedIODoutAlarm(QByteArray data);
    void robot_receivedIODinPortName(QByteArray data);
    void robot_receivedIODoutPortName(QByteArray data);
    void robot_receivedIOAIPortName(QByteArray data);
    void robot_receivedIOAOPortName(QByteArray data);
    void robot_receiveReservation(QByteArray data);
    void robot_receiveControlIp(QByteArray data);
    void robot_receiveConntrollerInitState(QByteArray data);
    void robot_get_globalVariant(QByteArray data);
    void robot_get_oneglobalVariant(QByteArray data);
    void robot_rec_allGlobalPosition(QByteArray data);
    void robot_rec_globalPosition(QByteArray data);
    void robot_receiveLocalVariantPosP(QByteArray data);
    void robot_receiveLocalVariantPosE(QByteArray data);
    void robot_receiveLocalVariantValue(QByteArray data);
    void robot_receiveCollisionDetectDragTeach(QByteArray data);
    void robot_receiveClearCollision(QByteArray data);
    void robot_collision(QByteArray data);
    void robot_collisionPara(QByteArray data);
    void robot_torqFeedback(QByteArray data);
    void robot_DragSwitch(QByteArray data);
    void robot_DragPara(QByteArray data);
    void robot_dynaPara(QByteArray data);
    void robot_dynaIdentify(QByteArray data);
    void robot_threeMouse_para(QByteArray data);
    void robot_3DMouse_Point(QByteArray data);
    void robot_3DMouse_Mark(QByteArray data);
    void robot_receiveBrakeAvoidCrushed(QByteArray data);
    void robot_receiveBrakeAvoidCrushedDelay(QByteArray data);
    void robot_receiveBrakeAvoidCrushedParam(QByteArray data);
    void robot_receiveBrakeAvoidCrushedRecordtorq(QByteArray data);
    void robot_receivedModbusProgram_reflash(QByteArray data);
    void robot_receivedModbusParameter(QByteArray data);
    void robot_receivedUploadEnable(QByteArray data);
    void robot_receivedUploadPara(QByteArray data);
    void robot_receivedDAformat(QByteArray data);
    void robot_vision_para(QByteArray data);
    void robot_vision_ip(QByteArray data);
    void robot_visionpos_para(QByteArray data);
    void robot_visionposgesture_para(QByteArray data);
    void robot_visionpostrytakephoto_para(QByteArray data);
    void robot_receiveVisionDebugPosList(QByteArray data);
    void robot_tcp_para(QByteArray data);
    void robot_laser_para(QByteArray data);
    void robot_track_para(QByteArray data);
    void robot_search_para(QByteArray data);
    void robot_laser_Manufacturer(QByteArray data);
    void robot_laser_Calibate(QByteArray data);
    void robot_laser_CalibateReCord(QByteArray data);
    void robot_laser_CalibateResult(QByteArray data);
    void robot_arc_TrackCOMM(QByteArray data);
    void robot_arc_TrackCOMP(QByteArray data);
    void signal_arcSearchPara(QByteArray data);
    void robot_trackConBasic_para(QByteArray data);
    void robot_trackConTool_para(QByteArray data);
    void robot_trackConCalibration_para(QByteArray data);
    void robot_trackConCaliSensorPoint_para(QByteArray data);
    void robot_trackConCaliSensorPos_para(QByteArray data);
    void robot_trackConSensorPos_para(QByteArray data);
    void robot_trackConPosr_para(QByteArray data);
    void robot_calibrationPos_para(QByteArray data);
    void robot_trackSpeed_para(QByteArray data);
    void robot_recLaserTechParam(QByteArray data);
    void robot_recCutTechParam(QByteArray data);
    void robot_recLaserChangerIoSet(QByteArray data);
    void robot_recLaserChangerAnalog(QByteArray data);
    void robot_recLaserChangerAnalogSet(QByteArray data);
    void robot_weldIO_data_get(QByteArray data);
    void robot_waveweld_IUmatch(QByteArray data);
    void robot_receivedWelder(QByteArray data);
    void robot_receivedWelderState(QByteArray data);
    void robot_weldEnableState(QByteArray data);
    void robot_get_weldIntersectionCal(QByteArray data);
    void robot_get_weldIntersectionPoint(QByteArray data);
    void robot_get_weldIntersectionPara(QByteArray data);
    void robot_receiveOuterWeldTorchParam(QByteArray data);
    void robot_receiveOuterWeldType(QByteArray data);
    void robot_pallet_ToolParameter(QByteArray data);
    void robot_palleteasy_ToolParameter(QByteArray data);
    void robot_switchpalletmode(QByteArray data);
    void robot_pallet_TrayParameter(QByteArray data);
    void robot_pallet_PositionParameter(QByteArray data);
    void robot_palleteasy_PositionParameter(QByteArray data);
    void robot_pallet_WorkpieceParameter(QByteArray data);
    void robot_pallet_ApproachParameter(QByteArray data);
    void robot_pallet_OverlappingModel(QByteArray data);
    void robot_pallet_PlaneModel(QByteArray data);
    void robot_pallet_ChangeModel(QByteArray data);
    void robot_pallet_PlanePreview(QByteArray data);
    void robot_pallet_State(QByteArray data);
    void robot_pallet_LocATPara(QByteArray data);
    void robot_piece_LocAT(QByteArray data);
    void robot_receivePalletData(QByteArray data);
    void robot_Polish_Para(QByteArray data);
    void robotReceivedScrewIO(QByteArray data);
    void robotReceivedScrewPara(QByteArray data);
    void robotReceivedScrewState(QByteArray data);
    void robot_Decare_Param(QByteArray data);
    void robot_EncoderPara(QByteArray data);
    void robot_count_successFor4(QByteArray data);
    void robot_receivedresultForDH(QByteArray data);

    // ---- Alarm reports ----
    // An error report arrived; its text went to the debug log.
    void robot_err_info();
    // A servo-drive error (0x6010) whose text names the robot selected for teaching.
    void robot_servo_err_info(QString errorstr);
    void robot_servoerrordelete();

    // ---- Parameter reports: values in the texts are separated by single spaces ----
    void robot_tool_check(int pointNum, QByteArray pose);
    void robot_tool_checkFor20(int pointNum, QByteArray pose);
    void robot_tool_receive20MarkedPoint(int pointNum, QByteArray pose);
    void robot_tool_receive7MarkedPoint(int pointNum, QByteArray pose);
    void signal_toolStatus(QByteArray status);
    void robot_tool_count_check(int toolNum, QByteArray frame, QString note);
    void robot_count_success(int result);
    void robot_count_successFor20(int result, double distance);
    void robot_ResetResult_ToZeroPoint(int apply);
    void robot_tool_receive20PointState(QByteArray data);
    // Six values, or x, y, z and the last angle for the types with four (see each report).
    void robot_usercoords_check(int userNum, QString inquire, QVector<double> frame);
    void robot_usercoords_reply(int userNum, QString inquire, QVector<double> frame);
    void robot_arcset_data_check(int num, QByteArray parameters);
    void robot_waveweld_data_check(int num, QByteArray parameters);
    void robot_weld_data_check(QByteArray parameters);
    void robot_match_data_check(QByteArray parameters);
    void robot_tool_receiveWeldState(QByteArray state);
    void robot_robotRange_data_check(QByteArray range);
    void robot_visionRange_data_check(QByteArray range);
    void robot_interfereIO_data(QByteArray data);
    void robot_interfereRange_data_check(QByteArray range);
    void robot_joint_para(int axis, QByteArray parameters);
    // The kinematic parameters in the robot type's layout; none for the one-axis robot.
    void robot_user_dhParaState(QStringList values);
    void robot_user_dhcoord(QString upsideDown);

private:
    // Report connections, one function per area; each lists its routes as a table.
    void routeStatusReports();
    void routeDecodedReports();
    void routePassThroughReports();
    void routeAlarmReports();
    void routeParameterReports();

    bool sendToCurrentRobot(quint16 command, Json::Value payload);
    bool jogWhenAllowed(qint8 axis, qint8 direction);
    // Writes a cache array under the cache mutex, then answers with the tag.
    template <typename Write>
    void writeCacheAndAnswer(const AnswerTag& tag, Write write);
    // Releases the oldest question the tag answers, with the cache as it now stands.
    void answer(const AnswerTag& tag);
    Answer snapshotOf(AnswerKind kind) const;
    void copyOut(const double* from, int count, double* out) const;
    // An I/O report: the first 16 entries of its array into cache, after showing all 128 as bytes
    // through display when there is one. Always answers.
    void cacheIoReport(const QByteArray& data, AnswerKind kind, const char* key, double* cache,
                       void (Robot::*display)(QByteArray));

    // ---- Owned and referenced objects ----
    QSharedPointer<TcpConnectModule> connection_;
    QuestionBoard questions_;
    std::unique_ptr<ReportEvents> events_;
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
