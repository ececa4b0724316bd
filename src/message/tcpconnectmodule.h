#pragma once

#include "message/requesttypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>

namespace Json {
class Value;
}
namespace kelvo {
class FrameRecorder;
class TcpConnectModulePrivate;
struct Report;
}  // namespace kelvo

// The message layer: owns the connection thread, passes sends down, and turns every received
// frame into the one signal its command word names. Report signals are emitted in the connection
// thread; connect with a direct connection only what must run there.
class TcpConnectModule : public QObject {
    Q_OBJECT

public:
    // The robot number of the "robot" key in request payloads, read at the moment of sending.
    using RobotNumberSource = std::function<int()>;

    TcpConnectModule(const QString& ip, const quint16& port, const int& timeBase);
    ~TcpConnectModule() override;

    // Starts the connection thread; the first attempt follows at its first check tick.
    void start();
    // True when the frame was handed to the socket; false while the link is down or when the
    // payload cannot be framed.
    bool send(quint16 command, const QByteArray& payload);
    void changeIp(const QString& ip);
    void stopConnect();
    void startConnect();
    // Ends the connection thread and returns once it has ended; nothing is received after.
    void stopThread();

    // Records every frame and link event of the connection, its words named. Set it before start().
    void setFrameRecorder(std::shared_ptr<kelvo::FrameRecorder> recorder);

    // Until set, requests address robot 1. Set it before start().
    void setRobotNumberSource(RobotNumberSource source);

    // Heartbeat fences behind questions (kelvo::FencedSend); on by default.
    void setFences(bool on);

signals:
    // Link state from the connection thread: 1 connected, 0 lost, stopped or being rebuilt.
    void connectSucceed(int state);
    // The same, emitted in the connection thread in order with the frames around it.
    void linkStateInLinkThread(int state);
    // A command word that is not in the catalogue, with its payload unchanged.
    void receivedData(quint16 command, QByteArray data);
    // From the connection thread, in order with the reports around them: R reached replies, and
    // the fences written so far count no more.
    void heartbeatReplied(quint64 replies);
    void fencesLifted();

    // Reports, by function area (high byte of the command word). Each carries the payload as
    // received unless its arguments say otherwise. The dispatch table in reportcatalogue.cpp names
    // the word of each.

    // 0x20: servo power
    void receivedServoStatus(QByteArray data);

    // 0x21: operation mode and teach type
    void receivedOperationMode(QByteArray data);
    void receivedTeachModeType(QByteArray data);

    // 0x22: jog coordinate system
    void receivedCoordinationMode(QByteArray data);

    // 0x23: deadman switch
    void receivedDeadmanStatus(QByteArray data);
    void receivedDeadManMode(QByteArray data);

    // 0x24: job stop and feedback command mode
    void receivedFbCmdMode(QByteArray data);

    // 0x26: speed and inching speeds
    void receivedSpeedInfo(QByteArray data);
    void receiveJointInchSpeed(QByteArray data);
    void receiveRectInchSpeed(QByteArray data);
    void recvSensitivity(QByteArray data);

    // 0x27: test mode
    void receivedTestMode(qint8 testMode);

    // 0x28: interpolation mode
    void receiveInterpolationMode(QByteArray data);

    // 0x2A: position and motor data
    void receivedPosition(QVector<double> position, int coord, int robot);
    void receiveMotorSpeed(QByteArray data);
    void receiveMotorTorque(QByteArray data);
    void receivedPosOver(QByteArray data);
    void signal_receivedMotorLoad(QByteArray data);
    void receiveTransCoordPos(QByteArray data);
    void receivedTrackingError(QByteArray data);

    // 0x2B: alarms: errors, warnings, information
    void receivedError(QByteArray data);
    void receivedWarning(QByteArray data);
    void receivedInfo(QByteArray data);

    // 0x2C: program title
    void receivedRobotProgramTitle(QByteArray data);

    // 0x2E: robot type and system configuration
    void receivedRobotType(QByteArray data);
    void receiveRobotSum(QByteArray data);
    void receiveControlComCycle(QByteArray data);
    void recvSelectFuncton(QByteArray data);
    void receivedServoList(QByteArray data);
    void receivedRobotTypeSlave(QByteArray data);
    void receivedRobotSyncAxle(QByteArray data);
    void receivedENI(QByteArray data);

    // 0x2F: I/O configuration, I/O alarms, current positions
    void recriveioparam(QByteArray data);
    void recriveMoreRobotResetPosition(QByteArray data);
    void recriveMoreRobotCurPosition(QByteArray data);
    void recriveIoStatus(QByteArray data);
    void receiveIOState(QByteArray data);
    void receiveIOFuncState(QByteArray data);
    void receiveUnsafePoint(QByteArray data);
    void receiveReservationState(QByteArray data);
    void recvIOConfig(QByteArray data);
    void receiveSafetySet(QByteArray data);
    void receivedIODinAlarm(QByteArray data);
    void receivedIODoutAlarm(QByteArray data);
    void receivedIODinPortName(QByteArray data);
    void receivedIODoutPortName(QByteArray data);
    void receivedIOAIPortName(QByteArray data);
    void receivedIOAOPortName(QByteArray data);

    // 0x32: collision detection, clearing all alarms
    void receiveCollisionDetectDragTeach(QByteArray data);
    void receiveClearCollision(QByteArray data);

    // 0x33: zero point and encoders
    void receivedZeroSuccess();
    void receivedEncoderState(QByteArray data);
    void receivedSingleCycleValue(QByteArray data);

    // 0x34: controller version
    void recvControlVersion(QByteArray data);

    // 0x35: step and job line execution
    void receivedStepEndStatus(QByteArray data);
    void receivedBWBStatus(QByteArray data);
    void receivedJobfileLine(QByteArray data);

    // 0x36: digital and analog I/O values
    void receivedDoutStatus(QByteArray data);
    void receivedDinStatus(QByteArray data);
    void receivedAoutStatus(QByteArray data);
    void receivedAinStatus(QByteArray data);

    // 0x38: tool
    void receivedToolCheck(QByteArray data);
    void receivedCountSuccess(QByteArray data);
    void receivedCountToolData(QByteArray data);
    void receivedToolInfo(QByteArray data);
    void receive7MarkedPoint(QByteArray data);
    void signal_receivedAllToolCheck(QByteArray data);

    // 0x3A: DH parameters
    void recvDHparaState(QByteArray data);

    // 0x3B: joint, Cartesian and encoder parameters
    void receivedJointPara(QByteArray data);
    void receiveDecareParam(QByteArray data);
    void receivedEncoderPara(QByteArray data);

    // 0x3C: user coordinate systems
    void receivedUserCoordsCheck(QByteArray data);
    void receivedUserSuccess(QByteArray data);
    void receivedUserCoordsReply(QByteArray data);
    void receivedCurrentUserCoords(QByteArray data);
    void receivedUserCoordsNote(QByteArray data);

    // 0x3D: program run status
    void receivedProRunStatus(QByteArray data);  // also from 0x9103

    // 0x3E: robots present
    void receivedPresentRobot(QByteArray data);

    // 0x3F: working, vision and interference ranges
    void receivedRobotRange(QByteArray data);
    void receivedVisionRange(QByteArray data);
    void receivedInterfereRange(QByteArray data);

    // 0x40: welding
    void receivedWeldEquipmentData(QByteArray data);
    void receivedCurVolMatData(QByteArray data);
    void receivedArcsettingData(QByteArray data);
    void receivedWaveweldData(QByteArray data);
    void receiveWaveIUMatch(QByteArray data);
    void receiveWeldIOData(QByteArray data);
    void receiveWeldState(QByteArray data);
    void receiveWeldEnableState(QByteArray data);
    void receivedWelder(QByteArray data);
    void receivedWelderState(QByteArray data);
    void receiveweldintersectionPoint(QByteArray data);
    void receiveWeldintersectionCal(QByteArray data);
    void receiveweldintersectionPara(QByteArray data);
    void receiveOuterWeldTorchParam(QByteArray data);
    void receiveOuterWeldType(QByteArray data);

    // 0x41: vision, laser sensor and seam tracking
    void receiveVisionParameter(QByteArray data);
    void receiveVisionPosParameter(QByteArray data);
    void receiveVisionDebugPosList(QByteArray data);
    void receiveVisionPosGesture(QByteArray data);
    void receiveVisionPostrytakephoto(QByteArray data);
    void receiveVisionIp(QByteArray data);
    void receivedLaserParameter(QByteArray data);
    void receivedLaserManufacturer(QByteArray data);
    void receivedTrackParameter(QByteArray data);
    void receivedSearchParameter(QByteArray data);
    void receivedLaserCalibate(QByteArray data);
    void receivedLaserCalibateReCord(QByteArray data);
    void receivedLaserCalibateResult(QByteArray data);
    void receivedArcTrackCOMM(QByteArray data);
    void receivedArcTrackCOMP(QByteArray data);
    void signal_receivedArcSearch(QByteArray data);
    void receiveTCPParameter(QByteArray data);

    // 0x42: palletising
    void recvPalletToolParameter(QByteArray data);
    void recvPalletTrayParameter(QByteArray data);
    void recvPalletPositionParameter(QByteArray data);
    void recvPalletWorkpieceParameter(QByteArray data);
    void recvPalletApproachParameter(QByteArray data);
    void recvPalletOverlappingModel(QByteArray data);
    void recvPalletPlaneModel(QByteArray data);
    void recvPalletChangeModel(QByteArray data);
    void recvPalletPlanePreview(QByteArray data);
    void recvPalletState(QByteArray data);
    void recvSwitchPalletMode(QByteArray data);
    void recvPalletEasyPositionParameter(QByteArray data);
    void recvPalletEasyToolParameter(QByteArray data);
    void receivePalletData(QByteArray data);
    void recvPalletLocATPara(QByteArray data);
    void recvPieceLocAT(QByteArray data);

    // 0x43: controller network settings
    void receiveControlIp(QByteArray data);
    void receiveConntrollerInitState(QByteArray data);

    // 0x44: laser cutting
    void receiveChangeIosetData(QByteArray data);
    void receiveLaserTechParam(QByteArray data);
    void receiveChangeLaserAnalog(QByteArray data);
    void receiveCutTechParam(QByteArray data);
    void receiveCurrentState(QByteArray data);
    void receiveShotParameter(QByteArray data);
    void receiveChangeLaserAnalogSet(QByteArray data);

    // 0x46: polishing
    void receivedPolishPara(QByteArray data);

    // 0x47: spraying
    void receivedSprayAnalog(QByteArray data);
    void receivedSprayDigital(QByteArray data);
    void receivedSpraySequence(QByteArray data);
    void receivedSprayTrackPara(QByteArray data);
    void receivedSprayHandOperatOne(QByteArray data);
    void receivedSprayHandOperatTwo(QByteArray data);
    void receivedSprayHandOperatThree(QByteArray data);

    // 0x48: conveyor tracking
    void receiveTrackConBasic(QByteArray data);
    void receiveTrackConTool(QByteArray data);
    void receiveTrackSpeed(QByteArray data);
    void receiveCalibrationedPoint(QByteArray data);
    void receiveSensorPos(QByteArray data);
    void receiveCalibrationedSensorPoint(QByteArray data);
    void receiveCalibrationedSensorPos(QByteArray data);
    void rceiveTrackConPos(QByteArray data);
    void receiveCalibrationPos(QByteArray data);

    // 0x50: system: robot selection, cycle, running time, Modbus, clock, servo parameters,
    // run mode, socket state
    void receivedChangeRobot(QByteArray data);
    void recriveRobotCycleIndex(QByteArray data);
    void receiveRobotRunningTime(QByteArray data);
    void recriveModbusIoState(QByteArray data);
    void recvControlNumber(QByteArray data);
    void recvSysClock(QByteArray data);
    void recvServoPara(QByteArray data);
    void receivedProSelfStart(QByteArray data);
    void receivehistorycmd(QByteArray data);
    void receivedRunModeAutoMan(QByteArray data);
    void receivedSocketState(QByteArray data);

    // 0x55: job and log files
    void receiveUploadAnswer(QByteArray data);
    void receiveFileNamesNeedByDownload(QByteArray data);
    void recvJobSumlist(QByteArray data);
    void recvJobFileList(QByteArray data);
    void recvJobFileInfoFinish();
    void recvControlLoglist(QByteArray data);

    // 0x56: global and local variables
    void receiveAllGlobalPosition(QByteArray data);
    void receiveGlobalPosition(QByteArray data);
    void receiveGlobalVariant(QByteArray data);
    void receiveOneGlobalVariant(QByteArray data);
    void receiveLocalVariantPosP(QByteArray data);
    void receiveLocalVariantPosE(QByteArray data);
    void receiveLocalVariantValue(QByteArray data);

    // 0x57: Modbus programs, upload settings, screw fastening
    void receivedModbusProgram(QByteArray data);
    void reveivedModbusParameter(QByteArray data);
    void recrivedModbusState(QByteArray data);
    void receivedUploadEnable(QByteArray data);
    void receivedUploadPara(QByteArray data);
    void receivedDAformat(QByteArray data);
    void receivedScrewPara(QByteArray data);
    void receivedScrewIO(QByteArray data);
    void receivedScrewState(QByteArray data);

    // 0x70: external axes and synchronised positioner
    void recvOutterAxisPos(QByteArray data);
    void recvOutterAxisState(QByteArray data);
    void receiveOutterAxisCount(QByteArray data);
    void recvSyncPositonerSwitch(QByteArray data);
    void recvCurEXPosition(QByteArray data);
    void recvCOOPERATIVE(QByteArray data);
    void recvOutterJointPara(QByteArray data);
    void receivedOutInchSpeed(QByteArray data);
    void recvOutterZeroPoint();
    void receiveOuterSingleCycle(QByteArray data);
    void recvOutterCalResult(QByteArray data);

    // 0x71: 20-point tool calibration
    void receivedToolCheckFor20(QByteArray data);
    void receivedCountSuccessFor20(QByteArray data);
    void receiveResetResultToZeroPoint(QByteArray data);
    void receive20PointState(QByteArray data);
    void receive20MarkedPoint(QByteArray data);

    // 0x72: 4-point calibration and DH results
    void receivedCountSuccessFor4(QByteArray data);
    void receivedresultForDH(QByteArray data);

    // 0x73: 3D mouse
    void receivedThreeMouse(QByteArray data);
    void received3DMousePoint(QByteArray data);
    void received3DMouseMark(QByteArray data);

    // 0x74: dynamics identification and collision
    void receivedDynaPara(QByteArray data);
    void receivedDynaIdentify(QByteArray data);
    void receivedCollision(QByteArray data);
    void receivedCollisionPara(QByteArray data);
    void receivedTorqFeedback(QByteArray data);

    // 0x75: drag teaching
    void receivedDragSwitch(QByteArray data);
    void receivedDragPara(QByteArray data);

    // 0x76: identification
    void receivedTrackData(QByteArray data);
    void receivedSafeCheck(QByteArray data);
    void receivedIdentificationData(QByteArray data);
    void receivedFinish(QByteArray data);
    void receivedTrackRange(QByteArray data);
    void receivedErrorStop(QByteArray data);

    // 0x77: brake and anti-crush
    void receiveBrakeAvoidCrushed(QByteArray data);
    void receiveBrakeAvoidCrushedDelay(QByteArray data);
    void receiveBrakeAvoidCrushedParam(QByteArray data);
    void receiveBrakeAvoidCrushedRecordtorq(QByteArray data);

    // 0x91: job status (0x9103 emits receivedProRunStatus first)
    void receivedJobStatus(QByteArray data);

public slots:
    bool setServoStatus(ServoStatus servoStatus);
    bool getServoStatus();
    void setLastPingTime(QDateTime rectime);
    bool getSelectTool();
    bool clearError(ErrorList error);
    bool clearAllError();
    bool onConnectSucceed(int state);
    // Runs in the connection thread, once per received frame.
    void onReceivedData(quint16 command, QByteArray data);

private:
    void dispatch(const kelvo::Report& report, const QByteArray& data);
    bool sendObject(quint16 command, const Json::Value& object);
    int robotNumber() const;

    QSharedPointer<kelvo::TcpConnectModulePrivate> d_;
    RobotNumberSource robotNumber_;
};
