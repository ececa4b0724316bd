// Every report the library only passes on reaches its Robot signal with the payload unchanged.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <QMap>

namespace {

struct PassThrough {
    quint16 word;
    void (Robot::*signal)(QByteArray);
};

const PassThrough kPassThrough[] = {
    {0x3306, &Robot::robot_mtservo_error},
    {0x330A, &Robot::robot_singlevalue},
    {0x3504, &Robot::robot_JobfiletoLine},
    {0x2F0B, &Robot::robot_Io_State},
    {0x2F03, &Robot::receive_IO_Param},
    {0x2F06, &Robot::receive_moreRobot_ResetPosition},
    {0x50A3, &Robot::robot_runModeAutoMan},
    {0x5023, &Robot::robot_runningtime_update},
    {0x2F0F, &Robot::robot_DoutState_update},
    {0x2F13, &Robot::receive_IOFUNC_state},
    {0x5508, &Robot::robot_FileName_Need_DownOrUp},
    {0x4413, &Robot::robot_change_ShotParameter},
    {0x440F, &Robot::robot_change_CurrentState},
    {0x2E09, &Robot::receive_ControlComCycle},
    {0x2C03, &Robot::robot_programtitle_reflash},
    {0x7605, &Robot::robot_SafeCheck},
    {0x7607, &Robot::robot_IdentificationData},
    {0x7608, &Robot::robot_Finish},
    {0x760A, &Robot::robot_ErrorStop},
    {0x7603, &Robot::robot_TrackData},
    {0x7609, &Robot::robot_TrackRange},
    {0x5073, &Robot::receive_servo_Param},
    {0x5093, &Robot::receive_his_cmd},
    {0x505C, &Robot::robot_ControlSys_Clock},
    {0x2E0F, &Robot::robot_ServoList},
    {0x2E1C, &Robot::robot_ENI},
    {0x2E16, &Robot::robot_RobotTypeSlave},
    {0x2E19, &Robot::robot_RobotSyncAxle},
    {0x7017, &Robot::robot_recvCOOPERATIVE},
    {0x2F23, &Robot::robot_IO_config},
    {0x5533, &Robot::robot_job_Sum_list},
    {0x5534, &Robot::robot_job_File_list},
    {0x5543, &Robot::robot_ControlLog_list},
    {0x3403, &Robot::robot_Rec_ControlVersion},
    {0x7023, &Robot::robot_outterJoint_para},
    {0x7037, &Robot::robot_outerSingleCycle},
    {0x7003, &Robot::robot_outterAxis_pos},
    {0x7004, &Robot::robot_outterAxis_state},
    {0x7043, &Robot::robotOutterAxisCalResult},
    {0x2A09, &Robot::robotReceivedPosOver},
    {0x2A16, &Robot::robotReceivedTrackingError},
    {0x2A13, &Robot::robot_receiveTransCoordPos},
    {0x2F33, &Robot::robot_tool_receiveSafetySet},
    {0x2F43, &Robot::robot_receivedIODinAlarm},
    {0x2F46, &Robot::robot_receivedIODoutAlarm},
    {0x2F49, &Robot::robot_receivedIODinPortName},
    {0x2F4C, &Robot::robot_receivedIODoutPortName},
    {0x2F4F, &Robot::robot_receivedIOAIPortName},
    {0x2F52, &Robot::robot_receivedIOAOPortName},
    {0x2F1C, &Robot::robot_receiveReservation},
    {0x4303, &Robot::robot_receiveControlIp},
    {0x4306, &Robot::robot_receiveConntrollerInitState},
    {0x5609, &Robot::robot_get_globalVariant},
    {0x560C, &Robot::robot_get_oneglobalVariant},
    {0x5603, &Robot::robot_rec_allGlobalPosition},
    {0x5606, &Robot::robot_rec_globalPosition},
    {0x5613, &Robot::robot_receiveLocalVariantPosP},
    {0x5616, &Robot::robot_receiveLocalVariantPosE},
    {0x5619, &Robot::robot_receiveLocalVariantValue},
    {0x3205, &Robot::robot_receiveCollisionDetectDragTeach},
    {0x3207, &Robot::robot_receiveClearCollision},
    {0x7408, &Robot::robot_collision},
    {0x740B, &Robot::robot_collisionPara},
    {0x740E, &Robot::robot_torqFeedback},
    {0x7503, &Robot::robot_DragSwitch},
    {0x7506, &Robot::robot_DragPara},
    {0x7403, &Robot::robot_dynaPara},
    {0x7405, &Robot::robot_dynaIdentify},
    {0x7303, &Robot::robot_threeMouse_para},
    {0x7306, &Robot::robot_3DMouse_Point},
    {0x7309, &Robot::robot_3DMouse_Mark},
    {0x7703, &Robot::robot_receiveBrakeAvoidCrushed},
    {0x5703, &Robot::robot_receivedModbusProgram_reflash},
    {0x5713, &Robot::robot_receivedModbusParameter},
    {0x5723, &Robot::robot_receivedUploadEnable},
    {0x5726, &Robot::robot_receivedUploadPara},
    {0x5729, &Robot::robot_receivedDAformat},
    {0x4103, &Robot::robot_vision_para},
    {0x4115, &Robot::robot_vision_ip},
    {0x4106, &Robot::robot_visionpos_para},
    {0x4111, &Robot::robot_visionposgesture_para},
    {0x4113, &Robot::robot_visionpostrytakephoto_para},
    {0x4108, &Robot::robot_receiveVisionDebugPosList},
    {0x4182, &Robot::robot_tcp_para},
    {0x4132, &Robot::robot_laser_para},
    {0x4138, &Robot::robot_track_para},
    {0x413B, &Robot::robot_search_para},
    {0x4135, &Robot::robot_laser_Manufacturer},
    {0x4141, &Robot::robot_laser_Calibate},
    {0x4143, &Robot::robot_laser_CalibateReCord},
    {0x4146, &Robot::robot_laser_CalibateResult},
    {0x4152, &Robot::robot_arc_TrackCOMM},
    {0x4155, &Robot::robot_arc_TrackCOMP},
    {0x4162, &Robot::signal_arcSearchPara},
    {0x4803, &Robot::robot_trackConBasic_para},
    {0x4806, &Robot::robot_trackConTool_para},
    {0x4813, &Robot::robot_trackConCalibration_para},
    {0x4819, &Robot::robot_trackConCaliSensorPoint_para},
    {0x481D, &Robot::robot_trackConCaliSensorPos_para},
    {0x4817, &Robot::robot_trackConSensorPos_para},
    {0x4832, &Robot::robot_trackConPosr_para},
    {0x4834, &Robot::robot_calibrationPos_para},
    {0x4808, &Robot::robot_trackSpeed_para},
    {0x4406, &Robot::robot_recLaserTechParam},
    {0x440C, &Robot::robot_recCutTechParam},
    {0x4403, &Robot::robot_recLaserChangerIoSet},
    {0x4409, &Robot::robot_recLaserChangerAnalog},
    {0x4419, &Robot::robot_recLaserChangerAnalogSet},
    {0x4013, &Robot::robot_weldIO_data_get},
    {0x400F, &Robot::robot_waveweld_IUmatch},
    {0x401F, &Robot::robot_receivedWelder},
    {0x4023, &Robot::robot_receivedWelderState},
    {0x401C, &Robot::robot_weldEnableState},
    {0x4054, &Robot::robot_get_weldIntersectionCal},
    {0x4053, &Robot::robot_get_weldIntersectionPoint},
    {0x4057, &Robot::robot_get_weldIntersectionPara},
    {0x4063, &Robot::robot_receiveOuterWeldTorchParam},
    {0x4067, &Robot::robot_receiveOuterWeldType},
    {0x4203, &Robot::robot_pallet_ToolParameter},
    {0x4229, &Robot::robot_palleteasy_ToolParameter},
    {0x4223, &Robot::robot_switchpalletmode},
    {0x4206, &Robot::robot_pallet_TrayParameter},
    {0x4209, &Robot::robot_pallet_PositionParameter},
    {0x4226, &Robot::robot_palleteasy_PositionParameter},
    {0x420C, &Robot::robot_pallet_WorkpieceParameter},
    {0x420F, &Robot::robot_pallet_ApproachParameter},
    {0x4212, &Robot::robot_pallet_OverlappingModel},
    {0x4215, &Robot::robot_pallet_PlaneModel},
    {0x4217, &Robot::robot_pallet_ChangeModel},
    {0x4219, &Robot::robot_pallet_PlanePreview},
    {0x421C, &Robot::robot_pallet_State},
    {0x4243, &Robot::robot_pallet_LocATPara},
    {0x4249, &Robot::robot_piece_LocAT},
    {0x4233, &Robot::robot_receivePalletData},
    {0x4603, &Robot::robot_Polish_Para},
    {0x5736, &Robot::robotReceivedScrewIO},
    {0x5733, &Robot::robotReceivedScrewPara},
    {0x5739, &Robot::robotReceivedScrewState},
    {0x3B06, &Robot::robot_Decare_Param},
    {0x3B09, &Robot::robot_EncoderPara},
    {0x7204, &Robot::robot_count_successFor4},
    {0x7206, &Robot::robot_receivedresultForDH},
    {0x7706, &Robot::robot_receiveBrakeAvoidCrushedDelay},
    {0x7709, &Robot::robot_receiveBrakeAvoidCrushedParam},
    {0x770C, &Robot::robot_receiveBrakeAvoidCrushedRecordtorq},
    {0x4706, &Robot::robot_Spray_Digital},
    {0x4709, &Robot::robot_Spray_Sequence},
    {0x470C, &Robot::robot_Spray_TrackPara},
    {0x4713, &Robot::robot_Spray_HandOperatOne},
    {0x4716, &Robot::robot_Spray_HandOperatTwo},
    {0x4719, &Robot::robot_Spray_HandOperatThree},
    {0x4703, &Robot::robot_Spray_Analog},
};

}  // namespace

TEST(RobotPassThrough, EveryReportReachesItsSignalUnchanged) {
    LinkedRobot link;
    ASSERT_TRUE(link.connected());
    QObject context;
    QMap<quint16, QByteArray> received;
    for (const PassThrough& p : kPassThrough) {
        QObject::connect(
            link.robot.get(), p.signal, &context,
            [&received, word = p.word](const QByteArray& data) { received[word] += data; });
    }
    for (const PassThrough& p : kPassThrough) {
        // Not JSON, with a NUL: nothing may be parsed or cut on the way.
        link.sim.sendReport(p.word, "raw " + QByteArray::number(p.word, 16) + '\0' + "tail");
    }
    ASSERT_TRUE(link.flush());
    ASSERT_EQ(received.size(), static_cast<int>(std::size(kPassThrough)));
    for (const PassThrough& p : kPassThrough) {
        EXPECT_EQ(received.value(p.word), "raw " + QByteArray::number(p.word, 16) + '\0' + "tail")
            << std::hex << p.word;
    }
}

TEST(RobotPassThrough, ReportsWithoutPayloadAndUnknownWords) {
    LinkedRobot link;
    ASSERT_TRUE(link.connected());
    Robot* robot = link.robot.get();
    SignalLog<> fileInfoFinish(robot, &Robot::robot_job_File_Info_Finish);
    SignalLog<> zeroPoint(robot, &Robot::robot_outerZeroPoint);
    SignalLog<> zeroSuccess(robot, &Robot::robot_zero_success);
    SignalLog<quint16, QByteArray> unknown(robot, &Robot::robot_received_data);
    link.report(0x5535, "ignored");
    link.report(0x7033, "");
    link.report(0x3303, "{}");
    link.report(0x5511, "transfer word on the control link");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(fileInfoFinish.count(), 1);
    EXPECT_EQ(zeroPoint.count(), 1);
    EXPECT_EQ(zeroSuccess.count(), 1);
    ASSERT_GE(unknown.count(), 1);
    EXPECT_EQ(unknown.calls().front(),
              std::make_tuple(quint16(0x5511), QByteArray("transfer word on the control link")));
}
