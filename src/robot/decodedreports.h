#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class Robot;
class TcpConnectModule;

// The reports the library decodes into notifications without keeping anything: positions, job
// progress, configuration and calibration values as texts for a user interface, alarms. One
// belongs to each Robot, which it asks for the robot type and the teach selection; its handlers
// run queued in the Robot's thread.
class DecodedReports : public QObject {
    Q_OBJECT

public:
    DecodedReports(TcpConnectModule* from, const Robot& robot, QObject* parent = nullptr);

public slots:
    // ---- Status reports (decodedreports.cpp) ----
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

    // ---- Alarm reports: logged, never kept (decodedalarmreports.cpp) ----
    void robot_net_slot_errProcess(QByteArray data);
    void robot_net_slot_warnProcess(QByteArray data);
    void robot_net_slot_infoProcess(QByteArray data);

    // ---- Parameter reports: decoded into texts, never kept (decodedparameterreports.cpp) ----
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

    // ---- Alarm reports ----
    // An error report arrived; its text went to the debug log.
    void robot_err_info();
    // A servo-drive error (0x6010) whose text names the robot selected for teaching.
    void robot_servo_err_info(QString errorstr);

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
    void routeStatusReports(TcpConnectModule* from);
    void routeAlarmReports(TcpConnectModule* from);
    void routeParameterReports(TcpConnectModule* from);

    const Robot& robot_;
};
